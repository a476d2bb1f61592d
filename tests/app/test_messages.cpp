// Every message the program can show is Hungarian and names what it is about. Two walks: the error
// paths provoked for real (the engine's errors through a real database file, the data layer's
// conversions, the XML reader, the restore service, failures of the C++ library), each message
// checked for its content and for English words; and every text the source code gives a person,
// read from the source files, checked for English sentences.
#include "core/database.h"
#include "storage/session.h"
#include "storage/shared_datasets.h"
#include "db/client.h"
#include "db/error.h"
#include "db/service.h"
#include "hungarian.h"
#include "outgoing/takeover_xml.h"
#include "testdb.h"
#include "report/prepared.h"
#include "ui/platform.h"
#include "ui/textfile.h"

#include <ibase.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <new>
#include <stdexcept>

namespace {

// The database the test database's session opened.
Database& module() { return Data->session().database(); }

// The message of the fb::Error that work raises; a work that raises none fails the test.
QString failureOf(const std::function<void()>& work)
{
    try {
        work();
    } catch (const fb::Error& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QStringLiteral("<not fb::Error> ") + QString::fromUtf8(e.what());
    }
    return QStringLiteral("<no failure>");
}

// A statement run on a connection of its own, committed.
void run(TestDatabase& db, const QString& sql, const QStringList& textParams = {})
{
    fb::Attachment att;
    fb::ConnectParams p;
    p.database = db.file();
    att.attach(p);
    fb::Transaction tra;
    tra.start(att);
    fb::Statement st(att, tra, sql);
    for (int i = 0; i < textParams.size(); ++i)
        st.bind(QStringLiteral("p%1").arg(i + 1), fb::Value::fromText(textParams.at(i)));
    st.execute();
    tra.commit();
}

struct ErrorPath {
    const char* name;
    // Provokes the failure in a fresh database and returns the message the person would read.
    std::function<QString(TestDatabase&)> provoke;
    // What the message must say: the value or name it is about.
    QStringList mustSay;
};

const QList<ErrorPath>& errorPaths()
{
    static const QList<ErrorPath> paths = {
        // The engine's errors, for real.
        {"duplicate primary key",
         [](TestDatabase& db) {
             db.addCarrier(QStringLiteral("A"), QStringLiteral("B"));
             return failureOf([&] { run(db, QStringLiteral("INSERT INTO szallito (ids, skod) VALUES (1, '77')")); });
         },
         {"Ez az érték már szerepel a(z) SZALLITO táblában", "IDS = 1"}},
        {"duplicate code",
         [](TestDatabase& db) {
             db.addCarrier(QStringLiteral("A"), QStringLiteral("B"));
             return failureOf([&] { run(db, QStringLiteral("INSERT INTO szallito (ids, skod) VALUES (99, '1')")); });
         },
         {"UX_SZALLITO_SKOD", "SKOD = 1"}},
        {"text longer than its column",
         [](TestDatabase& db) {
             return failureOf([&] {
                 run(db, QStringLiteral("INSERT INTO szallito (srendszam) VALUES (:p1)"), {QString(30, u'R')});
             });
         },
         {"legfeljebb 25 karakter", "30 karakteres"}},
        {"date the engine cannot convert",
         [](TestDatabase& db) {
             return failureOf([&] {
                 run(db, QStringLiteral("INSERT INTO beszall (bszkelt) VALUES (:p1)"), {QStringLiteral("2011.02.30")});
             });
         },
         {"Érvénytelen szám vagy dátum: „2011.02.30”"}},
        {"number the engine cannot convert",
         [](TestDatabase& db) {
             return failureOf(
                 [&] { run(db, QStringLiteral("INSERT INTO beszall (idb) VALUES (:p1)"), {QStringLiteral("1a")}); });
         },
         {"„1a”"}},
        {"row held by another connection",
         [](TestDatabase& db) {
             db.addCarrier(QStringLiteral("A"), QStringLiteral("B"));
             fb::Attachment other;
             fb::ConnectParams p;
             p.database = db.file();
             other.attach(p);
             fb::Transaction holding;
             holding.start(other);
             fb::Statement(other, holding, QStringLiteral("UPDATE szallito SET snev = 'x'")).execute();
             const QString text = failureOf([&] { run(db, QStringLiteral("UPDATE szallito SET snev = 'y'")); });
             holding.rollback();
             return text;
         },
         {"egy másik felhasználó"}},
        {"no code left",
         [](TestDatabase& db) {
             return failureOf([&] {
                 run(db, QStringLiteral("EXECUTE BLOCK AS BEGIN EXCEPTION GERUNDO_CODES_EXHAUSTED; END"));
             });
         },
         {"elfogytak az ötkarakteres kódok"}},
        {"table missing from an older database",
         [](TestDatabase& db) { return failureOf([&] { run(db, QStringLiteral("DELETE FROM gerundo_nincs")); }); },
         {"GERUNDO_NINCS"}},
        {"database file missing",
         [](TestDatabase& db) {
             return failureOf([&] {
                 fb::Attachment att;
                 fb::ConnectParams p;
                 p.database = db.dir() + QStringLiteral("/nincs.fdb");
                 att.attach(p);
             });
         },
         {"nincs.fdb", "nem létezik"}},
        {"file that is no database",
         [](TestDatabase& db) {
             const QString path = db.dir() + QStringLiteral("/szoveg.fdb");
             QFile f(path);
             if (f.open(QIODevice::WriteOnly))
                 f.write(QByteArray(20000, 'x'));
             f.close();
             return failureOf([&] {
                 fb::Attachment att;
                 fb::ConnectParams p;
                 p.database = path;
                 att.attach(p);
             });
         },
         {"szoveg.fdb"}},
        {"no server where the settings point",
         [](TestDatabase&) {
             return failureOf([&] {
                 fb::Attachment att;
                 fb::ConnectParams p;
                 p.database = QStringLiteral("127.0.0.1/1:/nincs/Dudoz.fdb");
                 p.password = QStringLiteral("x");
                 att.attach(p);
             });
         },
         {"adatbázis-kiszolgáló"}},
        {"connection closed",
         [](TestDatabase&) {
             module().connection().close();
             return failureOf([&] {
                 Dataset q(module(), QStringLiteral("próba"));
                 q.setSql({QStringLiteral("SELECT 1 AS n FROM rdb$database")});
                 q.open();
             });
         },
         {"Nincs kapcsolat az adatbázissal"}},
        {"restore of a file that is no backup",
         [](TestDatabase& db) {
             const QString path = db.dir() + QStringLiteral("/nem-mentes.fbk");
             QFile f(path);
             if (f.open(QIODevice::WriteOnly))
                 f.write(QByteArray("ez nem mentés\n").repeated(100));
             f.close();
             return failureOf([&] {
                 fb::ConnectParams p;
                 p.database = db.dir() + QStringLiteral("/visszatoltve.fdb");
                 fb::restoreDatabase(p, path, false, {});
             });
         },
         {"mentés"}},
        // The data layer's own conversions.
        {"integer field holding a letter",
         [](TestDatabase&) {
             return failureOf([&] {
                 Dataset q(module(), QStringLiteral("próba"));
                 q.setSql({QStringLiteral("SELECT CAST('Y' AS VARCHAR(5)) AS szam FROM rdb$database")});
                 q.open();
                 q.fieldInt(QStringLiteral("szam"));
             });
         },
         {"Érvénytelen egész szám: „Y”", "SZAM"}},
        {"date parameter that is no date",
         [](TestDatabase&) {
             return failureOf([&] {
                 Dataset q(module(), QStringLiteral("próba"));
                 q.setParamDateText(QStringLiteral("p1"), QStringLiteral("1"));
             });
         },
         {"Érvénytelen dátum: „1”"}},
        {"date typed into a table's date field",
         [](TestDatabase&) {
             return failureOf([&] {
                 TableDataset t(module(), QStringLiteral("próba"), QStringLiteral("KISZALL1"), false);
                 t.open();
                 t.append();
                 t.setFieldText(0, QStringLiteral("márc. 5."));
             });
         },
         {"Érvénytelen dátum: „márc. 5.”", "KIKELT"}},
        {"integer typed into a table's integer field",
         [](TestDatabase&) {
             return failureOf([&] {
                 TableDataset t(module(), QStringLiteral("próba"), QStringLiteral("KISZALL1"), false);
                 t.open();
                 t.append();
                 t.setFieldText(6, QStringLiteral("Y"));
             });
         },
         {"Érvénytelen egész szám: „Y”", "IDK"}},
        {"value past a table's last column",
         [](TestDatabase&) {
             return failureOf([&] {
                 TableDataset t(module(), QStringLiteral("próba"), QStringLiteral("KISZALL1"), false);
                 t.open();
                 t.append();
                 t.setFieldText(8, QStringLiteral("több"));
             });
         },
         {"KISZALL1", "9. oszlopa"}},
        {"change to a read-only table",
         [](TestDatabase&) {
             return failureOf([&] {
                 TableDataset t(module(), QStringLiteral("próba"), QStringLiteral("SZALLITO"), true);
                 t.open();
                 t.append();
             });
         },
         {"csak olvashatók"}},
        {"field a statement does not give",
         [](TestDatabase&) {
             return failureOf([&] {
                 Dataset q(module(), QStringLiteral("próba"));
                 q.setSql({QStringLiteral("SELECT 1 AS n FROM rdb$database")});
                 q.open();
                 q.fieldText(QStringLiteral("nincs"));
             });
         },
         {"„nincs”"}},
        // The XML reader.
        {"takeover file with an entity from another file",
         [](TestDatabase&) {
             return takeover::readRecords("<!DOCTYPE R [<!ENTITY x SYSTEM \"a.ent\">]><R><Records>&x;</Records></R>")
                 .error;
         },
         {"fulszam.xml", "1. sor", "„&x;”"}},
        {"takeover file an entity blows up",
         [](TestDatabase&) {
             QByteArray xml = "<!DOCTYPE R [<!ENTITY a \"xxxxxxxxxx\">";
             for (char c = 'b'; c <= 'g'; ++c)
                 xml += QByteArray("<!ENTITY ") + c + " \"" + (QByteArray("&") + char(c - 1) + ";").repeated(10) + "\">";
             return takeover::readRecords(xml + "]><R>&g;</R>").error;
         },
         {"fulszam.xml", "1. sor", "entitás"}},
        // Files the program writes.
        {"text file into a folder that does not exist",
         [](TestDatabase& db) {
             return textfile::writeUtf8(db.dir() + QStringLiteral("/nincs/ilyen/osszesites.txt"), QStringLiteral("x"))
                 .value_or(QStringLiteral("<no failure>"));
         },
         {"A mappája nem létezik."}},
        {"report pages into a folder that does not exist",
         [](TestDatabase& db) {
             try {
                 report::savePrepared(report::PreparedReport{}, db.dir() + QStringLiteral("/nincs/lista.frp"));
             } catch (const std::exception& e) {
                 return platform::errorText(e);
             }
             return QStringLiteral("<no failure>");
         },
         {"lista.frp", "A mappája nem létezik."}},
        // What the standard error box says of failures that are not the program's own.
        {"failure of the C++ library",
         [](TestDatabase&) { return platform::errorText(std::out_of_range("vector::_M_range_check: __n >= size()")); },
         {"Váratlan programhiba"}},
        {"memory exhausted", [](TestDatabase&) { return platform::errorText(std::bad_alloc()); }, {"memória"}},
        {"database error through the standard error box",
         [](TestDatabase& db) {
             try {
                 run(db, QStringLiteral("INSERT INTO szallito (srendszam) VALUES (:p1)"), {QString(30, u'R')});
             } catch (const std::exception& e) {
                 return platform::errorText(e);
             }
             return QString();
         },
         {"legfeljebb 25 karakter"}},
    };
    return paths;
}

// Every text of the source that is shown to a person: the string literals of QStringLiteral and
// tr() calls, adjacent literals joined, with the line where the call starts. Statements (SQL) are
// left out. Texts the program only compares with another program's output are written with
// QLatin1String, never QStringLiteral, and are not read here.
struct SourceText {
    QString file;
    int line;
    QString text;
};

QList<SourceText> shownTexts(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(file));
    const QString src = QString::fromUtf8(f.readAll());
    QList<SourceText> out;
    const qsizetype n = src.size();
    int line = 1;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = src.at(i);
        if (c == u'\n') {
            ++line;
            continue;
        }
        if (src.mid(i, 2) == u"//") {
            while (i < n && src.at(i) != u'\n')
                ++i;
            --i;
            continue;
        }
        if (src.mid(i, 2) == u"/*") {
            const qsizetype end = src.indexOf(QStringLiteral("*/"), i + 2);
            line += static_cast<int>(src.mid(i, (end < 0 ? n : end) - i).count(u'\n'));
            i = end < 0 ? n : end + 1;
            continue;
        }
        if (c == u'\'') {  // a character literal ('"' among them)
            const qsizetype close = src.indexOf(u'\'', i + (i + 1 < n && src.at(i + 1) == u'\\' ? 3 : 2));
            if (close > i && close - i <= 10)
                i = close;
            continue;
        }
        if (c == u'"') {  // a literal outside a call we read: skip it whole
            for (++i; i < n && src.at(i) != u'"'; ++i)
                if (src.at(i) == u'\\')
                    ++i;
            continue;
        }
        const bool call = src.mid(i, 15) == u"QStringLiteral(" || src.mid(i, 3) == u"tr(";
        if (!call || (i > 0 && (src.at(i - 1).isLetterOrNumber() || src.at(i - 1) == u'_')))
            continue;
        const int startLine = line;
        qsizetype j = src.indexOf(u'(', i) + 1;
        QString text;
        for (;;) {
            while (j < n && src.at(j).isSpace()) {
                if (src.at(j) == u'\n')
                    ++line;
                ++j;
            }
            if (j >= n || src.at(j) != u'"')
                break;
            for (++j; j < n && src.at(j) != u'"'; ++j) {
                if (src.at(j) == u'\\' && j + 1 < n) {
                    ++j;
                    text += src.at(j) == u'n' ? QChar(u'\n') : src.at(j);
                } else {
                    text += src.at(j);
                }
            }
            ++j;
        }
        i = j - 1;
        out << SourceText{file, startLine, text};
    }
    return out;
}

