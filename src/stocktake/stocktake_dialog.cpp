#include "stocktake/stocktake_dialog.h"

#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSplitter>
#include <QTabWidget>
#include <QTime>
#include <QVBoxLayout>

#include "core/convert.h"
#include "stocktake/scan_input.h"
#include "stocktake/stocktake_picker.h"
#include "stocktake/stocktake_printout.h"
#include "storage/session.h"
#include "ui/dbwidgets.h"
#include "ui/layout.h"
#include "ui/longjob.h"
#include "ui/platform.h"

namespace {

enum ListTab { FoundTab = 0, MissingTab = 1, UnregisteredTab = 2 };

QString quoted(const QString& text)
{
    return QStringLiteral("„%1”").arg(text);
}

// Thousands grouped as Hungarian writes them: "50 000".
QString number(qint64 n)
{
    return QLocale(QLocale::Hungarian).toString(n);
}

// What the answer line and the recent readings look like: dark text on a light ground, each far
// above 4.5 : 1.
struct Colours {
    const char* ground;
    const char* text;
};
constexpr Colours kFound{"#d9f2d0", "#0b4a0b"};
constexpr Colours kRepeated{"#fff0c0", "#4d3800"};
constexpr Colours kAlarm{"#ffd5d5", "#7a0000"};

int g_otherDesksInterval = StockTakeDialog::kOtherDesksInterval;

// Why a reading or a file could not be stored, for the person.
QString failureText(const std::exception& e)
{
    const auto* error = dynamic_cast<const fb::Error*>(&e);
    if (error && error->isLockConflict())
        return QStringLiteral("A leltárt egy másik gépen éppen lezárják.");
    return platform::errorText(e);
}

// The most recent readings kept in view.
constexpr int kRecentKept = 500;
// Refused lines of a file named in its summary; the rest are counted.
constexpr int kRefusedShown = 20;

}  // namespace

StockTakeDialog::StockTakeDialog(Session& session, QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_foundRows(session.database(), QStringLiteral("stockTakeFoundRows")),
      m_missingRows(session.database(), QStringLiteral("stockTakeMissingRows")),
      m_unregisteredRows(session.database(), QStringLiteral("stockTakeUnregisteredRows")),
      m_foundSource(m_foundRows, QStringLiteral("stockTakeFoundSource")),
      m_missingSource(m_missingRows, QStringLiteral("stockTakeMissingSource")),
      m_unregisteredSource(m_unregisteredRows, QStringLiteral("stockTakeUnregisteredSource"))
{
    setObjectName(QStringLiteral("stockTakeDialog"));
    setWindowTitle(QStringLiteral("Leltár"));
    buildLayout();

    connect(m_earTag, &QLineEdit::returnPressed, this, &StockTakeDialog::readEarTag);
    connect(m_fileButton, &QPushButton::clicked, this, &StockTakeDialog::readFile);
    connect(m_newButton, &QPushButton::clicked, this, &StockTakeDialog::startStockTake);
    connect(m_openButton, &QPushButton::clicked, this, &StockTakeDialog::openStockTake);
    connect(m_refreshButton, &QPushButton::clicked, this, &StockTakeDialog::refresh);
    connect(m_closeTakeButton, &QPushButton::clicked, this, &StockTakeDialog::closeStockTake);
    connect(m_printButton, &QPushButton::clicked, this, &StockTakeDialog::print);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_cancelFileButton, &QPushButton::clicked, this, [this] { m_fileCancelled = true; });
    connect(m_lists, &QTabWidget::currentChanged, this, &StockTakeDialog::reopenCurrentList);
    m_listRefresh.setSingleShot(true);
    m_listRefresh.setInterval(0);
    connect(&m_listRefresh, &QTimer::timeout, this, &StockTakeDialog::reopenCurrentList);
    m_otherDesks.setInterval(g_otherDesksInterval);
    connect(&m_otherDesks, &QTimer::timeout, this, &StockTakeDialog::followOtherDesks);

    // The stock-take under way, if there is one: a person coming back, or a second desk, goes on with it.
    try {
        if (const auto open = m_session.stockTakes().latestOpen())
            showStockTake(open->id);
    } catch (const std::exception& e) {
        platform::showError(this, e);
    }
    updateState();
    m_otherDesks.start();
}

