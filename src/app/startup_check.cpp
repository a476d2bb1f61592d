#include "app/startup_check.h"

#include "db/database_settings.h"
#include "core/index_check.h"
#include "db/error.h"
#include "db/service.h"
#include "ui/longjob.h"
#include "ui/platform.h"

#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScreen>
#include <QVBoxLayout>

#include <cstdio>

namespace startupcheck {

namespace {

// The small window that says what is being checked while the engine works.
class CheckWindow : public QDialog {
public:
    explicit CheckWindow(QWidget* parent) : QDialog(parent)
    {
        setObjectName(QStringLiteral("DatabaseCheck"));
        setWindowTitle(QStringLiteral("Adatbázis ellenőrzése"));
        auto* lay = new QVBoxLayout(this);
        auto* heading = new QLabel(QStringLiteral("A program legutóbb nem a szokásos módon ért véget, ezért most "
                                                  "ellenőrzi az adatbázist."),
                                   this);
        heading->setObjectName(QStringLiteral("HeadingLabel"));
        heading->setWordWrap(true);
        lay->addWidget(heading);
        m_line = new QLabel(this);
        m_line->setObjectName(QStringLiteral("ProgressLabel"));
        lay->addWidget(m_line);
        auto* bar = new QProgressBar(this);
        bar->setObjectName(QStringLiteral("ProgressBar"));
        bar->setRange(0, 0);  // the engine does not say how far it is
        bar->setAccessibleName(QStringLiteral("Az ellenőrzés folyamatban"));
        lay->addWidget(bar);
        setMinimumWidth(460);
        setModal(true);
    }
    void say(const QString& text)
    {
        m_line->setText(text);
        m_line->setAccessibleName(text);
    }
    QString said() const { return m_line->text(); }

private:
    QLabel* m_line;
};

// The progress line for one line of the validation's report.
QString progressLine(const QString& reportLine, QString& table)
{
    static const QRegularExpression relation(QStringLiteral("Relation\\s+\\d+\\s+\\(([^)]*)\\)"));
    static const QRegularExpression index(QStringLiteral("Index\\s+\\d+\\s+\\(([^)]*)\\)"));
    if (const auto m = relation.match(reportLine); m.hasMatch()) {
        table = m.captured(1);
        return QStringLiteral("Ellenőrzés: %1 tábla").arg(table);
    }
    if (const auto m = index.match(reportLine); m.hasMatch())
        return QStringLiteral("Ellenőrzés: %1 tábla, %2 index").arg(table, m.captured(1));
    return {};
}

QString described(const indexcheck::DamagedIndex& d) { return QStringLiteral("%1 (%2 tábla)").arg(d.index, d.table); }

// Validates with the window showing the table and index in hand; the findings, or nothing when
// the validation could not run to its end.
std::optional<indexcheck::Findings> validate(const fb::ConnectParams& params, CheckWindow& window,
                                             input::LongJob& job)
{
    QString table;
    try {
        const QStringList report = fb::validateDatabase(params, [&](const QString& line) {
            const QString shown = progressLine(line, table);
            if (!shown.isEmpty())
                window.say(shown);
            job.pump();
        });
        const indexcheck::Findings findings = indexcheck::readReport(report);
        if (!findings.finished)
            return std::nullopt;
        return findings;
    } catch (const std::exception& e) {
        // The file missing or held by another program: the connection that follows says so.
        std::fprintf(stderr, "gerundo: database check not run: %s\n", e.what());
        return std::nullopt;
    }
}

QString messageFor(const Outcome& o)
{
    QStringList parts;
    parts << QStringLiteral("A program legutóbb nem a szokásos módon ért véget (például áramszünet vagy "
                            "leállítás miatt), ezért indításkor ellenőrizte az adatbázist.");
    if (!o.repaired.isEmpty())
        parts << QStringLiteral("Sérült indexet talált, és újraépítette: %1.").arg(o.repaired.join(QStringLiteral(", ")));
    if (!o.notRepaired.isEmpty())
        parts << QStringLiteral("Ezeket a sérült indexeket nem sikerült újraépíteni: %1.")
                     .arg(o.notRepaired.join(QStringLiteral(", ")));
    if (!o.otherDamage.isEmpty())
        parts << QStringLiteral("Az indexeken kívül is talált sérülést: %1.").arg(o.otherDamage.join(QStringLiteral(", ")));
    if (o.soundAfter)
        parts << QStringLiteral("Az adatbázis most rendben van; az adatok nem változtak.");
    else
        parts << QStringLiteral("Az adatbázis még nincs rendben. Töltse vissza a legutóbbi mentést (Segédlet → "
                                "Visszatöltés), vagy kérjen segítséget (Segédlet → Távsegítség).");
    return parts.join(u'\n');
}

}  // namespace

Outcome check(QWidget* parent, const fb::ConnectParams& params)
{
    Outcome outcome;
    CheckWindow window(parent);
    window.say(QStringLiteral("Ellenőrzés indul…"));
    window.show();
    if (!parent)
        if (QScreen* s = QGuiApplication::primaryScreen())
            window.move(s->availableGeometry().center() - window.rect().center());
    input::LongJob job(&window);
    job.pump(true);

    const std::optional<indexcheck::Findings> first = validate(params, window, job);
    if (!first)
        return outcome;
    outcome.checked = true;
    if (first->clean()) {
        outcome.soundAfter = true;
        return outcome;
    }
    QStringList damagedTables;
    for (const QString& d : first->otherDamage) {
        const QString table = d.section(u':', 0, 0);
        if (!damagedTables.contains(table))
            damagedTables << table;
    }
    for (const QString& t : damagedTables)
        outcome.otherDamage << QStringLiteral("%1 tábla").arg(t);

    if (!first->indexes.isEmpty()) {
        try {
            fb::Attachment att;
            att.attach(params);
            for (const indexcheck::DamagedIndex& d : first->indexes) {
                window.say(QStringLiteral("Újraépítés: %1 tábla, %2 index").arg(d.table, d.index));
                job.pump(true);
                try {
                    indexcheck::rebuildIndex(att, d.index);
                    outcome.repaired << described(d);
                } catch (const std::exception& e) {
                    std::fprintf(stderr, "gerundo: index %s not rebuilt: %s\n", qPrintable(d.index), e.what());
                    outcome.notRepaired << described(d);
                }
            }
            att.detach();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "gerundo: indexes not rebuilt: %s\n", e.what());
            for (const indexcheck::DamagedIndex& d : first->indexes)
                if (!outcome.repaired.contains(described(d)) && !outcome.notRepaired.contains(described(d)))
                    outcome.notRepaired << described(d);
        }
        // Once more, to tell the truth about the file as it is now.
        window.say(QStringLiteral("Ellenőrzés újra az újraépítés után"));
        job.pump(true);
        const std::optional<indexcheck::Findings> second = validate(params, window, job);
        outcome.soundAfter = second && second->clean();
    }
    window.hide();
    outcome.message = messageFor(outcome);
    platform::showMessage(parent, outcome.message);
    return outcome;
}

bool afterUncleanEnd(QWidget* parent)
{
    const QString database = dbsettings::database();
    if (indexcheck::endedUncleanly(database))
        check(parent, dbsettings::params(database));
    return !input::LongJob::endRequested();
}

void markRunning() { indexcheck::markRunning(dbsettings::database()); }
void markCleanEnd() { indexcheck::markCleanEnd(dbsettings::database()); }

}  // namespace startupcheck
