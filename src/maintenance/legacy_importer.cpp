#include "maintenance/legacy_importer.h"

#include "core/convert.h"
#include "storage/session.h"
#include "storage/shared_datasets.h"
#include "db/error.h"
#include "ui/platform.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace legacy {

namespace {

constexpr long kConvertError = 335544334L;       // a text the database cannot turn into a date
constexpr long kArithmeticError = 335544321L;    // with string truncation: a text longer than its column
constexpr long kStringTruncation = 335544914L;

struct TargetTable {
    const char* table;
    const char* description;
    bool isRegister;
};
constexpr TargetTable kTargets[] = {
    {"BESZALL", "Beszállítás (BESZALL)", false},
    {"KISZALL", "Kiszállítás (KISZALL)", false},
    {"BESZALL0", "Archivált beszállítás (BESZALL0)", false},
    {"KISZALL0", "Archivált kiszállítás (KISZALL0)", false},
    {"FELADO", "Feladó-Vevö (FELADO)", true},
    {"SZALLITO", "Szállító (SZALLITO)", true},
};

QString errorText(const std::exception& e)
{
    if (const auto* fbError = dynamic_cast<const fb::Error*>(&e))
        return fbError->message();
    return platform::errorText(e);
}

// Why the database refused a line, in words the person can act on.
QString refusalReason(const std::exception& e)
{
    const auto* fbError = dynamic_cast<const fb::Error*>(&e);
    if (fbError && fbError->hasCode(kConvertError)) {
        const QString text = fbError->argument(kConvertError);
        if (!text.isEmpty())
            return QStringLiteral("a(z) „%1” nem dátum").arg(text);
        return QStringLiteral("egy dátum nem értelmezhető");
    }
    if (fbError && (fbError->hasCode(kStringTruncation) || fbError->hasCode(kArithmeticError)))
        return QStringLiteral("egy szöveg hosszabb, mint amit az oszlopa tárol");
    return QStringLiteral("az adatbázis nem fogadta el (%1)").arg(errorText(e).simplified());
}

// Opens a file for reading; on failure gives the reason in Hungarian.
bool openFile(QFile& file, QString& failure)
{
    const QString path = file.fileName();
    const QFileInfo info(path);
    if (!info.exists()) {
        failure = QStringLiteral("A(z) „%1” fájl nem található.").arg(path);
        return false;
    }
    if (info.isDir()) {
        failure = QStringLiteral("A(z) „%1” nem fájl, hanem könyvtár.").arg(path);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        failure = file.error() == QFileDevice::PermissionsError
                      ? QStringLiteral("A(z) „%1” fájl nem nyitható meg: nincs olvasási jog.").arg(path)
                      : QStringLiteral("A(z) „%1” fájl nem nyitható meg.").arg(path);
        return false;
    }
    return true;
}

QString readFailure(const QString& path)
{
    return QStringLiteral("A(z) „%1” fájl nem olvasható végig (olvasási hiba).").arg(path);
}

// A line of nothing but blanks (within the layout's columns): a delivery file's blank line.
bool isBlank(QByteArrayView line)
{
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// The DOS end-of-file mark (0x1A), blanks around it allowed.
bool isEndOfFileMark(QByteArrayView line)
{
    return line.contains('\x1A') &&
           std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t' || c == '\x1A'; });
}

// A file's notes are kept up to this many; past it they are only counted. A file of ten million
// blank lines would otherwise fill the memory with notes.
constexpr int kNotesKept = 1000;

// The note of one line (the notes that end the run are always kept).
void note(FileSummary& file, LineNote n)
{
    if (file.notes.size() < kNotesKept)
        file.notes << std::move(n);
    else
        ++file.notesLeftOut;
}

// The dates a live site's lines can hold: from the program's first years to the next year. Any
// other year is a line moved out of its columns (a date read from the wrong ones) or damaged.
constexpr int kFirstYear = 1950;

QString dateText(const QDate& d)
{
    return QStringLiteral("%1.%2.%3")
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.day(), 2, 10, QLatin1Char('0'));
}

}  // namespace