StockTakeDialog::~StockTakeDialog() = default;

void StockTakeDialog::setOtherDesksInterval(int milliseconds)
{
    g_otherDesksInterval = milliseconds;
}

void StockTakeDialog::buildLayout()
{
    m_takeInfo = new QLabel(this);
    m_takeInfo->setObjectName(QStringLiteral("stockTakeInfoLabel"));
    m_takeInfo->setWordWrap(true);
    m_newButton = makeButton(this, QStringLiteral("newStockTakeButton"), QStringLiteral("Új leltár"));
    m_openButton = makeButton(this, QStringLiteral("openStockTakeButton"), QStringLiteral("Megnyitás…"));
    m_openButton->setAccessibleDescription(QStringLiteral("Egy korábbi leltár megnyitása"));

    m_earTag = new QLineEdit(this);
    m_earTag->setObjectName(QStringLiteral("earTagEdit"));
    m_earTag->setMaxLength(60);
    QFont big = m_earTag->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    m_earTag->setFont(big);
    m_earTag->setMinimumWidth(QFontMetrics(big).horizontalAdvance(QStringLiteral("HU 00 0000 0000 0000 0000 00")) + 16);
    QLabel* earTagLabel = buddyLabel(QStringLiteral("Fülszám:"), m_earTag);
    earTagLabel->setFont(big);
    m_fileButton = makeButton(this, QStringLiteral("readFileButton"), QStringLiteral("Beolvasás fájlból…"));

    m_answer = new QLabel(this);
    m_answer->setObjectName(QStringLiteral("readingAnswerLabel"));
    QFont answerFont = big;
    answerFont.setBold(true);
    m_answer->setFont(answerFont);
    m_answer->setMargin(6);
    m_answer->setAutoFillBackground(true);
    m_answerDetail = new QLabel(this);
    m_answerDetail->setObjectName(QStringLiteral("readingDetailLabel"));
    m_answerDetail->setWordWrap(true);
    m_answerDetail->setMargin(6);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("fileProgress"));
    m_cancelFileButton = makeButton(this, QStringLiteral("cancelFileButton"), QStringLiteral("Mégsem"));
    m_progress->hide();
    m_cancelFileButton->hide();

    // Screen readers announce each list by its tab's name.
    auto grid = [this](const QString& name, const QString& spoken, DataSource* source,
                       const std::vector<GridColumn>& columns) {
        DBGrid* g = makeListGrid(this, name, source, columns);
        g->setAccessibleName(spoken);
        return g;
    };
    m_foundGrid = grid(QStringLiteral("foundGrid"), QStringLiteral("Megvan"), &m_foundSource,
                       {{QStringLiteral("RFULSZAM"), QStringLiteral("Fülszám")},
                        {QStringLiteral("RBESZKELT"), QStringLiteral("Beérkezés")},
                        {QStringLiteral("RNAPOK"), QStringLiteral("Napok")},
                        {QStringLiteral("RFELADO"), QStringLiteral("Feladó")},
                        {QStringLiteral("RELSO"), QStringLiteral("Első olvasás")},
                        {QStringLiteral("RDB"), QStringLiteral("Olvasva")},
                        {QStringLiteral("RJELZES"), QStringLiteral("Jelzés")}});
    m_missingGrid = grid(QStringLiteral("missingGrid"), QStringLiteral("Hiányzik"), &m_missingSource,
                         {{QStringLiteral("RFULSZAM"), QStringLiteral("Fülszám")},
                          {QStringLiteral("RBESZKELT"), QStringLiteral("Beérkezés")},
                          {QStringLiteral("RNAPOK"), QStringLiteral("Napok")},
                          {QStringLiteral("RFELADO"), QStringLiteral("Feladó")}});
    m_unregisteredGrid =
        grid(QStringLiteral("unregisteredGrid"), QStringLiteral("Nincs nyilvántartva"), &m_unregisteredSource,
             {{QStringLiteral("RFULSZAM"), QStringLiteral("Fülszám")},
              {QStringLiteral("RMOZGAS"), QStringLiteral("Utolsó ismert mozgás")},
              {QStringLiteral("RMDATUM"), QStringLiteral("Dátuma")},
              {QStringLiteral("RMPARTNER"), QStringLiteral("Vevő / feladó")},
              {QStringLiteral("RELSO"), QStringLiteral("Első olvasás")},
              {QStringLiteral("RDB"), QStringLiteral("Olvasva")},
              {QStringLiteral("RJELZES"), QStringLiteral("Jelzés")}});
    m_lists = new QTabWidget(this);
    m_lists->setObjectName(QStringLiteral("listTabs"));
    m_lists->addTab(m_foundGrid, QString());
    m_lists->addTab(m_missingGrid, QString());
    m_lists->addTab(m_unregisteredGrid, QString());

    m_recent = new QListWidget(this);
    m_recent->setObjectName(QStringLiteral("recentReadingsList"));
    m_recent->setFocusPolicy(Qt::NoFocus);
    QLabel* recentLabel = buddyLabel(QStringLiteral("Legutóbbi beolvasások"), m_recent);

    m_refreshButton = makeButton(this, QStringLiteral("refreshButton"), QStringLiteral("Frissítés"));
    m_refreshButton->setShortcut(QKeySequence(Qt::Key_F5));
    m_closeTakeButton = makeButton(this, QStringLiteral("closeStockTakeButton"), QStringLiteral("Lezárás"));
    m_printButton = makeButton(this, QStringLiteral("printButton"), QStringLiteral("Nyomtatás"));
    m_closeButton = makeButton(this, QStringLiteral("closeButton"), QStringLiteral("Bezárás"));

    auto* lay = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(m_takeInfo, 1);
    top->addWidget(m_newButton);
    top->addWidget(m_openButton);
    lay->addLayout(top);
    auto* reading = new QHBoxLayout;
    reading->addWidget(earTagLabel);
    reading->addWidget(m_earTag, 1);
    reading->addWidget(m_fileButton);
    lay->addLayout(reading);
    lay->addWidget(m_answer);
    lay->addWidget(m_answerDetail);
    auto* progress = new QHBoxLayout;
    progress->addWidget(m_progress, 1);
    progress->addWidget(m_cancelFileButton);
    lay->addLayout(progress);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("listsSplitter"));
    splitter->addWidget(m_lists);
    auto* recentBox = new QWidget(splitter);
    auto* recentLay = new QVBoxLayout(recentBox);
    recentLay->setContentsMargins(0, 0, 0, 0);
    recentLay->addWidget(recentLabel);
    recentLay->addWidget(m_recent, 1);
    splitter->addWidget(recentBox);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({660, 320});
    lay->addWidget(splitter, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_refreshButton);
    buttons->addWidget(m_closeTakeButton);
    buttons->addWidget(m_printButton);
    buttons->addStretch(1);
    buttons->addWidget(m_closeButton);
    lay->addLayout(buttons);

    setMinimumSize(760, 520);
    resize(1000, 680);
    updateTitles();
    showAnswer(Tone::Neutral, QString());
}

