#include "app/infoscreens.h"

#include "ui/platform.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm25* Form25 = nullptr;
TForm26* Form26 = nullptr;
TForm27* Form27 = nullptr;

namespace {
// A panel holding the two buttons of the remote-help and help screens.
void buildButtonPanel(QDialog* dlg, QPushButton*& action, const QString& actionCaption, QPushButton*& cancel)
{
    auto* lay = new QVBoxLayout(dlg);
    auto* panel = new QFrame(dlg);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(panel);
    action = new QPushButton(actionCaption, panel);
    action->setObjectName(QStringLiteral("Button3"));
    cancel = new QPushButton(QStringLiteral("Mégsem"), panel);
    cancel->setObjectName(QStringLiteral("Button2"));
    row->addWidget(action);
    row->addWidget(cancel);
    lay->addWidget(panel);
    action->setAutoDefault(false);
    cancel->setAutoDefault(false);
    dlg->setFixedSize(360, 120);
}
}  // namespace

TForm25::TForm25(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form25"));
    setWindowTitle(QStringLiteral("Névjegy"));
    auto* lay = new QVBoxLayout(this);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setAccessibleName(QStringLiteral("Névjegy"));
    Memo1->setPlainText(QStringLiteral("Gerundo\n"
                                       "Élőállat-gyűjtő és -kereskedő telep nyilvántartása\n"
                                       "2008 - 2011\n\n"
                                       "Készítette: Gerundo fejlesztők\n"
                                       "Telefon: +36 1 000 0000\n"
                                       "E-mail: info@gerundo.example"));
    lay->addWidget(Memo1);
    Button1 = new QPushButton(QStringLiteral("Mégsem"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    lay->addWidget(Button1, 0, Qt::AlignRight);
    connect(Button1, &QPushButton::clicked, this, &TForm25::Button1Click);
    setFixedSize(420, 260);
}

void TForm25::Button1Click() { close(); }

TForm26::TForm26(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form26"));
    setWindowTitle(QStringLiteral("Távsegítség"));
    buildButtonPanel(this, Button3, QStringLiteral("Program indítása"), Button2);
    connect(Button3, &QPushButton::clicked, this, &TForm26::Button3Click);
    connect(Button2, &QPushButton::clicked, this, &TForm26::Button2Click);
}

void TForm26::Button3Click()
{
    // The result is not looked at: a missing program passes without a word.
    platform::startProgram(QStringLiteral("ShowMyPC3000.exe"));
}

void TForm26::Button2Click() { close(); }

TForm27::TForm27(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form27"));
    setWindowTitle(QStringLiteral("Súgó"));
    buildButtonPanel(this, Button3, QStringLiteral("Segítség"), Button2);
    connect(Button3, &QPushButton::clicked, this, &TForm27::Button3Click);
    connect(Button2, &QPushButton::clicked, this, &TForm27::Button2Click);
}

void TForm27::Button3Click() { platform::requestHelpContents(); }
void TForm27::Button2Click() { close(); }
