#pragma once

#include <QMainWindow>

#include <array>
#include <memory>
#include <optional>

class DayLine;
class QAction;
class QMenu;
class Session;
namespace input {
class ReactivationRefresh;
}

// Fixed version information of the program file: file and product version, four numbers each.
struct VersionInfo {
    std::array<quint16, 4> file{};
    std::array<quint16, 4> product{};
};
// What the running program carries; nothing when it was built without version information.
std::optional<VersionInfo> programVersionInfo();
// Major file version, ".0", minor product version: 2.1.0.0 / 2.1.0.0 gives "2.01".
QString buildVersionText(const std::optional<VersionInfo>& info);
QString buildMainCaption(const QString& versionText);

// The main window: the menu from which every screen opens, start-up and shut-down. The menu's
// items keep the names the program's documentation gives them as objectNames ("j1", "Kilps1").
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Start-up makes the program's session on its database; a test may hand in a session of its own
    // (the window works on it, start-up included, and leaves it open).
    explicit MainWindow(Session* session = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up: the splash for its full time, the data module and connection, the ten tables,
    // the number and date separators, the caption. False when the program must end: the database
    // could not be reached (the message was shown), or the program was asked to end meanwhile.
    bool startUp();
    // Closes and reopens IBTable1..IBTable10, in order, and counts today's arrivals and departures.
    void refreshTables();
    // Counts the animals on site again (at start-up and after a screen that writes has closed).
    void recountOnSite();
    // At start-up and after a restore: compares the database's on-site count with the tables when
    // what keeps it was altered since, repairing it; anything to tell goes to the log (stderr).
    void checkOnSiteCount();
    // Shut-down, once: pending work is committed with retaining and the connection closed.
    void shutDown();

    // The version the caption shows ("2.01"); empty without version information.
    const QString& versionText() const { return m_versionText; }
    // Tests replace the version information of the program file.
    static void setVersionInfoForTests(std::optional<std::optional<VersionInfo>> info);

    input::ReactivationRefresh* refresher() const { return m_refresh; }
    // The program's session on its database; null before start-up and after it failed.
    Session* session() const { return m_session; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();

    // "Szállítás"
    void openIncomingDeliveries();
    void openOutgoingDeliveries();
    void openTakeover();
    void openDataCompletion();
    // "Nyomtatás"
    void printIncomingDeliveries();
    void printOutgoingDeliveries();
    void printAnimalsOnSite();
    void printEarTagList();
    // "Keresés"
    void searchEarTag();
    void showSenderEarTagRanges();
    void showEarTagStory();
    // "Feladó", "Szállító"
    void openPartners();
    void openCarriers();
    // "Arhiválás"
    void archiveDispatchDay();
    void withdrawArchivedDay();
    // "Segédlet"
    void listDuplicateEarTags();
    void deleteDepartures();
    void listDeparturesWithoutArrival();
    void editTables();
    void showAbout();
    void openRemoteSupport();
    void openHelp();
    void importPreviousVersion();
    void backUpDatabase();
    void restoreDatabase();
    void takeStock();

    // Opens a screen that may change arrivals or departures; the counts are renewed after it.
    template <typename Screen, typename... Args>
    void runWritingScreen(Args&&... args);
    void refreshDayCounts();

    std::unique_ptr<Session> m_ownSession;
    Session* m_session = nullptr;
    QString m_versionText;
    input::ReactivationRefresh* m_refresh = nullptr;
    bool m_shutDown = false;

    QMenu* m_deliveriesMenu;
    QAction* m_incomingDeliveries;
    QAction* m_outgoingDeliveries;
    QAction* m_takeover;
    QAction* m_dataCompletion;
    QMenu* m_printingMenu;
    QAction* m_printIncoming;
    QAction* m_printOutgoing;
    QAction* m_printOnSite;
    QAction* m_printEarTagList;
    QMenu* m_searchMenu;
    QAction* m_searchEarTag;
    QAction* m_senderEarTagRanges;
    QAction* m_earTagStory;
    QAction* m_partners;
    QAction* m_carriers;
    QMenu* m_archiveMenu;
    QAction* m_archive;
    QAction* m_withdrawArchive;
    QMenu* m_utilitiesMenu;
    QAction* m_duplicateEarTags;
    QAction* m_deleteDepartures;
    QAction* m_departuresWithoutArrival;
    QAction* m_editTables;
    QAction* m_about;
    QAction* m_remoteSupport;
    QAction* m_help;
    QAction* m_importPreviousVersion;
    QAction* m_backUp;
    QAction* m_restore;
    QAction* m_stockTake;
    DayLine* m_dayLine;
    QAction* m_quit;
};
