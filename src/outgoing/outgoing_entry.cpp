#include "outgoing/outgoing_entry.h"

#include "core/convert.h"
#include "core/domain.h"
#include "masterdata/panels.h"
#include "masterdata/pickers.h"
#include "outgoing/eartag_picklist.h"
#include "storage/session.h"
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
}  // namespace

OutgoingEntryDialog::OutgoingEntryDialog(Session& session, EntryMode mode, QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_mode(mode),
      m_rows(session.database(), QStringLiteral("outgoingEntryRows")),
      m_rowsSource(m_rows, QStringLiteral("outgoingEntrySource"))
{
    setObjectName(QStringLiteral("outgoingEntryDialog"));
    setWindowTitle(entryCaption(EntrySubject::Departure, EntryMode::New));

    auto* lay = new QVBoxLayout(this);

    // Panels and pickers.
    auto* top = new QHBoxLayout;
    m_carrierPanel = masterdata::carrierPanel(this, QStringLiteral("carrierPanel"), &session.carriers().listSource());
    m_buyerPanel = masterdata::buyerPanel(this, QStringLiteral("buyerPanel"), &session.partners().listSource());
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
    m_chooseCarrierButton = makeButton(this, QStringLiteral("chooseCarrierButton"), QStringLiteral("Szállító"));
    m_chooseBuyerButton = makeButton(this, QStringLiteral("chooseBuyerButton"), QStringLiteral("Vevö"));
    m_departureId = field("departureIdEdit", QStringLiteral("IDk"), 0, 0);
    m_carrierCode = field("carrierCodeEdit", QStringLiteral("Száll.kód"), 0, 1);
    m_buyerCode = field("buyerCodeEdit", QStringLiteral("Vevö kód"), 0, 2);
    fields->addWidget(m_chooseCarrierButton, 1, 3);
    fields->addWidget(m_chooseBuyerButton, 1, 4);
    m_dispatchDate = field("dispatchDateEdit", QStringLiteral("Kiszállitás kelte"), 1, 0);
    m_category = field("categoryEdit", QStringLiteral("Hasznositási kategória"), 1, 1);
    m_earTag = field("earTagEdit", QStringLiteral("Fülszám"), 1, 2);
    m_certificateOut = field("certificateOutEdit", QStringLiteral("Eü. bizonyitvány ki"), 1, 3);
    m_certificateIn = field("certificateInEdit", QStringLiteral("Eü. bizonyitvány be"), 1, 4);
    m_pickListHint = new QLabel(QStringLiteral("Dupla klikkre megnyilik a ki nem szállitott fülszámok listája."), this);
    m_pickListHint->setObjectName(QStringLiteral("pickListHintLabel"));
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
    panel->setObjectName(QStringLiteral("buttonPanel"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(panel);
    m_newButton = makeButton(panel, QStringLiteral("newButton"), QStringLiteral("Új"));
    m_okButton = makeButton(panel, QStringLiteral("okButton"), QStringLiteral("OK"));
    m_cancelButton = makeButton(panel, QStringLiteral("cancelButton"), QStringLiteral("Mégsem"));
    for (QPushButton* b : {m_newButton, m_okButton, m_cancelButton})
        row->addWidget(b);
    row->addStretch(1);
    m_incrementEarTag = new QCheckBox(QStringLiteral("fülszám növelése"), this);
    m_incrementEarTag->setObjectName(QStringLiteral("incrementEarTagCheckBox"));
    auto* panelRow = new QHBoxLayout;
    panelRow->addWidget(panel, 1);
    panelRow->addWidget(m_incrementEarTag);
    lay->addLayout(panelRow);
    m_newButton->setEnabled(false);
    input::markLeavesForm(m_cancelButton);

    m_list = makeListGrid(this, QStringLiteral("departuresGrid"), &m_rowsSource,
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
    m_navigator = makeListNavigator(this, QStringLiteral("departuresNavigator"), &m_rowsSource);
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

    m_session.departures().openEntryList(m_rows, false);
    m_rows.last();

    m_dispatchDate->setFocus();
    input::enterAsTab(this);
}

bool OutgoingEntryDialog::loadForChange(const ListedDeparture& departure)
{
    try {
        setWindowTitle(entryCaption(EntrySubject::Departure, m_mode));
        m_departureId->setText(departure.id);
        m_carrierCode->setText(departure.carrierCode);
        m_buyerCode->setText(departure.buyerCode);
        m_earTag->setText(departure.earTag);
        m_dispatchDate->setText(departure.dispatchDate);
        m_certificateIn->setText(departure.certificateIn);
        m_category->setText(departure.category);
        m_certificateOut->setText(departure.certificateOut);
        HandOver& handOver = m_session.handOver();
        handOver.carrierCode = departure.carrierRowCode;
        handOver.partnerCode = departure.buyerRowCode;
        handOver.outgoingId = departure.id;

        m_session.carriers().openOn(handOver.carrierCode);
        m_session.partners().openOn(handOver.partnerCode);

        m_session.departures().openEntryList(m_rows, true);
        m_rows.last();
        m_rows.locate(QStringLiteral("IDk"), handOver.outgoingId);

        m_incrementEarTag->setEnabled(false);
        return true;
    } catch (const std::exception&) {
        platform::showMessage(this, QStringLiteral("Hiba111 a fülszám módosítás Edit-ben való megjelenitésekor!"));
        close();
        return false;
    }
}

void OutgoingEntryDialog::chooseCarrier() { m_carrierCode->setText(pickCarrier(m_session, this)); }

void OutgoingEntryDialog::chooseBuyer() { m_buyerCode->setText(pickSender(m_session, this)); }

bool OutgoingEntryDialog::alreadyDispatched(const QString& earTag)
{
    Departures& departures = m_session.departures();
    qint64 count = departures.countForEarTag(earTag);
    if (m_mode == EntryMode::Change && count > 0) {
        // The row being changed keeps its own ear tag: it does not count as already dispatched.
        count -= departures.countForEarTagInDeparture(earTag, m_departureId->text());
    }
    return count != 0;
}

bool OutgoingEntryDialog::checkEarTagArrived()
{
    try {
        Arrivals& arrivals = m_session.arrivals();
        if (arrivals.countForEarTag(m_earTag->text()) == 0)
            return validation::refuse(this, kNotArrived, m_earTag);
        m_certificateIn->setText(arrivals.certificateOf(m_earTag->text()));
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
    try {
        // What was typed so far: the list starts on the first ear tag that begins with it.
        EarTagPickListDialog pickList(m_session, m_earTag->text(), this);
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
    if (m_session.arrivals().countForEarTag(m_earTag->text()) == 0)
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
    SharedTransaction& transaction = m_session.transaction();
    try {
        if (!transaction.inTransaction())
            transaction.startTransaction();
        try {
            // The list goes before the write and is read again after the save. Its closing takes
            // part in the transaction rules (a list that started the transaction ends it when it
            // closes with nothing else open), so it closes at the moment it always has.
            m_rows.close();
            validation::requireStorable(
                {m_carrierCode, m_buyerCode, m_earTag, m_certificateIn, m_category, m_certificateOut});
            const Departure departure{m_carrierCode->text(),
                                      m_buyerCode->text(),
                                      m_earTag->text(),
                                      convert::textToDate(m_dispatchDate->text()).value_or(QDate()),
                                      m_certificateIn->text(),
                                      m_category->text(),
                                      m_certificateOut->text()};
            if (change)
                m_session.departures().update(m_departureId->text(), departure);
            else
                m_session.departures().insert(departure);
            m_session.handOver().carrierCode = m_carrierCode->text();
            m_session.handOver().partnerCode = m_buyerCode->text();
            transaction.commit();
        } catch (const std::exception& e) {
            const bool refused = validation::sayUnstorableText(this, e);
            if (!refused)
                platform::showMessage(this, change ? QStringLiteral("Hiba113: Módositás, Update a kiszállításban ")
                                                   : QStringLiteral("Hiba112: Újban, INSERT a kiszallitásban "));
            if (transaction.inTransaction())
                transaction.rollback();
            if (refused) {
                // Nothing was written: the list again, and the screen ready for the mended field.
                try {
                    rebuildList();
                } catch (const std::exception& rebuildError) {
                    platform::showError(this, rebuildError);
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
    m_session.departures().openEntryList(m_rows, true);
    const QString& remembered = m_session.handOver().outgoingId;
    if (!remembered.isEmpty())
        m_rows.locate(QStringLiteral("IDk"), remembered);
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
