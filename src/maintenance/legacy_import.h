#pragma once

#include "maintenance/legacy_importer.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace input {
class LongJob;
}

// "Régiből import": appends the six fixed-column files of the previous version, read from one
// directory, to the delivery tables and the registers. The run can be stopped between lines; what
// was committed stays. Afterwards a summary per file can be saved as a text file.
class LegacyImportDialog : public QDialog {
    Q_OBJECT
public:
    explicit LegacyImportDialog(QWidget* parent = nullptr);
    ~LegacyImportDialog() override;

    bool running() const { return m_running; }

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class Progress;
    friend class Progress;

    void buildLayout();
    void runImport();
    bool confirmFilledTables(QStringList& filled);
    void requestStop();
    void saveSummary();
    void setRunning(bool running);
    void showProgress(const legacy::FileLayout& layout, const legacy::FileSummary& file);
    void showSummary();

    QLabel* m_heading;
    QLabel* m_directoryLabel;
    QLineEdit* m_directory;
    QLabel* m_fileLabel;
    QPlainTextEdit* m_fileText;
    QLabel* m_progressLabel;
    QProgressBar* m_progress;
    QTableWidget* m_summaryTable;
    QPlainTextEdit* m_summaryNotes;
    QPushButton* m_importButton;
    QPushButton* m_stopButton;
    QPushButton* m_saveButton;
    QPushButton* m_cancelButton;

    input::LongJob* m_job = nullptr;
    bool m_running = false;
    bool m_stopRequested = false;
    bool m_hasSummary = false;
    int m_shownLines = 0;  // lines of the current file the box holds
    legacy::ImportSummary m_summary;
};
