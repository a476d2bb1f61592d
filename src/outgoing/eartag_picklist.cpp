#include "outgoing/eartag_picklist.h"

#include "core/convert.h"
#include "core/datamodule.h"
#include "core/globals.h"
#include "outgoing/outgoing_entry.h"
#include "masterdata/panels.h"
#include "ui/input.h"
#include "ui/layout.h"
#include "ui/dbwidgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm12* Form12 = nullptr;

TForm12::TForm12(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form12"));
    setWindowTitle(QStringLiteral("Fülszám lista"));
    Form12 = this;

    auto* lay = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("A kiszállításban nem szereplö fülszámok listája"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    lay->addWidget(Label1);

    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setDataSource(&Data->DS14);
    DBGrid1->setColumns({{QStringLiteral("BFULSZAM"), QStringLiteral("Fülszám")},
                         {QStringLiteral("BSZKELT"), QStringLiteral("Beszállítás")}});
    Label1->setBuddy(DBGrid1);
    lay->addWidget(DBGrid1, 1);

    DBNavigator1 = new DBNavigator(this);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setDataSource(&Data->DS14);
    DBNavigator1->setVisibleButtons(DBNavigator::First | DBNavigator::Prior | DBNavigator::Next | DBNavigator::Last);
    lay->addWidget(DBNavigator1, 0, Qt::AlignLeft);

    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("Kiválaszt"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button3 = new QPushButton(QStringLiteral("Mégsem"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    for (QPushButton* b : {Button1, Button3}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    lay->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &TForm12::Button1Click);
    connect(Button3, &QPushButton::clicked, this, &TForm12::Button3Click);

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
    const QString prefix = convert::trimRight(PartialEarTag);
    if (!prefix.isEmpty())
        q.locate(QStringLiteral("bfulszam"), prefix, LocateOptions{false, true});

    DBGrid1->setFocus();
}

TForm12::~TForm12()
{
    if (Form12 == this)
        Form12 = nullptr;
}

void TForm12::Button1Click()
{
    if (Form11 && Data->ZQ14.active() && !Data->ZQ14.isEmpty())
        Form11->Edit4->setText(Data->ZQ14.fieldText(QStringLiteral("bfulszam")));
    accept();
}

void TForm12::Button3Click() { reject(); }