// ---------------------------------------------------------------- what the screen shows

void StockTakeDialog::showAnswer(Tone tone, const QString& headline, const QString& detail)
{
    m_answer->setText(headline);
    m_answerDetail->setText(detail);
    QPalette p = palette();
    const Colours* c = tone == Tone::Found      ? &kFound
                       : tone == Tone::Repeated ? &kRepeated
                       : tone == Tone::Alarm    ? &kAlarm
                                                : nullptr;
    if (c) {
        p.setColor(QPalette::Window, QColor(QString::fromLatin1(c->ground)));
        p.setColor(QPalette::WindowText, QColor(QString::fromLatin1(c->text)));
    }
    m_answer->setPalette(p);
    m_answer->setProperty("tone", static_cast<int>(tone));
}

void StockTakeDialog::addRecent(Tone tone, const QString& text)
{
    auto* item =
        new QListWidgetItem(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("  ") + text);
    const Colours* c = tone == Tone::Found      ? &kFound
                       : tone == Tone::Repeated ? &kRepeated
                       : tone == Tone::Alarm    ? &kAlarm
                                                : nullptr;
    if (c) {
        item->setBackground(QColor(QString::fromLatin1(c->ground)));
        item->setForeground(QColor(QString::fromLatin1(c->text)));
    }
    m_recent->insertItem(0, item);
    while (m_recent->count() > kRecentKept)
        delete m_recent->takeItem(m_recent->count() - 1);
}

