#include "lookups/eartag_checks.h"

#include "storage/shared_datasets.h"
#include "ui/layout.h"
#include "ui/platform.h"
#include "ui/textfile.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <functional>

struct EarTagCheckKind {
    QString objectName;
    QString caption;
    QString heading;
    QString emptyReport;  // what the memo holds before the first check
    QString fileName;     // offered when saving
    // Appends the report's lines; raises on a database error, the lines so far staying.
    std::function<void(QStringList&)> write;
};

namespace {

// Walks a list ordered by ear tag and reports every two neighbouring rows with the same ear tag,
// compared exactly as text, the earlier row first.
void appendDuplicates(QStringList& lines, Dataset& list, const QString& earTagField, const QString& idField)
{
    const int earTag = list.fieldIndex(earTagField);
    const int id = list.fieldIndex(idField);
    const QString idCaption = QStringLiteral("     Sorszáma: %1 = ").arg(idField);
    auto line = [&](int row) {
        return QStringLiteral("Dupla:  fülszám = ") + list.cellText(row, earTag) + idCaption + list.cellText(row, id);
    };
    const int rows = list.recordCount();
    for (int r = 0; r + 1 < rows; ++r) {
        if (list.cellText(r, earTag) != list.cellText(r + 1, earTag))
            continue;
        lines << line(r) << line(r + 1) << QStringLiteral(" ");
    }
    // Left on its last row, as a walk through it would leave it.
    list.last();
}

void openList(Dataset& list, const QStringList& sql)
{
    list.close();
    list.setSql(sql);
    list.open();
}

void writeDuplicates(QStringList& lines)
{
    Dataset& arrivals = Data->ZQ13;
    openList(arrivals, {QStringLiteral("SELECT bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod, IDb"),
                        QStringLiteral("FROM beszall"), QStringLiteral("ORDER BY bfulszam")});
    lines << QStringLiteral(" ****   Duplikált fülszám keresése a beszállítások között... ") << QStringLiteral(" ");
    appendDuplicates(lines, arrivals, QStringLiteral("bfulszam"), QStringLiteral("IDb"));
    lines << QStringLiteral(" ") << QStringLiteral(" ");

    Dataset& departures = Data->ZQ23;
    openList(departures, {QStringLiteral("SELECT kfulszam, kikelt, keubizki, keubizbe, IDk"),
                          QStringLiteral("FROM kiszall"), QStringLiteral("ORDER BY kfulszam")});
    lines << QStringLiteral(" ****   Duplikált fülszám keresése a kiszállítások között... ") << QStringLiteral(" ");
    appendDuplicates(lines, departures, QStringLiteral("kfulszam"), QStringLiteral("IDk"));
    lines << QStringLiteral(" ") << QStringLiteral(" ****   Vége. ****");
}

void writeDeparturesWithoutArrival(QStringList& lines)
{
    Dataset& missing = Data->ZQ11;
    openList(missing, {QStringLiteral("SELECT kfulszam, kikelt, kskod, kfkod, IDk"), QStringLiteral("FROM kiszall"),
                       QStringLiteral("LEFT JOIN beszall on beszall.bfulszam = kiszall.kfulszam"),
                       QStringLiteral("WHERE bfulszam  IS NULL")});
    lines << QStringLiteral(" ****   Beszállításból hiányzik de kiszállításban benne van ... ") << QStringLiteral(" ");
    const int earTag = missing.fieldIndex(QStringLiteral("kfulszam"));
    const int id = missing.fieldIndex(QStringLiteral("IDk"));
    const int rows = missing.recordCount();
    for (int r = 0; r < rows; ++r)
        lines << QStringLiteral("A fülszám = ") + missing.cellText(r, earTag) +
                     QStringLiteral("     Sorszáma: IDk = ") + missing.cellText(r, id)
              << QStringLiteral(" ");
    missing.last();
    lines << QStringLiteral(" ") << QStringLiteral("****   Vége. **** ");
}

const EarTagCheckKind kDuplicates{
    QStringLiteral("Form22"),
    QStringLiteral("Duple fülszám keresés"),
    QStringLiteral("Be- és kiszállított listában"),
    QStringLiteral("Dupla fülszámok listája"),
    QStringLiteral("dupla-fulszamok.txt"),
    writeDuplicates,
};

const EarTagCheckKind kWithoutArrival{
    QStringLiteral("Form32"),
    QStringLiteral("Hiányzik a beszállításból"),
    QStringLiteral("A kiszállításban megtalálható, de nincs beszállítva.."),
    QStringLiteral("Beszállításból hiányzó fülszámok listája"),
    QStringLiteral("hianyzo-beszallitasok.txt"),
    writeDeparturesWithoutArrival,
};

}  // namespace

