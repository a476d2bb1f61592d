// The ear-tag takeover with a file of 20,000 records: reading, storing, normalising and posting;
// and the reading alone of hostile shapes (deep nesting, many values, records in records), which
// must stay linear in the file's length.
#include "benchsupport.h"
#include "storage/shared_datasets.h"
#include "outgoing/takeover.h"
#include "outgoing/takeover_xml.h"
#include "ui/platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kRecords = 20000;

// The ear-tag program's layout: one "Records" element per animal, six values each, indented.
void writeTakeoverFile(const QString& name)
{
    QFile f(name);
    f.open(QIODevice::WriteOnly);
    f.write("<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n<Fulszamok>\n");
    for (int i = 0; i < kRecords; ++i) {
        const QByteArray tag = QByteArray::number(3600000000LL + i).rightJustified(12, '0');
        f.write("  <Records>\n    <Kikelt>2011.03.05</Kikelt>\n    <Fulszam>" + tag +
                "</Fulszam>\n    <Vevokod>V1</Vevokod>\n    <Hkat>gy\xFCjt\xE9s</Hkat>\n"
                "    <Eubizbe>EB-" + QByteArray::number(i / 100) + "</Eubizbe>\n    <Eubizki></Eubizki>\n"
                "  </Records>\n");
    }
    f.write("</Fulszamok>\n");
}

double elapsedMs(const std::function<void()>& work)
{
    QElapsedTimer t;
    t.start();
    work();
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

// Reads content as the screen does (at most 9 values a record), best of three; prints the time.
void readShape(const char* what, const QByteArray& content)
{
    double best = 1e9;
    takeover::RecordFile file;
    for (int round = 0; round < 3; ++round)
        best = std::min(best, elapsedMs([&] { file = takeover::readRecords(content, QStringLiteral("x.xml")); }));
    qsizetype values = 0;
    for (const QStringList& r : file.records)
        values += r.size();
    std::printf("  %-46s %6.2f MB %8.1f ms  %s, %lld records, %lld values\n", what, content.size() / 1e6, best,
                file.ok() ? "read" : "refused", static_cast<long long>(file.records.size()),
                static_cast<long long>(values));
}

void hostileShapes()
{
    std::printf("reading hostile shapes (target: each under 1 s, time growing with the length):\n");
    const auto nested = [](int depth, const QByteArray& name) {
        return "<R><Records><a>1</a>" + ("<" + name + ">").repeated(depth) + "2" + ("</" + name + ">").repeated(depth) +
               "<c>3</c></Records></R>";
    };
    readShape("one record nested 100,000 deep", nested(100000, "ccc"));
    readShape("one record nested 50,000 deep (half the length)", nested(50000, "ccc"));
    readShape("an element nested 135,000 deep", nested(135000, "a"));
    readShape("200,000 levels, never closed", QByteArray("<a>").repeated(200000) + "<Records>1");
    QByteArray flat = "<R><Records>";
    for (int i = 0; i < 100000; ++i)
        flat += "<v>" + QByteArray::number(i) + "</v>";
    flat += "</Records></R>";
    readShape("one record of 100,000 flat values", flat);
    QByteArray records = "<R>";
    for (int i = 0; i < 100000; ++i)
        records += "<Records><v>" + QByteArray::number(i) + "</v></Records>";
    records += "</R>";
    readShape("100,000 records of one value", records);
    QByteArray inRecords;
    for (int i = 0; i < 20000; ++i)
        inRecords += "<Records>" + QByteArray::number(i);
    inRecords += QByteArray("</Records>").repeated(20000);
    readShape("records in records, 20,000 deep, a text each", inRecords);
    QByteArray deepRecords;
    for (int i = 0; i < 100000; ++i)
        deepRecords += "<Records>" + QByteArray::number(i);
    deepRecords += QByteArray("</Records>").repeated(100000);
    readShape("records in records, 100,000 deep, a text each", deepRecords);
    // Every value an entity: the references are looked up once more after the reading.
    QByteArray entities = "<!DOCTYPE R [<!ENTITY n \"2011.03.05\"><!ENTITY m \"&n;\">]><R>";
    for (int i = 0; i < 100000; ++i)
        entities += "<Records><a>&m;</a><b>&amp;" + QByteArray::number(i) + "</b></Records>";
    entities += "</R>";
    readShape("100,000 records, every value an entity", entities);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchDatabase bench;
    // Half of the staged ear tags arrived earlier: the posting joins them.
    bench.fill(QStringLiteral("beszall"), QStringLiteral("bfulszam, beubiz, bhkat, bszkelt"),
               QStringLiteral("CAST(3600000000 + 2 * :I AS VARCHAR(25)), 'B', 'gyüjtés', DATE '2011-03-01'"),
               kRecords / 2);
    // The engine's ear tags carry no leading zeros; the file's do, so every row is rewritten.
    const QString file = QStringLiteral("fulszam.xml");
    writeTakeoverFile(file);
    std::printf("takeover file: %d records, %.1f MB\n", kRecords, QFile(file).size() / 1e6);

    openBenchSession();
    platform::TestDoubles doubles;

    int records = 0;
    const double parseMs =
        elapsedMs([&] { records = static_cast<int>(takeover::readRecordFile(file).records.size()); });

    auto* form = new TakeoverDialog;
    form->show();
    doubles.fileAnswers << file;
    const double readMs = elapsedMs([&] { form->readFile(); });
    const int staged = Data->ZQ111.recordCount();

    // The normalisation step on its own, over the same 20,000 staged rows (now without zeros).
    Data->IBTrans1.commit();
    const double normaliseMs = elapsedMs([&] {
        form->normaliseEarTags();
        Data->IBTrans1.commit();
    });

    const double checkMs = elapsedMs([&] {
        form->listEarTagsWithoutArrival();
        Data->ZQ111.recordCount();
    });
    const int missing = Data->ZQ111.recordCount();

    const double postMs = elapsedMs([&] { form->postDepartures(); });
    Data->ZQ21.setSql({QStringLiteral("SELECT COUNT(*) AS n FROM kiszall")});
    Data->ZQ21.open();
    const qint64 posted = Data->ZQ21.fieldInt(QStringLiteral("n"));

    std::printf("reading the file (stream):        %8.0f ms  (%d records)\n", parseMs, records);
    std::printf("Beolvasás total:                  %8.0f ms  (%d rows staged)\n", readMs, staged);
    std::printf("  normalisation step alone:       %8.0f ms  = %.0f%% of the read, %.0f us per row\n", normaliseMs,
                100.0 * normaliseMs / readMs, 1000.0 * normaliseMs / staged);
    std::printf("  storing (read - parse - norm.): %8.0f ms  = %.0f us per record\n",
                readMs - parseMs - normaliseMs, 1000.0 * (readMs - parseMs - normaliseMs) / staged);
    std::printf("Ellenőrzés:                       %8.0f ms  (%d ear tags without arrival)\n", checkMs, missing);
    std::printf("Feladás:                          %8.0f ms  (%lld outgoing rows)\n", postMs, posted);
    std::printf("messages: %s\n", qPrintable(doubles.messageTexts().join(QStringLiteral(" | "))));
    delete form;
    closeBenchSession();
    Data = nullptr;
    hostileShapes();
    return 0;
}
