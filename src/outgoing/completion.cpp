#include "outgoing/completion.h"

#include "core/domain.h"
#include "masterdata/panels.h"
#include "masterdata/pickers.h"
#include "storage/session.h"
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

OutgoingCompletionDialog::OutgoingCompletionDialog(Session& session, QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_rows(session.database(), QStringLiteral("incompleteDepartureRows")),
      m_rowsSource(m_rows, QStringLiteral("incompleteDepartureSource"))
{
    setObjectName(QStringLiteral("outgoingCompletionDialog"));
    setWindowTitle(QStringLiteral("Adatfeltöltés"));

    auto* lay = new QVBoxLayout(this);
    m_heading = new QLabel(QStringLiteral("A beszállitáskor már kiszállitásra megjelölt tételekhez vagy adatátvételi "
                                          "fülszámokhoz a többi adat megadása"),
                           this);
    m_heading->setObjectName(QStringLiteral("headingLabel"));
    lay->addWidget(m_heading);

    auto* top = new QHBoxLayout;
    m_carrierPanel = masterdata::carrierPanel(this, QStringLiteral("carrierPanel"), &session.carriers().listSource());
    m_buyerPanel = masterdata::buyerPanel(this, QStringLiteral("buyerPanel"), &session.partners().listSource());
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
    m_chooseCarrierButton = makeButton(this, QStringLiteral("chooseCarrierButton"), QStringLiteral("Szállító"));
    m_chooseBuyerButton = makeButton(this, QStringLiteral("chooseBuyerButton"), QStringLiteral("Vevö"));
    fields->addWidget(m_chooseCarrierButton, 1, 0);
    fields->addWidget(m_chooseBuyerButton, 1, 1);
    m_carrierCode = field("carrierCodeEdit", QStringLiteral("Száll.kód"), 2);
    m_buyerCode = field("buyerCodeEdit", QStringLiteral("Vevö kód"), 3);
    m_certificateOut = field("certificateOutEdit", QStringLiteral("Eü. bizonyitvány ki"), 4);
    m_category = field("categoryEdit", QStringLiteral("Hasznositási kategória"), 5);
    lay->addLayout(fields);
    for (QLineEdit* e : {m_carrierCode, m_buyerCode})
        makeShownOnly(e);
    m_category->setText(domain::kDefaultCategory);
    m_category->setToolTip(QStringLiteral("Dupla klikkre kategória váltása"));

    m_list = makeListGrid(this, QStringLiteral("incompleteGrid"), &m_rowsSource,
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
    m_navigator = makeListNavigator(this, QStringLiteral("incompleteNavigator"), &m_rowsSource);
    lay->addWidget(m_navigator, 0, Qt::AlignLeft);

    auto* buttons = new QHBoxLayout;
    m_completeButton = makeButton(this, QStringLiteral("completeButton"), QStringLiteral("Adatfeltöltés"));
    m_completeButton->setToolTip(QStringLiteral("A szállító és vevő kóddal nem rendelkező fülszám sorok feltöltése"));
    m_cancelButton = makeButton(this, QStringLiteral("cancelButton"), QStringLiteral("Mégsem"));
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

void OutgoingCompletionDialog::listIncompleteDepartures() { m_session.departures().openIncomplete(m_rows); }

void OutgoingCompletionDialog::chooseCarrier() { m_carrierCode->setText(pickCarrier(m_session, this)); }

void OutgoingCompletionDialog::chooseBuyer() { m_buyerCode->setText(pickSender(m_session, this)); }

void OutgoingCompletionDialog::toggleCategory() { m_category->setText(domain::nextCategory(m_category->text())); }

void OutgoingCompletionDialog::completeDepartures()
{
    if (!validation::requireFilled(this,
                                   {{m_carrierCode, QStringLiteral("Nincs megadva a szállitó!"), m_chooseCarrierButton},
                                    {m_buyerCode, QStringLiteral("Nincs megadva a Vevö!"), m_chooseBuyerButton},
                                    {m_certificateOut, QStringLiteral("Nincs megadva a eü.bizonyitvány!")}}))
        return;
    SharedTransaction& transaction = m_session.transaction();
    try {
        if (!transaction.inTransaction())
            transaction.startTransaction();
        try {
            // The list goes before the update, at the moment it always has (its closing takes part
            // in the transaction rules); after the fill it stays empty.
            m_rows.close();
            validation::requireStorable({m_carrierCode, m_buyerCode, m_certificateOut, m_category});
            m_session.departures().complete(
                {m_carrierCode->text(), m_buyerCode->text(), m_certificateOut->text(), m_category->text()});
            transaction.commit();
        } catch (const std::exception& e) {
            if (!validation::sayUnstorableText(this, e))
                platform::showMessage(this, QStringLiteral("Hiba131:  Update a kiszállításban "));
            if (transaction.inTransaction())
                transaction.rollback();
        }
    } catch (const std::exception&) {
        platform::showMessage(this, QStringLiteral("Hiba132: az Update közben a kiszállításban!"));
    }
}
