#include "app/mainwindow.h"

#include "app/dayline.h"
#include "app/infoscreens.h"
#include "app/splash.h"
#include "app/startup_check.h"
#include "storage/session.h"
#include "storage/shared_datasets.h"
#include "core/day_counts.h"
#include "incoming/incoming_list.h"
#include "lookups/eartag_checks.h"
#include "lookups/eartag_search.h"
#include "lookups/eartag_story.h"
#include "lookups/sender_ranges.h"
#include "maintenance/dispatch_deletion.h"
#include "maintenance/table_editor.h"
#include "maintenance/archive_day.h"
#include "maintenance/backup_restore.h"
#include "maintenance/legacy_import.h"
#include "masterdata/carrier_list.h"
#include "masterdata/partner_list.h"
#include "outgoing/completion.h"
#include "outgoing/outgoing_list.h"
#include "outgoing/takeover.h"
#include "printing/delivery_printout.h"
#include "printing/eartag_list_printout.h"
#include "printing/onsite_printout.h"
#include "stocktake/stocktake_dialog.h"
#include "ui/input.h"
#include "ui/modal.h"
#include "ui/platform.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

namespace {
std::optional<std::optional<VersionInfo>> g_versionOverride;

std::array<quint16, 4> parseVersion(const char* text)
{
    std::array<quint16, 4> v{};
    const QStringList parts = QString::fromLatin1(text).split(u'.');
    for (int i = 0; i < 4 && i < parts.size(); ++i)
        v[static_cast<size_t>(i)] = static_cast<quint16>(parts.at(i).toUShort());
    return v;
}
}  // namespace

std::optional<VersionInfo> programVersionInfo()
{
    if (g_versionOverride)
        return *g_versionOverride;
#ifdef GERUNDO_NO_VERSION_INFO
    return std::nullopt;
#else
    return VersionInfo{parseVersion(GERUNDO_FILE_VERSION), parseVersion(GERUNDO_PRODUCT_VERSION)};
#endif
}

QString buildVersionText(const std::optional<VersionInfo>& info)
{
    if (!info)
        return {};
    return QString::number(info->file[0]) + QStringLiteral(".0") + QString::number(info->product[1]);
}

QString buildMainCaption(const QString& versionText)
{
    return QStringLiteral("Gerundo") + QStringLiteral("  -  Verzió: ") + versionText + QStringLiteral("   2008 - 2011");
}

void MainWindow::setVersionInfoForTests(std::optional<std::optional<VersionInfo>> info) { g_versionOverride = info; }

