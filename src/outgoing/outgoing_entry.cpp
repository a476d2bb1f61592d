#include "outgoing/outgoing_entry.h"

#include "core/convert.h"
#include "storage/session.h"
#include "storage/shared_datasets.h"
#include "core/domain.h"
#include "core/handover.h"
#include "masterdata/panels.h"
#include "masterdata/pickers.h"
#include "outgoing/eartag_picklist.h"
#include "ui/dbwidgets.h"
#include "ui/input.h"
#include "ui/layout.h"
#include "ui/platform.h"
#include "ui/validation.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>

namespace {
const QString kNotArrived = QStringLiteral("Nincs ilyen fülszám a beszállitottak között !");

void setStatement(Dataset& q, const QStringList& lines)
{
    q.close();
    q.clearSql();
    for (const QString& l : lines)
        q.addSql(l);
}
}  // namespace

OutgoingEntryDialog::OutgoingEntryDialog(EntryMode mode, QWidget* parent) : QDialog(parent), m_mode(mode)
{
    setObjectName(QStringLiteral("Form11"));
    setWindowTitle(entryCaption(EntrySubject::Departure, EntryMode::New));

    auto* lay = new QVBoxLayout(this);

    // Panels and pickers.
    auto* top = new QHBoxLayout;
    int textNumber = 1;
    m_carrierPanel = masterdata::carrierPanel(this, QStringLiteral("GroupBox1"), &Data->DS30, &textNumber);
    m_buyerPanel = masterdata::buyerPanel(this, QStringLiteral("GroupBox2"), &Data->DS40, &textNumber);
    top->addWidget(m_carrierPanel, 1);
    top->addWidget(m_buyerPanel, 1);
    lay->addLayout(top);

    auto* fields = new QGridLayout;
    auto field = [this, fields](const char* name, const QString& caption, int row, int col) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        fields->addWidget(buddyLabel(caption, e), row * 2, col);
        fields->addWidget(e, row * 2 + 1, col);
        return e;
    };
    m_chooseCarrierButton = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Szállító"));
    m_chooseBuyerButton = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Vevö"));
    m_departureId = field("Edit1", QStringLiteral("IDk"), 0, 0);
    m_carrierCode = field("Edit2", QStringLiteral("Száll.kód"), 0, 1);
    m_buyerCode = field("Edit3", QStringLiteral("Vevö kód"), 0, 2);
    fields->addWidget(m_chooseCarrierButton, 1, 3);
    fields->addWidget(m_chooseBuyerButton, 1, 4);
    m_dispatchDate = field("Edit5", QStringLiteral("Kiszállitás kelte"), 1, 0);
    m_category = field("Edit7", QStringLiteral("Hasznositási kategória"), 1, 1);
    m_earTag = field("Edit4", QStringLiteral("Fülszám"), 1, 2);
    m_certificateOut = field("Edit8", QStringLiteral("Eü. bizonyitvány ki"), 1, 3);
    m_certificateIn = field("Edit6", QStringLiteral("Eü. bizonyitvány be"), 1, 4);
    m_pickListHint = new QLabel(QStringLiteral("Dupla klikkre megnyilik a ki nem szállitott fülszámok listája."), this);
    m_pickListHint->setObjectName(QStringLiteral("Label2"));
    fields->addWidget(m_pickListHint, 4, 0, 1, 5);
    lay->addLayout(fields);

    for (QLineEdit* e : {m_departureId, m_carrierCode, m_buyerCode})
        makeShownOnly(e);
    m_category->setText(domain::kDefaultCategory);
    m_category->setToolTip(QStringLiteral("Dupla klikkre kategória váltása"));
    m_earTag->setToolTip(
        QStringLiteral("Irja be a fülszám részletet. Duppla klikkre még ki nem szállítottak listája."));
    m_earTag->setMaxLength(25);
    input::digitsOnly(m_earTag);
    input::dateCharacters(m_dispatchDate);

    // "Új", "OK", "Mégsem" on a panel of their own, with the increment box beside them.
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(panel);
    m_newButton = makeButton(panel, QStringLiteral("Button3"), QStringLiteral("Új"));
    m_okButton = makeButton(panel, QStringLiteral("Button5"), QStringLiteral("OK"));
    m_cancelButton = makeButton(panel, QStringLiteral("Button6"), QStringLiteral("Mégsem"));
    for (QPushButton* b : {m_newButton, m_okButton, m_cancelButton})
        row->addWidget(b);
    row->addStretch(1);
    m_incrementEarTag = new QCheckBox(QStringLiteral("fülszám növelése"), this);
    m_incrementEarTag->setObjectName(QStringLiteral("CheckBox1"));
    auto* panelRow = new QHBoxLayout;
    panelRow->addWidget(panel, 1);
    panelRow->addWidget(m_incrementEarTag);
    lay->addLayout(panelRow);
    m_newButton->setEnabled(false);
    input::markLeavesForm(m_cancelButton);

    m_list = makeListGrid(this, QStringLiteral("DBGrid1"), &Data->DS21,
                          {{QStringLiteral("KFULSZAM"), QStringLiteral("Fülszám")},
                           {QStringLiteral("KIKELT"), QStringLiteral("Kikelt")},
                           {QStringLiteral("KHKAT"), QStringLiteral("Haszn.kat.")},
                           {QStringLiteral("KEUBIZKI"), QStringLiteral("Eü.biz. ki")},
                           {QStringLiteral("KEUBIZBE"), QStringLiteral("Eü. biz. be")},
                           {QStringLiteral("KSKOD"), QStringLiteral("Száll.kód")},
                           {QStringLiteral("KFKOD"), QStringLiteral("Vevö")},
                           {QStringLiteral("IDK"), QStringLiteral("ID")},
                           {QStringLiteral("KKOD"), QStringLiteral("Kód")}});
    lay->addWidget(buddyLabel(QStringLiteral("Kiszállitottak listája "), m_list));
    lay->addWidget(m_list, 1);
    m_navigator = makeListNavigator(this, QStringLiteral("DBNavigator1"), &Data->DS21);
    lay->addWidget(m_navigator, 0, Qt::AlignLeft);

    // Tab order: the five fields, the button panel, the pickers, the code fields, the list and its
    // navigator, the increment box. The panels take no focus and the navigator is its buttons:
    // chaining those containers themselves would pull the navigator and the box out of place.
    QWidget* order[] = {m_dispatchDate,
                        m_category,
                        m_earTag,
                        m_certificateOut,
                        m_certificateIn,
                        m_newButton,
                        m_okButton,
                        m_cancelButton,
                        m_chooseCarrierButton,
                        m_chooseBuyerButton,
                        m_departureId,
                        m_carrierCode,
                        m_buyerCode,
                        m_list,
                        m_navigator->button(DBNavigator::First),
                        m_navigator->button(DBNavigator::Prior),
                        m_navigator->button(DBNavigator::Next),
                        m_navigator->button(DBNavigator::Last),
                        m_incrementEarTag};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    connect(m_chooseCarrierButton, &QPushButton::clicked, this, &OutgoingEntryDialog::chooseCarrier);
    connect(m_chooseBuyerButton, &QPushButton::clicked, this, &OutgoingEntryDialog::chooseBuyer);
    connect(m_newButton, &QPushButton::clicked, this, &OutgoingEntryDialog::prepareNextEarTag);
    connect(m_okButton, &QPushButton::clicked, this, &OutgoingEntryDialog::saveDeparture);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::close);
    // The user cannot get past the ear tag until it holds one that has arrived.
    input::onExitCheck(m_earTag, [this] { return checkEarTagArrived(); });
    input::onDoubleClick(m_earTag, [this] { pickEarTag(); });
    input::onDoubleClick(m_category, [this] { toggleCategory(); });

    fixAndCentre(this, QSize(1000, 640));

    setStatement(Data->ZQ21, {QStringLiteral("SELECT kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk"),
                              QStringLiteral("FROM kiszall"), QStringLiteral("ORDER BY IDk")});
    Data->ZQ21.open();
    Data->ZQ21.last();

    m_dispatchDate->setFocus();
    input::enterAsTab(this);
}

