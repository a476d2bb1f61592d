#include "maintenance/legacy_importer.h"

#include "core/convert.h"
#include "storage/shared_datasets.h"
#include "db/error.h"

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
    return QString::fromUtf8(e.what());
}

// Why the database refused a line, in words the person can act on.
QString refusalReason(const std::exception& e)
{
    const auto* fbError = dynamic_cast<const fb::Error*>(&e);
    if (fbError && fbError->hasCode(kConvertError)) {
        static const QRegularExpression quoted(QStringLiteral("\"([^\"]*)\""));
        const auto match = quoted.match(fbError->message());
        if (match.hasMatch())
            return QStringLiteral("a(z) „%1” nem dátum").arg(match.captured(1));
        return QStringLiteral("egy dátum nem értelmezhető");
    }
    if (fbError && (fbError->hasCode(kStringTruncation) || fbError->hasCode(kArithmeticError)))
        return QStringLiteral("egy szöveg hosszabb, mint amit az oszlopa tárol");
    return QStringLiteral("az adatbázis nem fogadta el (%1)").arg(errorText(e).simplified());
}

// Reads a whole file; on failure gives the reason in Hungarian and no content.
std::optional<QByteArray> readFile(const QString& path, QString& failure)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        failure = QStringLiteral("A(z) „%1” fájl nem található.").arg(path);
        return std::nullopt;
    }
    if (info.isDir()) {
        failure = QStringLiteral("A(z) „%1” nem fájl, hanem könyvtár.").arg(path);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        failure = file.error() == QFileDevice::PermissionsError
                      ? QStringLiteral("A(z) „%1” fájl nem nyitható meg: nincs olvasási jog.").arg(path)
                      : QStringLiteral("A(z) „%1” fájl nem nyitható meg (%2).").arg(path, file.errorString());
        return std::nullopt;
    }
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        failure = QStringLiteral("A(z) „%1” fájl nem olvasható végig (%2).").arg(path, file.errorString());
        return std::nullopt;
    }
    return content;
}

}  // namespace

QString stateText(const FileSummary& f)
{
    switch (f.state) {
    case FileState::NotReached: return QStringLiteral("nem került sorra");
    case FileState::Done: return QStringLiteral("kész");
    case FileState::Stopped: return QStringLiteral("leállítva a(z) %1. sor után").arg(f.read);
    case FileState::Unreadable: return QStringLiteral("nem olvasható: itt véget ért az import");
    case FileState::Broken: return QStringLiteral("megszakadt a(z) %1. sornál").arg(f.read);
    }
    return {};
}

LegacyImporter::LegacyImporter(TData& data, ImportObserver& observer) : m_data(data), m_observer(observer)
{
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
    int imported = 0, refused = 0;
    for (const FileSummary& f : summary.files) {
        imported += f.imported;
        refused += f.refused;
    }
    summary.ending = QStringLiteral("Az import befejeződött: mind a hat fájlt végigolvasta, %1 sort beírt, %2 sor kimaradt.")
                         .arg(imported)
                         .arg(refused);
    return summary;
}

