#include "app/mainwindow.h"
#include "core/convert.h"
#include "storage/shared_datasets.h"
#include "db/client.h"
#include "outgoing/takeover.h"
#include "screens.h"
#include "testdb.h"
#include "ui/dbwidgets.h"
#include "ui/platform.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <algorithm>

using Rows = QList<QStringList>;

namespace {

const QString kRead = QStringLiteral("Adatok beolvasva. ");
const QString kHiba302 = QStringLiteral("Hiba302:  Update a kiszall1 -ben ");
const QString kPosted =
    QStringLiteral("A kiszállításba beírva: fülszám, dátum és beszállításkori eü.biz.szám, hasznosítási kat.!");

// The staged rows as committed, in a stable order.
Rows staged(TestDatabase& db)
{
    Rows rows = db.rows(QStringLiteral("SELECT kikelt, kfulszam, kvkod, khkat, keube, keuki FROM kiszall1"));
    std::sort(rows.begin(), rows.end());
    return rows;
}

Rows sorted(Rows rows)
{
    std::sort(rows.begin(), rows.end());
    return rows;
}

// What the screen's grid shows, row by row.
QList<QVariant> gridRows(QWidget* form)
{
    QList<QVariant> rows;
    QAbstractItemModel* model = child<DBGrid>(form, "DBGrid1")->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c)
            cells << model->index(r, c).data().toString();
        rows << cells;
    }
    return rows;
}

void addArrival(TestDatabase& db, const QString& earTag, const QString& certificate, const QString& category)
{
    db.exec(QStringLiteral("INSERT INTO beszall (bfulszam, beubiz, bhkat, bszkelt) VALUES ('%1', '%2', '%3', "
                           "DATE '2011-03-01')")
                .arg(earTag, certificate, category));
}

}  // namespace

class TakeoverTest : public QObject {
    Q_OBJECT
private slots:
    void screenAsListed();
    void menuOpensTheScreen();
    void readStagesRecordsByColumn_data();
    void readStagesRecordsByColumn();
    void readEmptiesPreviousRowsAndCancelKeepsFileName();
    void brokenFileKeepsTheStaging_data();
    void brokenFileKeepsTheStaging();
    void earTagNormalisation_data();
    void earTagNormalisation();
    void earTagWithLettersRollsBackTheRead_data();
    void earTagWithLettersRollsBackTheRead();
    void failedEmptyingAddsToOldRows();
    void failedNormalisationStartReportsHiba303();
    void checkListsStagedEarTagsWithoutArrival();
    void failedCheckIsReported();
    void postingJoinsArrivalsAndRepeats();
    void failedPostingRollsBackAndStaysOpen();
    void readChangesNothingOutsideStaging();

private:
    QString fixture(const QString& name)
    {
        const QString path = QFINDTESTDATA(QStringLiteral("fixtures/") + name);
        if (path.isEmpty())
            qFatal("missing fixture %s", qPrintable(name));
        return path;
    }
    void read(TakeoverDialog& form, platform::TestDoubles& doubles, const QString& file)
    {
        doubles.fileAnswers << file;
        form.readFile();
    }
};

