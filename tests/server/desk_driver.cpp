// One desk of the two-desk test: the program's data module on the database GERUNDO_DATABASE names,
// its screens driven by commands read one a line from standard input. Every box a screen shows is
// written as "message <text>" (line breaks as "\n"); "ok" ends each answer.
//   add TAG CARRIER SENDER   an arrival inserted in the shared transaction (not committed)
//   depart TAG               a departure inserted in the shared transaction (not committed)
//   onsite                   the main window's count of the animals on site: "onsite <number>"
//   hold TAG                 the arrivals of TAG updated in the shared transaction (not committed)
//   list                     the arrivals list screen rebuilt: "tags <ear tags in list order>"
//   tables                   the ten tables closed and opened again, as the main window refreshes:
//                            "arrivals <ear tags of the arrivals table in its order>"
//   delete TAG               the arrivals list on TAG, its deletion of the ear tag
//   commit | rollback        the shared transaction
//   open WORK…               one more screen guarding the named work (FULSZAM, FULSZAM0, KISZALL1,
//                            KISZALL) takes it: "taken", or the box shown
//   close                    those screens close
//   screen NAME              the screen NAME opened and its shared work started as a person does:
//                            takeover ("Beolvasás"), printout (the arrivals' printout, "Kiválaszt"
//                            on today), ranges (a sender's ranges, "Lekérdezés"), archive or
//                            withdrawal ("Kiválaszt", then the run on today); it stays open
//   close                    those screens close too
//   deletion                 the dispatch deletion screen, its "Törlés" clicked; it stays open
//   close-deletion           the dispatch deletion screen closes through "Mégsem"
//   desk NAME                the name this desk stores with its stock-take readings
//   stocktake                the "Leltár" screen opened on the open stock-take, a new one started
//                            when there is none: "stocktake <its number>"
//   read FIRST COUNT         COUNT ear tags from FIRST on typed into "Fülszám:", Enter after each:
//                            "read <stored>", then "refused <answer>" for each one not stored
//   lists                    "Frissítés": "lists <the three tab titles, ; between them>"
//   close-stocktake          "Lezárás", the question answered Yes
#include "core/convert.h"
#include "core/day_counts.h"
#include "storage/session.h"
#include "storage/shared_datasets.h"
#include "db/client.h"
#include "incoming/incoming_list.h"
#include "lookups/sender_ranges.h"
#include "maintenance/archive_day.h"
#include "maintenance/dispatch_deletion.h"
#include "outgoing/takeover.h"
#include "printing/delivery_printout.h"
#include "stocktake/stocktake_dialog.h"
#include "ui/platform.h"
#include "ui/sharedwork.h"

#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

Session* g_session = nullptr;
std::unique_ptr<StockTakeDialog> g_stockTake;

