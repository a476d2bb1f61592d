#include "outgoing/eartag_picklist.h"

#include "core/convert.h"
#include "storage/shared_datasets.h"
#include "core/handover.h"
#include "ui/dbwidgets.h"
#include "ui/layout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

EarTagPickListDialog::EarTagPickListDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form12"));
    setWindowTitle(QStringLiteral("Fülszám lista"));

    auto* lay = new QVBoxLayout(this);
    m_title = new QLabel(QStringLiteral("A kiszállításban nem szereplö fülszámok listája"), this);
    m_title->setObjectName(QStringLiteral("Label1"));
    lay->addWidget(m_title);

    m_list = makeListGrid(this, QStringLiteral("DBGrid1"), &Data->DS14,
                          {{QStringLiteral("BFULSZAM"), QStringLiteral("Fülszám")},
                           {QStringLiteral("BSZKELT"), QStringLiteral("Beszállítás")}});
    m_title->setBuddy(m_list);
    lay->addWidget(m_list, 1);
    m_navigator = makeListNavigator(this, QStringLiteral("DBNavigator1"), &Data->DS14);
    lay->addWidget(m_navigator, 0, Qt::AlignLeft);

    auto* buttons = new QHBoxLayout;
    m_pickButton = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Kiválaszt"));
    m_cancelButton = makeButton(this, QStringLiteral("Button3"), QStringLiteral("Mégsem"));
    buttons->addWidget(m_pickButton);
    buttons->addWidget(m_cancelButton);
    buttons->addStretch(1);
    lay->addLayout(buttons);

    connect(m_pickButton, &QPushButton::clicked, this, &EarTagPickListDialog::pickCurrentEarTag);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    fixAndCentre(this, QSize(380, 480));

    Dataset& q = Data->ZQ14;
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("SELECT bfulszam, bszkelt"));
    q.addSql(QStringLiteral("FROM beszall"));
    q.addSql(QStringLiteral("WHERE NOT EXISTS"));
    q.addSql(QStringLiteral("( SELECT  beszall.bfulszam FROM kiszall"));
    q.addSql(QStringLiteral("WHERE beszall.bfulszam = kiszall.kfulszam )"));
    q.addSql(QStringLiteral("ORDER BY beszall.bfulszam"));
    q.open();
    // Prefix match, case-sensitive. Trailing blanks do not count: a row can only begin with the
    // typed text once the typed text's own trailing blanks are gone, and the row's do not matter
    // for a prefix. Nothing found (or nothing typed) leaves the first row current.
    const QString prefix = convert::trimRight(handOver().earTagBeginning);
    if (!prefix.isEmpty())
        q.locate(QStringLiteral("bfulszam"), prefix, LocateOptions{false, true});

    m_list->setFocus();
}

void EarTagPickListDialog::pickCurrentEarTag()
{
    if (Data->ZQ14.active() && !Data->ZQ14.isEmpty())
        m_picked = Data->ZQ14.fieldText(QStringLiteral("bfulszam"));
    accept();
}
