#include "maintenance/legacy_import.h"

#include "storage/shared_datasets.h"
#include "db/charset.h"
#include "ui/input.h"
#include "ui/longjob.h"
#include "ui/platform.h"
#include "ui/textfile.h"

#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTextBlock>
#include <QVBoxLayout>

namespace {

const QString kDefaultDirectory = QStringLiteral("c:\\dudoz\\");

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

// The box shows at most this many lines of a file: a file of millions of lines (or of line
// endings only) would otherwise fill the memory with the box's text; the import reads them all.
constexpr int kShownLines = 100000;

// A line as the box shows it: the columns the layout reads, control characters as their visible
// pictures (a NUL would otherwise vanish or cut the text), "…" where the line went on past them.
QString displayLine(QByteArrayView kept, bool cut)
{
    QString line = fb::fromWin1250(kept.data(), static_cast<int>(kept.size()));
    for (QChar& c : line)
        if (c.unicode() < 0x20 && c != u'\t')
            c = QChar(0x2400 + c.unicode());
    if (cut)
        line += QChar(0x2026);
    return line;
}

// "1,5 MB" (or "12 kB").
QString sizeText(qint64 bytes)
{
    if (bytes < 1000 * 1000)
        return QStringLiteral("%1 kB").arg((bytes + 999) / 1000);
    return QStringLiteral("%1 MB").arg(QString::number(static_cast<double>(bytes) / 1e6, 'f', 1).replace(u'.', u','));
}

}  // namespace

// Carries the import's questions and progress to the screen, keeping it painted: between lines,
// and between the chunks of a file read through (one huge line never holds it up).
class LegacyImportDialog::Progress : public legacy::ImportObserver {
public:
    explicit Progress(LegacyImportDialog& dialog) : m_dialog(dialog) { m_sinceShown.start(); }

    void tell(const QString& text) override
    {
        platform::showMessage(&m_dialog, text);
    }

    bool lineRefused(const QString& text) override
    {
        // The specified text, with a way out: a file whose every line fails would otherwise ask
        // for one click per line with no moment to reach the stop button.
        const int answer = platform::askChoice(&m_dialog, text, {QStringLiteral("OK"), QStringLiteral("Import leállítása")}, 0);
        if (answer == 1)
            m_dialog.requestStop();
        return answer == 1;
    }

    void progressed(const legacy::FileLayout& layout, const legacy::FileSummary& progress) override
    {
        flushShown(false);
        show(layout, progress, false);
    }

    void fileOpened(const legacy::FileLayout& layout, const legacy::FileSummary& file) override
    {
        m_dialog.m_fileLabel->setText(QStringLiteral("A beolvasott fájl: %1").arg(layout.fileName));
        m_dialog.m_fileText->clear();
        m_pending.clear();
        m_pendingLines = 0;
        m_shown = 0;
        m_notShown = 0;
        m_sinceFlushed.start();
        show(layout, file, true);
    }

    void lineRead(const legacy::FileLayout&, QByteArrayView kept, bool cut) override
    {
        if (m_shown + m_pendingLines >= kShownLines) {
            ++m_notShown;
            return;
        }
        if (m_pendingLines > 0)
            m_pending += u'\n';
        m_pending += displayLine(kept, cut);
        ++m_pendingLines;
        flushShown(false);
    }

    void fileRead(const legacy::FileLayout& layout, const legacy::FileSummary& file) override
    {
        flushShown(true);
        if (m_notShown > 0)
            m_dialog.m_fileText->appendPlainText(QStringLiteral("… (a fájl további %1 sora nem fér a mezőbe; az import "
                                                                "mindet beolvassa)")
                                                     .arg(m_notShown));
        m_dialog.m_shownLines = m_shown;
        show(layout, file, true);
    }

    void fileLeft(const legacy::FileLayout&) override
    {
        m_dialog.m_fileText->clear();
        m_dialog.m_shownLines = 0;
        m_dialog.m_fileLabel->setText(QStringLiteral("A beolvasott fájl:"));
    }

    void lineDone(const legacy::FileLayout& layout, const legacy::FileSummary& progress) override
    {
        show(layout, progress, progress.read >= progress.lines);
    }

    bool stopRequested() override { return m_dialog.m_stopRequested; }

private:
    // Painting every line or chunk would cost more than the work itself; 20 times a second is smooth.
    void show(const legacy::FileLayout& layout, const legacy::FileSummary& progress, bool force)
    {
        if (!force && m_sinceShown.elapsed() < 50)
            return;
        m_dialog.showProgress(layout, progress);
        if (m_dialog.m_job)
            m_dialog.m_job->pump(force);
        m_sinceShown.restart();
    }

