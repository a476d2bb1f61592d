#include "app/about.h"

#include <QFrame>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

TAboutBox* AboutBox = nullptr;

namespace {
int g_interval = 3000;
}

void TAboutBox::setIntervalForTests(int ms) { g_interval = ms; }
int TAboutBox::interval() { return g_interval; }

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Betöltés..."));
    auto* outer = new QVBoxLayout(this);
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    outer->addWidget(panel);
    auto* lay = new QVBoxLayout(panel);
    Version = new QLabel(QStringLiteral("Gerundo"), panel);
    Version->setObjectName(QStringLiteral("Version"));
    QFont f = Version->font();
    f.setPointSize(24);
    f.setBold(true);
    Version->setFont(f);
    lay->addWidget(Version);
    Label1 = new QLabel(panel);
    Label1->setObjectName(QStringLiteral("Label1"));
    lay->addWidget(Label1);
    const QStringList lines = {QStringLiteral("2011."),
                               QStringLiteral("Készítette: Gerundo fejlesztők"),
                               QStringLiteral("Élőállat-gyűjtő és -kereskedő telepek nyilvántartása"),
                               QStringLiteral("Telefon: +36 1 000 0000"),
                               QStringLiteral("E-mail: info@gerundo.example"),
                               QStringLiteral(""),
                               QStringLiteral(""),
                               QStringLiteral("")};
    for (int i = 0; i < lines.size(); ++i) {
        auto* l = new QLabel(lines.at(i), panel);
        l->setObjectName(QStringLiteral("Label%1").arg(i + 3));
        lay->addWidget(l);
    }
    setFixedSize(sizeHint().expandedTo(QSize(380, 260)));
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(g_interval);
    connect(Timer1, &QTimer::timeout, this, &TAboutBox::Timer1Timer);
    Timer1->start();  // runs from the moment the splash exists
}

void TAboutBox::Timer1Timer()
{
    close();
    deleteLater();  // the variable AboutBox keeps its old value
}
