#include "lookups/eartag_checks.h"

#include "storage/session.h"
#include "ui/layout.h"
#include "ui/platform.h"
#include "ui/textfile.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

struct EarTagCheckKind {
    QString objectName;
    QString caption;
    QString heading;
    QString emptyReport;  // what the memo holds before the first check
    QString fileName;     // offered when saving
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

const EarTagCheckKind kDuplicates{
    QStringLiteral("duplicateEarTagsDialog"),
    QStringLiteral("Duple fülszám keresés"),
    QStringLiteral("Be- és kiszállított listában"),
    QStringLiteral("Dupla fülszámok listája"),
    QStringLiteral("dupla-fulszamok.txt"),
};

const EarTagCheckKind kWithoutArrival{
    QStringLiteral("departuresWithoutArrivalDialog"),
    QStringLiteral("Hiányzik a beszállításból"),
    QStringLiteral("A kiszállításban megtalálható, de nincs beszállítva.."),
    QStringLiteral("Beszállításból hiányzó fülszámok listája"),
    QStringLiteral("hianyzo-beszallitasok.txt"),
};

}  // namespace

EarTagCheckDialog::EarTagCheckDialog(Session& session, const EarTagCheckKind& kind, QWidget* parent)
    : QDialog(parent), m_session(session), m_kind(kind)
{
    setObjectName(kind.objectName);
    setWindowTitle(kind.caption);

    m_heading = new QLabel(kind.heading, this);
    m_heading->setObjectName(QStringLiteral("headingLabel"));
    m_report = new QPlainTextEdit(this);
    m_report->setObjectName(QStringLiteral("reportMemo"));
    m_report->setReadOnly(true);
    m_report->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_report->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_report->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_report->setPlainText(kind.emptyReport);
    m_heading->setBuddy(m_report);

    m_checkButton = makeButton(this, QStringLiteral("checkButton"), QStringLiteral("Ellenörzés"));
    m_saveButton = makeButton(this, QStringLiteral("saveButton"), QStringLiteral("Mentés..."));
    m_saveButton->setAccessibleDescription(QStringLiteral("A lista mentése szövegfájlba"));
    m_saveButton->setEnabled(false);  // nothing to save before a check
    m_cancelButton = makeButton(this, QStringLiteral("cancelButton"), QStringLiteral("Mégsem"));

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
        writeReport(lines);
    } catch (const std::exception& e) {
        failure = platform::errorText(e);
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

DuplicateEarTagsDialog::DuplicateEarTagsDialog(Session& session, QWidget* parent)
    : EarTagCheckDialog(session, kDuplicates, parent),
      m_arrivals(session.database(), QStringLiteral("duplicateCheckArrivals")),
      m_departures(session.database(), QStringLiteral("duplicateCheckDepartures"))
{
}

void DuplicateEarTagsDialog::writeReport(QStringList& lines)
{
    session().arrivals().openByEarTag(m_arrivals);
    lines << QStringLiteral(" ****   Duplikált fülszám keresése a beszállítások között... ") << QStringLiteral(" ");
    appendDuplicates(lines, m_arrivals, QStringLiteral("bfulszam"), QStringLiteral("IDb"));
    lines << QStringLiteral(" ") << QStringLiteral(" ");

    session().departures().openByEarTag(m_departures);
    lines << QStringLiteral(" ****   Duplikált fülszám keresése a kiszállítások között... ") << QStringLiteral(" ");
    appendDuplicates(lines, m_departures, QStringLiteral("kfulszam"), QStringLiteral("IDk"));
    lines << QStringLiteral(" ") << QStringLiteral(" ****   Vége. ****");
}

DeparturesWithoutArrivalDialog::DeparturesWithoutArrivalDialog(Session& session, QWidget* parent)
    : EarTagCheckDialog(session, kWithoutArrival, parent),
      m_missing(session.database(), QStringLiteral("departuresWithoutArrival"))
{
}

void DeparturesWithoutArrivalDialog::writeReport(QStringList& lines)
{
    session().departures().openWithoutArrival(m_missing);
    lines << QStringLiteral(" ****   Beszállításból hiányzik de kiszállításban benne van ... ") << QStringLiteral(" ");
    const int earTag = m_missing.fieldIndex(QStringLiteral("kfulszam"));
    const int id = m_missing.fieldIndex(QStringLiteral("IDk"));
    const int rows = m_missing.recordCount();
    for (int r = 0; r < rows; ++r)
        lines << QStringLiteral("A fülszám = ") + m_missing.cellText(r, earTag) +
                     QStringLiteral("     Sorszáma: IDk = ") + m_missing.cellText(r, id)
              << QStringLiteral(" ");
    m_missing.last();
    lines << QStringLiteral(" ") << QStringLiteral("****   Vége. **** ");
}