bool OutgoingEntryDialog::loadForChange()
{
    try {
        setWindowTitle(entryCaption(EntrySubject::Departure, m_mode));
        const Dataset& row = Data->ZQ22;
        m_departureId->setText(row.fieldText(QStringLiteral("IDk")));
        m_carrierCode->setText(row.fieldText(QStringLiteral("kskod")));
        m_buyerCode->setText(row.fieldText(QStringLiteral("kfkod")));
        m_earTag->setText(row.fieldText(QStringLiteral("kfulszam")));
        m_dispatchDate->setText(row.fieldText(QStringLiteral("kikelt")));
        m_certificateIn->setText(row.fieldText(QStringLiteral("keubizbe")));
        m_category->setText(row.fieldText(QStringLiteral("khkat")));
        m_certificateOut->setText(row.fieldText(QStringLiteral("keubizki")));
        handOver().carrierCode = row.fieldText(QStringLiteral("skod"));
        handOver().partnerCode = row.fieldText(QStringLiteral("fkod"));
        handOver().outgoingId = row.fieldText(QStringLiteral("IDk"));

        Data->session().carriers().openOn(handOver().carrierCode);
        Data->session().partners().openOn(handOver().partnerCode);

        setStatement(Data->ZQ21,
                     {QStringLiteral("SELECT kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk, kKod"),
                      QStringLiteral("FROM kiszall"), QStringLiteral("ORDER BY IDk")});
        Data->ZQ21.open();
        Data->ZQ21.last();
        Data->ZQ21.locate(QStringLiteral("IDk"), handOver().outgoingId);

        m_incrementEarTag->setEnabled(false);
        return true;
    } catch (const std::exception&) {
        platform::showMessage(this, QStringLiteral("Hiba111 a fülszám módosítás Edit-ben való megjelenitésekor!"));
        close();
        return false;
    }
}