void TakeoverTest::screenAsListed()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    Data->IBTable11.setReadOnly(true);
    TakeoverDialog form;
    child<QLabel>(&form, "Label1")->setText(QStringLiteral("régi"));
    form.show();
    QCOMPARE(form.windowTitle(), QStringLiteral("Adatok átvétele   ( a fülszám programból)"));
    QCOMPARE(child<QLabel>(&form, "Label1")->text(), QString());
    QVERIFY(!Data->IBTable11.readOnly());
    QCOMPARE(child<QLabel>(&form, "Label2")->text(),
             QStringLiteral("A \"Beolvasás\" gombra az előző beolvasás törlésre kerül.  Tetszőlegesen ismételhető."));
    QCOMPARE(child<QLabel>(&form, "Label3")->text(), QStringLiteral("A \"Feladás\"  ismétlése duplikálást eredményez."));
    QCOMPARE(child<QLabel>(&form, "Label4")->text(), QStringLiteral("A beszállításban nem szereplő fülszám esetén is  bekerül a "
                                                 "feladásba beszállítási eü.biz. nélkül."));
    QCOMPARE(child<QLabel>(&form, "Label5")->text(), QStringLiteral("Adat pótlása (eü.biz.) az \"Adatfeltöltés\" menüpontban"));
    QCOMPARE(child<QLabel>(&form, "Label6")->text(), QStringLiteral("Az \"Ellenörzés\" gonbra megjeleniti a  mely fülszám nincs a  "
                                                 "beszállítottak között."));
    QCOMPARE(child<DBGrid>(&form, "DBGrid1")->titles(), QStringList({"Kiszáll.dátum", "Fülszám", "Vevökód", "Hasz.kat", "Eü.biz. be",
                                                  "Eü.biz. ki", "ID", "Kód"}));
    QCOMPARE(child<DBGrid>(&form, "DBGrid1")->datasetModel()->dataset(), &Data->ZQ111);
    QVERIFY(child<DBNavigator>(&form, "DBNavigator1")->button(DBNavigator::First)->isVisible());
    QVERIFY(child<DBNavigator>(&form, "DBNavigator1")->button(DBNavigator::Last)->isVisible());
    const QList<std::tuple<QPushButton*, QString, QString, QString>> buttons = {
        {button(&form, "Button5"), "Button5", "Beolvasás", "Adat átvétel a fülszám programból"},
        {button(&form, "Button1"), "Button1", "Ellenőrzés", "Adatátvetel fülszám ellenörzése"},
        {button(&form, "Button2"), "Button2", "Feladás", "Bizonylat számonkénti összesitö készités "},
        {button(&form, "Button3"), "Button3", "Mégsem", ""}};
    for (const auto& [button, name, caption, hint] : buttons) {
        QCOMPARE(button->objectName(), name);
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->toolTip(), hint);
    }

    // The dialog is asked with the listed settings; cancelled, it still reads the name it held.
    form.readFile();
    QCOMPARE(doubles.fileDialogsShown.size(), 1);
    const auto& s = doubles.fileDialogsShown.first();
    QCOMPARE(s.title, QStringLiteral("Megnyitásra kerülö file neve:"));
    QCOMPARE(s.filter, QStringLiteral("XML files (*.XML)|*.xml|All files|*.*"));
    QCOMPARE(s.initialDir, QStringLiteral("C:\\fulszam\\"));
    QCOMPARE(s.fileName, QStringLiteral("fulszam.xml"));
    // There is none in the working directory: said so, not read as an empty file.
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("A(z) \"fulszam.xml\" fájl nem található.")});

    button(&form, "Button3")->click();  // "Mégsem"
    QVERIFY(!form.isVisible());
}

void TakeoverTest::menuOpensTheScreen()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    MainWindow main;
    bool seen = false;
    QPointer<QDialog> shown;
    doubles.modalHandlers << [&](QDialog* d) {
        seen = qobject_cast<TakeoverDialog*>(d) &&
               d->windowTitle() == QStringLiteral("Adatok átvétele   ( a fülszám programból)");
        shown = d;
    };
    auto* item = main.findChild<QAction*>(QStringLiteral("Adattvtel2"));
    QVERIFY(item);
    QCOMPARE(item->text(), QStringLiteral("Adatátvétel"));
    item->trigger();
    QVERIFY(seen);
    QCOMPARE(doubles.modalsShown, QStringList{QStringLiteral("Form30")});
    QVERIFY(!shown);  // destroyed when it closed
}

