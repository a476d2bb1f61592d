#include "outgoing/eartag_picklist.h"

#include "core/convert.h"
#include "storage/session.h"
#include "ui/dbwidgets.h"
#include "ui/layout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

EarTagPickListDialog::EarTagPickListDialog(Session& session, const QString& earTagBeginning, QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_earTagBeginning(earTagBeginning),
      m_rows(session.database(), QStringLiteral("pickListRows")),
      m_rowsSource(m_rows, QStringLiteral("pickListSource"))
{
    setObjectName(QStringLiteral("earTagPickListDialog"));
    setWindowTitle(QStringLiteral("Fülszám lista"));

    auto* lay = new QVBoxLayout(this);
    m_heading = new QLabel(QStringLiteral("A kiszállításban nem szereplö fülszámok listája"), this);
    m_heading->setObjectName(QStringLiteral("headingLabel"));
    lay->addWidget(m_heading);

    m_list = makeListGrid(this, QStringLiteral("earTagsGrid"), &m_rowsSource,
                          {{QStringLiteral("BFULSZAM"), QStringLiteral("Fülszám")},
                           {QStringLiteral("BSZKELT"), QStringLiteral("Beszállítás")}});
    m_heading->setBuddy(m_list);
    lay->addWidget(m_list, 1);
    m_navigator = makeListNavigator(this, QStringLiteral("earTagsNavigator"), &m_rowsSource);
    lay->addWidget(m_navigator, 0, Qt::AlignLeft);

    auto* buttons = new QHBoxLayout;
    m_pickButton = makeButton(this, QStringLiteral("pickButton"), QStringLiteral("Kiválaszt"));
    m_cancelButton = makeButton(this, QStringLiteral("cancelButton"), QStringLiteral("Mégsem"));
    buttons->addWidget(m_pickButton);
    buttons->addWidget(m_cancelButton);
    buttons->addStretch(1);
    lay->addLayout(buttons);

    connect(m_pickButton, &QPushButton::clicked, this, &EarTagPickListDialog::pickCurrentEarTag);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    fixAndCentre(this, QSize(380, 480));

    m_session.arrivals().openNotDeparted(m_rows);
    // Prefix match, case-sensitive. Trailing blanks do not count: a row can only begin with the
    // typed text once the typed text's own trailing blanks are gone, and the row's do not matter
    // for a prefix. Nothing found (or nothing typed) leaves the first row current.
    const QString prefix = convert::trimRight(m_earTagBeginning);
    if (!prefix.isEmpty())
        m_rows.locate(QStringLiteral("bfulszam"), prefix, LocateOptions{false, true});

    m_list->setFocus();
}

void EarTagPickListDialog::pickCurrentEarTag()
{
    if (m_rows.active() && !m_rows.isEmpty())
        m_picked = m_rows.fieldText(QStringLiteral("bfulszam"));
    accept();
}