void OutgoingEntryDialog::chooseCarrier() { m_carrierCode->setText(pickCarrier(Data->session(), this)); }

void OutgoingEntryDialog::chooseBuyer() { m_buyerCode->setText(pickSender(Data->session(), this)); }

qint64 OutgoingEntryDialog::arrivalCount(const QString& earTag)
{
    Dataset& q = Data->ZQ13;
    setStatement(q, {QStringLiteral("SELECT bfulszam,  COUNT(bFulszam) AS db"), QStringLiteral("FROM beszall"),
                     QStringLiteral("WHERE bfulszam = :p1"), QStringLiteral("GROUP BY bfulszam")});
    q.setParamText(QStringLiteral("p1"), earTag);
    q.open();
    return q.isEmpty() ? 0 : q.fieldInt(QStringLiteral("db"));
}

bool OutgoingEntryDialog::alreadyDispatched(const QString& earTag)
{
    Dataset& q = Data->ZQ23;
    qint64 count = domain::departureCount(q, earTag);
    if (m_mode == EntryMode::Change && count > 0) {
        // The row being changed keeps its own ear tag: it does not count as already dispatched.
        setStatement(q, {QStringLiteral("SELECT count(Kfulszam) as db"), QStringLiteral("FROM kiszall"),
                         QStringLiteral("WHERE Kfulszam = :p1 AND IDk = :p0")});
        q.setParamText(QStringLiteral("p1"), earTag);
        q.setParamText(QStringLiteral("p0"), m_departureId->text());
        q.open();
        count -= q.fieldInt(QStringLiteral("db"));
    }
    return count != 0;
}

bool OutgoingEntryDialog::checkEarTagArrived()
{
    try {
        if (arrivalCount(m_earTag->text()) == 0)
            return validation::refuse(this, kNotArrived, m_earTag);
        Dataset& q = Data->ZQ13;
        setStatement(q, {QStringLiteral("SELECT bfulszam, beubiz"), QStringLiteral("FROM beszall"),
                         QStringLiteral("WHERE bfulszam = :p1")});
        q.setParamText(QStringLiteral("p1"), m_earTag->text());
        q.open();
        m_certificateIn->setText(q.fieldText(QStringLiteral("beubiz")));
        return true;
    } catch (const std::exception& e) {
        // Unchecked is not arrived: the user stays in the field.
        platform::showError(this, e);
        m_earTag->setFocus();
        return false;
    }
}

void OutgoingEntryDialog::pickEarTag()
{
    handOver().earTagBeginning = m_earTag->text();
    try {
        EarTagPickListDialog pickList(this);
        platform::showModal(&pickList);
        if (const auto picked = pickList.pickedEarTag())
            m_earTag->setText(*picked);
    } catch (const std::exception& e) {
        platform::showError(this, e);
    }
}

void OutgoingEntryDialog::toggleCategory() { m_category->setText(domain::nextCategory(m_category->text())); }

bool OutgoingEntryDialog::validate()
{
    using validation::refuse;
    if (!validation::requireFilled(this,
                                   {{m_carrierCode, QStringLiteral("Nincs megadva a szállító!"), m_chooseCarrierButton},
                                    {m_buyerCode, QStringLiteral("Nincs megadva a vevö!"), m_chooseBuyerButton},
                                    {m_earTag, QStringLiteral("Nincs megadva a fülszám!")},
                                    {m_dispatchDate, QStringLiteral("Nincs megadva a kiszállitás kelte!")}}))
        return false;
    if (!convert::textToDate(m_dispatchDate->text()))
        return refuse(this, QStringLiteral("A dátum formátuma nem megfelelő!"), m_dispatchDate);
    if (m_dispatchDate->text() < QStringLiteral("2010.01.01"))
        return refuse(this, QStringLiteral("Kiszállitás kelte kisebb mint 2010.01.01 -nél!"), m_dispatchDate);
    if (!validation::requireFilled(
            this, {{m_certificateIn, QStringLiteral("Nincs megadva a eü. bizonyitvány ((be) száma!")},
                   {m_category, QStringLiteral("Nincs megadva a hasznositási kategória!")},
                   {m_certificateOut, QStringLiteral("Nincs megadva az eü. bizonyitvány (ki) száma!")}}))
        return false;
    if (arrivalCount(m_earTag->text()) == 0)
        return refuse(this, kNotArrived, m_earTag);
    if (alreadyDispatched(m_earTag->text()))
        return refuse(this, QStringLiteral("Ilyen fülszám van a kiszállitottak között!"), m_earTag);
    return true;
}

