#include "incoming/incoming_entry.h"

#include "core/convert.h"
#include "storage/session.h"
#include "storage/shared_datasets.h"
#include "core/domain.h"
#include "core/handover.h"
#include "masterdata/panels.h"
#include "masterdata/pickers.h"
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

namespace {

// The code shown in a register panel. A commit made meanwhile (a register saved from a picker)
// closes the panel's list: then no code is shown, and writing an empty one would cut the arrival
// off its carrier or sender, so the change fails instead.
QString shownCode(const Dataset& list, const QString& field)
{
    if (!list.active() || list.recNo() < 0)
        throw fb::Error(QStringLiteral("A(z) %1 listában nincs kiválasztott sor.").arg(list.name()));
    return list.fieldText(field);
}

}  // namespace

IncomingEntryDialog::IncomingEntryDialog(EntryMode mode, QWidget* parent) : QDialog(parent), m_mode(mode)
{
    setObjectName(QStringLiteral("Form9"));
    setWindowTitle(entryCaption(EntrySubject::Arrival, EntryMode::New));
    buildLayout();

    connect(m_chooseCarrierButton, &QPushButton::clicked, this, &IncomingEntryDialog::chooseCarrier);
    connect(m_chooseSenderButton, &QPushButton::clicked, this, &IncomingEntryDialog::chooseSender);
    connect(m_newButton, &QPushButton::clicked, this, &IncomingEntryDialog::prepareNextEarTag);
    connect(m_okButton, &QPushButton::clicked, this, &IncomingEntryDialog::saveArrival);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::close);

    input::dateCharacters(m_arrivalDate);
    input::dateCharacters(m_purchaseDate);
    input::digitsOnly(m_earTag);
    input::onExit(m_arrivalDate, [this] { copyArrivalDateToPurchaseDate(); });
    input::onDoubleClick(m_category, [this] { toggleCategory(); });
    input::markLeavesForm(m_cancelButton);

    // The list of everything entered so far, ending on the newest arrival.
    openList(false);
    Data->ZQ11.last();

    input::enterAsTab(this);
}