void StockTakeDialog::updateState()
{
    const bool any = m_take.has_value();
    const bool open = any && m_take->isOpen();
    if (!any)
        m_takeInfo->setText(
            QStringLiteral("Nincs nyitott leltár. Újat az „Új leltár” gombbal kezdhet, egy korábbit a "
                           "„Megnyitás…” gombbal nyithat meg."));
    else if (open)
        m_takeInfo->setText(QStringLiteral("Leltár (%1. sz.), nyitott. Kezdve: %2 (%3, %4).")
                                .arg(m_take->id)
                                .arg(m_take->started, m_take->startedBy, m_take->startedAt));
    else
        m_takeInfo->setText(QStringLiteral("Leltár (%1. sz.), lezárva: %2 (%3, %4). Kezdve: %5 (%6, %7). A listák a "
                                           "lezáráskori állapotot mutatják.")
                                .arg(m_take->id)
                                .arg(m_take->closed, m_take->closedBy, m_take->closedAt, m_take->started,
                                     m_take->startedBy, m_take->startedAt));
    m_earTag->setEnabled(open);
    m_fileButton->setEnabled(open);
    m_closeTakeButton->setEnabled(open);
    m_printButton->setEnabled(any);
    m_refreshButton->setEnabled(any);
    updateTitles();
}

void StockTakeDialog::updateTitles()
{
    const bool any = m_take.has_value();
    auto title = [any](const QString& name, qint64 n) {
        return any ? QStringLiteral("%1 (%2)").arg(name, number(std::max<qint64>(0, n))) : name;
    };
    m_lists->setTabText(FoundTab, title(QStringLiteral("Megvan"), m_counts.found));
    m_lists->setTabText(MissingTab, title(QStringLiteral("Hiányzik"), m_counts.missing));
    m_lists->setTabText(UnregisteredTab, title(QStringLiteral("Nincs nyilvántartva"), m_counts.unregistered));
}

void StockTakeDialog::recount(bool onSiteToo)
{
    StockTakes& store = m_session.stockTakes();
    if (onSiteToo || !m_take->isOpen()) {
        m_counts = store.counts(*m_take);
        m_onSite = m_counts.found + m_counts.missing;
    } else {
        m_counts = store.countsOfReadings(*m_take);
        m_counts.missing = m_onSite - m_counts.found;
    }
    m_knownReadings = m_counts.readings;
    updateTitles();
}

void StockTakeDialog::reopenLists()
{
    std::fill(std::begin(m_stale), std::end(m_stale), true);
    reopenCurrentList();
}

