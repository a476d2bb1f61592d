#include "outgoing/completion.h"

#include "storage/session.h"
#include "storage/shared_datasets.h"
#include "core/domain.h"
#include "masterdata/panels.h"
#include "masterdata/pickers.h"
#include "ui/dbwidgets.h"
#include "ui/input.h"
#include "ui/layout.h"
#include "ui/platform.h"
#include "ui/validation.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

OutgoingCompletionDialog::OutgoingCompletionDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form13"));
    setWindowTitle(QStringLiteral("Adatfeltöltés"));

    auto* lay = new QVBoxLayout(this);
    m_heading = new QLabel(QStringLiteral("A beszállitáskor már kiszállitásra megjelölt tételekhez vagy adatátvételi "
                                          "fülszámokhoz a többi adat megadása"),
                           this);
    m_heading->setObjectName(QStringLiteral("Label2"));
    lay->addWidget(m_heading);

    auto* top = new QHBoxLayout;
    int textNumber = 1;
    m_carrierPanel = masterdata::carrierPanel(this, QStringLiteral("GroupBox1"), &Data->DS30, &textNumber);
    m_buyerPanel = masterdata::buyerPanel(this, QStringLiteral("GroupBox2"), &Data->DS40, &textNumber);
    top->addWidget(m_carrierPanel, 1);
    top->addWidget(m_buyerPanel, 1);
    lay->addLayout(top);

    auto* fields = new QGridLayout;
    auto field = [this, fields](const char* name, const QString& caption, int col) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        fields->addWidget(buddyLabel(caption, e), 0, col);
        fields->addWidget(e, 1, col);
        return e;
    };
    m_chooseCarrierButton = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Szállító"));
    m_chooseBuyerButton = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Vevö"));
    fields->addWidget(m_chooseCarrierButton, 1, 0);
    fields->addWidget(m_chooseBuyerButton, 1, 1);
    m_carrierCode = field("Edit2", QStringLiteral("Száll.kód"), 2);
    m_buyerCode = field("Edit3", QStringLiteral("Vevö kód"), 3);
    m_certificateOut = field("Edit8", QStringLiteral("Eü. bizonyitvány ki"), 4);
    m_category = field("Edit7", QStringLiteral("Hasznositási kategória"), 5);
    lay->addLayout(fields);
    for (QLineEdit* e : {m_carrierCode, m_buyerCode})
        makeShownOnly(e);
    m_category->setText(domain::kDefaultCategory);
    m_category->setToolTip(QStringLiteral("Dupla klikkre kategória váltása"));

    m_list = makeListGrid(this, QStringLiteral("DBGrid1"), &Data->DS21,
                          {{QStringLiteral("KFULSZAM"), QStringLiteral("Fülszám")},
                           {QStringLiteral("KIKELT"), QStringLiteral("Kiszállítás")},
                           {QStringLiteral("KEUBIZKI"), QStringLiteral("Eü. biz. ki")},
                           {QStringLiteral("KEUBIZBE"), QStringLiteral("Eü.biz. be")},
                           {QStringLiteral("KHKAT"), QStringLiteral("Haszn. kat.")},
                           {QStringLiteral("KSKOD"), QStringLiteral("Száll.kód")},
                           {QStringLiteral("KFKOD"), QStringLiteral("Vevökód")},
                           {QStringLiteral("IDK"), QStringLiteral("ID")},
                           {QStringLiteral("KKOD"), QStringLiteral("Kód")}});
    lay->addWidget(buddyLabel(QStringLiteral("Pótlandó tételek listája:"), m_list));
    lay->addWidget(m_list, 1);
    m_navigator = makeListNavigator(this, QStringLiteral("DBNavigator1"), &Data->DS21);
    lay->addWidget(m_navigator, 0, Qt::AlignLeft);

    auto* buttons = new QHBoxLayout;
    m_completeButton = makeButton(this, QStringLiteral("Button5"), QStringLiteral("Adatfeltöltés"));
    m_completeButton->setToolTip(QStringLiteral("A szállító és vevő kóddal nem rendelkező fülszám sorok feltöltése"));
    m_cancelButton = makeButton(this, QStringLiteral("Button6"), QStringLiteral("Mégsem"));
    buttons->addWidget(m_completeButton);
    buttons->addWidget(m_cancelButton);
    buttons->addStretch(1);
    lay->addLayout(buttons);
    input::markLeavesForm(m_cancelButton);

    connect(m_chooseCarrierButton, &QPushButton::clicked, this, &OutgoingCompletionDialog::chooseCarrier);
    connect(m_chooseBuyerButton, &QPushButton::clicked, this, &OutgoingCompletionDialog::chooseBuyer);
    connect(m_completeButton, &QPushButton::clicked, this, &OutgoingCompletionDialog::completeDepartures);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::close);
    // The hint promises the category switch of the entry screens; the field keeps that promise.
    input::onDoubleClick(m_category, [this] { toggleCategory(); });

    fixAndCentre(this, QSize(1000, 600));
    input::enterAsTab(this);
}

void OutgoingCompletionDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The list is built once, when the screen first appears; after a fill it stays empty.
    if (event->spontaneous() || m_shown)
        return;
    m_shown = true;
    try {
        listIncompleteDepartures();
    } catch (const std::exception& e) {
        platform::showError(this, e);
    }
}

void OutgoingCompletionDialog::listIncompleteDepartures()
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

void OutgoingCompletionDialog::chooseCarrier() { m_carrierCode->setText(pickCarrier(Data->session(), this)); }

void OutgoingCompletionDialog::chooseBuyer() { m_buyerCode->setText(pickSender(Data->session(), this)); }

void OutgoingCompletionDialog::toggleCategory() { m_category->setText(domain::nextCategory(m_category->text())); }

void OutgoingCompletionDialog::completeDepartures()
{
    if (!validation::requireFilled(this,
                                   {{m_carrierCode, QStringLiteral("Nincs megadva a szállitó!"), m_chooseCarrierButton},
                                    {m_buyerCode, QStringLiteral("Nincs megadva a Vevö!"), m_chooseBuyerButton},
                                    {m_certificateOut, QStringLiteral("Nincs megadva a eü.bizonyitvány!")}}))
        return;
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
            validation::bindText(q, QStringLiteral("p1"), m_carrierCode);
            validation::bindText(q, QStringLiteral("p2"), m_buyerCode);
            validation::bindText(q, QStringLiteral("p3"), m_certificateOut);
            q.setParamText(QStringLiteral("p4"), QString());
            validation::bindText(q, QStringLiteral("p5"), m_category);
            q.execSql();
            Data->IBTrans1.commit();
        } catch (const std::exception& e) {
            if (!validation::sayUnstorableText(this, e))
                platform::showMessage(this, QStringLiteral("Hiba131:  Update a kiszállításban "));
            if (Data->IBTrans1.inTransaction())
                Data->IBTrans1.rollback();
        }
    } catch (const std::exception&) {
        platform::showMessage(this, QStringLiteral("Hiba132: az Update közben a kiszállításban!"));
    }
}
