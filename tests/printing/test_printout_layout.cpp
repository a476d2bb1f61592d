// The program's seven printouts on a day where every value is as long as its column allows: names
// and addresses of 75 characters, ear tags of 25 digits, certificates of 45 characters, Hungarian
// accents and "fi", "fl", "ffl" in every text field. Nothing may be cut, end in "…" or overlap; the
// pages are compared line by line with stored files, so a change of the layout reads as a diff;
// the PDF keeps the letters as typed and says what it is.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "storage/shared_datasets.h"
#include "printing/delivery_printout.h"
#include "printing/eartag_list_printout.h"
#include "printing/onsite_printout.h"
#include "printouts_fixture.h"
#include "report/render.h"
#include "screens.h"
#include "testdb.h"
#include "ui/platform.h"

using namespace fixture;

namespace {

// Each value exactly as long as its column (checked when the site is made).
const QString kCompany = QStringLiteral("Gerundo Állatforgalmi, Fizetési és Szolgáltató Korlátolt Felelősségű Társas");
const QString kSenderA = QStringLiteral("Hajdúsági Mezőgazdasági Termelő, Értékesítő és Szolgáltató Szövetkezet, Zsó");
const QString kSenderB = QStringLiteral("Kovácsné Fazekas Zsófia és Fiai Mezőgazdasági Családi Gazdaság, Ófehértó-Ér");
const QString kBuyer = QStringLiteral("Hajdúszoboszlói Húsfeldolgozó és Élelmiszer-ipari Zrt., Fiókvágóhíd, Hajdús");
const QString kCarrier1 = QStringLiteral("Őrségi Állattenyésztő és Értékesítő Szövetkezet, Őriszentpéter, Fiókiroda 2");
const QString kCarrier2 = QStringLiteral("Nagy-Tóth Fuvarozó és Áruszállító Betéti Társaság, Debrecen-Józsa, Fiúk u.4");
const QString kPlace = QStringLiteral("Újfehértó, Fiumei Szőlőskertek és Tüskésréti Tanyák közötti rakodó, 3. kapu");
const QString kSentBy = QStringLiteral("Gerundo Állatforgalmi, Fizetési és Szolgáltató Kft., Újfehértó, Vasút u. 12");

// A 25-digit ear tag ending in n.
QString tag(int n)
{
    return QStringLiteral("93480012345678901234%1").arg(n, 5, 10, QChar(u'0'));
}

QString sql(const QString& text)
{
    return QString(text).replace(u'\'', QStringLiteral("''"));
}

struct LongSite {
    explicit LongSite(TestDatabase& db)
    {
        const auto exact = [](const QString& value, int length) {
            if (value.size() != length)
                qFatal("fixture value of %d characters instead of %d: %s", int(value.size()), length,
                       qPrintable(value));
            return sql(value);
        };
        db.exec(
            QStringLiteral("INSERT INTO partner (pnev, pirszam, phelyseg, putca, phszam, ptel, padoszam) VALUES "
                           "('%1', '4244', '%2', '%3', '12/B. fsz.', '%4', '%5')")
                .arg(
                    exact(kCompany, 75),
                    exact(QStringLiteral("Újfehértó-Őrhegy, Fiumei Szőlőskertek és Tüskésréti Tanyák Külterület Része"),
                          75),
                    exact(QStringLiteral("Hősök tere és Árpád fejedelem útja közötti, Fűzfás-kerti magánút kőhídja fe"),
                          75),
                    exact(QStringLiteral("06-42-555-123, 06-30-987-6543, fax: 06-42-555"), 45),
                    exact(QStringLiteral("12345678-2-15 (HU-ÁFA-ŐÜ)"), 25)));
        const auto carrier = [&](const QString& plate, const QString& name, const QString& address,
                                 const QString& approval) {
            db.exec(QStringLiteral(
                        "INSERT INTO szallito (srendszam, snev, scim, sjovaszam) VALUES ('%1', '%2', '%3', '%4')")
                        .arg(exact(plate, 25), exact(name, 75), exact(address, 75), exact(approval, 25)));
            return db.value(QStringLiteral("SELECT skod FROM szallito WHERE srendszam = '%1'").arg(sql(plate)));
        };
        const auto partner = [&](const QString& name, const QString& address, const QString& holding,
                                 const QString& placeName, const QString& placeAddress) {
            db.exec(
                QStringLiteral(
                    "INSERT INTO felado (fnev, fcim, ftenykod, fsznev, fszcim) VALUES ('%1', '%2', '%3', '%4', '%5')")
                    .arg(exact(name, 75), exact(address, 75), exact(holding, 25), exact(placeName, 75),
                         exact(placeAddress, 75)));
            return db.value(QStringLiteral("SELECT fkod FROM felado WHERE fnev = '%1'").arg(sql(name)));
        };
        carrier1 =
            carrier(QStringLiteral("ŐÁÉ-123 + ÚŰÖ-456 pótkocs"), kCarrier1,
                    QStringLiteral("Szombathely-Újperint, Fiumei Ügyészségi köz és Ányos Pál utca sarka, 12/B14"),
                    QStringLiteral("HU-JÓVÁHAGYÁS-ŐÜ-2011/042"));
        carrier2 =
            carrier(QStringLiteral("HÍÚ-987 + ÓÜŐ-654 pótkocs"), kCarrier2,
                    QStringLiteral("4032 Debrecen, Füredi út 98/B. II. emelet 14, Egyetemváros, Fűzfa-ház hátsó"),
                    QStringLiteral("HU-JÓVÁHAGYÁS-ÁÉ-2010/917"));
        senderA = partner(
            kSenderA, QStringLiteral("6728 Szeged, Budapesti út 143/A. fsz. 2., Fűzfás-dűlő, tanyaközpont épülete"),
            QStringLiteral("HU-TENYÉSZET-ŐÜÁÉ-0123456"),
            QStringLiteral("Kiskunfélegyházi Ürüfiaztató és Ökörhizlaló Telep, Felsőszőlő-Pálmonostorai"),
            QStringLiteral("6100 Kiskunfélegyháza, Fűzfás-dűlő 1121. hrsz., Ágasegyháza felőli bekötőút"));
        senderB = partner(
            kSenderB, QStringLiteral("Hősök tere és Árpád fejedelem útja közötti, Fűzfás-kerti magánút kőhídja fe"),
            QStringLiteral("HU-TENYÉSZET-ÚŐÁÉ-7654321"),
            QStringLiteral("Újfehértó-Őrhegy, Fiumei Szőlőskertek és Tüskésréti Tanyák Külterület Része"),
            QStringLiteral("Szombathely-Újperint, Fiumei Ügyészségi köz és Ányos Pál utca sarka, 12/B14"));
        buyer = partner(kBuyer,
                        QStringLiteral("4032 Debrecen, Füredi út 98/B. II. emelet 14, Egyetemváros, Fűzfa-ház hátsó"),
                        QStringLiteral("HU-TENYÉSZET-ŐÜÁÉ-9999999"),
                        QStringLiteral("Kiskunfélegyházi Ürüfiaztató és Ökörhizlaló Telep, Felsőszőlő-Pálmonostorai"),
                        QStringLiteral("6728 Szeged, Budapesti út 143/A. fsz. 2., Fűzfás-dűlő, tanyaközpont épülete"));

        const QString category = exact(QStringLiteral("tenyésztésre, fiaztatásra"), 25);
        const QString certificate = exact(QStringLiteral("HU-EÜ-ÁLLATEGÉSZSÉGÜGYI-BIZONYÍTVÁNY-ÓÚ-02/11"), 45);
        const auto arrival = [&](int n, const QString& day, const QString& carrierCode, const QString& sender) {
            db.exec(QStringLiteral("INSERT INTO beszall (bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod) "
                                   "VALUES ('%1', '%2', '%2', '%3', '%4', '%5', '%6')")
                        .arg(tag(n), day, category, certificate, carrierCode, sender));
        };
        // The arrival day: a run of four from one sender, a single one from the other, a run of two.
        for (int n : {1, 2, 3, 4})
            arrival(n, QStringLiteral("2011-03-15"), carrier1, senderA);
        arrival(10, QStringLiteral("2011-03-15"), carrier2, senderB);
        for (int n : {20, 21})
            arrival(n, QStringLiteral("2011-03-15"), carrier2, senderA);
        // Older animals still on site, enough to fill more than a page of the detailed list.
        for (int n = 100; n < 110; ++n)
            arrival(n, QStringLiteral("2011-02-%1").arg(n - 90), n % 2 ? carrier1 : carrier2,
                    n % 3 ? senderA : senderB);

        const QString out = exact(QStringLiteral("HU-EÜ-KISZÁLLÍTÁSI BIZONYÍTVÁNY ŰÖÜ-0042/2011"), 45);
        const QString outCategory = exact(QStringLiteral("vágásra ffl-ellenőrzéssel"), 25);
        for (int n : {1, 2, 3, 10, 20, 21})
            db.exec(QStringLiteral("INSERT INTO kiszall (kfulszam, kikelt, khkat, keubizbe, keubizki, kskod, kfkod) "
                                   "VALUES ('%1', '2011-03-16', '%2', '%3', '%4', '%5', '%6')")
                        .arg(tag(n), outCategory, certificate, out, n < 10 ? carrier1 : carrier2, buyer));
    }

