// The legacy import without its screen, for support and for the fault proof:
//   gerundo-legacy-import generate DIR/ LINES   writes sample legacy files of about LINES lines
//   gerundo-legacy-import import DIR/           imports DIR/ into ./Dudoz.fdb; prints "committed N"
//                                               after each committed line (N lines so far)
//   gerundo-legacy-import check DIR/            compares ./Dudoz.fdb with the files: the rows must be
//                                               exactly the first N lines, whole; prints N
#include "db/database_settings.h"
#include "storage/session.h"
#include "storage/shared_datasets.h"
#include "db/client.h"
#include "legacy_sample.h"
#include "maintenance/legacy_format.h"
#include "maintenance/legacy_importer.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

namespace {

class PrintingObserver : public legacy::ImportObserver {
public:
    void tell(const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    bool lineRefused(const QString& text) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return false;
    }
    void fileOpened(const legacy::FileLayout&, const legacy::FileSummary&) override { m_importedInFile = 0; }
    void lineDone(const legacy::FileLayout&, const legacy::FileSummary& file) override
    {
        if (file.imported == m_importedInFile)
            return;
        // Printed after the commit: a kill between the two leaves one line more than printed.
        m_importedInFile = file.imported;
        std::printf("committed %d\n", ++m_committed);
        std::fflush(stdout);
    }

private:
    int m_committed = 0;
    int m_importedInFile = 0;
};

int importDirectory(const QString& dir)
{
    fb::preparePerUserLockDirectory();
    Session session;
    PrintingObserver observer;
    legacy::LegacyImporter importer(*Data, observer);
    const legacy::ImportSummary summary = importer.run(dir);
    std::fprintf(stderr, "%s", qPrintable(legacy::summaryText(summary)));
    return summary.completed ? 0 : 1;
}

// Reads every row of the six tables in insertion order and compares them with the lines.
int checkDirectory(const QString& dir)
{
    fb::preparePerUserLockDirectory();
    fb::Attachment att;
    att.attach(dbsettings::programParams());
    fb::Transaction tra;
    tra.start(att);
    int matched = 0;
    bool earlierComplete = true;
    for (const legacy::FileLayout& layout : legacy::importFiles()) {
        QFile file(dir + layout.fileName);
        if (!file.open(QIODevice::ReadOnly)) {
            std::printf("cannot read %s\n", qPrintable(file.fileName()));
            return 2;
        }
        const QByteArray content = file.readAll();
        const QList<legacy::LineSpan> lines = legacy::splitLines(content);
        QStringList columns;
        for (const legacy::Field& f : layout.fields)
            columns << f.column;
        const QString id = layout.isRegister ? (layout.table == QStringLiteral("felado") ? QStringLiteral("idf")
                                                                                          : QStringLiteral("ids"))
                                             : (layout.table.startsWith(u'b') ? QStringLiteral("idb") : QStringLiteral("idk"));
        fb::Statement st(att, tra,
                         QStringLiteral("SELECT %1 FROM %2 ORDER BY %3").arg(columns.join(u','), layout.table, id));
        auto cursor = st.openCursor();
        std::vector<unsigned char> row(cursor->columns().messageLength() + 8);
        int n = 0;
        while (cursor->fetchNext(row.data())) {
            if (!earlierComplete) {
                std::printf("MISMATCH: %s has rows although an earlier file is not complete\n", qPrintable(layout.table));
                return 1;
            }
            if (n >= lines.size()) {
                std::printf("MISMATCH: %s has more rows than its file has lines\n", qPrintable(layout.table));
                return 1;
            }
            const legacy::LineSpan span = lines.at(n);
            const legacy::ParsedLine parsed =
                legacy::parseLine(layout, QByteArrayView(content.constData() + span.offset, span.length));
            for (int c = 0; c < columns.size(); ++c) {
                const QString stored = cursor->columns().text(row.data(), c);
                if (stored != parsed.values.at(c)) {
                    std::printf("MISMATCH: %s row %d column %s: stored \"%s\", line has \"%s\"\n",
                                qPrintable(layout.table), n + 1, qPrintable(columns.at(c)), qPrintable(stored),
                                qPrintable(parsed.values.at(c)));
                    return 1;
                }
            }
            ++n;
        }
        matched += n;
        earlierComplete = earlierComplete && n == lines.size();
    }
    tra.commit();
    std::printf("%d\n", matched);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() == 4 && args.at(1) == QStringLiteral("generate")) {
            legacysample::write(args.at(2), legacysample::countsFor(args.at(3).toInt()));
            return 0;
        }
        if (args.size() == 3 && args.at(1) == QStringLiteral("import"))
            return importDirectory(args.at(2));
        if (args.size() == 3 && args.at(1) == QStringLiteral("check"))
            return checkDirectory(args.at(2));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
    std::fprintf(stderr, "usage: gerundo-legacy-import generate DIR/ LINES | import DIR/ | check DIR/\n");
    return 2;
}