void TakeoverTest::readStagesRecordsByColumn_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Rows>("expected");  // kikelt, kfulszam, kvkod, khkat, keube, keuki
    QTest::addColumn<QStringList>("messages");
    const QStringList ok{kRead};
    QTest::newRow("indentation") << "indented.xml"
                                 << Rows{{"2011.03.05", "12345678", "V1", "gyüjtés", "EB-1", "EK-1"},
                                         {"2011.03.06", "123", "V2", "hizlalás", "EB-2", "EK-2"},
                                         {"2011.03.07", "12345678901234567890", "V3", "vágás", "EB-3", "EK-3"}}
                                 << ok;
    QTest::newRow("empty element") << "empty_element.xml"
                                   << Rows{{"2011.03.05", "500", "V1", "gyüjtés", "EK-1", ""},
                                           {"2011.03.06", "501", "vágás", "", "", ""}}
                                   << ok;
    QTest::newRow("comment, CDATA, attribute, PI") << "ignored_parts.xml"
                                                   << Rows{{"2011.03.05", "700", "V7", "", "", ""}} << ok;
    QTest::newRow("nested grouping") << "nested.xml"
                                     << Rows{{"2011.03.05", "801", "V1", "", "", ""},
                                             {"2011.03.05", "802", "V2", "", "", ""},
                                             {"2011.03.06", "804", "", "", "", ""}}
                                     << ok;
    QTest::newRow("entity references") << "entities.xml"
                                       << Rows{{"2011.03.05", "42", "K&F", "gyüjtés", "EB-<1>", ""}} << ok;
    QTest::newRow("windows-1250 prolog")
        << "windows1250.xml" << Rows{{"2011.03.05", "1401", "Vevő Kft.", "hízlalás", "Eü-Ő-1", "Eü-Ű-1"}} << ok;
    // The reading stops at the faulty record; what was stored before it is normalised and kept.
    QTest::newRow("more values than columns") << "too_many_values.xml"
                                              << Rows{{"2011.03.05", "1001", "V1", "", "", ""}}
                                              << QStringList{"A(z) KISZALL1 táblának nincs 9. oszlopa (8 oszlopa van).", kRead};
    QTest::newRow("non-date in date position") << "bad_date.xml" << Rows{{"2011.03.05", "1101", "", "", "", ""}}
                                               << QStringList{"Érvénytelen dátum: „márc. 5.” (mező: KIKELT)", kRead};
    // A refused row is dropped and the reading goes on.
    QTest::newRow("refused row") << "duplicate_id.xml"
                                 << Rows{{"2011.03.05", "1301", "V1", "k", "b", "k"},
                                         {"2011.03.05", "1303", "", "", "", ""}}
                                 << QStringList{"Hiba304: XML -böl  INSERT kiszall1 -be ", kRead};
    // A character the database cannot hold: that record is dropped with a message naming it.
    QTest::newRow("text the database cannot hold")
        << "unstorable.xml"
        << Rows{{"2011.03.05", "1601", "V1", "", "", ""}, {"2011.03.05", "1603", "", "", "", ""}}
        << QStringList{unstorableTextMessage(QStringLiteral("KVKOD"), QStringLiteral("\"õ\" (U+00F5)")), kRead};
}

void TakeoverTest::readStagesRecordsByColumn()
{
    QFETCH(QString, file);
    QFETCH(Rows, expected);
    QFETCH(QStringList, messages);
    TestDatabase db;
    platform::TestDoubles doubles;
    TakeoverDialog form;
    form.show();
    read(form, doubles, file.isEmpty() ? db.dir() + QStringLiteral("/nincs.xml") : fixture(file));
    QCOMPARE(doubles.messageTexts(), messages);
    QCOMPARE(staged(db), sorted(expected));
    // Committed, and the grid shows the staged rows.
    QVERIFY(Data->ZQ111.active());
    QCOMPARE(Data->ZQ111.recordCount(), expected.size());
    QCOMPARE(child<DBGrid>(&form, "DBGrid1")->model()->rowCount(), expected.size());
}

void TakeoverTest::readEmptiesPreviousRowsAndCancelKeepsFileName()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    QVERIFY(QFile::copy(fixture(QStringLiteral("indented.xml")), db.dir() + QStringLiteral("/fulszam.xml")));
    TakeoverDialog form;
    form.show();
    form.readFile();  // cancelled: "fulszam.xml" of the working directory
    QCOMPARE(db.count(QStringLiteral("kiszall1")), 3);
    read(form, doubles, fixture(QStringLiteral("nested.xml")));
    QCOMPARE(db.rows(QStringLiteral("SELECT kfulszam FROM kiszall1 ORDER BY kfulszam")),
             Rows({{"801"}, {"802"}, {"804"}}));
    form.readFile();  // cancelled again: the file chosen last is read again
    QCOMPARE(doubles.fileDialogsShown.last().fileName, fixture(QStringLiteral("nested.xml")));
    QCOMPARE(db.rows(QStringLiteral("SELECT kfulszam FROM kiszall1 ORDER BY kfulszam")),
             Rows({{"801"}, {"802"}, {"804"}}));
    QCOMPARE(doubles.messageTexts(), QStringList({kRead, kRead, kRead}));
}