void StockTakeDialog::reopenCurrentList()
{
    const int tab = m_lists->currentIndex();
    if (tab < 0 || tab > 2 || !m_stale[tab])
        return;
    m_stale[tab] = false;
    if (!m_take) {
        m_foundRows.close();
        m_missingRows.close();
        m_unregisteredRows.close();
        return;
    }
    StockTakes& store = m_session.stockTakes();
    const QDate today = platform::today();
    try {
        switch (tab) {
            case FoundTab:
                store.openFound(m_foundRows, *m_take, today);
                break;
            case MissingTab:
                store.openMissing(m_missingRows, *m_take, today);
                break;
            default:
                store.openUnregistered(m_unregisteredRows, *m_take);
                break;
        }
    } catch (const std::exception& e) {
        m_stale[tab] = true;
        platform::showError(this, e);
    }
}

// ---------------------------------------------------------------- reading ear tags

QString StockTakeDialog::describe(const ScanAnswer& a) const
{
    if (a.onSite) {
        QString text = QStringLiteral("Telepen van. Beérkezett: %1").arg(convert::dateToText(a.arrived));
        if (a.arrived.isValid())
            text += QStringLiteral(" (%1 napja)").arg(a.arrived.daysTo(platform::today()));
        if (!a.sender.isEmpty())
            text += QStringLiteral(", feladó: %1").arg(a.sender);
        return text + u'.';
    }
    if (!a.passDate.isValid() && a.passPartner.isEmpty() && a.lastPass == kNeverRegistered)
        return QStringLiteral("A nyilvántartás szerint nincs telepen: %1.").arg(kNeverRegistered);
    QString text = QStringLiteral("A nyilvántartás szerint nincs telepen. Utolsó ismert mozgása: %1").arg(a.lastPass);
    if (a.passDate.isValid())
        text += u' ' + convert::dateToText(a.passDate);
    if (!a.passPartner.isEmpty())
        text += QStringLiteral(", %1").arg(a.passPartner);
    return text + u'.';
}

void StockTakeDialog::readEarTag()
{
    if (m_busy)
        return;
    const QString typed = m_earTag->text();
    const stocktake::Reading reading = stocktake::readEarTag(typed);
    // An Enter with nothing typed does nothing.
    if (reading.kind == stocktake::Reading::Kind::Blank) {
        m_earTag->clear();
        return;
    }
    if (!m_take || !m_take->isOpen())
        return;
    if (reading.kind == stocktake::Reading::Kind::NotEarTag) {
        showAnswer(Tone::Alarm, QStringLiteral("Nem fülszám: %1").arg(quoted(typed.trimmed())),
                   QStringLiteral("%1; nem került a leltárba.").arg(reading.reason));
        addRecent(Tone::Alarm, QStringLiteral("%1  nem fülszám").arg(typed.trimmed()));
        platform::beep();
        m_earTag->selectAll();
        return;
    }
    m_busy = true;
    const auto done = qScopeGuard([this] { m_busy = false; });
    ScanAnswer a;
    try {
        a = m_session.stockTakes().addReading(m_take->id, reading.earTag);
    } catch (const StockTakeClosed& e) {
        showAnswer(Tone::Alarm, QStringLiteral("%1: NEM került a leltárba").arg(reading.earTag), e.message());
        addRecent(Tone::Alarm, QStringLiteral("%1  nem került be").arg(reading.earTag));
        platform::beep();
        const qint64 id = m_take->id;
        m_busy = false;
        showStockTake(id);
        return;
    } catch (const std::exception& e) {
        showAnswer(Tone::Alarm, QStringLiteral("%1: NEM került a leltárba").arg(reading.earTag),
                   failureText(e) + QStringLiteral(" Olvassa be újra."));
        addRecent(Tone::Alarm, QStringLiteral("%1  nem került be").arg(reading.earTag));
        platform::beep();
        m_earTag->selectAll();
        return;
    }
    m_earTag->clear();
    ++m_knownReadings;
    const bool repeated = a.timesSeen > 1;
    if (!repeated) {
        if (a.onSite) {
            ++m_counts.found;
            --m_counts.missing;
        } else {
            ++m_counts.unregistered;
        }
    }
    ++m_counts.readings;
    const QString again = repeated ? QStringLiteral(" (már beolvasva, %1. olvasás)").arg(a.timesSeen) : QString();
    if (a.onSite) {
        const Tone tone = repeated ? Tone::Repeated : Tone::Found;
        showAnswer(tone, QStringLiteral("%1: Megvan%2").arg(a.earTag, again), describe(a));
        addRecent(tone, QStringLiteral("%1  Megvan%2").arg(a.earTag, again));
    } else {
        showAnswer(Tone::Alarm, QStringLiteral("%1: Nincs nyilvántartva%2").arg(a.earTag, again), describe(a));
        addRecent(Tone::Alarm, QStringLiteral("%1  Nincs nyilvántartva%2").arg(a.earTag, again));
        platform::beep();
    }
    updateTitles();
    std::fill(std::begin(m_stale), std::end(m_stale), true);
    m_listRefresh.start();
}