void say(const QString& line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::optional<SharedWork> workNamed(const QString& name)
{
    for (SharedWork w : {SharedWork::EarTagWorkTable, SharedWork::SenderRanges, SharedWork::TakeoverStaging,
                         SharedWork::DepartureMoves})
        if (lockName(w) == name)
            return w;
    return std::nullopt;
}

// A screen that only guards its work, as the screens doing it guard theirs.
class GuardingScreen : public QDialog {
public:
    explicit GuardingScreen(std::vector<SharedWork> works) : m_guard(Data->workLocks, this, std::move(works)) {}
    bool take() { return m_guard.take(); }

private:
    SharedWorkGuard m_guard;
};

void click(QDialog& screen, const char* button)
{
    QTest::mouseClick(screen.findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
}

// The screen of the name, shown, its shared work started; null for an unknown name.
std::unique_ptr<QDialog> startScreen(const QString& name)
{
    const QString today = convert::dateToText(QDate::currentDate());
    if (name == QLatin1String("takeover")) {
        auto screen = std::make_unique<TakeoverDialog>(Data->session());
        screen->show();
        screen->readFile();
        return screen;
    }
    if (name == QLatin1String("printout")) {
        auto screen = std::make_unique<IncomingDeliveryPrintoutDialog>();
        screen->show();
        screen->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(today);
        screen->selectDay();
        return screen;
    }
    if (name == QLatin1String("ranges")) {
        auto screen = std::make_unique<SenderEarTagRangesDialog>(Data->session());
        screen->show();
        screen->collectRanges();
        return screen;
    }
    std::unique_ptr<QDialog> screen;
    if (name == QLatin1String("archive"))
        screen = std::make_unique<ArchiveDialog>();
    else if (name == QLatin1String("withdrawal"))
        screen = std::make_unique<ArchiveWithdrawalDialog>();
    else
        return nullptr;
    screen->show();
    screen->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(today);
    click(*screen, "Button1");
    click(*screen, "Button2");
    return screen;
}

void run(const QStringList& words, std::vector<std::unique_ptr<GuardingScreen>>& guarding,
         std::vector<std::unique_ptr<QDialog>>& screens, std::unique_ptr<DispatchDeletionDialog>& deletion)
{
    const QString command = words.value(0);
    if (command == QLatin1String("add") && words.size() == 4) {
        Data->ZQ23.setSql({QStringLiteral("INSERT INTO beszall (bskod, bfkod, bfulszam, bszkelt, bvkelt, bhkat, beubiz)"),
                           QStringLiteral("VALUES (:p2, :p3, :p1, CURRENT_DATE, CURRENT_DATE, 'gyüjtés', 'EU')")});
        Data->ZQ23.setParamText(QStringLiteral("p1"), words[1]);
        Data->ZQ23.setParamText(QStringLiteral("p2"), words[2]);
        Data->ZQ23.setParamText(QStringLiteral("p3"), words[3]);
        Data->ZQ23.execSql();
    } else if (command == QLatin1String("depart") && words.size() == 2) {
        Data->ZQ23.setSql({QStringLiteral("INSERT INTO kiszall (kfulszam, kikelt, khkat)"),
                           QStringLiteral("VALUES (:p1, CURRENT_DATE, 'vágás')")});
        Data->ZQ23.setParamText(QStringLiteral("p1"), words[1]);
        Data->ZQ23.execSql();
    } else if (command == QLatin1String("onsite")) {
        say(QStringLiteral("onsite %1").arg(daycounts::countOnSite(Data->ZCon1.attachment())));
    } else if (command == QLatin1String("hold") && words.size() == 2) {
        Data->ZQ23.setSql({QStringLiteral("UPDATE beszall SET beubiz = beubiz"), QStringLiteral("WHERE bfulszam = :p1")});
        Data->ZQ23.setParamText(QStringLiteral("p1"), words[1]);
        Data->ZQ23.execSql();
    } else if (command == QLatin1String("list")) {
        IncomingListDialog list(Data->session());
        list.rebuild();
        QStringList tags;
        for (int r = 0; list.listRows().moveTo(r); ++r)
            tags << list.listRows().fieldText(QStringLiteral("bfulszam"));
        say(QStringLiteral("tags ") + tags.join(u' '));
    } else if (command == QLatin1String("tables")) {
        Data->reopenTables();
        QStringList tags;
        for (int r = 0; Data->IBTable1.moveTo(r); ++r)
            tags << Data->IBTable1.fieldText(QStringLiteral("bfulszam"));
        say(QStringLiteral("arrivals ") + tags.join(u' '));
    } else if (command == QLatin1String("delete") && words.size() == 2) {
        IncomingListDialog list(Data->session());
        list.rebuild();
        int r = 0;
        while (list.listRows().moveTo(r) && list.listRows().fieldText(QStringLiteral("bfulszam")) != words[1])
            ++r;
        list.deleteCurrentEarTag();
    } else if (command == QLatin1String("commit")) {
        Data->IBTrans1.commit();
    } else if (command == QLatin1String("rollback")) {
        Data->IBTrans1.rollback();
    } else if (command == QLatin1String("open") && words.size() > 1) {
        std::vector<SharedWork> works;
        for (const QString& name : words.mid(1)) {
            const auto work = workNamed(name);
            if (!work) {
                say(QStringLiteral("unknown work ") + name);
                return;
            }
            works.push_back(*work);
        }
        auto screen = std::make_unique<GuardingScreen>(std::move(works));
        if (screen->take()) {
            say(QStringLiteral("taken"));
            guarding.push_back(std::move(screen));
        }
    } else if (command == QLatin1String("screen") && words.size() == 2) {
        if (auto screen = startScreen(words[1]))
            screens.push_back(std::move(screen));
        else
            say(QStringLiteral("unknown screen ") + words[1]);
    } else if (command == QLatin1String("close")) {
        for (auto& screen : guarding)
            screen->reject();
        guarding.clear();
        for (auto& screen : screens)
            screen->reject();
        screens.clear();
    } else if (command == QLatin1String("deletion")) {
        deletion = std::make_unique<DispatchDeletionDialog>();
        deletion->show();
        click(*deletion, "Button1");
    } else if (command == QLatin1String("desk") && words.size() == 2) {
        g_session->stockTakes().setDeskName(words[1]);
    } else if (command == QLatin1String("stocktake")) {
        g_stockTake = std::make_unique<StockTakeDialog>(*g_session);
        g_stockTake->show();
        if (!g_stockTake->stockTake())
            click(*g_stockTake, "newStockTakeButton");
        say(QStringLiteral("stocktake %1").arg(g_stockTake->stockTake() ? g_stockTake->stockTake()->id : 0));
    } else if (command == QLatin1String("read") && words.size() == 3 && g_stockTake) {
        auto* field = g_stockTake->findChild<QLineEdit*>(QStringLiteral("earTagEdit"));
        auto* answer = g_stockTake->findChild<QLabel*>(QStringLiteral("readingAnswerLabel"));
        const qint64 first = words[1].toLongLong();
        const int count = words[2].toInt();
        int stored = 0;
        QStringList refused;
        for (int i = 0; i < count; ++i) {
            QTest::keyClicks(field, QString::number(first + i));
            QTest::keyClick(field, Qt::Key_Return);
            if (answer->text().contains(QStringLiteral("NEM került")) || !field->text().isEmpty())
                refused << answer->text();
            else
                ++stored;
        }
        say(QStringLiteral("read %1").arg(stored));
        for (const QString& r : refused)
            say(QStringLiteral("refused ") + r);
    } else if (command == QLatin1String("lists") && g_stockTake) {
        click(*g_stockTake, "refreshButton");
        auto* tabs = g_stockTake->findChild<QTabWidget*>(QStringLiteral("listTabs"));
        QStringList titles;
        for (int i = 0; i < tabs->count(); ++i)
            titles << tabs->tabText(i);
        say(QStringLiteral("lists ") + titles.join(u';'));
    } else if (command == QLatin1String("close-stocktake") && g_stockTake) {
        click(*g_stockTake, "closeStockTakeButton");
    } else if (command == QLatin1String("close-deletion")) {
        if (deletion)
            click(*deletion, "Button2");
        deletion.reset();
    } else {
        say(QStringLiteral("unknown command ") + words.join(u' '));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    fb::preparePerUserLockDirectory();
    QApplication app(argc, argv);
    platform::TestDoubles doubles;
    doubles.onMessage = [](const platform::ShownMessage& m) {
        QString text = m.text;
        say(QStringLiteral("message ") + text.replace(u'\n', QStringLiteral("\\n")));
    };
    std::unique_ptr<Session> session;
    try {
        session = std::make_unique<Session>();
    } catch (const std::exception& e) {
        say(QStringLiteral("cannot connect: ") + QString::fromUtf8(e.what()));
        return 1;
    }
    g_session = session.get();
    say(QStringLiteral("ready"));
    std::vector<std::unique_ptr<GuardingScreen>> guarding;
    std::vector<std::unique_ptr<QDialog>> screens;
    std::unique_ptr<DispatchDeletionDialog> deletion;
    std::string line;
    while (std::getline(std::cin, line)) {
        const QStringList words = QString::fromStdString(line).split(u' ', Qt::SkipEmptyParts);
        if (words.value(0) == QLatin1String("quit"))
            break;
        try {
            run(words, guarding, screens, deletion);
        } catch (const std::exception& e) {
            say(QStringLiteral("failed ") + QString::fromUtf8(e.what()));
        }
        say(QStringLiteral("ok"));
    }
    guarding.clear();
    screens.clear();
    deletion.reset();
    g_stockTake.reset();
    session.reset();
    return 0;
}
