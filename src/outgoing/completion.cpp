#include "outgoing/completion.h"

#include "core/convert.h"
#include "core/datamodule.h"
#include "core/domain.h"
#include "masterdata/pickers.h"
#include "masterdata/panels.h"
#include "ui/input.h"
#include "ui/layout.h"
#include "ui/dbwidgets.h"
#include "ui/input.h"
#include "ui/platform.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TForm13* Form13 = nullptr;

TForm13::TForm13(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form13"));
    setWindowTitle(QStringLiteral("Adatfeltöltés"));
    Form13 = this;

    auto* lay = new QVBoxLayout(this);
    Label2 = new QLabel(QStringLiteral("A beszállitáskor már kiszállitásra megjelölt tételekhez vagy adatátvételi "
                                       "fülszámokhoz a többi adat megadása"),
                        this);
    Label2->setObjectName(QStringLiteral("Label2"));
    lay->addWidget(Label2);

    auto* top = new QHBoxLayout;
    int textNumber = 1;
    GroupBox1 = masterdata::carrierPanel(this, QStringLiteral("GroupBox1"), &Data->DS30, textNumber);
    GroupBox2 = masterdata::buyerPanel(this, QStringLiteral("GroupBox2"), &Data->DS40, textNumber);
    top->addWidget(GroupBox1, 1);
    top->addWidget(GroupBox2, 1);
    lay->addLayout(top);

    auto* fields = new QGridLayout;
    auto edit = [this, fields](QLineEdit*& e, const char* name, const QString& label, int col) {
        e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        auto* l = new QLabel(label, this);
        l->setObjectName(QStringLiteral("Label_") + QString::fromLatin1(name));
        l->setBuddy(e);
        fields->addWidget(l, 0, col);
        fields->addWidget(e, 1, col);
    };
    Button1 = new QPushButton(QStringLiteral("Szállító"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Vevö"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    fields->addWidget(Button1, 1, 0);
    fields->addWidget(Button2, 1, 1);
    edit(Edit2, "Edit2", QStringLiteral("Száll.kód"), 2);
    edit(Edit3, "Edit3", QStringLiteral("Vevö kód"), 3);
    edit(Edit8, "Edit8", QStringLiteral("Eü. bizonyitvány ki"), 4);
    edit(Edit7, "Edit7", QStringLiteral("Hasznositási kategória"), 5);
    lay->addLayout(fields);
    for (QLineEdit* e : {Edit2, Edit3}) {
        e->setEnabled(false);
        e->setReadOnly(true);
    }
    Edit7->setText(QStringLiteral("gyüjtés"));
    Edit7->setToolTip(QStringLiteral("Dupla klikkre kategória váltása"));

    auto* gridLabel = new QLabel(QStringLiteral("Pótlandó tételek listája:"), this);
    gridLabel->setObjectName(QStringLiteral("Label1"));
    lay->addWidget(gridLabel);
    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setDataSource(&Data->DS21);
    DBGrid1->setColumns({{QStringLiteral("KFULSZAM"), QStringLiteral("Fülszám")},
                         {QStringLiteral("KIKELT"), QStringLiteral("Kiszállítás")},
                         {QStringLiteral("KEUBIZKI"), QStringLiteral("Eü. biz. ki")},
                         {QStringLiteral("KEUBIZBE"), QStringLiteral("Eü.biz. be")},
                         {QStringLiteral("KHKAT"), QStringLiteral("Haszn. kat.")},
                         {QStringLiteral("KSKOD"), QStringLiteral("Száll.kód")},
                         {QStringLiteral("KFKOD"), QStringLiteral("Vevökód")},
                         {QStringLiteral("IDK"), QStringLiteral("ID")},
                         {QStringLiteral("KKOD"), QStringLiteral("Kód")}});
    gridLabel->setBuddy(DBGrid1);
    lay->addWidget(DBGrid1, 1);
    DBNavigator1 = new DBNavigator(this);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setDataSource(&Data->DS21);
    DBNavigator1->setVisibleButtons(DBNavigator::First | DBNavigator::Prior | DBNavigator::Next | DBNavigator::Last);
    lay->addWidget(DBNavigator1, 0, Qt::AlignLeft);

    auto* buttons = new QHBoxLayout;
    Button5 = new QPushButton(QStringLiteral("Adatfeltöltés"), this);
    Button5->setObjectName(QStringLiteral("Button5"));
    Button5->setToolTip(QStringLiteral("A szállító és vevő kóddal nem rendelkező fülszám sorok feltöltése"));
    Button6 = new QPushButton(QStringLiteral("Mégsem"), this);
    Button6->setObjectName(QStringLiteral("Button6"));
    buttons->addWidget(Button5);
    buttons->addWidget(Button6);
    buttons->addStretch(1);
    lay->addLayout(buttons);
    for (QPushButton* b : {Button1, Button2, Button5, Button6})
        b->setAutoDefault(false);
    input::markLeavesForm(Button6);

    connect(Button1, &QPushButton::clicked, this, &TForm13::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm13::Button2Click);
    connect(Button5, &QPushButton::clicked, this, &TForm13::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TForm13::Button6Click);
    // The hint promises the category switch of the entry screens; the field keeps that promise.
    input::onDoubleClick(Edit7, [this] { Edit7DblClick(); });

    fixAndCentre(this, QSize(1000, 600));
    input::enterAsTab(this);
}

TForm13::~TForm13()
{
    if (Form13 == this)
        Form13 = nullptr;
}

void TForm13::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The list is built once, when the screen first appears; after a fill it stays empty.
    if (event->spontaneous() || m_shown)
        return;
    m_shown = true;
    try {
        FormShow();
    } catch (const std::exception& e) {
        platform::showError(this, QString::fromUtf8(e.what()));
    }
}

void TForm13::FormShow()
{
    Dataset& q = Data->ZQ21;
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("SELECT kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk, kKod  "));
    q.addSql(QStringLiteral("       FROM kiszall "));
    q.addSql(QStringLiteral("       WHERE kskod = :p1 AND kfkod = :p1 "));
    q.setParamText(QStringLiteral("p1"), QString());
    q.open();
}