void IncomingEntryDialog::buildLayout()
{
    int textNumber = 1;
    m_carrierPanel = masterdata::carrierPanel(this, QStringLiteral("GroupBox1"), &Data->DS30, &textNumber);
    m_senderPanel = masterdata::senderPanel(this, QStringLiteral("GroupBox2"), &Data->DS40, &textNumber);
    m_chooseCarrierButton = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Szállító"));
    m_chooseSenderButton = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Feladó"));

    auto* fields = new QGridLayout;
    auto field = [this, fields](const QString& name, const QString& caption) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        const int row = fields->rowCount();
        fields->addWidget(buddyLabel(caption, edit), row, 0);
        fields->addWidget(edit, row, 1);
        return edit;
    };
    m_arrivalId = field(QStringLiteral("Edit1"), QStringLiteral("IDb"));
    m_carrierCode = field(QStringLiteral("Edit2"), QStringLiteral("Száll.kód"));
    m_senderCode = field(QStringLiteral("Edit3"), QStringLiteral("Feladó kód"));
    m_arrivalDate = field(QStringLiteral("Edit5"), QStringLiteral("Beérkezés kelte"));
    m_purchaseDate = field(QStringLiteral("Edit6"), QStringLiteral("Megvásárlás kelte"));
    m_category = field(QStringLiteral("Edit7"), QStringLiteral("Hasznositási kategória"));
    m_earTag = field(QStringLiteral("Edit4"), QStringLiteral("Fülszám"));
    m_certificate = field(QStringLiteral("Edit8"), QStringLiteral("Eü. bizonyitvány"));
    for (QLineEdit* e : {m_arrivalId, m_carrierCode, m_senderCode})
        makeShownOnly(e, FieldShade::Silver);
    m_category->setText(domain::kDefaultCategory);
    m_category->setToolTip(QStringLiteral("Dupla klikkre kategória váltása"));

    m_incrementEarTag = new QCheckBox(QStringLiteral("fülszám növelése"), this);
    m_incrementEarTag->setObjectName(QStringLiteral("CheckBox1"));
    m_incrementEarTag->setChecked(true);
    m_alsoDeparting = new QCheckBox(QStringLiteral("Kiszállitáshoz beirva"), this);
    m_alsoDeparting->setObjectName(QStringLiteral("CheckBox2"));
    m_alsoDeparting->setChecked(false);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto* panelRow = new QHBoxLayout(panel);
    m_newButton = makeButton(panel, QStringLiteral("Button3"), QStringLiteral("Új"));
    m_newButton->setEnabled(false);
    m_okButton = makeButton(panel, QStringLiteral("Button5"), QStringLiteral("OK"));
    m_cancelButton = makeButton(panel, QStringLiteral("Button6"), QStringLiteral("Mégsem"));
    panelRow->addWidget(m_newButton);
    panelRow->addWidget(m_okButton);
    panelRow->addWidget(m_cancelButton);

    m_list = makeListGrid(this, QStringLiteral("DBGrid1"), &Data->DS11,
                          {{QStringLiteral("BFULSZAM"), QStringLiteral("Fülszám")},
                           {QStringLiteral("BSZKELT"), QStringLiteral("Beérkezés")},
                           {QStringLiteral("BVKELT"), QStringLiteral("Megvásárlás")},
                           {QStringLiteral("BHKAT"), QStringLiteral("Haszn.kat.")},
                           {QStringLiteral("BEUBIZ"), QStringLiteral("Eü. biz.száma")},
                           {QStringLiteral("BSKOD"), QStringLiteral("Szállítókód")},
                           {QStringLiteral("BFKOD"), QStringLiteral("Feladókód")},
                           {QStringLiteral("IDB"), QStringLiteral("ID")},
                           {QStringLiteral("BKOD"), QStringLiteral("Kód")}});
    QLabel* listLabel = buddyLabel(QStringLiteral("Beszállított lista "), m_list);
    m_navigator = makeListNavigator(this, QStringLiteral("DBNavigator1"), &Data->DS11);

    // Layout: the two panels with their picker buttons on top, the fields and options beside the
    // button panel, the list below.
    auto* root = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* carrierColumn = new QVBoxLayout;
    carrierColumn->addWidget(m_carrierPanel);
    carrierColumn->addWidget(m_chooseCarrierButton, 0, Qt::AlignLeft);
    auto* senderColumn = new QVBoxLayout;
    senderColumn->addWidget(m_senderPanel);
    senderColumn->addWidget(m_chooseSenderButton, 0, Qt::AlignLeft);
    top->addLayout(carrierColumn, 1);
    top->addLayout(senderColumn, 1);
    root->addLayout(top);
    auto* middle = new QHBoxLayout;
    middle->addLayout(fields, 1);
    auto* side = new QVBoxLayout;
    side->addWidget(panel);
    side->addWidget(m_incrementEarTag);
    side->addWidget(m_alsoDeparting);
    side->addStretch(1);
    middle->addLayout(side);
    root->addLayout(middle);
    root->addWidget(listLabel);
    root->addWidget(m_list, 1);
    root->addWidget(m_navigator, 0, Qt::AlignLeft);

    // Typing order: the five entry fields, the buttons, then the rest.
    QWidget* order[] = {m_arrivalDate,
                        m_purchaseDate,
                        m_category,
                        m_earTag,
                        m_certificate,
                        m_newButton,
                        m_okButton,
                        m_cancelButton,
                        m_chooseCarrierButton,
                        m_chooseSenderButton,
                        m_arrivalId,
                        m_carrierCode,
                        m_senderCode,
                        m_list};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    QWidget* previous = m_list;
    for (DBNavigator::Button b : {DBNavigator::First, DBNavigator::Prior, DBNavigator::Next, DBNavigator::Last}) {
        setTabOrder(previous, m_navigator->button(b));
        previous = m_navigator->button(b);
    }
    setTabOrder(previous, m_incrementEarTag);
    setTabOrder(m_incrementEarTag, m_alsoDeparting);

    fixAndCentre(this, QSize(760, 620));
}