void TakeoverTest::brokenFileKeepsTheStaging_data()
{
    QTest::addColumn<QString>("file");  // a fixture, or a name in the working directory
    QTest::addColumn<QString>("message");
    QTest::newRow("truncated") << "truncated.xml"
                               << "nem olvasható be (10. sor, 18. oszlop): a fájl idő előtt véget ér, a vége hiányzik";
    QTest::newRow("not XML") << "not_xml.xml" << "nem olvasható be (1. sor, 1. oszlop): ";
    QTest::newRow("missing") << "nincs.xml" << "nem található.";
    // An entity whose value the file does not hold: read as success, the later values would move
    // one column forward (the buyer code into the ear tag).
    QTest::newRow("external entity") << "external_entity.xml"
                                     << "nem olvasható be (8. sor, 14. oszlop): a(z) „&x;” entitás értéke egy külső "
                                        "fájlban volna („file:///etc/passwd”), a program külső fájlt nem olvas be";
    QTest::newRow("undeclared entity under an external DTD")
        << "undeclared_entity.xml"
        << "nem olvasható be (6. sor, 14. oszlop): a(z) „&fulszam;” entitás nincs deklarálva a fájlban, így nincs "
           "értéke (külső DTD-t a program nem olvas be)";
    QTest::newRow("a folder") << "mappa" << "nem fájl, hanem mappa.";
}

void TakeoverTest::brokenFileKeepsTheStaging()
{
    QFETCH(QString, file);
    QFETCH(QString, message);
    TestDatabase db;
    platform::TestDoubles doubles;
    QVERIFY(QDir(db.dir()).mkdir(QStringLiteral("mappa")));
    TakeoverDialog form;
    form.show();
    read(form, doubles, fixture(QStringLiteral("indented.xml")));
    const Rows before = staged(db);
    QCOMPARE(before.size(), 3);
    doubles.messages.clear();

    const QString path = file.endsWith(QLatin1String(".xml")) && file != QLatin1String("nincs.xml")
                             ? fixture(file)
                             : QDir(db.dir()).filePath(file);
    const QList<QVariant> gridBefore = gridRows(&form);
    // As a person reads a file: a click on "Beolvasás", the file chosen in the dialog.
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    doubles.fileAnswers << path;
    QTest::mouseClick(button(&form, "Button5"), Qt::LeftButton);
    // One message naming the file and where reading failed, and no "Adatok beolvasva.".
    QCOMPARE(doubles.messages.size(), 1);
    const QString named = QStringLiteral("A(z) \"%1\" ").arg(QDir::toNativeSeparators(path));
    QVERIFY2(doubles.lastMessage().startsWith(named + QStringLiteral("fájl ") + message) ||
                 doubles.lastMessage().startsWith(named + message),
             qPrintable(doubles.lastMessage()));
    QVERIFY(!doubles.messageTexts().contains(kRead));
    // The staging keeps what it held, the grid still shows it, and nothing of the read is pending.
    QCOMPARE(gridRows(&form), gridBefore);
    QCOMPARE(staged(db), before);
    if (Data->IBTrans1.inTransaction())
        Data->IBTrans1.commit();
    QCOMPARE(staged(db), before);
}

void TakeoverTest::earTagNormalisation_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");  // "-" when the text is no number
    QTest::newRow("leading zeros") << "0012345678" << "12345678";
    QTest::newRow("blanks around") << "  123 " << "123";
    QTest::newRow("zero") << "0000" << "0";
    QTest::newRow("15 digits") << "123456789012345" << "123456789012345";
    // Longer than 15 digits: kept exactly, never an exponent form.
    QTest::newRow("20 digits") << "12345678901234567890" << "12345678901234567890";
    QTest::newRow("25 digits, zeros") << "0000012345678901234567890" << "12345678901234567890";
    QTest::newRow("letters") << "12A02" << "-";
    QTest::newRow("inner blank") << "12 34" << "-";
    QTest::newRow("empty") << "" << "-";
}

