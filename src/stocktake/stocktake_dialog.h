#pragma once

#include <QDialog>
#include <QTimer>
#include <optional>

#include "core/dataset.h"
#include "storage/stock_takes.h"

class DBGrid;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTabWidget;
class Session;

// "Leltár": the register checked against the animals actually in the yard. Ear tags are read into
// "Fülszám:" one after another (typed, or by a hand-held reader that types the digits and Enter) or
// loaded from a reader's file ("Beolvasás fájlból…"); each reading is stored at once and answered
// with the ear tag's state, in colour, with a beep for one that is not on site. Three lists, with
// their counts in their titles: "Megvan" (on site and read), "Hiányzik" (on site, not read),
// "Nincs nyilvántartva" (read, not on site). The stock-take is kept in the database: it goes on
// later, from this or another desk (several desks add to it at once), an earlier one opens again,
// and "Lezárás" freezes its lists and prints them. Nothing of the register changes.
//
// While reading, nothing asks for a click: a refused or failed reading is said in the answer line,
// in red, with a beep, so that a reader's next ear tag never lands in a message box.
class StockTakeDialog : public QDialog {
    Q_OBJECT
public:
    explicit StockTakeDialog(Session& session, QWidget* parent = nullptr);
    ~StockTakeDialog() override;

    // The stock-take the screen shows, if any.
    const std::optional<StockTake>& stockTake() const { return m_take; }
    const StockTakeCounts& counts() const { return m_counts; }

    // Enter in "Fülszám:": the text as an ear tag, stored and answered.
    void readEarTag();
    // "Beolvasás fájlból…".
    void readFile();
    // "Új leltár".
    void startStockTake();
    // "Megnyitás…": an earlier stock-take picked from the list.
    void openStockTake();
    // Shows the stock-take with that identifier (joins it when it is open).
    void showStockTake(qint64 id);
    // "Frissítés": counts and lists against the register as it is now.
    void refresh();
    // "Lezárás".
    void closeStockTake();
    // "Nyomtatás".
    void print();

    // How often a screen looks for readings another desk added and for a closing there
    // (milliseconds; 2 s unless set, for the screens made after).
    static constexpr int kOtherDesksInterval = 2000;
    static void setOtherDesksInterval(int milliseconds);

private:
    enum class Tone { Neutral, Found, Repeated, Alarm };
    void buildLayout();
    void showAnswer(Tone tone, const QString& headline, const QString& detail = {});
    void addRecent(Tone tone, const QString& text);
    void updateState();
    void updateTitles();
    // The counts again: with onSiteToo, the animals on site are counted anew (every arrival read).
    void recount(bool onSiteToo);
    // The lists read again: the one in view at once, the others when they come into view.
    void reopenLists();
    void reopenCurrentList();
    void followOtherDesks();
    QString describe(const ScanAnswer& answer) const;

    Session& m_session;
    std::optional<StockTake> m_take;
    StockTakeCounts m_counts;
    qint64 m_onSite = 0;         // animals on site at the last full count
    qint64 m_knownReadings = 0;  // readings of every desk the counts include
    bool m_busy = false;         // a reading, a file or a count is under way
    QTimer m_otherDesks;
    // The list in view is read again once the answer is shown and the readings queued behind it
    // are in: a reader's quick succession of ear tags costs one reading of the list, not one each.
    QTimer m_listRefresh;

    // Declared before the grids bound to them.
    Dataset m_foundRows;
    Dataset m_missingRows;
    Dataset m_unregisteredRows;
    DataSource m_foundSource;
    DataSource m_missingSource;
    DataSource m_unregisteredSource;
    bool m_stale[3] = {true, true, true};  // a list to read again when it comes into view

    QLabel* m_takeInfo;
    QPushButton* m_newButton;
    QPushButton* m_openButton;
    QLineEdit* m_earTag;
    QPushButton* m_fileButton;
    QLabel* m_answer;
    QLabel* m_answerDetail;
    QListWidget* m_recent;
    QTabWidget* m_lists;
    DBGrid* m_foundGrid;
    DBGrid* m_missingGrid;
    DBGrid* m_unregisteredGrid;
    QProgressBar* m_progress;
    QPushButton* m_cancelFileButton;
    QPushButton* m_refreshButton;
    QPushButton* m_closeTakeButton;
    QPushButton* m_printButton;
    QPushButton* m_closeButton;
    bool m_fileCancelled = false;
};