void StockTakeDialog::readFile()
{
    if (m_busy || !m_take || !m_take->isOpen())
        return;
    platform::FileDialogSettings settings;
    settings.title = QStringLiteral("Beolvasás fájlból");
    settings.filter = QStringLiteral("Szövegfájl (*.txt, *.csv)|*.txt;*.csv|Minden fájl|*.*");
    const QString path = platform::getOpenFileName(this, settings);
    if (path.isEmpty())
        return;
    const QString file = quoted(QDir::toNativeSeparators(path));

    m_busy = true;
    m_fileCancelled = false;
    m_progress->setFormat(QStringLiteral("A fájl olvasása… %p%"));
    m_progress->setRange(0, 1000);
    m_progress->setValue(0);
    m_progress->show();
    m_cancelFileButton->show();
    const auto done = qScopeGuard([this] {
        m_progress->hide();
        m_cancelFileButton->hide();
        m_busy = false;
        m_earTag->setFocus(Qt::OtherFocusReason);
    });
    std::variant<stocktake::TagFile, stocktake::FileRefusal> read;
    const StockTakeCounts before = m_counts;
    bool stored = false;
    bool closedMeanwhile = false;
    QString failure;
    {
        // The window stays painted and takes only the cancel button's click until the file is in.
        input::LongJob job(this, {m_cancelFileButton});
        read = stocktake::readTagFile(path, [&](qint64 bytes, qint64 total) {
            m_progress->setValue(total > 0 ? static_cast<int>(bytes * 1000 / total) : 0);
            job.pump();
            return !m_fileCancelled;
        });
        if (const auto* tags = std::get_if<stocktake::TagFile>(&read)) {
            m_progress->setFormat(QStringLiteral("A fülszámok mentése… %p%"));
            m_progress->setValue(0);
            job.pump(true);
            try {
                const qint64 total = tags->earTags.size();
                stored = m_session.stockTakes().addReadings(m_take->id, tags->earTags, [&](qint64 n) {
                    m_progress->setValue(static_cast<int>(n * 1000 / std::max<qint64>(1, total)));
                    job.pump();
                    return !m_fileCancelled;
                });
                if (!stored)
                    m_fileCancelled = true;
            } catch (const StockTakeClosed& e) {
                failure = e.message();
                closedMeanwhile = true;
            } catch (const std::exception& e) {
                failure = failureText(e);
            }
        }
    }
    if (m_fileCancelled) {
        showAnswer(Tone::Neutral, QStringLiteral("A beolvasás megszakítva."),
                   QStringLiteral("A(z) %1 fájlból semmi sem került a leltárba.").arg(file));
        return;
    }
    if (const auto* refusal = std::get_if<stocktake::FileRefusal>(&read)) {
        showAnswer(Tone::Alarm, QStringLiteral("A fájl nem került a leltárba."), refusal->message);
        platform::beep();
        platform::showMessage(this, refusal->message);
        return;
    }
    const stocktake::TagFile& tags = std::get<stocktake::TagFile>(read);
    if (!stored) {
        const QString message = QStringLiteral("A(z) %1 fájl fülszámai nem kerültek a leltárba: %2").arg(file, failure);
        showAnswer(Tone::Alarm, QStringLiteral("A fájl nem került a leltárba."), message);
        platform::beep();
        platform::showMessage(this, message);
        // The screen shows the stock-take as it is now: closed, at another desk.
        if (closedMeanwhile) {
            m_busy = false;
            showStockTake(m_take->id);
        }
        return;
    }

    QString summary;
    try {
        recount(false);
        reopenLists();
    } catch (const std::exception& e) {
        platform::showError(this, e);
    }
    const qint64 newFound = std::max<qint64>(0, m_counts.found - before.found);
    const qint64 newUnregistered = std::max<qint64>(0, m_counts.unregistered - before.unregistered);
    const qint64 count = tags.earTags.size();
    summary = QStringLiteral("A(z) %1 fájlból %2 fülszám került a leltárba.").arg(file, number(count));
    summary += QStringLiteral(
                   "\nÚj a leltárban: Megvan %1, Nincs nyilvántartva %2; a többi már beolvasott fülszám "
                   "ismételt olvasása (%3).")
                   .arg(number(newFound), number(newUnregistered),
                        number(std::max<qint64>(0, count - newFound - newUnregistered)));
    QStringList passed;
    if (tags.headerLine > 0)
        passed << QStringLiteral("a fejléc (%1. sor)").arg(tags.headerLine);
    if (tags.blankLines > 0)
        passed << QStringLiteral("%1 üres sor").arg(number(tags.blankLines));
    if (!passed.isEmpty())
        summary += QStringLiteral("\nÁtugorva: %1.").arg(passed.join(QStringLiteral(", ")));
    if (tags.refusedCount > 0) {
        summary += QStringLiteral("\nNem fülszám, ezért kimaradt %1 sor:").arg(number(tags.refusedCount));
        for (qsizetype i = 0; i < tags.refused.size() && i < kRefusedShown; ++i)
            summary += QStringLiteral("\n  %1. sor: %2 (%3)")
                           .arg(tags.refused[i].line)
                           .arg(quoted(tags.refused[i].text), tags.refused[i].reason);
        if (tags.refusedCount > kRefusedShown)
            summary += QStringLiteral("\n  … és még %1 sor.").arg(number(tags.refusedCount - kRefusedShown));
    }
    const Tone tone = newUnregistered > 0 || tags.refusedCount > 0 ? Tone::Alarm : Tone::Found;
    showAnswer(tone, QStringLiteral("%1 fülszám beolvasva a fájlból.").arg(number(count)),
               newUnregistered > 0
                   ? QStringLiteral("Közülük %1 a nyilvántartás szerint nincs telepen.").arg(number(newUnregistered))
                   : QStringLiteral("A fájl: %1.").arg(file));
    addRecent(tone, QStringLiteral("%1 fülszám a(z) %2 fájlból").arg(number(count), file));
    if (tone == Tone::Alarm)
        platform::beep();
    platform::showMessage(this, summary);
}