    // The lines read so far go into the box in parts, not each on its own nor all at the end.
    void flushShown(bool all)
    {
        if (m_pendingLines == 0 || (!all && m_pendingLines < 2000 && m_sinceFlushed.elapsed() < 30))
            return;
        m_dialog.m_fileText->appendPlainText(m_pending);
        m_shown += m_pendingLines;
        m_pending.clear();
        m_pendingLines = 0;
        m_sinceFlushed.restart();
    }

    LegacyImportDialog& m_dialog;
    QElapsedTimer m_sinceShown;
    QElapsedTimer m_sinceFlushed;
    QString m_pending;
    int m_pendingLines = 0;
    int m_shown = 0;
    int m_notShown = 0;
};

LegacyImportDialog::LegacyImportDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form31"));
    setWindowTitle(QStringLiteral("Régiből import"));
    buildLayout();

    connect(m_importButton, &QPushButton::clicked, this, &LegacyImportDialog::runImport);
    connect(m_stopButton, &QPushButton::clicked, this, &LegacyImportDialog::requestStop);
    connect(m_saveButton, &QPushButton::clicked, this, &LegacyImportDialog::saveSummary);
    connect(m_cancelButton, &QPushButton::clicked, this, &LegacyImportDialog::reject);
    input::markLeavesForm(m_cancelButton);
    input::enterAsTab(this);
}

LegacyImportDialog::~LegacyImportDialog() = default;

