#include "app/splash.h"

#include <QFrame>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace {
int g_interval = 3000;
}

bool LoadingSplash::showFullTime()
{
    auto* splash = new LoadingSplash(nullptr);
    // Only the timer accepts the splash (it refuses to be rejected), and it then releases itself.
    if (splash->exec() == QDialog::Accepted)
        return true;
    delete splash;
    return false;
}

void LoadingSplash::setIntervalForTests(int ms) { g_interval = ms; }
int LoadingSplash::interval() { return g_interval; }

LoadingSplash::LoadingSplash(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Betöltés..."));
    auto* outer = new QVBoxLayout(this);
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    outer->addWidget(panel);
    auto* lay = new QVBoxLayout(panel);
    m_productName = new QLabel(QStringLiteral("Gerundo"), panel);
    m_productName->setObjectName(QStringLiteral("Version"));
    QFont f = m_productName->font();
    f.setPointSize(24);
    f.setBold(true);
    m_productName->setFont(f);
    lay->addWidget(m_productName);
    auto* empty = new QLabel(panel);
    empty->setObjectName(QStringLiteral("Label1"));
    lay->addWidget(empty);
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
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);  // its full time: a coarse timer may end it early
    m_timer->setInterval(g_interval);
    connect(m_timer, &QTimer::timeout, this, &LoadingSplash::closeAndRelease);
    m_timer->start();  // runs from the moment the splash exists
}

void LoadingSplash::closeAndRelease()
{
    done(QDialog::Accepted);  // not close(): that asks reject(), which the splash refuses
    deleteLater();
}