void TakeoverTest::earTagNormalisation()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const auto number = convert::earTagNumberText(text);
    QCOMPARE(number.value_or(QStringLiteral("-")), expected);
}

void TakeoverTest::earTagWithLettersRollsBackTheRead_data()
{
    // Whoever started the transaction before the read (the grid's opening, or nobody), nothing of
    // the failed read may have been committed on the way.
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("transactionEnded");
    QTest::newRow("grid open") << "letters.xml" << false;
    QTest::newRow("no transaction") << "letters.xml" << true;
    // A number too large for the plain form would come back in exponent form: refused alike.
    QTest::newRow("20 digits with a fraction") << "exponent.xml" << false;
}

void TakeoverTest::earTagWithLettersRollsBackTheRead()
{
    QFETCH(QString, file);
    QFETCH(bool, transactionEnded);
    TestDatabase db;
    platform::TestDoubles doubles;
    TakeoverDialog form;
    form.show();
    read(form, doubles, fixture(QStringLiteral("indented.xml")));
    const Rows before = staged(db);
    QCOMPARE(before.size(), 3);
    QVERIFY(Data->ZQ111.active());
    if (transactionEnded)
        Data->IBTrans1.commit();

    doubles.messages.clear();
    read(form, doubles, fixture(file));
    QCOMPARE(doubles.messageTexts(), QStringList{kHiba302});
    // The emptying, the stored rows and the rewrites of this read are all undone.
    QVERIFY(!Data->IBTrans1.inTransaction());
    Data->ZQ111.setSql({QStringLiteral("SELECT kfulszam FROM kiszall1")});
    Data->ZQ111.open();
    QCOMPARE(Data->ZQ111.recordCount(), 3);
    Data->ZQ111.close();
    QCOMPARE(staged(db), before);

    // The screen stays usable.
    doubles.messages.clear();
    read(form, doubles, fixture(QStringLiteral("nested.xml")));
    QCOMPARE(doubles.messageTexts(), QStringList{kRead});
    QCOMPARE(db.count(QStringLiteral("kiszall1")), 3);
}

void TakeoverTest::failedEmptyingAddsToOldRows()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    TakeoverDialog form;
    form.show();
    read(form, doubles, fixture(QStringLiteral("indented.xml")));

    // Another connection holds a staged row, so the emptying collides; it lets go once the
    // failure has been shown, and the read goes on with the old rows kept.
    fb::Attachment other;
    fb::ConnectParams p;
    p.database = db.file();
    other.attach(p);
    fb::Transaction otherTra;
    otherTra.start(other);
    fb::Statement hold(other, otherTra, QStringLiteral("UPDATE kiszall1 SET kvkod = 'X' WHERE kfulszam = '123'"));
    hold.execute();
    doubles.onMessage = [&](const platform::ShownMessage& m) {
        if (m.text.startsWith(QStringLiteral("Hiba301")))
            otherTra.rollback();
    };
    doubles.messages.clear();
    read(form, doubles, fixture(QStringLiteral("nested.xml")));
    QCOMPARE(doubles.messageTexts(), QStringList({QStringLiteral("Hiba301: kiszall1 DELETE törlésekor"), kRead}));
    QCOMPARE(db.rows(QStringLiteral("SELECT kfulszam FROM kiszall1 ORDER BY kfulszam")),
             Rows({{"123"}, {"12345678"}, {"12345678901234567890"}, {"801"}, {"802"}, {"804"}}));
}