void IncomingEntryDialog::openList(bool withCode)
{
    Dataset& q = Data->ZQ11;
    q.close();
    q.clearSql();
    q.addSql(withCode ? QStringLiteral("SELECT bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod, IDb, Bkod")
                      : QStringLiteral("SELECT bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod, IDb"));
    q.addSql(QStringLiteral("FROM beszall"));
    q.addSql(QStringLiteral("ORDER BY IDb"));
    q.open();
}

void IncomingEntryDialog::reopenRegisters()
{
    Data->session().carriers().openOn(handOver().carrierCode);
    Data->session().partners().openOn(handOver().partnerCode);
}

bool IncomingEntryDialog::loadForChange()
{
    setWindowTitle(entryCaption(EntrySubject::Arrival, m_mode));
    try {
        const Dataset& row = Data->ZQ12;
        m_arrivalId->setText(row.fieldText(QStringLiteral("IDb")));
        m_carrierCode->setText(row.fieldText(QStringLiteral("bskod")));
        m_senderCode->setText(row.fieldText(QStringLiteral("bfkod")));
        m_earTag->setText(row.fieldText(QStringLiteral("bfulszam")));
        m_arrivalDate->setText(row.fieldText(QStringLiteral("bszkelt")));
        m_purchaseDate->setText(row.fieldText(QStringLiteral("bvkelt")));
        m_category->setText(row.fieldText(QStringLiteral("bhkat")));
        m_certificate->setText(row.fieldText(QStringLiteral("beubiz")));
        handOver().carrierCode = row.fieldText(QStringLiteral("skod"));
        handOver().partnerCode = row.fieldText(QStringLiteral("fkod"));
        handOver().incomingId = row.fieldText(QStringLiteral("IDb"));

        reopenRegisters();
        openList(false);
        Data->ZQ11.locate(QStringLiteral("IDb"), handOver().incomingId);

        m_incrementEarTag->setEnabled(false);
        m_incrementEarTag->setChecked(false);
    } catch (const std::exception&) {
        platform::showMessage(this, QStringLiteral("Hiba91 a fülszám módosítás Edit-ben való megjelenitésekor!"));
        close();
        return false;
    }
    return true;
}

void IncomingEntryDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    try {
        prepareForEntry();
    } catch (const std::exception& e) {
        platform::showError(this, e);
    }
}

void IncomingEntryDialog::prepareForEntry()
{
    m_arrivalDate->setFocus();
    if (m_mode == EntryMode::New)
        return;
    m_incrementEarTag->hide();
    m_newButton->hide();
    // An animal that has already left keeps its ear tag: the departure row refers to it.
    if (domain::departureCount(Data->ZQ21, Data->ZQ12.fieldText(QStringLiteral("bfulszam"))) != 0) {
        makeShownOnly(m_earTag, FieldShade::Silver);
        m_alsoDeparting->hide();
    }
}

void IncomingEntryDialog::toggleCategory() { m_category->setText(domain::nextCategory(m_category->text())); }

void IncomingEntryDialog::copyArrivalDateToPurchaseDate() { m_purchaseDate->setText(m_arrivalDate->text()); }

void IncomingEntryDialog::chooseCarrier() { m_carrierCode->setText(pickCarrier(Data->session(), this)); }

void IncomingEntryDialog::chooseSender() { m_senderCode->setText(pickSender(Data->session(), this)); }

bool IncomingEntryDialog::validate()
{
    using validation::refuse;
    const QString badDate = QStringLiteral("A dátum formátuma nem megfelelő!");
    if (!validation::requireFilled(this,
                                   {{m_carrierCode, QStringLiteral("Nincs megadva a szállító!"), m_chooseCarrierButton},
                                    {m_senderCode, QStringLiteral("Nincs megadva a feladó!"), m_chooseSenderButton},
                                    {m_earTag, QStringLiteral("Nincs megadva a fülszám!")},
                                    {m_arrivalDate, QStringLiteral("Nincs megadva a beérkezés kelte!")}}))
        return false;
    if (!convert::textToDate(m_arrivalDate->text()))
        return refuse(this, badDate, m_arrivalDate);
    // Compared as text, as the site has always done: the arrival date may not precede 2010.
    if (m_arrivalDate->text().compare(QStringLiteral("2010.01.01"), Qt::CaseSensitive) < 0)
        return refuse(this, QStringLiteral("A megvásárlás kelte kisebb 2010.01.01 -nél!"), m_arrivalDate);
    if (convert::isBlank(m_purchaseDate->text()))
        return refuse(this, QStringLiteral("Nincs megadva a megvásárlás kelte!"), m_purchaseDate);
    if (!convert::textToDate(m_purchaseDate->text()))
        return refuse(this, badDate, m_purchaseDate);
    return validation::requireFilled(this,
                                     {{m_category, QStringLiteral("Nincs megadva a hasznositási kategória!")},
                                      {m_certificate, QStringLiteral("Nincs megadva az eü. bizonyitvány száma!")}});
}

