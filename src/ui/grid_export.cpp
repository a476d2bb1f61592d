#include "ui/grid_export.h"

#include "core/dataset.h"
#include "export/dataset_rows.h"
#include "ui/dbwidgets.h"
#include "ui/longjob.h"
#include "ui/platform.h"

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QScopeGuard>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace gridexport {

namespace {

int g_progressDelay = 300;
bool g_running = false;  // one export at a time: a shortcut reaches its action past the held window
QString g_lastFolder;  // where the last export went, offered again for the rest of the run

const QString kFilter = QStringLiteral("Excel munkafüzet|*.xlsx|CSV, pontosvesszővel tagolt|*.csv");

// The rows written so far, with "Mégsem"; closing the window cancels as well.
class ProgressDialog : public QDialog {
public:
    ProgressDialog(QWidget* parent, const QString& fileName) : QDialog(parent)
    {
        setObjectName(QStringLiteral("exportProgress"));
        setWindowTitle(QStringLiteral("Exportálás"));
        auto* lay = new QVBoxLayout(this);
        auto* file = new QLabel(QDir::toNativeSeparators(fileName), this);
        file->setTextInteractionFlags(Qt::NoTextInteraction);
        lay->addWidget(file);
        m_rows = new QLabel(this);
        m_rows->setObjectName(QStringLiteral("exportRows"));
        lay->addWidget(m_rows);
        auto* bar = new QProgressBar(this);
        bar->setRange(0, 0);  // the number of rows is known only at the end
        lay->addWidget(bar);
        m_cancel = new QPushButton(QStringLiteral("Mégsem"), this);
        m_cancel->setObjectName(QStringLiteral("cancelExportButton"));
        lay->addWidget(m_cancel, 0, Qt::AlignRight);
        connect(m_cancel, &QPushButton::clicked, this, &ProgressDialog::reject);
        setRows(0, false);
    }
    void setRows(qint64 rows, bool finishing)
    {
        m_rows->setText(finishing ? QStringLiteral("%1 sor; a fájl lezárása…").arg(rows)
                                  : QStringLiteral("%1 sor kiírva…").arg(rows));
    }
    bool cancelled() const { return m_cancelled; }
    void reject() override
    {
        m_cancelled = true;
        m_cancel->setEnabled(false);
        m_rows->setText(QStringLiteral("Megszakítás…"));
    }

private:
    QLabel* m_rows;
    QPushButton* m_cancel;
    bool m_cancelled = false;
};

// A file name made of the window's title.
QString suggestedName(const QString& title)
{
    QString name = title.simplified();
    for (QChar& ch : name)
        if (QStringLiteral("/\\:*?\"<>|").contains(ch))
            ch = u'-';
    return name.isEmpty() ? QStringLiteral("export") : name;
}

QString startFolder()
{
    if (!g_lastFolder.isEmpty() && QDir(g_lastFolder).exists())
        return g_lastFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

}  // namespace

void setProgressDelay(int milliseconds) { g_progressDelay = milliseconds; }

void exportGrid(DBGrid* grid)
{
    DatasetModel* model = grid->datasetModel();
    Dataset* dataset = model->dataset();
    if (g_running || !dataset || !dataset->active())
        return;
    g_running = true;
    const auto done = qScopeGuard([] { g_running = false; });
    QWidget* window = grid->window();

    // The columns as the grid shows them: in their order on the screen, hidden ones left out.
    std::vector<spreadsheet::DatasetField> fields;
    const QHeaderView* header = grid->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (logical < 0 || grid->isColumnHidden(logical) || logical >= static_cast<int>(model->columns().size()))
            continue;
        const GridColumn& column = model->columns()[static_cast<std::size_t>(logical)];
        fields.push_back({column.field, column.title.trimmed()});
    }

    platform::FileDialogSettings settings;
    settings.title = QStringLiteral("Exportálás");
    settings.filter = kFilter;
    settings.initialDir = startFolder();
    settings.fileName = suggestedName(window->windowTitle()) + QStringLiteral(".xlsx");
    int filter = 0;
    QString fileName = platform::getSaveFileName(window, settings, &filter);
    if (fileName.isEmpty())
        return;
    // The extension decides; a name without a known one gets the format of the filter chosen.
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    spreadsheet::Format format = filter == 1 ? spreadsheet::Format::Csv : spreadsheet::Format::Xlsx;
    if (suffix == u"csv")
        format = spreadsheet::Format::Csv;
    else if (suffix == u"xlsx")
        format = spreadsheet::Format::Xlsx;
    else if (suffix.isEmpty())
        fileName += format == spreadsheet::Format::Csv ? QStringLiteral(".csv") : QStringLiteral(".xlsx");
    g_lastFolder = QFileInfo(fileName).absolutePath();

    spreadsheet::Options options;
    options.sheetName = window->windowTitle();
    spreadsheet::Result result;
    {
        ProgressDialog progress(window, fileName);
        input::LongJob job(window, {&progress});
        QElapsedTimer running;
        running.start();
        spreadsheet::DatasetRows source(*dataset, fields);
        result = spreadsheet::write(source, fileName, format, options, [&](const spreadsheet::Progress& p) {
            if (!progress.isVisible() && running.elapsed() >= g_progressDelay)
                progress.show();
            if (progress.isVisible() && !progress.cancelled())
                progress.setRows(p.rows, p.finishing);
            job.pump();
            return !progress.cancelled();
        });
    }
    switch (result.outcome) {
    case spreadsheet::Result::Outcome::Written:
        platform::showMessage(window, QStringLiteral("Az exportálás elkészült (%1 sor):\n%2")
                                          .arg(result.rows)
                                          .arg(QDir::toNativeSeparators(fileName)));
        break;
    case spreadsheet::Result::Outcome::Failed: platform::showMessage(window, result.message); break;
    case spreadsheet::Result::Outcome::Cancelled: break;
    }
}

}  // namespace gridexport