void TakeoverTest::failedNormalisationStartReportsHiba303()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    TakeoverDialog form;
    form.show();
    // The connection is lost while the reading's error is on screen: the normalisation cannot
    // start, and nothing of the read becomes durable.
    doubles.onMessage = [&](const platform::ShownMessage& m) {
        if (m.text.startsWith(QStringLiteral("Érvénytelen dátum")))
            Data->ZCon1.close();
    };
    read(form, doubles, fixture(QStringLiteral("bad_date.xml")));
    QCOMPARE(doubles.messageTexts(), QStringList({QStringLiteral("Érvénytelen dátum: „márc. 5.” (mező: KIKELT)"),
                                                  QStringLiteral("Hiba303: az Update közben a kiszállítás1 -ben!")}));
    QCOMPARE(db.count(QStringLiteral("kiszall1")), 0);
    Data->ZCon1.setConnected(true);
    doubles.messages.clear();
    doubles.onMessage = nullptr;
    read(form, doubles, fixture(QStringLiteral("nested.xml")));
    QCOMPARE(doubles.messageTexts(), QStringList{kRead});
    QCOMPARE(db.count(QStringLiteral("kiszall1")), 3);
}

void TakeoverTest::checkListsStagedEarTagsWithoutArrival()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    TakeoverDialog form;
    form.show();
    // Nothing staged: nothing listed.
    form.listEarTagsWithoutArrival();
    QVERIFY(Data->ZQ111.active());
    QCOMPARE(Data->ZQ111.recordCount(), 0);
    QCOMPARE(child<QLabel>(&form, "Label1")->text(), QStringLiteral("Ezen fülszámok nincsenek a beszállítottak között"));
    QCOMPARE(child<QLabel>(&form, "Label1")->palette().color(QPalette::WindowText), QColor(Qt::red));

    addArrival(db, QStringLiteral("12345678"), QStringLiteral("B1"), QStringLiteral("gyüjtés"));
    addArrival(db, QStringLiteral("12345678"), QStringLiteral("B2"), QStringLiteral("vágás"));
    addArrival(db, QStringLiteral("123"), QStringLiteral("B3"), QStringLiteral("gyüjtés"));
    read(form, doubles, fixture(QStringLiteral("indented.xml")));
    QCOMPARE(child<QLabel>(&form, "Label1")->text(), QString());
    form.listEarTagsWithoutArrival();
    QCOMPARE(Data->ZQ111.recordCount(), 1);
    QCOMPARE(Data->ZQ111.fieldText(QStringLiteral("kfulszam")), QStringLiteral("12345678901234567890"));
    QCOMPARE(Data->ZQ111.fieldText(QStringLiteral("KIKELT")), QStringLiteral("2011.03.07"));
    auto* model = child<DBGrid>(&form, "DBGrid1")->model();
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("2011.03.07"));
    QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("12345678901234567890"));
    QCOMPARE(model->index(0, 2).data().toString(), QString());
    QCOMPARE(child<QLabel>(&form, "Label1")->text(), QStringLiteral("Ezen fülszámok nincsenek a beszállítottak között"));
}

void TakeoverTest::failedCheckIsReported()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    TakeoverDialog form;
    form.show();
    read(form, doubles, fixture(QStringLiteral("indented.xml")));
    Data->IBTrans1.commit();
    // The connection is lost: the check query cannot run. The failure is reported with its own
    // text instead of leaving the button's handler, and no caption claims a result.
    Data->ZCon1.close();
    doubles.messages.clear();
    try {
        form.listEarTagsWithoutArrival();
    } catch (const std::exception& e) {
        QFAIL(e.what());
    }
    QCOMPARE(doubles.messageTexts().size(), 1);
    QVERIFY(!doubles.lastMessage().isEmpty());
    QCOMPARE(child<QLabel>(&form, "Label1")->text(), QString());
    QVERIFY(form.isVisible());

    Data->ZCon1.setConnected(true);
    form.listEarTagsWithoutArrival();
    QCOMPARE(Data->ZQ111.recordCount(), 3);
    QCOMPARE(child<QLabel>(&form, "Label1")->text(), QStringLiteral("Ezen fülszámok nincsenek a beszállítottak között"));
}

