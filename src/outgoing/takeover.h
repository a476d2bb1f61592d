#pragma once

#include "core/dataset.h"
#include "ui/platform.h"
#include "ui/sharedwork.h"

#include <QDialog>
#include <QStringList>

class DBGrid;
class DBNavigator;
class QLabel;
class QPushButton;
class QShowEvent;
class Session;

// "Adatátvétel": takes over the ear tags of departing animals from the XML file of the separate
// ear-tag program. "Beolvasás" stages the file in KISZALL1, "Ellenőrzés" lists the staged ear tags
// that never arrived, "Feladás" posts the staged rows into KISZALL. KISZALL1 is shared by every desk
// on the database: from "Beolvasás" or "Feladás" until the screen closes this desk holds it, so the
// rows it posts are the rows it read.
class TakeoverDialog : public QDialog {
    Q_OBJECT
public:
    explicit TakeoverDialog(Session& session, QWidget* parent = nullptr);

    // "Beolvasás": asks for the file and reads it; then empties the staging table, stores every
    // record of the file and rewrites the staged ear tags in their plain numeric form, all in one
    // transaction. A file that cannot be read is said and changes nothing.
    void readFile();
    // "Ellenőrzés": the staged ear tags that have no arrival.
    void listEarTagsWithoutArrival();
    // "Feladás": every staged row becomes a departure, with the certificate and category of its
    // arrival where there is one.
    void postDepartures();
    // The last step of "Beolvasás": rewrites every staged ear tag in its plain numeric form; false
    // after Hiba302 / Hiba303.
    bool normaliseEarTags();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // On showing: the file dialog's settings, the staging table writable, the check caption blank.
    void prepareForReading();
    // Stores the records read, one KISZALL1 row each; the first that cannot be stored ends it.
    void stageRecords(const QList<QStringList>& records);
    // Stores the values of one record as a new KISZALL1 row, by position; false when the database
    // refused the row (said with Hiba304).
    bool stageRecord(const QStringList& values);

    Session& m_session;
    // The staged rows after a read, or the staged ear tags without an arrival after the check.
    Dataset m_rows;
    DataSource m_rowsSource;
    // The file-open dialog's settings; its file name is the one the next read uses.
    platform::FileDialogSettings m_fileDialog;
    SharedWorkGuard m_sharedWork;
    QLabel* m_checkCaption;
    DBGrid* m_list;
    DBNavigator* m_navigator;
    QPushButton* m_readButton;
    QPushButton* m_checkButton;
    QPushButton* m_postButton;
    QPushButton* m_cancelButton;
};