bool wasRead(const FileSummary& f)
{
    return f.state != FileState::NotReached && f.state != FileState::Unreadable && f.state != FileState::WrongEncoding;
}

QString stateText(const FileSummary& f)
{
    switch (f.state) {
    case FileState::NotReached: return QStringLiteral("nem került sorra");
    case FileState::Done: return QStringLiteral("kész");
    case FileState::Stopped: return QStringLiteral("leállítva a(z) %1. sor után").arg(f.read);
    case FileState::Unreadable: return QStringLiteral("nem olvasható: itt véget ért az import");
    case FileState::Broken: return QStringLiteral("megszakadt a(z) %1. sornál").arg(f.read);
    case FileState::WrongEncoding: return QStringLiteral("UTF-8 kódolású: semmi sem került be");
    }
    return {};
}

LegacyImporter::LegacyImporter(TData& data, ImportObserver& observer)
    : m_data(data), m_observer(observer), m_dateCheck(data.session().database(), QStringLiteral("legacyDateCheck"))
{
    m_dateCheck.setSql({QStringLiteral("SELECT CAST(CAST(:p1 AS VARCHAR(10)) AS DATE) AS d FROM rdb$database")});
    for (int i = 1; i <= 7; ++i)
        m_parameterNames << QStringLiteral("p%1").arg(i);
}

QStringList LegacyImporter::filledTables(TData& data)
{
    QStringList exists;
    for (const TargetTable& t : kTargets)
        exists << QStringLiteral("IIF(EXISTS(SELECT 1 FROM %1), 1, 0) AS %1").arg(QLatin1String(t.table));
    Dataset& q = data.ZQ70;
    q.close();
    q.setSql({QStringLiteral("SELECT ") + exists.join(QStringLiteral(", ")), QStringLiteral("FROM rdb$database")});
    q.open();
    QStringList filled;
    for (const TargetTable& t : kTargets)
        if (q.fieldInt(QLatin1String(t.table)) != 0)
            filled << QString::fromUtf8(t.description);
    q.close();
    return filled;
}

bool LegacyImporter::registersFilled(const QStringList& filledTables)
{
    for (const TargetTable& t : kTargets)
        if (t.isRegister && filledTables.contains(QString::fromUtf8(t.description)))
            return true;
    return false;
}

ImportSummary LegacyImporter::run(const QString& directoryText, const QStringList& filledBefore)
{
    ImportSummary summary;
    summary.directory = directoryText;
    summary.started = QDateTime::currentDateTime();
    summary.filledBefore = filledBefore;
    for (const FileLayout& layout : importFiles()) {
        FileSummary f;
        f.fileName = layout.fileName;
        f.path = directoryText + layout.fileName;
        summary.files << f;
    }
    const QList<FileLayout>& files = importFiles();
    if (!checkEncodings(summary))
        return summary;
    for (int i = 0; i < files.size(); ++i) {
        if (i > 0 && m_observer.stopRequested()) {
            summary.ending = QStringLiteral("Az import leállítva a(z) %1 előtt; a korábbi fájlok sorai bekerültek.")
                                 .arg(files.at(i).fileName);
            m_observer.tell(summary.ending);
            return summary;
        }
        if (!importFile(files.at(i), summary.files[i], summary))
            return summary;
        if (i + 1 < files.size())
            m_observer.fileLeft(files.at(i));
    }
    summary.completed = true;
    int imported = 0, refused = 0, skipped = 0;
    for (const FileSummary& f : summary.files) {
        imported += f.imported;
        refused += f.refused;
        skipped += f.skipped;
    }
    summary.ending = QStringLiteral("Az import befejeződött: mind a hat fájlt végigolvasta, %1 sort beírt, %2 sor kimaradt")
                         .arg(imported)
                         .arg(refused);
    summary.ending += skipped == 0 ? QStringLiteral(".")
                                   : QStringLiteral(", %1 üres sort (vagy fájlvége-jelet) átugrott.").arg(skipped);
    return summary;
}

