#include "maintenance/password_dialog.h"

#include "ui/layout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Every typed character shows as "*", whatever the platform's own password character.
class StarPasswordStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == QStyle::SH_LineEdit_PasswordCharacter)
            return u'*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};
}  // namespace

PasswordDialog::PasswordDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PasswordDlg"));
    setWindowTitle(QStringLiteral("Jelszó"));

    auto* prompt = new QLabel(QStringLiteral("Kérem adja meg a jelszót"), this);
    prompt->setObjectName(QStringLiteral("Label1"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("Password"));
    m_password->setEchoMode(QLineEdit::Password);
    auto* style = new StarPasswordStyle;
    style->setParent(m_password);
    m_password->setStyle(style);
    m_password->setMinimumWidth(220);
    prompt->setBuddy(m_password);

    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("OKBtn"));
    m_okButton->setDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("Mégsem"), this);
    m_cancelButton->setObjectName(QStringLiteral("CancelBtn"));
    m_cancelButton->setAutoDefault(false);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* lay = new QVBoxLayout(this);
    lay->addWidget(prompt);
    lay->addWidget(m_password);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    lay->addLayout(buttons);
    fixAndCentre(this);
    m_password->setFocus();
}

QString PasswordDialog::answer() const { return m_password->text(); }
