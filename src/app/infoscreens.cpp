#include "app/infoscreens.h"

#include "ui/layout.h"
#include "ui/platform.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The panel with the action button and "Mégsem" of the remote-support and help screens.
void buildButtonPanel(QDialog* dlg, QPushButton*& action, const QString& actionCaption, QPushButton*& cancel)
{
    auto* lay = new QVBoxLayout(dlg);
    auto* panel = new QFrame(dlg);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(panel);
    action = makeButton(panel, QStringLiteral("Button3"), actionCaption);
    cancel = makeButton(panel, QStringLiteral("Button2"), QStringLiteral("Mégsem"));
    row->addWidget(action);
    row->addWidget(cancel);
    lay->addWidget(panel);
    QObject::connect(cancel, &QPushButton::clicked, dlg, &QDialog::close);
    dlg->setFixedSize(360, 120);
}
}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form25"));
    setWindowTitle(QStringLiteral("Névjegy"));
    auto* lay = new QVBoxLayout(this);
    m_contact = new QPlainTextEdit(this);
    m_contact->setObjectName(QStringLiteral("Memo1"));
    m_contact->setAccessibleName(QStringLiteral("Névjegy"));
    // Tab moves on to "Mégsem", as everywhere else; the text needs no tab characters.
    m_contact->setTabChangesFocus(true);
    m_contact->setPlainText(
        QStringLiteral("Gerundo\n"
                       "Élőállat-gyűjtő és -kereskedő telep nyilvántartása\n"
                       "2008 - 2011\n\n"
                       "Készítette: Gerundo fejlesztők\n"
                       "Telefon: +36 1 000 0000\n"
                       "E-mail: info@gerundo.example"));
    lay->addWidget(m_contact);
    m_closeButton = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Mégsem"));
    lay->addWidget(m_closeButton, 0, Qt::AlignRight);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::close);
    setFixedSize(420, 260);
}

RemoteSupportDialog::RemoteSupportDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form26"));
    setWindowTitle(QStringLiteral("Távsegítség"));
    buildButtonPanel(this, m_startButton, QStringLiteral("Program indítása"), m_cancelButton);
    connect(m_startButton, &QPushButton::clicked, this, &RemoteSupportDialog::startRemoteSupport);
}

void RemoteSupportDialog::startRemoteSupport()
{
    // The result is not looked at: a missing program passes without a word.
    platform::startProgram(QStringLiteral("ShowMyPC3000.exe"));
}

HelpDialog::HelpDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form27"));
    setWindowTitle(QStringLiteral("Súgó"));
    buildButtonPanel(this, m_helpButton, QStringLiteral("Segítség"), m_cancelButton);
    connect(m_helpButton, &QPushButton::clicked, this, &HelpDialog::requestHelp);
}

void HelpDialog::requestHelp() { platform::requestHelpContents(this); }