bool LegacyImporter::checkEncodings(ImportSummary& summary)
{
    const QList<FileLayout>& files = importFiles();
    for (int i = 0; i < files.size(); ++i) {
        FileSummary& file = summary.files[i];
        QFile f(file.path);
        QString failure;
        if (!openFile(f, failure))
            continue;  // said when the file's turn comes, as the files before it are imported
        file.phase = FileSummary::Phase::Checking;
        file.size = f.size();
        LineReader reader(f, 0, [&](qint64 position) {
            file.position = position;
            m_observer.progressed(files.at(i), file);
        });
        reader.setFindUtf8(true);
        while (reader.next()) {
            if (reader.utf8Character().isEmpty())
                continue;
            const bool byteOrderMark = reader.number() == 1 && reader.utf8Character() == QChar(0xFEFF);
            const QString where =
                byteOrderMark ? QStringLiteral("az elején UTF-8 bájtsorrend-jel (BOM) áll")
                              : QStringLiteral("a(z) %1. sorában UTF-8 kódolású „%2” betű áll")
                                    .arg(reader.number())
                                    .arg(reader.utf8Character());
            const QString refusal =
                QStringLiteral("A(z) „%1” fájl nem Windows-1250, hanem UTF-8 kódolású: %2. Beolvasva az ékezetes betűk "
                               "hibásan kerülnének be, és a sor későbbi mezői elcsúsznának. Az import semmit sem írt "
                               "be; mentse a fájlt Windows-1250 kódolással, és indítsa újra.")
                    .arg(file.path, where);
            file.state = FileState::WrongEncoding;
            file.notes << LineNote{reader.number(), QStringLiteral("UTF-8 kódolású fájl: %1").arg(where)};
            summary.ending = refusal;
            m_observer.tell(refusal);
            return false;
        }
        file.position = 0;
    }
    return true;
}

bool LegacyImporter::importFile(const FileLayout& layout, FileSummary& file, ImportSummary& summary)
{
    QFile f(file.path);
    QString failure;
    // Ends the run at an unreadable file, saying what stays.
    const auto unreadable = [&](QString why) {
        const QString& dir = summary.directory;
        if (!dir.isEmpty() && !dir.endsWith(u'/') && !dir.endsWith(u'\\'))
            why += QStringLiteral(" A fájl nevét a könyvtár szövege után írja az import, ezért annak "
                                  "elválasztóval („/” vagy „\\”) kell végződnie.");
        file.state = FileState::Unreadable;
        file.notes << LineNote{0, why};
        summary.ending = QStringLiteral("Az import a(z) %1 fájlnál véget ért: a fájl nem olvasható. "
                                        "A korábbi fájlok sorai bekerültek, a továbbiak nem.")
                             .arg(layout.fileName);
        m_observer.tell(why);
        return false;
    };
    if (!openFile(f, failure))
        return unreadable(failure);
    file.size = f.size();
    const qsizetype keep = lastColumn(layout);

    // The box shows the file: its lines as the layout keeps them, read through once; the number of
    // lines is taken here.
    file.phase = FileSummary::Phase::Reading;
    file.position = 0;
    m_observer.fileOpened(layout, file);
    {
        LineReader shown(f, keep, [&](qint64 position) {
            file.position = position;
            m_observer.progressed(layout, file);
        });
        while (shown.next())
            m_observer.lineRead(layout, shown.line(), shown.cut());
        if (shown.failed())
            return unreadable(readFailure(file.path));
        file.lines = shown.number();
    }
    m_observer.fileRead(layout, file);
    if (!f.seek(0))
        return unreadable(readFailure(file.path));

    // Ends the run where the person stopped it, saying what stays.
    const auto stop = [&](const QString& where) {
        file.state = FileState::Stopped;
        summary.ending = QStringLiteral("Az import leállítva a(z) %1 %2. Az addig beírt sorok megmaradtak; a fájl "
                                        "többi sora és a további fájlok nem kerültek be.")
                             .arg(layout.fileName, where);
        m_observer.tell(summary.ending);
        return false;
    };
    file.phase = FileSummary::Phase::Importing;
    file.position = 0;
    LineReader reader(f, keep, [&](qint64 position) {
        file.position = position;
        m_observer.progressed(layout, file);
    });
    for (int i = 0; i < file.lines; ++i) {
        if (m_observer.stopRequested())
            return stop(QStringLiteral("%1. sora előtt").arg(i + 1));
        if (!reader.next())
            return unreadable(readFailure(file.path));  // the file became shorter since it was read
        QString breakReason;
        const LineEnd end = importLine(layout, file, reader.line(), reader.number(), i + 1 == file.lines, breakReason);
        ++file.read;
        file.position = reader.position();
        m_observer.lineDone(layout, file);
        if (end == LineEnd::Break) {
            file.state = FileState::Broken;
            summary.ending = QStringLiteral("Az import a(z) %1 %2. soránál megszakadt (%3): %4")
                                 .arg(layout.fileName)
                                 .arg(i + 1)
                                 .arg(layout.stopMessage, breakReason);
            return false;
        }
        if (end == LineEnd::Stop)
            return stop(QStringLiteral("%1. sora után").arg(i + 1));
    }
    file.state = FileState::Done;
    m_observer.tell(layout.closingMessage);
    return true;
}