void TakeoverTest::postingJoinsArrivalsAndRepeats()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    addArrival(db, QStringLiteral("12345678"), QStringLiteral("B1"), QStringLiteral("gyüjtés"));
    addArrival(db, QStringLiteral("12345678"), QStringLiteral("B2"), QStringLiteral("vágás"));
    addArrival(db, QStringLiteral("12345678901234567890"), QStringLiteral("B3"), QStringLiteral("hizlalás"));
    {
        TakeoverDialog form;
        form.show();
        read(form, doubles, fixture(QStringLiteral("indented.xml")));
        doubles.messages.clear();
        form.postDepartures();
        QCOMPARE(doubles.messageTexts(), QStringList{kPosted});
        QVERIFY(!form.isVisible());
    }
    const QString query = QStringLiteral(
        "SELECT kfulszam, kikelt, keubizbe, khkat, kskod, kfkod, khkod, keubizki, "
        "CASE WHEN keubizbe IS NULL AND khkat IS NULL THEN 'null' ELSE '' END FROM kiszall");
    const Rows once{{"12345678", "2011.03.05", "B1", "gyüjtés", "", "", "", "", ""},
                    {"12345678", "2011.03.05", "B2", "vágás", "", "", "", "", ""},
                    {"123", "2011.03.06", "", "", "", "", "", "", "null"},
                    {"12345678901234567890", "2011.03.07", "B3", "hizlalás", "", "", "", "", ""}};
    QCOMPARE(sorted(db.rows(query)), sorted(once));
    // The staging table keeps its rows; posting again duplicates every outgoing row.
    QCOMPARE(db.count(QStringLiteral("kiszall1")), 3);
    {
        TakeoverDialog form;
        form.show();
        form.postDepartures();
    }
    QCOMPARE(sorted(db.rows(query)), sorted(once + once));
}

void TakeoverTest::failedPostingRollsBackAndStaysOpen()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    TakeoverDialog form;
    form.show();
    read(form, doubles, fixture(QStringLiteral("indented.xml")));
    // An outgoing row already holds the identifier the sequence gives next: the second posted
    // row collides, and the first must not stay either.
    db.exec(QStringLiteral("INSERT INTO kiszall (idk, kfulszam) VALUES (2, 'regi')"));
    doubles.messages.clear();
    form.postDepartures();
    QCOMPARE(doubles.messageTexts(), QStringList{QStringLiteral("Hiba305: az insert a kiszállításban!")});
    QVERIFY(form.isVisible());
    QVERIFY(!Data->IBTrans1.inTransaction());
    QCOMPARE(db.rows(QStringLiteral("SELECT kfulszam FROM kiszall")), Rows{{"regi"}});
    QCOMPARE(db.count(QStringLiteral("kiszall1")), 3);
}

void TakeoverTest::readChangesNothingOutsideStaging()
{
    TestDatabase db;
    platform::TestDoubles doubles;
    db.addCarrier(QStringLiteral("ABC-123"), QStringLiteral("Fuvar Kft."));
    db.addPartner(QStringLiteral("Vevő Bt."));
    addArrival(db, QStringLiteral("12345678"), QStringLiteral("B1"), QStringLiteral("gyüjtés"));
    db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam, kikelt) VALUES ('0012345678', DATE '2011-03-02')"));
    db.exec(QStringLiteral("INSERT INTO fulszam (ufultol, ufulig) VALUES ('0001', '0009')"));
    const QStringList tables{"beszall", "kiszall", "szallito", "felado", "fulszam",
                             "fulszam0", "beszall0", "kiszall0", "partner"};
    auto snapshot = [&] {
        QList<Rows> all;
        for (const QString& t : tables)
            all << sorted(db.rows(QStringLiteral("SELECT * FROM ") + t));
        return all;
    };
    const QList<QList<Rows>> before{snapshot()};
    TakeoverDialog form;
    form.show();
    for (const char* file : {"indented.xml", "empty_element.xml", "ignored_parts.xml", "nested.xml", "entities.xml",
                             "windows1250.xml", "truncated.xml", "not_xml.xml", "too_many_values.xml",
                             "bad_date.xml", "letters.xml", "duplicate_id.xml"}) {
        read(form, doubles, fixture(QString::fromLatin1(file)));
        QVERIFY2(QList<QList<Rows>>{snapshot()} == before, file);
    }
}

QTEST_MAIN(TakeoverTest)
#include "test_takeover.moc"