void LegacyImportDialog::buildLayout()
{
    auto* lay = new QVBoxLayout(this);

    m_heading = new QLabel(QStringLiteral("A régi verzióból átemeli az adatait"), this);
    m_heading->setObjectName(QStringLiteral("Label1"));
    QFont headingFont = m_heading->font();
    headingFont.setBold(true);
    m_heading->setFont(headingFont);
    lay->addWidget(m_heading);

    auto* dirRow = new QHBoxLayout;
    m_directoryLabel = new QLabel(QStringLiteral("A régi fájlok könyvtára (elválasztóval a végén):"), this);
    m_directoryLabel->setObjectName(QStringLiteral("DirectoryLabel"));
    m_directory = new QLineEdit(kDefaultDirectory, this);
    m_directory->setObjectName(QStringLiteral("Edit1"));
    m_directory->setMinimumWidth(360);
    m_directoryLabel->setBuddy(m_directory);
    dirRow->addWidget(m_directoryLabel);
    dirRow->addWidget(m_directory, 1);
    lay->addLayout(dirRow);

    m_fileLabel = new QLabel(QStringLiteral("A beolvasott fájl:"), this);
    m_fileLabel->setObjectName(QStringLiteral("FileLabel"));
    lay->addWidget(m_fileLabel);
    m_fileText = new QPlainTextEdit(this);
    m_fileText->setObjectName(QStringLiteral("Memo1"));
    m_fileText->setReadOnly(true);
    m_fileText->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_fileText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_fileText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Fixed columns line up only in a fixed-pitch font.
    m_fileText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_fileText->setUndoRedoEnabled(false);
    m_fileLabel->setBuddy(m_fileText);
    lay->addWidget(m_fileText, 3);

    m_progressLabel = new QLabel(this);
    m_progressLabel->setObjectName(QStringLiteral("ProgressLabel"));
    m_progressLabel->setWordWrap(true);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar"));
    m_progress->setAccessibleName(QStringLiteral("Az importált fájl beolvasott része"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setFormat(QString());
    m_progressLabel->setBuddy(m_progress);
    QStringList order;
    for (const legacy::FileLayout& f : legacy::importFiles())
        order << f.fileName;
    m_progressLabel->setText(QStringLiteral("Az Import ebben a sorrendben olvassa a könyvtárból a fájlokat: %1. "
                                            "Minden sort azonnal véglegesít; a Leállítás gomb két sor között megállítja.")
                                 .arg(order.join(QStringLiteral(", "))));
    lay->addWidget(m_progressLabel);
    lay->addWidget(m_progress);

    auto* summaryLabel = new QLabel(QStringLiteral("Összesítés:"), this);
    summaryLabel->setObjectName(QStringLiteral("SummaryLabel"));
    lay->addWidget(summaryLabel);
    // One row per file and one for the totals.
    m_summaryTable = new QTableWidget(static_cast<int>(legacy::importFiles().size()) + 1, 7, this);
    m_summaryTable->setObjectName(QStringLiteral("SummaryGrid"));
    m_summaryTable->setHorizontalHeaderLabels({QStringLiteral("Fájl"), QStringLiteral("Sorok"), QStringLiteral("Beolvasva"),
                                               QStringLiteral("Beírva"), QStringLiteral("Kimaradt"), QStringLiteral("Átugorva"),
                                               QStringLiteral("Állapot")});
    m_summaryTable->verticalHeader()->hide();
    m_summaryTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_summaryTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_summaryTable->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_summaryTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_summaryTable->horizontalHeader()->setSectionResizeMode(6, QHeaderView::Stretch);
    m_summaryTable->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_summaryTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_summaryTable->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    m_summaryTable->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    summaryLabel->setBuddy(m_summaryTable);
    lay->addWidget(m_summaryTable);

    m_summaryNotes = new QPlainTextEdit(this);
    m_summaryNotes->setObjectName(QStringLiteral("SummaryNotes"));
    m_summaryNotes->setAccessibleName(QStringLiteral("Az import megjegyzései"));
    m_summaryNotes->setReadOnly(true);
    lay->addWidget(m_summaryNotes, 1);

    auto* buttons = new QHBoxLayout;
    m_importButton = makeButton(this, "Button1", QStringLiteral("Import"));
    m_stopButton = makeButton(this, "StopButton", QStringLiteral("Leállítás"));
    m_stopButton->setToolTip(QStringLiteral("Az import a folyamatban lévő sor után megáll; a beírt sorok megmaradnak."));
    m_stopButton->setEnabled(false);
    m_saveButton = makeButton(this, "SaveSummaryButton", QStringLiteral("Összesítés mentése..."));
    m_saveButton->setEnabled(false);
    m_cancelButton = makeButton(this, "Button3", QStringLiteral("Mégsem"));
    buttons->addWidget(m_importButton);
    buttons->addWidget(m_stopButton);
    buttons->addWidget(m_saveButton);
    buttons->addStretch(1);
    buttons->addWidget(m_cancelButton);
    lay->addLayout(buttons);

    showSummary();

    resize(920, 760);
    if (QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

void LegacyImportDialog::reject()
{
    // A running import is stopped with its own button; the window stays until the run has ended.
    if (m_running)
        return;
    QDialog::reject();
}

void LegacyImportDialog::closeEvent(QCloseEvent* event)
{
    if (m_running) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool LegacyImportDialog::confirmFilledTables(QStringList& filled)
{
    try {
        filled = legacy::LegacyImporter::filledTables(*Data);
    } catch (const std::exception&) {
        // A database that cannot answer this gives the import's own messages on the first line.
        filled.clear();
        return true;
    }
    if (filled.isEmpty())
        return true;
    QString text = QStringLiteral("Ezekben a táblákban már vannak sorok: %1.\n\nAz import nem töröl és nem ellenőriz "
                                  "semmit: minden sort hozzáad a meglévőkhöz, így egy megismételt import minden "
                                  "sort kétszer tartalmaz.")
                       .arg(filled.join(QStringLiteral(", ")));
    if (legacy::LegacyImporter::registersFilled(filled))
        text += QStringLiteral("\n\nA beimportált szállítók és feladók nem a régi kódjukat kapják: a beszállítások és "
                               "kiszállítások a régi kódokon a már meglévő szállítókhoz és feladókhoz kapcsolódnak.");
    text += QStringLiteral("\n\nMégis indítja az importot?");
    return platform::askChoice(this, text, {QStringLiteral("Import indítása"), QStringLiteral("Mégsem")}, 1) == 0;
}

void LegacyImportDialog::runImport()
{
    if (m_running)
        return;
    QStringList filled;
    if (!confirmFilledTables(filled))
        return;

    m_fileText->clear();
    m_stopRequested = false;
    setRunning(true);
    try {
        input::LongJob job(this, {m_stopButton});
        m_job = &job;
        Progress progress(*this);
        legacy::LegacyImporter importer(*Data, progress);
        m_summary = importer.run(m_directory->text(), filled);
        m_job = nullptr;
    } catch (const std::exception& e) {
        m_job = nullptr;
        setRunning(false);
        platform::showError(this, e);
        return;
    }
    m_hasSummary = true;
    setRunning(false);
    showSummary();
}

void LegacyImportDialog::setRunning(bool running)
{
    m_running = running;
    m_importButton->setEnabled(!running);
    m_directory->setReadOnly(running);
    m_cancelButton->setEnabled(!running);
    m_saveButton->setEnabled(!running && m_hasSummary);
    m_stopButton->setEnabled(running);
    if (running)
        m_progress->setFormat(QStringLiteral("%p%"));
    if (running) {
        m_progressLabel->setText(QStringLiteral("Az import fut. A Leállítás gomb a folyamatban lévő sor után "
                                                "megállítja; a már beírt sorok megmaradnak."));
        m_stopButton->setFocus();
    } else {
        m_importButton->setFocus();
    }
}

void LegacyImportDialog::requestStop()
{
    if (!m_running || m_stopRequested)
        return;
    m_stopRequested = true;
    m_stopButton->setEnabled(false);
    m_progressLabel->setText(QStringLiteral("Leállítás: az import a folyamatban lévő sor után megáll..."));
}

void LegacyImportDialog::showProgress(const legacy::FileLayout& layout, const legacy::FileSummary& file)
{
    using Phase = legacy::FileSummary::Phase;
    const auto& files = legacy::importFiles();
    int position = 1;
    for (int i = 0; i < files.size(); ++i)
        if (files.at(i).fileName == layout.fileName)
            position = i + 1;
    // By the bytes read: a file's lines are not known before it is read, and one line may be huge.
    m_progress->setRange(0, 1000);
    m_progress->setValue(file.size <= 0 ? 1000 : static_cast<int>(std::min<qint64>(1000, file.position * 1000 / file.size)));
    if (!m_stopRequested) {
        const QString bytes = QStringLiteral("%1 / %2").arg(sizeText(file.position), sizeText(file.size));
        QString text;
        if (file.phase == Phase::Checking)
            text = QStringLiteral("A fájlok kódolásának ellenőrzése: %1, %2").arg(layout.fileName, bytes);
        else if (file.phase == Phase::Reading)
            text = QStringLiteral("%1 (%2. fájl a %3 közül): beolvasás, %4").arg(layout.fileName).arg(position).arg(files.size()).arg(bytes);
        else
            text = QStringLiteral("%1 (%2. fájl a %3 közül): %4 / %5 sor, beírva %6, kimaradt %7, átugorva %8")
                       .arg(layout.fileName)
                       .arg(position)
                       .arg(files.size())
                       .arg(file.read)
                       .arg(file.lines)
                       .arg(file.imported)
                       .arg(file.refused)
                       .arg(file.skipped);
        m_progressLabel->setText(text);
    }
    // The box follows the line being imported.
    if (file.phase == Phase::Importing && file.read > 0 && file.read <= m_shownLines) {
        const QTextBlock block = m_fileText->document()->findBlockByNumber(file.read - 1);
        if (block.isValid()) {
            QTextCursor cursor(block);
            cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            m_fileText->setTextCursor(cursor);
            m_fileText->ensureCursorVisible();
        }
    }
}

void LegacyImportDialog::showSummary()
{
    const auto setRow = [this](int row, const QStringList& cells) {
        for (int col = 0; col < cells.size(); ++col) {
            auto* item = new QTableWidgetItem(cells.at(col));
            if (col >= 1 && col <= 5)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_summaryTable->setItem(row, col, item);
        }
    };
    const auto& files = legacy::importFiles();
    int lines = 0, read = 0, imported = 0, refused = 0, skipped = 0;
    for (int row = 0; row < files.size(); ++row) {
        if (!m_hasSummary || row >= m_summary.files.size()) {
            setRow(row, {files.at(row).fileName, {}, {}, {}, {}, {}, {}});
            continue;
        }
        const legacy::FileSummary& f = m_summary.files.at(row);
        setRow(row, {f.fileName, legacy::wasRead(f) ? QString::number(f.lines) : QString(), QString::number(f.read),
                     QString::number(f.imported), QString::number(f.refused), QString::number(f.skipped),
                     legacy::stateText(f)});
        lines += f.lines;
        read += f.read;
        imported += f.imported;
        refused += f.refused;
        skipped += f.skipped;
    }
    if (m_hasSummary)
        setRow(static_cast<int>(files.size()), {QStringLiteral("Összesen"), QString::number(lines), QString::number(read),
                                                QString::number(imported), QString::number(refused),
                                                QString::number(skipped), QString()});
    else
        setRow(static_cast<int>(files.size()), {QStringLiteral("Összesen"), {}, {}, {}, {}, {}, {}});
    if (m_hasSummary) {
        m_summaryNotes->setPlainText(legacy::summaryRemarks(m_summary).join(u'\n'));
        m_progressLabel->setText(m_summary.ending);
    }
}

void LegacyImportDialog::saveSummary()
{
    if (!m_hasSummary || m_running)
        return;
    platform::FileDialogSettings settings;
    settings.title = QStringLiteral("Az import összesítésének mentése");
    settings.filter = QStringLiteral("Szövegfájl (*.txt)|*.txt|Minden fájl|*.*");
    settings.initialDir = m_summary.directory;
    settings.fileName = QStringLiteral("import-osszesites.txt");
    const QString path = platform::getSaveFileName(this, settings);
    if (path.isEmpty())
        return;
    if (const auto failure = textfile::writeUtf8(path, legacy::summaryText(m_summary))) {
        platform::showMessage(this, QStringLiteral("Az összesítés nem menthető ide: „%1” (%2).").arg(path, *failure));
        return;
    }
    m_progressLabel->setText(QStringLiteral("Az összesítés elmentve: %1").arg(QDir::toNativeSeparators(path)));
}