// ---------------------------------------------------------------- the stock-takes

void StockTakeDialog::showStockTake(qint64 id)
{
    StockTakes& store = m_session.stockTakes();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    try {
        std::optional<StockTake> take = store.find(id);
        if (take && take->isOpen())
            store.join(id);
        if (!m_take || !take || m_take->id != take->id)
            m_recent->clear();
        m_take = take;
        m_counts = {};
        if (m_take)
            recount(true);
    } catch (const std::exception& e) {
        updateState();
        reopenLists();
        platform::showError(this, e);
        return;
    }
    updateState();
    reopenLists();
    if (m_earTag->isEnabled())
        m_earTag->setFocus(Qt::OtherFocusReason);
}

void StockTakeDialog::startStockTake()
{
    if (m_busy)
        return;
    if (m_take && m_take->isOpen() &&
        !platform::askYesNo(this, QStringLiteral("Új leltárt kezd?\nA mostani (%1. sz.) leltár nyitva marad, a "
                                                 "„Megnyitás…” gombbal később folytatható.")
                                      .arg(m_take->id)))
        return;
    StockTake take;
    try {
        take = m_session.stockTakes().start();
    } catch (const std::exception& e) {
        platform::showError(this, e);
        return;
    }
    showStockTake(take.id);
    showAnswer(Tone::Neutral, QStringLiteral("Új leltár (%1. sz.): olvassa be a fülszámokat.").arg(take.id));
}