bool LegacyImporter::importFile(const FileLayout& layout, FileSummary& file, ImportSummary& summary)
{
    QString failure;
    const std::optional<QByteArray> content = readFile(file.path, failure);
    if (!content) {
        const QString& dir = summary.directory;
        if (!dir.isEmpty() && !dir.endsWith(u'/') && !dir.endsWith(u'\\'))
            failure += QStringLiteral(" A fájl nevét a könyvtár szövege után írja az import, ezért annak "
                                      "elválasztóval („/” vagy „\\”) kell végződnie.");
        file.state = FileState::Unreadable;
        file.notes << LineNote{0, failure};
        summary.ending = QStringLiteral("Az import a(z) %1 fájlnál véget ért: a fájl nem olvasható. "
                                        "A korábbi fájlok sorai bekerültek, a továbbiak nem.")
                             .arg(layout.fileName);
        m_observer.tell(failure);
        return false;
    }
    const QList<LineSpan> lines = splitLines(*content);
    file.lines = static_cast<int>(lines.size());
    m_observer.fileLoaded(layout, file.path, *content, lines);

    // Ends the run where the person stopped it, saying what stays.
    const auto stop = [&](const QString& where) {
        file.state = FileState::Stopped;
        summary.ending = QStringLiteral("Az import leállítva a(z) %1 %2. Az addig beírt sorok megmaradtak; a fájl "
                                        "többi sora és a további fájlok nem kerültek be.")
                             .arg(layout.fileName, where);
        m_observer.tell(summary.ending);
        return false;
    };
    for (int i = 0; i < lines.size(); ++i) {
        if (m_observer.stopRequested())
            return stop(QStringLiteral("%1. sora előtt").arg(i + 1));
        const LineSpan span = lines.at(i);
        QString breakReason;
        const LineEnd end =
            importLine(layout, file, QByteArrayView(content->constData() + span.offset, span.length), i + 1, breakReason);
        ++file.read;
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

LegacyImporter::LineEnd LegacyImporter::importLine(const FileLayout& layout, FileSummary& file, QByteArrayView line,
                                                   int lineNumber, QString& breakReason)
{
    const ParsedLine parsed = parseLine(layout, line);
    if (parsed.badByte && !layout.isRegister) {
        // A delivery line with a byte that is no character would store a damaged ear tag or text.
        ++file.refused;
        const QString why = describe(*parsed.badByte);
        file.notes << LineNote{lineNumber, QStringLiteral("kimaradt: %1").arg(why)};
        const bool stop = m_observer.lineRefused(
            QStringLiteral("A(z) %1 %2. sora kimaradt: %3.").arg(layout.fileName).arg(lineNumber).arg(why));
        return stop ? LineEnd::Stop : LineEnd::Next;
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
        file.notes << LineNote{lineNumber, QStringLiteral("kimaradt: %1").arg(refusalReason(e))};
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
        file.notes << LineNote{lineNumber, QStringLiteral("bekerült, de javítandó (%1): %2").arg(column, why)};
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
        out << QStringLiteral("Sorok, amelyek kimaradtak vagy javítandók:");
        for (const FileSummary& f : s.files)
            for (const LineNote& n : f.notes)
                out << (n.line > 0 ? QStringLiteral("%1, %2. sor: %3").arg(f.fileName).arg(n.line).arg(n.text)
                                   : QStringLiteral("%1: %2").arg(f.fileName, n.text));
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
                        const QString& refused, const QString& state) {
        return QStringLiteral("%1 %2 %3 %4 %5  %6")
            .arg(name, -13)
            .arg(lines, 8)
            .arg(read, 10)
            .arg(imported, 8)
            .arg(refused, 9)
            .arg(state)
            .trimmed();
    };
    out << row(QStringLiteral("Fájl"), QStringLiteral("Sorok"), QStringLiteral("Beolvasva"), QStringLiteral("Beírva"),
               QStringLiteral("Kimaradt"), QStringLiteral("Állapot"));
    int lines = 0, read = 0, imported = 0, refused = 0;
    for (const FileSummary& f : s.files) {
        const bool opened = f.state != FileState::NotReached && f.state != FileState::Unreadable;
        out << row(f.fileName, opened ? QString::number(f.lines) : QStringLiteral("-"), QString::number(f.read),
                   QString::number(f.imported), QString::number(f.refused), stateText(f));
        lines += f.lines;
        read += f.read;
        imported += f.imported;
        refused += f.refused;
    }
    out << row(QStringLiteral("Összesen"), QString::number(lines), QString::number(read), QString::number(imported),
               QString::number(refused), QString());
    out << QString();
    out << summaryRemarks(s);
    return out.join(u'\n') + u'\n';
}

}  // namespace legacy