void TForm13::Button1Click() { Edit2->setText(pickCarrier(this)); }

void TForm13::Button2Click() { Edit3->setText(pickSender(this)); }

void TForm13::Edit7DblClick() { Edit7->setText(domain::nextCategory(Edit7->text())); }

void TForm13::Button5Click()
{
    const auto fail = [this](const QString& message, QWidget* focus) {
        platform::showMessage(this, message);
        focus->setFocus();
    };
    if (convert::trimRight(Edit2->text()).isEmpty())
        return fail(QStringLiteral("Nincs megadva a szállitó!"), Button1);
    if (convert::trimRight(Edit3->text()).isEmpty())
        return fail(QStringLiteral("Nincs megadva a Vevö!"), Button2);
    if (convert::trimRight(Edit8->text()).isEmpty())
        return fail(QStringLiteral("Nincs megadva a eü.bizonyitvány!"), Edit8);
    try {
        if (!Data->IBTrans1.inTransaction())
            Data->IBTrans1.startTransaction();
        try {
            Dataset& q = Data->ZQ21;
            q.close();
            q.clearSql();
            q.addSql(QStringLiteral("UPDATE kiszall         "));
            q.addSql(QStringLiteral("   SET kskod    = :p1, "));
            q.addSql(QStringLiteral("       kfkod    = :p2, "));
            q.addSql(QStringLiteral("       keubizki = :p3, "));
            q.addSql(QStringLiteral("       khkat    = :p5  "));
            q.addSql(QStringLiteral("       WHERE kskod = :p4 AND kfkod = :p4 "));
            q.setParamText(QStringLiteral("p1"), Edit2->text());
            q.setParamText(QStringLiteral("p2"), Edit3->text());
            q.setParamText(QStringLiteral("p3"), Edit8->text());
            q.setParamText(QStringLiteral("p4"), QString());
            q.setParamText(QStringLiteral("p5"), Edit7->text());
            q.execSql();
            Data->IBTrans1.commit();
        } catch (const std::exception&) {
            platform::showMessage(this, QStringLiteral("Hiba131:  Update a kiszállításban "));
            if (Data->IBTrans1.inTransaction())
                Data->IBTrans1.rollback();
        }
    } catch (const std::exception&) {
        platform::showMessage(this, QStringLiteral("Hiba132: az Update közben a kiszállításban!"));
    }
}

void TForm13::Button6Click() { close(); }
