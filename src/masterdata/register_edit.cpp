#include "masterdata/register_edit.h"

#include "ui/input.h"
#include "ui/layout.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

RegisterEditDialog::RegisterEditDialog(Session& session, EntryMode mode, EntrySubject subject,
                                       const QString& objectName, QWidget* parent)
    : QDialog(parent), m_session(session), m_mode(mode)
{
    setObjectName(objectName);
    setWindowTitle(entryCaption(subject, mode));
    auto* lay = new QVBoxLayout(this);
    m_fields = new QGridLayout;
    lay->addLayout(m_fields);
    auto* buttons = new QHBoxLayout;
    m_okButton = makeButton(this, QStringLiteral("okButton"), QStringLiteral("OK"));
    m_cancelButton = makeButton(this, QStringLiteral("cancelButton"), QStringLiteral("Mégsem"));
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    lay->addLayout(buttons);
    input::markLeavesForm(m_cancelButton);

    connect(m_okButton, &QPushButton::clicked, this, &RegisterEditDialog::save);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::close);
}

QLineEdit* RegisterEditDialog::addField(const QString& objectName, const QString& caption)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(objectName);
    edit->setMinimumWidth(360);
    const int row = m_fields->rowCount();
    m_fields->addWidget(buddyLabel(caption, edit), row, 0);
    m_fields->addWidget(edit, row, 1);
    return edit;
}

QLineEdit* RegisterEditDialog::addShownField(const QString& objectName, const QString& caption)
{
    QLineEdit* edit = addField(objectName, caption);
    makeShownOnly(edit);
    return edit;
}