EarTagCheckDialog::EarTagCheckDialog(const EarTagCheckKind& kind, QWidget* parent) : QDialog(parent), m_kind(kind)
{
    setObjectName(kind.objectName);
    setWindowTitle(kind.caption);

    m_heading = new QLabel(kind.heading, this);
    m_heading->setObjectName(QStringLiteral("Label1"));
    m_report = new QPlainTextEdit(this);
    m_report->setObjectName(QStringLiteral("Memo1"));
    m_report->setReadOnly(true);
    m_report->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_report->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_report->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_report->setPlainText(kind.emptyReport);
    m_heading->setBuddy(m_report);

    m_checkButton = makeButton(this, QStringLiteral("Button5"), QStringLiteral("Ellenörzés"));
    m_saveButton = makeButton(this, QStringLiteral("SaveButton"), QStringLiteral("Mentés..."));
    m_saveButton->setAccessibleDescription(QStringLiteral("A lista mentése szövegfájlba"));
    m_saveButton->setEnabled(false);  // nothing to save before a check
    m_cancelButton = makeButton(this, QStringLiteral("Button4"), QStringLiteral("Mégsem"));

    auto* lay = new QVBoxLayout(this);
    lay->addWidget(m_heading);
    lay->addWidget(m_report, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_checkButton);
    buttons->addWidget(m_saveButton);
    buttons->addStretch(1);
    buttons->addWidget(m_cancelButton);
    lay->addLayout(buttons);

    connect(m_checkButton, &QPushButton::clicked, this, &EarTagCheckDialog::runCheck);
    connect(m_saveButton, &QPushButton::clicked, this, &EarTagCheckDialog::saveReport);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    fixAndCentre(this, QSize(620, 520));
}

void EarTagCheckDialog::runCheck()
{
    QStringList lines;
    QString failure;
    try {
        m_kind.write(lines);
    } catch (const std::exception& e) {
        failure = QString::fromStdString(e.what());
    }
    m_report->setPlainText(lines.join(u'\n'));
    m_saveButton->setEnabled(true);
    if (!failure.isEmpty())
        platform::showError(this, failure);
}

void EarTagCheckDialog::saveReport()
{
    platform::FileDialogSettings settings;
    settings.title = QStringLiteral("A lista mentése");
    settings.filter = QStringLiteral("Szövegfájl (*.txt)|*.txt|Minden fájl|*.*");
    settings.fileName = m_kind.fileName;
    const QString path = platform::getSaveFileName(this, settings);
    if (path.isEmpty())
        return;
    if (const auto failure = textfile::writeUtf8(path, m_report->toPlainText() + u'\n'))
        platform::showMessage(this, QStringLiteral("A lista nem menthető ide: „%1” (%2).").arg(path, *failure));
}

DuplicateEarTagsDialog::DuplicateEarTagsDialog(QWidget* parent) : EarTagCheckDialog(kDuplicates, parent) {}

DeparturesWithoutArrivalDialog::DeparturesWithoutArrivalDialog(QWidget* parent)
    : EarTagCheckDialog(kWithoutArrival, parent)
{
}