bool IncomingEntryDialog::earTagIsFree()
{
    Dataset& q = Data->ZQ13;
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("SELECT IDb, Bfulszam, count(Bfulszam) as db"));
    q.addSql(QStringLiteral("FROM beszall"));
    q.addSql(QStringLiteral("WHERE Bfulszam = :p1"));
    q.addSql(QStringLiteral("GROUP BY Bfulszam, IDb"));
    q.setParamText(QStringLiteral("p1"), m_earTag->text());
    q.open();
    if (q.fieldInt(QStringLiteral("db")) == 0)
        return true;
    if (m_mode == EntryMode::New)
        return validation::refuse(this, QStringLiteral("Ilyen fülszám van a beszállitottak között - 1!"), m_earTag);
    // The result comes unordered; the lowest IDb stands for the ear tag, so a row whose tag
    // was already duplicated compares the same way every time.
    qint64 lowest = q.fieldInt(QStringLiteral("IDb"));
    for (int r = 1; q.moveTo(r); ++r)
        lowest = std::min(lowest, q.fieldInt(QStringLiteral("IDb")));
    const QString found = QString::number(lowest);
    if (found == m_arrivalId->text())
        return true;
    return validation::refuse(this,
                              QStringLiteral("Ilyen fülszám van a IDb = ") + found +
                                  QStringLiteral(". sorszám alatt a beszállitottak között!"),
                              m_earTag);
}

void IncomingEntryDialog::saveArrival()
{
    if (!validate() || !earTagIsFree())
        return;

    TransactionObject& tra = Data->IBTrans1;
    try {
        if (!tra.inTransaction())
            tra.startTransaction();
        const WriteResult written = writeArrival();
        if (written == WriteResult::TextRefused || (written == WriteResult::Failed && m_mode == EntryMode::New)) {
            // The animal was not stored: no departure may be written for it, and the screen stays
            // ready on the same ear tag, so "Új" cannot step past an ear tag that never arrived.
            showListAgain();
            return;
        }
        // Only a new arrival can leave at once.
        if (m_mode == EntryMode::New && m_alsoDeparting->isChecked() && !insertDeparture())
            return;
    } catch (const std::exception&) {
        platform::showMessage(this, QStringLiteral("Hiba095: az insert vagy update közben a beszállításban!"));
        return;
    }

    showListAgain();
    m_newButton->setEnabled(true);
    m_okButton->setEnabled(false);
}

void IncomingEntryDialog::showListAgain()
{
    // The commit or rollback closed every dataset: show the list again, now with the codes the
    // database gave.
    openList(true);
    Data->ZQ11.last();
    if (!handOver().incomingId.isEmpty())
        Data->ZQ11.locate(QStringLiteral("IDb"), handOver().incomingId);
}

