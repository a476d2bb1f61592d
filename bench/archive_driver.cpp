// The archiving and withdrawal screens driven from the command line, so that a test can run them
// in a child process and kill it at any moment (scripts/archive-killproof.sh); and the database
// such a test works on.
//   archive_driver fill DIR ARRIVALS DEPARTURES_ON_THE_DAY ARCHIVED_ROWS
//   archive_driver archive DIR      moves the day 2011.03.01 into the archive
//   archive_driver withdraw DIR     moves it back
// The run prints its message line whenever it changes (with the time since the click), and the boxes it showed, on stdout.
#include "archive_site.h"

#include "benchsupport.h"
#include "storage/shared_datasets.h"
#include "core/dbcreate.h"
#include "maintenance/archive_day.h"
#include "ui/platform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: archive_driver fill DIR ARRIVALS DEPARTURES_ON_THE_DAY ARCHIVED_ROWS\n"
                 "       archive_driver archive|withdraw DIR\n");
    return 2;
}

int fill(const QString& dir, int arrivals, int onTheDay, int archived)
{
    const QString file = QDir(dir).filePath(QStringLiteral("Dudoz.fdb"));
    dbcreate::createDatabase(file);
    SiteSize size;
    size.arrivals = arrivals;
    size.dispatchDays = 2;
    size.departuresPerDay = onTheDay;
    size.archivedDays = 10;
    size.archivedPerDay = archived / 2 / 10;
    fillSite(file, size);
    std::printf("filled %s\n", qPrintable(file));
    return 0;
}

int run(const QString& dir, bool archive)
{
    QDir::setCurrent(dir);
    platform::TestDoubles boxes;  // a box would wait for a person: record it and go on
    openBenchSession();
    auto screen = std::make_unique<DayTransferDialog>(
        nullptr, archive ? maintenance::TransferDirection::Archive : maintenance::TransferDirection::Withdraw);
    screen->show();
    screen->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(kSiteDay);
    screen->findChild<QPushButton*>(QStringLiteral("Button1"))->click();

    auto* line = screen->findChild<QLabel*>(QStringLiteral("Label2"));
    QString last;
    QElapsedTimer clock;
    clock.start();
    const auto print = [&] {
        if (line->text() == last)
            return;
        last = line->text();
        std::printf("%6lld ms  %s\n", static_cast<long long>(clock.elapsed()), last.toUtf8().constData());
        std::fflush(stdout);
    };
    QTimer sampler;
    sampler.setInterval(0);
    QObject::connect(&sampler, &QTimer::timeout, print);
    sampler.start();
    std::printf("     0 ms  (run started)\n");
    std::fflush(stdout);
    clock.restart();
    screen->findChild<QPushButton*>(QStringLiteral("Button2"))->click();
    print();
    for (const QString& box : boxes.messageTexts())
        std::printf("box: %s\n", box.toUtf8().constData());
    screen.reset();
    closeBenchSession();
    Data = nullptr;
    return boxes.messages.isEmpty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() == 6 && args.at(1) == QLatin1String("fill"))
            return fill(args.at(2), args.at(3).toInt(), args.at(4).toInt(), args.at(5).toInt());
        if (args.size() == 3 && (args.at(1) == QLatin1String("archive") || args.at(1) == QLatin1String("withdraw")))
            return run(args.at(2), args.at(1) == QLatin1String("archive"));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return usage();
}