MainWindow::MainWindow(Session* session, QWidget* parent) : QMainWindow(parent), m_session(session)
{
    setObjectName(QStringLiteral("Form1"));
    buildMenu();
    m_dayLine = new DayLine(this);
    setCentralWidget(m_dayLine);
    resize(640, 120);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto item = [this](QMenu* menu, const QString& name, const QString& caption, void (MainWindow::*handler)()) {
        auto* a = menu->addAction(caption);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    auto separator = [](QMenu* menu, const QString& name) {
        QAction* a = menu->addSeparator();
        a->setObjectName(name);
    };
    auto menu = [bar](const QString& name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(name);
        m->menuAction()->setObjectName(name);
        return m;
    };
    auto barItem = [this, bar](const QString& name, const QString& caption, void (MainWindow::*handler)()) {
        QAction* a = bar->addAction(caption);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    using W = MainWindow;

    m_deliveriesMenu = menu(QStringLiteral("Felvsrlsijegy1"), QStringLiteral("&Szállítás"));
    m_incomingDeliveries =
        item(m_deliveriesMenu, QStringLiteral("j1"), QStringLiteral("&Beszállítás"), &W::openIncomingDeliveries);
    m_outgoingDeliveries =
        item(m_deliveriesMenu, QStringLiteral("Mdosits1"), QStringLiteral("&Kiszállítás"), &W::openOutgoingDeliveries);
    m_takeover = item(m_deliveriesMenu, QStringLiteral("Adattvtel2"), QStringLiteral("Adatátvétel"), &W::openTakeover);
    m_dataCompletion = item(m_deliveriesMenu, QStringLiteral("Bekiszllits1"), QStringLiteral("&Adatfeltöltés"),
                            &W::openDataCompletion);

    m_printingMenu = menu(QStringLiteral("Nyomtats1"), QStringLiteral("&Nyomtatás"));
    m_printIncoming =
        item(m_printingMenu, QStringLiteral("Beszllts1"), QStringLiteral("&Beszállítás"), &W::printIncomingDeliveries);
    m_printOutgoing =
        item(m_printingMenu, QStringLiteral("Kiszllts1"), QStringLiteral("&Kiszállítás"), &W::printOutgoingDeliveries);
    m_printOnSite =
        item(m_printingMenu, QStringLiteral("Telepen1"), QStringLiteral("&Telepen"), &W::printAnimalsOnSite);
    m_printEarTagList =
        item(m_printingMenu, QStringLiteral("Flszmlista1"), QStringLiteral("&Fülszámlista"), &W::printEarTagList);

    m_searchMenu = menu(QStringLiteral("Keress1"), QStringLiteral("Keresés"));
    m_searchEarTag = item(m_searchMenu, QStringLiteral("Flszm1"), QStringLiteral("Fülszám"), &W::searchEarTag);
    m_senderEarTagRanges = item(m_searchMenu, QStringLiteral("Beszlltiflszmok1"),
                                QStringLiteral("Beszállító fülszámai"), &W::showSenderEarTagRanges);
    // Beyond the documented menu: every pass of one ear tag, live and archived.
    m_earTagStory = item(m_searchMenu, QStringLiteral("earTagStoryMenuItem"), QStringLiteral("Fülszám története"),
                         &W::showEarTagStory);

    m_partners = barItem(QStringLiteral("Termk1"), QStringLiteral("&Feladó"), &W::openPartners);
    m_carriers = barItem(QStringLiteral("Trzsadatok1"), QStringLiteral("S&zállító"), &W::openCarriers);

    m_archiveMenu = menu(QStringLiteral("Arhivls1"), QStringLiteral("Arhiválás"));
    m_archive =
        item(m_archiveMenu, QStringLiteral("Arhivbattel1"), QStringLiteral("Arhiválás"), &W::archiveDispatchDay);
    m_withdrawArchive =
        item(m_archiveMenu, QStringLiteral("Visszavons1"), QStringLiteral("Visszavonás"), &W::withdrawArchivedDay);

    m_utilitiesMenu = menu(QStringLiteral("Segdlet1"), QStringLiteral("Segédlet"));
    m_duplicateEarTags =
        item(m_utilitiesMenu, QStringLiteral("Duplaflszm1"), QStringLiteral("Dupla fülszám"), &W::listDuplicateEarTags);
    m_deleteDepartures = item(m_utilitiesMenu, QStringLiteral("Kiszlltstrlse1"), QStringLiteral("Kiszállítás törlése"),
                              &W::deleteDepartures);
    m_departuresWithoutArrival = item(m_utilitiesMenu, QStringLiteral("Beszlltsblhinyzik1"),
                                      QStringLiteral("Beszállításból hiányzik"), &W::listDeparturesWithoutArrival);
    m_editTables = item(m_utilitiesMenu, QStringLiteral("Beszllitott1"), QStringLiteral("Adatok"), &W::editTables);
    separator(m_utilitiesMenu, QStringLiteral("N1"));
    m_about = item(m_utilitiesMenu, QStringLiteral("Nvjegy1"), QStringLiteral("&Névjegy"), &W::showAbout);
    m_remoteSupport =
        item(m_utilitiesMenu, QStringLiteral("Tvsegtsg1"), QStringLiteral("Távsegítség"), &W::openRemoteSupport);
    m_help = item(m_utilitiesMenu, QStringLiteral("Sg1"), QStringLiteral("Súgó"), &W::openHelp);
    separator(m_utilitiesMenu, QStringLiteral("N2"));
    m_importPreviousVersion = item(m_utilitiesMenu, QStringLiteral("Rgiblimport1"), QStringLiteral("Régiből import"),
                                   &W::importPreviousVersion);
    // Beyond the documented menu: the database's own backup and its restore.
    separator(m_utilitiesMenu, QStringLiteral("N3"));
    m_backUp = item(m_utilitiesMenu, QStringLiteral("Mentes1"), QStringLiteral("Mentés"), &W::backUpDatabase);
    m_restore =
        item(m_utilitiesMenu, QStringLiteral("Visszatoltes1"), QStringLiteral("Visszatöltés"), &W::restoreDatabase);
    // Beyond the documented menu: the stock-take of the yard against the register.
    separator(m_utilitiesMenu, QStringLiteral("N4"));
    m_stockTake = item(m_utilitiesMenu, QStringLiteral("stockTakeAction"), QStringLiteral("Leltár"), &W::takeStock);

    m_quit = bar->addAction(QStringLiteral("&Kilépés"));
    m_quit->setObjectName(QStringLiteral("Kilps1"));
    connect(m_quit, &QAction::triggered, this, &QWidget::close);
}

bool MainWindow::startUp()
{
    // 1. The splash stays for its full time before the database is even looked at, unless the
    // program is asked to end meanwhile.
    if (!LoadingSplash::showFullTime())
        return false;
    // After a run that did not end cleanly, the database's indexes are checked and mended first.
    if (!startupcheck::afterUncleanEnd(nullptr))
        return false;
    // 2-4. Data module, connection, the ten tables.
    try {
        if (!m_session) {
            m_ownSession = std::make_unique<Session>();
            m_session = m_ownSession.get();
        }
        for (TableDataset* t : m_session->tables().all())
            t->close();
        for (TableDataset* t : m_session->tables().all())
            t->open();
    } catch (const std::exception&) {
        // 5. Nothing of the program can work without the database.
        m_session = nullptr;
        m_ownSession.reset();
        platform::confirmYes(nullptr,
                             QStringLiteral("Az adatbáziskezelöt nem találja.\nA program müködéséhez szükséges."));
        return false;
    }
    startupcheck::markRunning();  // removed again at a clean end
    // 6. The decimal "," and the date "." are the program's own separators, which every conversion
    // of the run uses (core/convert): nothing else of the desktop's or Qt's locale is changed.
    // 7-8.
    m_versionText = buildVersionText(programVersionInfo());
    setWindowTitle(buildMainCaption(m_versionText));
    if (QScreen* s = QApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
    m_refresh = new input::ReactivationRefresh(this, [this] { refreshTables(); });
    // The day line only informs: the program works without it.
    checkOnSiteCount();
    try {
        refreshDayCounts();
        recountOnSite();
    } catch (const std::exception&) {
        m_dayLine->clear();
    }
    return true;
}

void MainWindow::refreshTables()
{
    if (!m_session)
        return;
    m_session->tables().reopen();
    refreshDayCounts();
}

void MainWindow::refreshDayCounts()
{
    if (!m_session || !m_session->database().connection().connected())
        return;
    const QDate today = platform::today();
    const daycounts::Day day = daycounts::countDay(m_session->database().connection().attachment(), today);
    m_dayLine->showDay(today, day.arrivals, day.departures);
}

void MainWindow::recountOnSite()
{
    if (!m_session || !m_session->database().connection().connected())
        return;
    m_dayLine->showOnSite(daycounts::countOnSite(m_session->database().connection().attachment()));
}

void MainWindow::checkOnSiteCount()
{
    if (!m_session || !m_session->database().connection().connected())
        return;
    const QString told =
        daycounts::describe(daycounts::checkOnSite(m_session->database().connection().attachment(), false));
    if (!told.isEmpty())
        qWarning().noquote() << QStringLiteral("gerundo:") << told;
}

template <typename Screen, typename... Args>
void MainWindow::runWritingScreen(Args&&... args)
{
    runScreen<Screen>(this, std::forward<Args>(args)...);
    refreshDayCounts();
    recountOnSite();
}

void MainWindow::shutDown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    if (!m_session)
        return;
    // Pending work (a deletion no screen committed) becomes permanent here.
    SharedTransaction& transaction = m_session->transaction();
    if (transaction.inTransaction())
        transaction.commitRetaining();
    Connection& connection = m_session->database().connection();
    if (connection.connected())
        connection.close();
    startupcheck::markCleanEnd();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    try {
        shutDown();
    } catch (const std::exception& e) {
        platform::showError(this, e);
    }
    event->accept();
}

void MainWindow::openIncomingDeliveries() { runWritingScreen<IncomingListDialog>(*m_session); }
void MainWindow::openOutgoingDeliveries() { runWritingScreen<OutgoingListDialog>(*m_session); }
void MainWindow::openTakeover() { runWritingScreen<TakeoverDialog>(*m_session); }
void MainWindow::openDataCompletion() { runWritingScreen<OutgoingCompletionDialog>(*m_session); }
void MainWindow::openPartners() { runScreen<PartnerListDialog>(this, *m_session); }
void MainWindow::openCarriers() { runScreen<CarrierListDialog>(this, *m_session); }
void MainWindow::showAbout() { runScreen<AboutDialog>(this); }
void MainWindow::openRemoteSupport() { runScreen<RemoteSupportDialog>(this); }
void MainWindow::openHelp() { runScreen<HelpDialog>(this); }

void MainWindow::printIncomingDeliveries() { runScreen<IncomingDeliveryPrintoutDialog>(this); }
void MainWindow::printOutgoingDeliveries() { runScreen<OutgoingDeliveryPrintoutDialog>(this); }
void MainWindow::printAnimalsOnSite() { runScreen<OnSiteListPrintoutDialog>(this); }
void MainWindow::printEarTagList() { runScreen<EarTagListPrintoutDialog>(this); }
void MainWindow::searchEarTag() { runScreen<EarTagSearchDialog>(this, *m_session); }
void MainWindow::showSenderEarTagRanges() { runScreen<SenderEarTagRangesDialog>(this, *m_session); }
void MainWindow::showEarTagStory() { lookups::showEarTagStory(*m_session, this, QString()); }
void MainWindow::archiveDispatchDay() { runWritingScreen<ArchiveDialog>(); }
void MainWindow::withdrawArchivedDay() { runWritingScreen<ArchiveWithdrawalDialog>(); }
void MainWindow::listDuplicateEarTags() { runScreen<DuplicateEarTagsDialog>(this, *m_session); }
void MainWindow::deleteDepartures() { runWritingScreen<DispatchDeletionDialog>(); }
void MainWindow::listDeparturesWithoutArrival() { runScreen<DeparturesWithoutArrivalDialog>(this, *m_session); }
void MainWindow::editTables() { runWritingScreen<TableEditorDialog>(); }
void MainWindow::importPreviousVersion() { runWritingScreen<LegacyImportDialog>(); }
void MainWindow::takeStock() { runScreen<StockTakeDialog>(this, *m_session); }

void MainWindow::backUpDatabase()
{
    if (m_session)
        backup::backUp(this, *Data);
}

void MainWindow::restoreDatabase()
{
    if (!m_session)
        return;
    const bool replaced = backup::restore(this, *Data);
    // Reconnected either way: the tables read the database that is in place now.
    refreshTables();
    if (replaced) {
        checkOnSiteCount();
        recountOnSite();
    }
}