IncomingEntryDialog::WriteResult IncomingEntryDialog::writeArrival()
{
    const bool change = m_mode == EntryMode::Change;
    TransactionObject& tra = Data->IBTrans1;
    Dataset& q = Data->ZQ11;
    try {
        q.close();
        q.clearSql();
        if (change) {
            q.addSql(QStringLiteral("UPDATE beszall"));
            q.addSql(QStringLiteral("SET  bskod    = :p1,"));
            q.addSql(QStringLiteral("bfkod    = :p2,"));
            q.addSql(QStringLiteral("bfulszam = :p3,"));
            q.addSql(QStringLiteral("bszkelt  = :p4,"));
            q.addSql(QStringLiteral("bvkelt   = :p5,"));
            q.addSql(QStringLiteral("bhkat    = :p6,"));
            q.addSql(QStringLiteral("beubiz   = :p7"));
            q.addSql(QStringLiteral("WHERE IDb      = :p0"));
            q.setParamText(QStringLiteral("p0"), m_arrivalId->text());
            // A change keeps the carrier and sender its panels show.
            q.setParamText(QStringLiteral("p1"), shownCode(Data->ZQ30, QStringLiteral("skod")));
            q.setParamText(QStringLiteral("p2"), shownCode(Data->ZQ40, QStringLiteral("fkod")));
        } else {
            q.addSql(QStringLiteral("INSERT INTO beszall (bskod, bfkod, bfulszam, bszkelt, bvkelt, bhkat, beubiz )"));
            q.addSql(QStringLiteral("VALUES        (   :p1,   :p2,      :p3,    :p4,    :p5,   :p6,    :p7  )"));
            validation::bindText(q, QStringLiteral("p1"), m_carrierCode);
            validation::bindText(q, QStringLiteral("p2"), m_senderCode);
        }
        validation::bindText(q, QStringLiteral("p3"), m_earTag);
        q.setParamDateText(QStringLiteral("p4"), m_arrivalDate->text());
        q.setParamDateText(QStringLiteral("p5"), m_purchaseDate->text());
        validation::bindText(q, QStringLiteral("p6"), m_category);
        validation::bindText(q, QStringLiteral("p7"), m_certificate);
        q.execSql();
        handOver().carrierCode = m_carrierCode->text();
        handOver().partnerCode = m_senderCode->text();
        tra.commit();
        return WriteResult::Written;
    } catch (const std::exception& e) {
        const bool refused = validation::sayUnstorableText(this, e);
        if (!refused)
            platform::showMessage(this, change ? QStringLiteral("Hiba094: Módositás, Update a beszállításban ")
                                               : QStringLiteral("Hiba092: Újban, INSERT a beszallitásban "));
        tra.rollback();
        return refused ? WriteResult::TextRefused : WriteResult::Failed;
    }
}

bool IncomingEntryDialog::insertDeparture()
{
    // The animal leaves at once: a departure row without carrier and buyer, to be completed later.
    TransactionObject& tra = Data->IBTrans1;
    try {
        if (!tra.inTransaction())
            tra.startTransaction();
        Dataset& k = Data->ZQ21;
        k.close();
        k.clearSql();
        k.addSql(QStringLiteral("INSERT INTO kiszall (kskod, kfkod, kfulszam, kikelt, keubizbe, khkat, keubizki )"));
        k.addSql(QStringLiteral("VALUES        (   :p1,   :p2,      :p3,    :p4,      :p5,   :p6,      :p7 )"));
        k.setParamText(QStringLiteral("p1"), QString());
        k.setParamText(QStringLiteral("p2"), QString());
        k.setParamText(QStringLiteral("p3"), m_earTag->text());
        k.setParamDateText(QStringLiteral("p4"), m_arrivalDate->text());
        k.setParamText(QStringLiteral("p5"), m_certificate->text());
        k.setParamText(QStringLiteral("p6"), m_category->text());
        k.setParamText(QStringLiteral("p7"), QString());
        k.execSql();
        tra.commit();
    } catch (const std::exception&) {
        tra.rollback();
        platform::showMessage(this, QStringLiteral("Hiba093: az insert a kiszállításban!"));
        return false;
    }
    return true;
}

void IncomingEntryDialog::prepareNextEarTag()
{
    m_newButton->setEnabled(false);
    m_okButton->setEnabled(true);
    if (m_incrementEarTag->isChecked()) {
        // Digit strings of any length are incremented exactly; a 20-digit tag stays a tag.
        if (const auto next = convert::earTagPlusOne(m_earTag->text())) {
            m_earTag->setText(*next);
        } else {
            platform::showMessage(this, QStringLiteral("A fülszám nem csak számot tartalmaz!"));
            m_earTag->clear();
        }
    }
    reopenRegisters();
    openList(false);
    // No row has an empty IDb: with nothing remembered the first row stays current, and the
    // search through every arrival can be spared.
    if (!handOver().incomingId.isEmpty())
        Data->ZQ11.locate(QStringLiteral("IDb"), handOver().incomingId);
}
