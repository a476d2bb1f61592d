#pragma once

#include "core/dataset.h"

#include <QDialog>

class DBGrid;
class DBNavigator;
class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class Session;

// "Fülszám története": every pass of one ear tag through the site, live and archived, oldest first
// (the pairing of arrivals and departures: storage/ear_tag_stories.h), with a summary line above the
// grid: the number of passes, whether the animal is on site now, and its days on site in total.
// "Nyomtat" shows the story as a printout (its own template, Fulszamtortenet.frf), to print or to
// save as PDF from the preview. The screen only reads.
class EarTagStoryDialog : public QDialog {
    Q_OBJECT
public:
    // earTag: the story shown when the screen opens (a list's current row); empty: the person
    // types one.
    explicit EarTagStoryDialog(Session& session, const QString& earTag = {}, QWidget* parent = nullptr);
    ~EarTagStoryDialog() override;

    // "Keresés" (and Enter in the field): the story of the typed ear tag; true when it has rows.
    // An empty field, or an ear tag with no rows, is said in a message.
    bool showStory();
    // "Nyomtat": the story shown, in the preview.
    void printStory();

    // The summary line's texts (empty while no story is shown).
    static QString summaryText(int passes, bool onSiteNow, qint64 daysOnSite);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void clearStory();

    Session& m_session;
    Dataset m_storyRows;  // the passes the grid shows
    DataSource m_storyRowsSource;
    QString m_initialEarTag;
    QString m_shownEarTag;  // the ear tag whose story the grid shows
    QString m_summary;
    bool m_shown = false;
    QLabel* m_earTagLabel;
    QLineEdit* m_earTag;
    QPushButton* m_searchButton;
    QLabel* m_summaryLabel;
    DBGrid* m_passes;
    DBNavigator* m_navigator;
    QPushButton* m_printButton;
    QPushButton* m_cancelButton;
};

// Opening the story from a list with the ear tag of its current row.
namespace lookups {

// The ear tag of the current row of a list's rows: its BFULSZAM (arrivals) or KFULSZAM
// (departures); empty when the rows are closed, empty, or have neither.
QString currentEarTag(const Dataset& rows);

// Opens "Fülszám története" modally over parent on earTag (empty: the person types one).
void showEarTagStory(Session& session, QWidget* parent, const QString& earTag);

// Puts "Fülszám története" into the grid's context menu ("earTagStoryAction"): it opens the story of
// the ear tag of the grid's current row, and is available while there is one. The action is
// returned, for a button that does the same. A list offers the story with this one call.
QAction* addEarTagStoryAction(Session& session, DBGrid* grid);

}  // namespace lookups