void OutgoingEntryDialog::saveDeparture()
{
    try {
        if (!validate())
            return;
    } catch (const std::exception& e) {
        platform::showError(this, e);
        return;
    }
    save();
}

void OutgoingEntryDialog::save()
{
    const bool change = m_mode == EntryMode::Change;
    try {
        if (!Data->IBTrans1.inTransaction())
            Data->IBTrans1.startTransaction();
        try {
            Dataset& q = Data->ZQ21;
            if (change) {
                setStatement(q, {QStringLiteral("UPDATE kiszall"), QStringLiteral("SET  kskod    = :p1,"),
                                 QStringLiteral("     kfkod    = :p2,"), QStringLiteral("     kfulszam = :p3,"),
                                 QStringLiteral("     kikelt   = :p4,"), QStringLiteral("     keubizbe = :p5,"),
                                 QStringLiteral("     khkat    = :p6,"), QStringLiteral("     keubizki = :p7"),
                                 QStringLiteral("WHERE IDk      = :p0")});
                q.setParamText(QStringLiteral("p0"), m_departureId->text());
            } else {
                setStatement(
                    q,
                    {QStringLiteral("INSERT INTO kiszall (kskod, kfkod, kfulszam, kikelt, keubizbe, khkat, keubizki )"),
                     QStringLiteral("VALUES        (   :p1,   :p2,      :p3,     :p4,      :p5,   :p6,      :p7 )")});
            }
            validation::bindText(q, QStringLiteral("p1"), m_carrierCode);
            validation::bindText(q, QStringLiteral("p2"), m_buyerCode);
            validation::bindText(q, QStringLiteral("p3"), m_earTag);
            q.setParamDateText(QStringLiteral("p4"), m_dispatchDate->text());
            validation::bindText(q, QStringLiteral("p5"), m_certificateIn);
            validation::bindText(q, QStringLiteral("p6"), m_category);
            validation::bindText(q, QStringLiteral("p7"), m_certificateOut);
            q.execSql();
            handOver().carrierCode = m_carrierCode->text();
            handOver().partnerCode = m_buyerCode->text();
            Data->IBTrans1.commit();
        } catch (const std::exception& e) {
            const bool refused = validation::sayUnstorableText(this, e);
            if (!refused)
                platform::showMessage(this, change ? QStringLiteral("Hiba113: Módositás, Update a kiszállításban ")
                                                   : QStringLiteral("Hiba112: Újban, INSERT a kiszallitásban "));
            if (Data->IBTrans1.inTransaction())
                Data->IBTrans1.rollback();
            if (refused) {
                // Nothing was written: the list again, and the screen ready for the mended field.
                try {
                    rebuildList();
                } catch (const std::exception& e) {
                    platform::showError(this, e);
                }
                return;
            }
        }
    } catch (const std::exception&) {
        platform::showMessage(this, QStringLiteral("Hiba114: az insert vagy update közben a kiszállításban!"));
        return;
    }
    try {
        rebuildList();
    } catch (const std::exception& e) {
        platform::showError(this, e);
    }
    m_newButton->setEnabled(true);
    m_okButton->setEnabled(false);
}

void OutgoingEntryDialog::rebuildList()
{
    Dataset& q = Data->ZQ21;
    setStatement(q, {QStringLiteral("SELECT kfulszam, kikelt, khkat, keubizki, keubizbe, kskod, kfkod, IDk, kkod"),
                     QStringLiteral("FROM kiszall"), QStringLiteral("ORDER BY IDk")});
    q.open();
    if (!handOver().outgoingId.isEmpty())
        q.locate(QStringLiteral("IDk"), handOver().outgoingId);
}

void OutgoingEntryDialog::prepareNextEarTag()
{
    m_newButton->setEnabled(false);
    m_okButton->setEnabled(true);
    if (!m_incrementEarTag->isChecked())
        return;
    const std::optional<qint32> tag = convert::textToInt32(m_earTag->text());
    // The increment works within the signed 32-bit range and its result must stay there too:
    // 2147483647 gets the same answer as a number beyond the range instead of wrapping round to a
    // negative ear tag.
    if (!tag || *tag == std::numeric_limits<qint32>::max()) {
        platform::showMessage(this, QStringLiteral("A fülszám nem csak számot tartalmaz!"));
        m_earTag->clear();
        return;
    }
    m_earTag->setText(QString::number(*tag + 1));
}