LegacyImporter::LineEnd LegacyImporter::refuseLine(const FileLayout& layout, FileSummary& file, int lineNumber,
                                                   const QString& why)
{
    ++file.refused;
    note(file, LineNote{lineNumber, QStringLiteral("kimaradt: %1").arg(why)});
    const bool stop =
        m_observer.lineRefused(QStringLiteral("A(z) %1 %2. sora kimaradt: %3.").arg(layout.fileName).arg(lineNumber).arg(why));
    return stop ? LineEnd::Stop : LineEnd::Next;
}

std::optional<QDate> LegacyImporter::storedDate(const QString& text)
{
    // The program's own form, year first: the database reads the four digits as the year.
    static const QRegularExpression yearFirst(QStringLiteral("^(\\d{4})([.\\-/])(\\d{1,2})\\2(\\d{1,2})$"));
    if (const auto m = yearFirst.match(text); m.hasMatch()) {
        const QDate d(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
        if (d.isValid())
            return d;
        return std::nullopt;  // no such day: the insert refuses it
    }
    // Any other form ("010.01.02" from a line moved a column, "1.2.2010"): as the database reads it.
    try {
        m_dateCheck.close();
        m_dateCheck.setParamText(QStringLiteral("p1"), text);
        m_dateCheck.open();
        const QDate d = m_dateCheck.fieldDate(QStringLiteral("d"));
        m_dateCheck.close();
        if (d.isValid())
            return d;
    } catch (const fb::Error&) {
        m_dateCheck.close();  // no date: the insert says so
    }
    return std::nullopt;
}

LegacyImporter::LineEnd LegacyImporter::importLine(const FileLayout& layout, FileSummary& file, QByteArrayView line,
                                                   int lineNumber, bool lastLine, QString& breakReason)
{
    // Nothing to import: a delivery file's blank line, or the DOS end-of-file mark after the last
    // line. A register's blank line keeps its place: it holds the code of the n-th carrier or partner.
    const bool blank = !layout.isRegister && isBlank(line);
    if (blank || (isEndOfFileMark(line) && (!layout.isRegister || lastLine))) {
        ++file.skipped;
        note(file, LineNote{lineNumber, blank ? QStringLiteral("átugorva: üres sor")
                                                 : QStringLiteral("átugorva: a DOS fájlvége-jel (0x1A)")});
        return LineEnd::Next;
    }

    const ParsedLine parsed = parseLine(layout, line);
    if (!layout.isRegister) {
        // A delivery line with a byte that is no character would store a damaged ear tag or text.
        if (parsed.badByte)
            return refuseLine(layout, file, lineNumber, describe(*parsed.badByte));
        if (std::all_of(parsed.values.begin(), parsed.values.end(), [](const QString& v) { return v.isEmpty(); }))
            return refuseLine(layout, file, lineNumber,
                              QStringLiteral("a sorban nincs adat, csak vezérlőkarakterek (pl. NUL bájtok) állnak "
                                             "(sérült sor)"));
    }

    TransactionObject& transaction = m_data.IBTrans1;
    try {
        if (!transaction.inTransaction())
            transaction.startTransaction();
    } catch (const std::exception& e) {
        breakReason = errorText(e);
        file.notes << LineNote{lineNumber, QStringLiteral("%1 a tranzakció nem indítható: %2").arg(layout.stopMessage, breakReason)};
        m_observer.tell(layout.stopMessage);
        return LineEnd::Break;
    }

    // A date outside the years a site's data can have is a line moved out of its columns (the
    // category, say, read as a date): it would go in as a date a thousand years away.
    const int lastYear = platform::today().year() + 1;
    for (int f = 0; f < layout.fields.size(); ++f) {
        const QString& value = parsed.values.at(f);
        if (!layout.fields.at(f).isDate || value.isEmpty())
            continue;
        const std::optional<QDate> date = storedDate(value);
        if (date && (date->year() < kFirstYear || date->year() > lastYear))
            return refuseLine(layout, file, lineNumber,
                              QStringLiteral("a(z) %1 dátuma, „%2” (%3) nem %4 és %5 közé esik (elcsúszott vagy sérült "
                                             "sor?)")
                                  .arg(layout.fields.at(f).column, value, dateText(*date))
                                  .arg(kFirstYear)
                                  .arg(lastYear));
    }

    Dataset& insert = m_data.ZQ70;
    try {
        insert.close();
        insert.setSql(layout.insertStatement);
        for (int f = 0; f < layout.fields.size(); ++f) {
            const QString& value = parsed.values.at(f);
            // The database turns a date's text into a date; an empty date field stores no date.
            if (layout.fields.at(f).isDate && value.isEmpty())
                insert.setParamNull(m_parameterNames.at(f));
            else
                insert.setParamText(m_parameterNames.at(f), value);
        }
        insert.execSql();
        transaction.commit();
    } catch (const std::exception& e) {
        ++file.refused;
        note(file, LineNote{lineNumber, QStringLiteral("kimaradt: %1").arg(refusalReason(e))});
        const bool stop = m_observer.lineRefused(layout.lineFailedMessage);
        try {
            transaction.rollback();
        } catch (const std::exception& rollbackError) {
            breakReason = errorText(rollbackError);
            file.notes << LineNote{lineNumber, QStringLiteral("%1 a visszagörgetés nem sikerült: %2").arg(layout.stopMessage, breakReason)};
            m_observer.tell(layout.stopMessage);
            return LineEnd::Break;
        }
        return stop ? LineEnd::Stop : LineEnd::Next;
    }
    ++file.imported;

    if (parsed.badByte) {
        // A register line keeps its place even when damaged: skipping it would give every later
        // carrier or partner the code of the one before it.
        const QString why = describe(*parsed.badByte);
        const QString column = layout.fields.at(parsed.badByte->field).column;
        note(file, LineNote{lineNumber, QStringLiteral("bekerült, de javítandó (%1): %2").arg(column, why)});
        const bool stop = m_observer.lineRefused(
            QStringLiteral("A(z) %1 %2. sorában %3. A sor „?” jellel a bájt helyén került be (%4), hogy a "
                           "későbbi sorok kódja ne csússzon el; javítsa kézzel.")
                .arg(layout.fileName)
                .arg(lineNumber)
                .arg(why, column));
        if (stop)
            return LineEnd::Stop;
    }
    return LineEnd::Next;
}

QStringList summaryRemarks(const ImportSummary& s)
{
    QStringList out;
    out << s.ending;
    if (!s.filledBefore.isEmpty()) {
        out << QString();
        out << QStringLiteral("Figyelem: az import előtt ezek a táblák már nem voltak üresek: %1. Az import nem "
                              "töröl és nem ellenőriz, hozzáadta a sorait a meglévőkhöz; egy megismételt import "
                              "minden sort kétszer tartalmaz.")
                   .arg(s.filledBefore.join(QStringLiteral(", ")));
        if (LegacyImporter::registersFilled(s.filledBefore))
            out << QStringLiteral("A szállítók és feladók nem a régi kódjukat kapták: a beszállítások és "
                                  "kiszállítások a régi kódokon a már meglévő szállítókhoz és feladókhoz "
                                  "kapcsolódnak.");
    }
    bool anyNote = false;
    for (const FileSummary& f : s.files)
        anyNote = anyNote || !f.notes.isEmpty();
    if (anyNote) {
        out << QString();
        out << QStringLiteral("Kimaradt, átugrott és javítandó sorok:");
        for (const FileSummary& f : s.files) {
            for (const LineNote& n : f.notes)
                out << (n.line > 0 ? QStringLiteral("%1, %2. sor: %3").arg(f.fileName).arg(n.line).arg(n.text)
                                   : QStringLiteral("%1: %2").arg(f.fileName, n.text));
            if (f.notesLeftOut > 0)
                out << QStringLiteral("%1: további %2 sor megjegyzése nem fér a felsorolásba (a számuk fent, a "
                                      "táblázatban).")
                           .arg(f.fileName)
                           .arg(f.notesLeftOut);
        }
    }
    return out;
}

QString summaryText(const ImportSummary& s)
{
    QStringList out;
    out << QStringLiteral("Régiből import – összesítés");
    out << QStringLiteral("Könyvtár: %1").arg(s.directory);
    if (s.started.isValid())
        out << QStringLiteral("Indítva: %1").arg(convert::dateTimeToText(s.started));
    out << QString();
    const auto row = [](const QString& name, const QString& lines, const QString& read, const QString& imported,
                        const QString& refused, const QString& skipped, const QString& state) {
        return QStringLiteral("%1 %2 %3 %4 %5 %6  %7")
            .arg(name, -13)
            .arg(lines, 8)
            .arg(read, 10)
            .arg(imported, 8)
            .arg(refused, 9)
            .arg(skipped, 9)
            .arg(state)
            .trimmed();
    };
    out << row(QStringLiteral("Fájl"), QStringLiteral("Sorok"), QStringLiteral("Beolvasva"), QStringLiteral("Beírva"),
               QStringLiteral("Kimaradt"), QStringLiteral("Átugorva"), QStringLiteral("Állapot"));
    int lines = 0, read = 0, imported = 0, refused = 0, skipped = 0;
    for (const FileSummary& f : s.files) {
        out << row(f.fileName, wasRead(f) ? QString::number(f.lines) : QStringLiteral("-"), QString::number(f.read),
                   QString::number(f.imported), QString::number(f.refused), QString::number(f.skipped), stateText(f));
        lines += f.lines;
        read += f.read;
        imported += f.imported;
        refused += f.refused;
        skipped += f.skipped;
    }
    out << row(QStringLiteral("Összesen"), QString::number(lines), QString::number(read), QString::number(imported),
               QString::number(refused), QString::number(skipped), QString());
    out << QString();
    out << summaryRemarks(s);
    return out.join(u'\n') + u'\n';
}

}  // namespace legacy