void StockTakeDialog::openStockTake()
{
    if (m_busy)
        return;
    StockTakePickerDialog picker(m_session, this);
    if (platform::showModal(&picker) != QDialog::Accepted || !picker.chosen())
        return;
    showStockTake(*picker.chosen());
    if (m_take)
        showAnswer(Tone::Neutral, m_take->isOpen() ? QStringLiteral("A leltár (%1. sz.) folytatható.").arg(m_take->id)
                                                   : QStringLiteral("A leltár (%1. sz.) lezárt: csak megtekinthető és "
                                                                    "nyomtatható.")
                                                         .arg(m_take->id));
}

void StockTakeDialog::refresh()
{
    if (m_busy || !m_take)
        return;
    showStockTake(m_take->id);
}

void StockTakeDialog::followOtherDesks()
{
    // Not while a box or a picker is open over the screen.
    const QWidget* modal = QApplication::activeModalWidget();
    if (m_busy || !m_take || !m_take->isOpen() || !isVisible() || (modal && modal != this))
        return;
    m_busy = true;
    const auto done = qScopeGuard([this] { m_busy = false; });
    try {
        StockTakes& store = m_session.stockTakes();
        if (store.readingCount(m_take->id) == m_knownReadings) {
            // Closed at another desk: the screen shows it closed before anyone reads into it.
            if (const auto now = store.find(m_take->id); now && !now->isOpen()) {
                m_busy = false;
                showStockTake(now->id);
                showAnswer(Tone::Neutral, QStringLiteral("A leltárt (%1. sz.) egy másik gépen lezárták.").arg(now->id),
                           QStringLiteral("Lezárva: %1 (%2, %3). A listák a lezáráskori állapotot mutatják.")
                               .arg(now->closed, now->closedBy, now->closedAt));
            }
            return;
        }
        recount(false);
        reopenLists();
    } catch (const std::exception&) {
        // Only a look: the next reading or "Frissítés" says what is wrong.
    }
}

void StockTakeDialog::closeStockTake()
{
    if (m_busy || !m_take || !m_take->isOpen())
        return;
    const qint64 id = m_take->id;
    if (!platform::askYesNo(this, QStringLiteral("Lezárja a leltárt (%1. sz.)?\nUtána nem olvasható be több fülszám; a "
                                                 "három lista a mostani állapotában marad meg, és kinyomtatható.")
                                      .arg(id)))
        return;
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        m_session.stockTakes().close(id, platform::today());
    } catch (const StockTakeClosed& e) {
        platform::showMessage(this, e.message());
        showStockTake(id);
        return;
    } catch (const fb::Error& e) {
        platform::showMessage(this, e.isLockConflict()
                                        ? QStringLiteral("A leltár most nem zárható le: egy másik gépen éppen "
                                                         "fülszámot mentenek bele, vagy ott zárják le.\nPróbálja újra.")
                                        : e.message());
        return;
    } catch (const std::exception& e) {
        platform::showError(this, e);
        return;
    }
    showStockTake(id);
    showAnswer(
        Tone::Neutral, QStringLiteral("A leltár (%1. sz.) lezárva.").arg(id),
        QStringLiteral("A listái a lezáráskori állapotukban maradtak meg; a nyilvántartásban semmi sem változott."));
    print();
}

void StockTakeDialog::print()
{
    if (m_busy || !m_take)
        return;
    StockTakePrintout printout(m_session, *m_take, m_counts, platform::today());
    printout.show(this);
}