bool isStatement(const QString& text)
{
    static const QRegularExpression sql(
        QStringLiteral("\\b(select|insert|update|delete|from|where|values|join|order\\s+by|into|create|alter|drop|"
                       "execute|returning|similar\\s+to|rdb\\$)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return sql.match(text).hasMatch();
}

}  // namespace

class MessagesTest : public QObject {
    Q_OBJECT
private slots:
    void everyErrorPathSpeaksHungarian_data();
    void everyErrorPathSpeaksHungarian();
    void engineCodesInHungarian_data();
    void engineCodesInHungarian();
    void sourceWalkFindsEveryText();
    void everyShownTextOfTheSourceIsHungarian();
};

void MessagesTest::everyErrorPathSpeaksHungarian_data()
{
    QTest::addColumn<int>("path");
    for (int i = 0; i < errorPaths().size(); ++i)
        QTest::newRow(errorPaths().at(i).name) << i;
}

void MessagesTest::everyErrorPathSpeaksHungarian()
{
    QFETCH(int, path);
    const ErrorPath& p = errorPaths().at(path);
    TestDatabase db;
    const QString message = p.provoke(db);
    QVERIFY2(!message.startsWith(u'<') && !message.isEmpty(), qPrintable(message));
    QVERIFY2(!hungarian::looksEnglish(message),
             qPrintable(message + QStringLiteral(" — English: ") + hungarian::englishWordsIn(message).join(u' ')));
    for (const QString& part : p.mustSay)
        QVERIFY2(message.contains(part), qPrintable(QStringLiteral("„%1” not in: %2").arg(part, message)));
}

void MessagesTest::engineCodesInHungarian_data()
{
    // Codes the program can meet that a test cannot provoke on one machine: a lost connection, a
    // full disk, a server shut down, a damaged file; and one no one knows.
    QTest::addColumn<QList<long>>("codes");
    QTest::addColumn<QStringList>("arguments");  // of the first code
    QTest::addColumn<QString>("mustSay");
    QTest::newRow("server not answering") << QList<long>{isc_network_error, isc_net_connect_err} << QStringList{"desk2"}
                                          << "Nem érhető el az adatbázis-kiszolgáló („desk2”)";
    QTest::newRow("connection lost while reading") << QList<long>{isc_net_read_err} << QStringList{}
                                                   << "Megszakadt a kapcsolat";
    QTest::newRow("connection lost") << QList<long>{isc_lost_db_connection} << QStringList{} << "Megszakadt a kapcsolat";
    QTest::newRow("database shut down") << QList<long>{isc_shutdown} << QStringList{} << "Megszakadt a kapcsolat";
    QTest::newRow("disk full while writing")
        << QList<long>{isc_io_error, isc_io_write_err} << QStringList{"write", "/srv/Dudoz.fdb", "os:28"}
        << "A(z) „/srv/Dudoz.fdb” fájl írása nem sikerült: betelt a lemez.";
    QTest::newRow("file not readable")
        << QList<long>{isc_io_error, isc_io_open_err} << QStringList{"open", "/srv/Dudoz.fdb", "os:13"}
        << "A(z) „/srv/Dudoz.fdb” fájl megnyitása nem sikerült: nincs hozzá jogosultság.";
    QTest::newRow("table reserved") << QList<long>{isc_lock_conflict} << QStringList{} << "egy másik felhasználó";
    QTest::newRow("read conflict") << QList<long>{isc_read_conflict} << QStringList{} << "egy másik felhasználó";
    QTest::newRow("foreign key") << QList<long>{isc_foreign_key} << QStringList{"FK_X", "BESZALL"} << "FK_X";
    QTest::newRow("empty required field")
        << QList<long>{isc_not_valid} << QStringList{"\"SZALLITO\".\"IDS\"", "*** null ***"} << "nem maradhat üresen";
    QTest::newRow("check") << QList<long>{isc_check_constraint} << QStringList{"CK_X", "KISZALL"} << "KISZALL";
    QTest::newRow("wrong password") << QList<long>{isc_login} << QStringList{} << "jelszavát";
    QTest::newRow("damaged file") << QList<long>{isc_db_corrupt} << QStringList{} << "sérült";
    QTest::newRow("read-only database") << QList<long>{isc_read_only_database} << QStringList{} << "csak olvasható";
    QTest::newRow("out of memory") << QList<long>{isc_virmemexh} << QStringList{} << "memóriája";
    QTest::newRow("backup damaged") << QList<long>{isc_gbak_unexp_eof} << QStringList{} << "336330802";
    QTest::newRow("code no one knows") << QList<long>{335599999L} << QStringList{"some English words here"}
                                       << "Az adatbázis-kezelő hibát jelzett (hibakód: 335599999).";
}

void MessagesTest::engineCodesInHungarian()
{
    QFETCH(QList<long>, codes);
    QFETCH(QStringList, arguments);
    QFETCH(QString, mustSay);
    std::vector<fb::StatusEntry> entries;
    for (long c : codes)
        entries.push_back({c, entries.empty() ? arguments : QStringList{}});
    const fb::Error e(entries, QStringLiteral("the engine's own English words"));
    QVERIFY2(e.message().contains(mustSay), qPrintable(e.message()));
    QVERIFY2(!hungarian::looksEnglish(e.message()), qPrintable(e.message()));
    QCOMPARE(QString::fromUtf8(e.what()), e.message());
    QCOMPARE(e.engineText(), QStringLiteral("the engine's own English words"));
}

void MessagesTest::sourceWalkFindsEveryText()
{
    // The walk must not lose its way in the code around the texts: character literals holding a
    // quote, comments holding quotes, literals outside the calls, texts over several lines.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("minta.cpp"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(R"cpp(
// a "comment" with QStringLiteral("not this")
bool quote(QChar c) { return c == u'"' || c == '\'' || c == '\\'; }
const char* raw = "a \" QStringLiteral(\"not this either\")";
/* QStringLiteral("nor this") */
QString a() { return QStringLiteral("Első szöveg"); }
QString b() { return tr("Második " "szöveg,\n"
                        "két sorban"); }
QString c() { return QStringLiteral("The program cannot open the file"); }
)cpp");
    f.close();
    QStringList texts;
    for (const SourceText& t : shownTexts(file))
        texts << QStringLiteral("%1:%2").arg(t.line).arg(t.text);
    QCOMPARE(texts, QStringList({"6:Első szöveg", "7:Második szöveg,\nkét sorban", "9:The program cannot open the file"}));
    QVERIFY(hungarian::looksEnglish(QStringLiteral("The program cannot open the file")));
    QVERIFY(!hungarian::looksEnglish(QStringLiteral("Második szöveg, két sorban")));
}

void MessagesTest::everyShownTextOfTheSourceIsHungarian()
{
    int read = 0;
    QStringList english;
    QDirIterator it(QStringLiteral(GERUNDO_SOURCE_DIR), {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        for (const SourceText& t : shownTexts(it.next())) {
            ++read;
            // A sentence has words apart: a text without a blank is a name, a path or a format.
            if (!t.text.contains(u' ') || isStatement(t.text) || !hungarian::looksEnglish(t.text))
                continue;
            english << QStringLiteral("%1:%2: %3 [%4]")
                           .arg(QDir(QStringLiteral(GERUNDO_SOURCE_DIR)).relativeFilePath(t.file))
                           .arg(t.line)
                           .arg(t.text, hungarian::englishWordsIn(t.text).join(u' '));
        }
    }
    QVERIFY2(read > 1000, qPrintable(QString::number(read)));  // the walk found the program's texts
    QVERIFY2(english.isEmpty(), qPrintable(english.join(u'\n')));
}

QTEST_MAIN(MessagesTest)
#include "test_messages.moc"
