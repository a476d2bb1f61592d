// The ear-tag takeover with a file of 20,000 records: reading, storing, normalising and posting.
#include "benchsupport.h"
#include "core/datamodule.h"
#include "outgoing/takeover.h"
#include "outgoing/takeover_xml.h"
#include "ui/platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

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

    Data = new TData();
    platform::TestDoubles doubles;

    int records = 0;
    const double parseMs = elapsedMs([&] { records = static_cast<int>(takeover::readRecordFile(file).size()); });

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

    std::printf("parse only (QDomDocument + walk): %8.0f ms  (%d records)\n", parseMs, records);
    std::printf("Beolvasás total:                  %8.0f ms  (%d rows staged)\n", readMs, staged);
    std::printf("  normalisation step alone:       %8.0f ms  = %.0f%% of the read, %.0f us per row\n", normaliseMs,
                100.0 * normaliseMs / readMs, 1000.0 * normaliseMs / staged);
    std::printf("  storing (read - parse - norm.): %8.0f ms  = %.0f us per record\n",
                readMs - parseMs - normaliseMs, 1000.0 * (readMs - parseMs - normaliseMs) / staged);
    std::printf("Ellenőrzés:                       %8.0f ms  (%d ear tags without arrival)\n", checkMs, missing);
    std::printf("Feladás:                          %8.0f ms  (%lld outgoing rows)\n", postMs, posted);
    std::printf("messages: %s\n", qPrintable(doubles.messageTexts().join(QStringLiteral(" | "))));
    delete form;
    delete Data;
    Data = nullptr;
    return 0;
}
