#include "incoming/incoming_entry.h"

#include "core/convert.h"
#include "core/domain.h"
#include "core/handover.h"
#include "db/error.h"
#include "storage/session.h"
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

// The date typed in a field; text that is no date raises, as binding it to a write always did.
QDate typedDate(const QLineEdit* field)
{
    const auto date = convert::textToDate(field->text());
    if (!date)
        throw fb::Error(fb::invalidDateMessage(field->text(), {}));
    return *date;
}

}  // namespace

IncomingEntryDialog::IncomingEntryDialog(Session& session, EntryMode mode, QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_mode(mode),
      m_rows(session.database(), QStringLiteral("enteredArrivals")),
      m_rowsSource(m_rows, QStringLiteral("enteredArrivalsSource"))
{
    setObjectName(QStringLiteral("incomingEntryDialog"));
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
    m_rows.last();

    input::enterAsTab(this);
}

void IncomingEntryDialog::buildLayout()
{
    m_carrierPanel = masterdata::carrierPanel(this, QStringLiteral("carrierPanel"), &m_session.carriers().listSource());
    m_senderPanel = masterdata::senderPanel(this, QStringLiteral("senderPanel"), &m_session.partners().listSource());
    m_chooseCarrierButton = makeButton(this, QStringLiteral("chooseCarrierButton"), QStringLiteral("Szállító"));
    m_chooseSenderButton = makeButton(this, QStringLiteral("chooseSenderButton"), QStringLiteral("Feladó"));

    auto* fields = new QGridLayout;
    auto field = [this, fields](const QString& name, const QString& caption) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        const int row = fields->rowCount();
        fields->addWidget(buddyLabel(caption, edit), row, 0);
        fields->addWidget(edit, row, 1);
        return edit;
    };
    m_arrivalId = field(QStringLiteral("arrivalIdEdit"), QStringLiteral("IDb"));
    m_carrierCode = field(QStringLiteral("carrierCodeEdit"), QStringLiteral("Száll.kód"));
    m_senderCode = field(QStringLiteral("senderCodeEdit"), QStringLiteral("Feladó kód"));
    m_arrivalDate = field(QStringLiteral("arrivalDateEdit"), QStringLiteral("Beérkezés kelte"));
    m_purchaseDate = field(QStringLiteral("purchaseDateEdit"), QStringLiteral("Megvásárlás kelte"));
    m_category = field(QStringLiteral("categoryEdit"), QStringLiteral("Hasznositási kategória"));
    m_earTag = field(QStringLiteral("earTagEdit"), QStringLiteral("Fülszám"));
    m_certificate = field(QStringLiteral("certificateEdit"), QStringLiteral("Eü. bizonyitvány"));
    for (QLineEdit* e : {m_arrivalId, m_carrierCode, m_senderCode})
        makeShownOnly(e, FieldShade::Silver);
    m_category->setText(domain::kDefaultCategory);
    m_category->setToolTip(QStringLiteral("Dupla klikkre kategória váltása"));

    m_incrementEarTag = new QCheckBox(QStringLiteral("fülszám növelése"), this);
    m_incrementEarTag->setObjectName(QStringLiteral("incrementEarTagCheckBox"));
    m_incrementEarTag->setChecked(true);
    m_alsoDeparting = new QCheckBox(QStringLiteral("Kiszállitáshoz beirva"), this);
    m_alsoDeparting->setObjectName(QStringLiteral("alsoDepartingCheckBox"));
    m_alsoDeparting->setChecked(false);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("buttonPanel"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto* panelRow = new QHBoxLayout(panel);
    m_newButton = makeButton(panel, QStringLiteral("newButton"), QStringLiteral("Új"));
    m_newButton->setEnabled(false);
    m_okButton = makeButton(panel, QStringLiteral("okButton"), QStringLiteral("OK"));
    m_cancelButton = makeButton(panel, QStringLiteral("cancelButton"), QStringLiteral("Mégsem"));
    panelRow->addWidget(m_newButton);
    panelRow->addWidget(m_okButton);
    panelRow->addWidget(m_cancelButton);

    m_list = makeListGrid(this, QStringLiteral("arrivalsGrid"), &m_rowsSource,
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
    m_navigator = makeListNavigator(this, QStringLiteral("arrivalsNavigator"), &m_rowsSource);

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

void IncomingEntryDialog::openList(bool withCode) { m_session.arrivals().openEntryList(m_rows, withCode); }

void IncomingEntryDialog::reopenRegisters()
{
    m_session.carriers().openOn(m_session.handOver().carrierCode);
    m_session.partners().openOn(m_session.handOver().partnerCode);
}

bool IncomingEntryDialog::loadForChange(const ListedArrival& arrival)
{
    setWindowTitle(entryCaption(EntrySubject::Arrival, m_mode));
    try {
        HandOver& handOver = m_session.handOver();
        m_arrivalId->setText(arrival.id);
        m_carrierCode->setText(arrival.carrierCode);
        m_senderCode->setText(arrival.senderCode);
        m_earTag->setText(arrival.earTag);
        m_arrivalDate->setText(arrival.arrivalDate);
        m_purchaseDate->setText(arrival.purchaseDate);
        m_category->setText(arrival.category);
        m_certificate->setText(arrival.certificate);
        m_listedEarTag = arrival.earTag;
        handOver.carrierCode = arrival.registeredCarrierCode;
        handOver.partnerCode = arrival.registeredSenderCode;
        handOver.incomingId = arrival.id;

        reopenRegisters();
        openList(false);
        m_rows.locate(QStringLiteral("IDb"), handOver.incomingId);

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
    if (m_session.departures().countForEarTag(m_listedEarTag) != 0) {
        makeShownOnly(m_earTag, FieldShade::Silver);
        m_alsoDeparting->hide();
    }
}

void IncomingEntryDialog::toggleCategory() { m_category->setText(domain::nextCategory(m_category->text())); }

void IncomingEntryDialog::copyArrivalDateToPurchaseDate() { m_purchaseDate->setText(m_arrivalDate->text()); }

void IncomingEntryDialog::chooseCarrier() { m_carrierCode->setText(pickCarrier(m_session, this)); }

void IncomingEntryDialog::chooseSender() { m_senderCode->setText(pickSender(m_session, this)); }

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
    const std::optional<qint64> lowest = m_session.arrivals().lowestIdWithEarTag(m_earTag->text());
    if (!lowest)
        return true;
    if (m_mode == EntryMode::New)
        return validation::refuse(this, QStringLiteral("Ilyen fülszám van a beszállitottak között - 1!"), m_earTag);
    // The lowest IDb stands for the ear tag, so a row whose tag was already duplicated compares
    // the same way every time.
    const QString found = QString::number(*lowest);
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

    SharedTransaction& tra = m_session.transaction();
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
    m_rows.last();
    if (!m_session.handOver().incomingId.isEmpty())
        m_rows.locate(QStringLiteral("IDb"), m_session.handOver().incomingId);
}

IncomingEntryDialog::WriteResult IncomingEntryDialog::writeArrival()
{
    const bool change = m_mode == EntryMode::Change;
    SharedTransaction& tra = m_session.transaction();
    try {
        // The list closes before the write, as it always has: which datasets are open decides
        // whether a closing or a statement ends the transaction on its own.
        m_rows.close();
        Arrival arrival;
        if (change) {
            // A change keeps the carrier and sender its panels show.
            arrival.carrierCode = shownCode(m_session.carriers().list(), m_session.carriers().codeField());
            arrival.senderCode = shownCode(m_session.partners().list(), m_session.partners().codeField());
        } else {
            arrival.carrierCode = m_carrierCode->text();
            arrival.senderCode = m_senderCode->text();
        }
        arrival.earTag = m_earTag->text();
        arrival.arrivalDate = typedDate(m_arrivalDate);
        arrival.purchaseDate = typedDate(m_purchaseDate);
        arrival.category = m_category->text();
        arrival.certificate = m_certificate->text();
        // The typed texts are checked in the order the write stores them.
        if (change) {
            validation::requireStorable({m_earTag, m_category, m_certificate});
            m_session.arrivals().update(m_arrivalId->text(), arrival);
        } else {
            validation::requireStorable({m_carrierCode, m_senderCode, m_earTag, m_category, m_certificate});
            m_session.arrivals().insert(arrival);
        }
        m_session.handOver().carrierCode = m_carrierCode->text();
        m_session.handOver().partnerCode = m_senderCode->text();
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
    SharedTransaction& tra = m_session.transaction();
    try {
        if (!tra.inTransaction())
            tra.startTransaction();
        DepartureWithArrival departure;
        departure.earTag = m_earTag->text();
        departure.dispatchDate = typedDate(m_arrivalDate);
        departure.certificateIn = m_certificate->text();
        departure.category = m_category->text();
        m_session.departures().insertWithArrival(departure);
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
    if (!m_session.handOver().incomingId.isEmpty())
        m_rows.locate(QStringLiteral("IDb"), m_session.handOver().incomingId);
}