    QString carrier1, carrier2, senderA, senderB, buyer;
};

enum class Printout { Incoming, Outgoing, OnSiteSimple, OnSiteDetailed, EarTagList };

// Runs a print screen as a person does and returns what it showed.
QList<platform::ShownReport> print(Printout which, platform::TestDoubles& doubles)
{
    std::unique_ptr<QDialog> screen;
    switch (which) {
        case Printout::Incoming:
        case Printout::Outgoing: {
            if (which == Printout::Incoming)
                screen = std::make_unique<IncomingDeliveryPrintoutDialog>();
            else
                screen = std::make_unique<OutgoingDeliveryPrintoutDialog>();
            screen->show();
            edit(screen.get(), "Edit1")->setText(which == Printout::Incoming ? kArrivalDay : kDispatchDay);
            QTest::mouseClick(button(screen.get(), "Button1"), Qt::LeftButton);
            QTest::mouseClick(button(screen.get(), "Button2"), Qt::LeftButton);
            break;
        }
        case Printout::OnSiteSimple:
        case Printout::OnSiteDetailed:
            screen = std::make_unique<OnSiteListPrintoutDialog>();
            screen->show();
            child<QRadioButton>(screen.get(), which == Printout::OnSiteSimple ? "RadioButton1" : "RadioButton2")
                ->click();
            edit(screen.get(), "Edit1")->setText(QStringLiteral("2011.03.20"));
            QTest::mouseClick(button(screen.get(), "Button2"), Qt::LeftButton);
            break;
        case Printout::EarTagList:
            screen = std::make_unique<EarTagListPrintoutDialog>();
            screen->show();
            edit(screen.get(), "Edit1")->setText(kDispatchDay);
            edit(screen.get(), "Edit2")->setText(kPlace);
            edit(screen.get(), "Edit3")->setText(kSentBy);
            QTest::mouseClick(button(screen.get(), "Button1"), Qt::LeftButton);
            QTest::mouseClick(button(screen.get(), "Button2"), Qt::LeftButton);
            break;
    }
    return doubles.reportsShown;
}

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(program, QString::fromUtf8(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

Q_DECLARE_METATYPE(Printout)

class PrintoutLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void longestValuesShowWhole_data();
    void longestValuesShowWhole();
};

void PrintoutLayoutTest::longestValuesShowWhole_data()
{
    QTest::addColumn<Printout>("printout");
    QTest::addColumn<int>("shown");  // which of the screen's reports
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("landscape");

    QTest::newRow("Fulszambe1") << Printout::Incoming << 0 << "Beszállított fülszámok, 2011.03.15" << false;
    QTest::newRow("Fulszambe2") << Printout::Incoming << 1 << "Beszállítás összesítő, 2011.03.15" << false;
    QTest::newRow("Fulszamki1") << Printout::Outgoing << 0 << "Kiszállított fülszámok, 2011.03.16" << false;
    QTest::newRow("Fulszamki2") << Printout::Outgoing << 1 << "Kiszállítás összesítő, 2011.03.16" << false;
    QTest::newRow("Telepennap") << Printout::OnSiteSimple << 0 << "Telepen lévő állatok listája, 2011.03.20" << false;
    QTest::newRow("Telepen") << Printout::OnSiteDetailed << 0 << "Telepen lévő állatok részletes listája, 2011.03.15"
                             << true;
    QTest::newRow("Fulszamlista") << Printout::EarTagList << 0 << "Fülszámlista, 2011.03.16" << false;
}

void PrintoutLayoutTest::longestValuesShowWhole()
{
    QFETCH(Printout, printout);
    QFETCH(int, shown);
    QFETCH(QString, title);
    QFETCH(bool, landscape);
    TestDatabase db;
    platform::TestDoubles doubles;
    LongSite site(db);
    installTemplates(db);

    const QList<platform::ShownReport> reports = print(printout, doubles);
    QVERIFY2(doubles.messages.isEmpty(), qPrintable(doubles.messageTexts().join(u'\n')));
    QVERIFY(reports.size() > shown);
    const report::PreparedReport& pages = reports[shown].pages;
    const QString name = QString::fromLatin1(QTest::currentDataTag());

    QVERIFY2(pages.fitProblems.empty(), qPrintable(pages.fitReport().join(u'\n')));
    QVERIFY(samePages(pages, QStringLiteral("%1.longest.txt").arg(name)));

    // The PDF: letters as typed (no ligature glyph for "fi", "fl", "ffl"), its title, author and
    // creator, A4 in the template's orientation.
    QTemporaryDir dir;
    const QString keep = qEnvironmentVariable("GERUNDO_KEEP_PRINTOUTS");
    const QString pdf = (keep.isEmpty() ? dir.path() : keep) + QStringLiteral("/%1.pdf").arg(name);
    report::writePdf(pages, pdf);
    if (!keep.isEmpty()) {
        // The first page as the preview paints it at 100 %, for a look by eye.
        const double ppm = 96 / 25.4;
        QImage image((pages.pages[0].size * ppm).toSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        report::paintPage(painter, pages, 0, ppm);
        painter.end();
        image.save(keep + QStringLiteral("/%1-screen.png").arg(name));
    }
    const QString text =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    QVERIFY2(!text.contains(QRegularExpression(QStringLiteral("[\\x{FB00}-\\x{FB06}]"))), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Fizetési")) && text.contains(QStringLiteral("Gerundo")), qPrintable(text));
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    const auto field = [&](const QString& name, const QString& value) {
        return info.contains(
            QRegularExpression(QStringLiteral("^%1: +%2$").arg(name, value), QRegularExpression::MultilineOption));
    };
    QVERIFY2(field(QStringLiteral("Title"), QRegularExpression::escape(title)), qPrintable(info));
    QVERIFY2(field(QStringLiteral("Author"), QRegularExpression::escape(kCompany)), qPrintable(info));
    QVERIFY2(field(QStringLiteral("Creator"), QStringLiteral("Gerundo")), qPrintable(info));
    QVERIFY2(field(QStringLiteral("Page size"),
                   landscape ? QStringLiteral("842 x 595 pts \\(A4\\)") : QStringLiteral("595 x 842 pts \\(A4\\)")),
             qPrintable(info));
    QVERIFY2(field(QStringLiteral("Page rot"), QStringLiteral("0")), qPrintable(info));
}

QTEST_MAIN(PrintoutLayoutTest)
#include "test_printout_layout.moc"
