// Pictures of every screen of the program, for comparing screens before and after a change:
//   QT_QPA_PLATFORM=offscreen gerundo-screenshots DIR
// Makes a small database in a temporary directory (carriers, senders and buyers, the company, a
// few days of arrivals and departures, an archived day, staged takeover rows), opens each screen of
// the table below on it, and writes one PNG per screen into DIR, named after the screen. Every run
// on one machine draws the same pictures: the data is fixed, today is 2011.03.15 (the platform's
// test doubles answer today's date, and every box and modal dialog the screens would open), the
// text cursor does not blink. A screen whose constructor changes needs one line of the table.
#include "app/infoscreens.h"
#include "app/mainwindow.h"
#include "app/splash.h"
#include "db/database_settings.h"
#include "storage/shared_datasets.h"
#include "core/dbcreate.h"
#include "core/handover.h"
#include "db/client.h"
#include "incoming/incoming_entry.h"
#include "incoming/incoming_list.h"
#include "storage/arrivals.h"
#include "storage/departures.h"
#include "lookups/eartag_checks.h"
#include "lookups/eartag_search.h"
#include "lookups/sender_ranges.h"
#include "maintenance/archive_day.h"
#include "maintenance/dispatch_deletion.h"
#include "maintenance/legacy_import.h"
#include "maintenance/password_dialog.h"
#include "maintenance/table_editor.h"
#include "masterdata/carrier_edit.h"
#include "masterdata/carrier_list.h"
#include "masterdata/partner_edit.h"
#include "masterdata/partner_list.h"
#include "outgoing/completion.h"
#include "outgoing/eartag_picklist.h"
#include "outgoing/outgoing_entry.h"
#include "outgoing/outgoing_list.h"
#include "outgoing/takeover.h"
#include "printing/delivery_printout.h"
#include "printing/eartag_list_printout.h"
#include "printing/onsite_printout.h"
#include "report/preview.h"
#include "ui/helpwindow.h"
#include "ui/platform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

// The fixture: every value fixed, so the pictures are too.
const QStringList kFixture = {
    "INSERT INTO partner (pnev, pirszam, phelyseg, putca, phszam, ptel, pemail, padoszam) VALUES ("
    "'Gerundo Állatforgalmi Kft.', '6720', 'Szeged', 'Tisza Lajos krt.', '12', '+36 62 000 000', "
    "'iroda@gerundo.example', '12345678-2-06')",
    "INSERT INTO szallito (srendszam, snev, scim, sjovaszam) VALUES ('ABC-123', 'Kiss Fuvar Bt.', "
    "'Szeged, Fő utca 1.', 'JV-2011/01')",
    "INSERT INTO szallito (srendszam, snev, scim, sjovaszam) VALUES ('DEF-456', 'Nagy és Társa Kft.', "
    "'Makó, Kossuth tér 3.', 'JV-2011/02')",
    "INSERT INTO szallito (srendszam, snev, scim, sjovaszam) VALUES ('GHI-789', 'Őszi Szállítmányozó', "
    "'Hódmezővásárhely, Ady E. u. 7.', 'JV-2011/03')",
    "INSERT INTO felado (fnev, fcim, ftenykod, fsznev, fszcim) VALUES ('Szabó Gazda', 'Kistelek, Tanya 12.', "
    "'TK-1001', 'Szabó Gazda', 'Kistelek')",
    "INSERT INTO felado (fnev, fcim, ftenykod, fsznev, fszcim) VALUES ('Tóth Ágnes', 'Ópusztaszer, Major 4.', "
    "'TK-1002', 'Tóth Ágnes', 'Ópusztaszer')",
    "INSERT INTO felado (fnev, fcim, ftenykod, fsznev, fszcim) VALUES ('Alföldi Vágóhíd Zrt.', "
    "'Kecskemét, Ipari út 9.', 'TK-2001', 'Alföldi Vágóhíd', 'Kecskemét')",
    "INSERT INTO felado (fnev, fcim, ftenykod, fsznev, fszcim) VALUES ('Délvidéki Hús Kft.', "
    "'Szeged, Kikötő 2.', 'TK-2002', 'Délvidéki Hús', 'Szeged')",
};

// Arrivals: ear tag, arrival date, purchase date, category, certificate, carrier, sender.
struct Arrival {
    const char *tag, *arrived, *bought, *category, *certificate, *carrier, *sender;
};
const Arrival kArrivals[] = {
    {"3012345601", "2011-03-14", "2011-03-12", "hízó", "EU-1401", "1", "1"},
    {"3012345602", "2011-03-14", "2011-03-12", "hízó", "EU-1401", "1", "1"},
    {"3012345603", "2011-03-14", "2011-03-12", "hízó", "EU-1401", "1", "1"},
    {"3012345610", "2011-03-14", "2011-03-13", "tenyész", "EU-1402", "2", "2"},
    {"4000000017", "2011-03-15", "2011-03-14", "vágó", "EU-1501", "2", "2"},
    {"4000000018", "2011-03-15", "2011-03-14", "vágó", "EU-1501", "2", "2"},
    {"4000000019", "2011-03-15", "2011-03-14", "vágó", "EU-1501", "3", "1"},
    {"4000000025", "2011-03-15", "2011-03-15", "hízó", "EU-1502", "3", "1"},
    {"5100000001", "2011-03-15", "2011-03-15", "gyüjtés", "EU-1503", "1", "2"},
    {"5100000002", "2011-03-15", "2011-03-15", "gyüjtés", "EU-1503", "1", "2"},
};
// Departures: ear tag, dispatch date, category, certificate in, certificate out, carrier, buyer.
struct Departure {
    const char *tag, *dispatched, *category, *in, *out, *carrier, *buyer;
};
const Departure kDepartures[] = {
    {"3012345601", "2011-03-15", "hízó", "EU-1401", "KI-1501", "2", "3"},
    {"3012345602", "2011-03-15", "hízó", "EU-1401", "KI-1501", "2", "3"},
    {"3012345603", "2011-03-15", "hízó", "EU-1401", "KI-1501", "2", "3"},
    {"3012345610", "2011-03-15", "tenyész", "EU-1402", "KI-1502", "3", "4"},
    {"4000000017", "2011-03-15", "vágó", "EU-1501", "", "", ""},  // taken over, to be completed
    {"4000000018", "2011-03-15", "vágó", "EU-1501", "", "", ""},
    {"7700000001", "2011-03-15", "vágó", "EU-0000", "KI-1503", "1", "3"},  // never arrived
};

QString literal(const char* text) { return u'\'' + QString::fromUtf8(text).replace(u'\'', QStringLiteral("''")) + u'\''; }

void makeDatabase(const QString& file)
{
    dbcreate::createDatabase(file);
    QStringList sql = kFixture;
    for (const Arrival& a : kArrivals)
        sql << QStringLiteral("INSERT INTO beszall (bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod) VALUES "
                              "(%1, %2, %3, %4, %5, %6, %7)")
                   .arg(literal(a.tag), literal(a.arrived), literal(a.bought), literal(a.category),
                        literal(a.certificate), literal(a.carrier), literal(a.sender));
    for (const Departure& d : kDepartures)
        sql << QStringLiteral("INSERT INTO kiszall (kfulszam, kikelt, khkat, keubizbe, keubizki, kskod, kfkod) VALUES "
                              "(%1, %2, %3, %4, %5, %6, %7)")
                   .arg(literal(d.tag), literal(d.dispatched), literal(d.category), literal(d.in), literal(d.out),
                        literal(d.carrier), literal(d.buyer));
    // An archived day, and rows staged by a takeover.
    sql << "INSERT INTO beszall0 (bfulszam, bszkelt, bvkelt, bhkat, beubiz, bskod, bfkod) VALUES "
           "('2900000001', '2011-02-01', '2011-01-30', 'hízó', 'EU-0201', '1', '1')"
        << "INSERT INTO kiszall0 (kfulszam, kikelt, khkat, keubizbe, keubizki, kskod, kfkod) VALUES "
           "('2900000001', '2011-02-03', 'hízó', 'EU-0201', 'KI-0203', '2', '3')"
        << "INSERT INTO kiszall1 (kikelt, kfulszam, kvkod, khkat, keube, keuki) VALUES "
           "('2011-03-16', '4000000019', '3', 'vágó', 'EU-1501', '')"
        << "INSERT INTO kiszall1 (kikelt, kfulszam, kvkod, khkat, keube, keuki) VALUES "
           "('2011-03-16', '4000000025', '3', 'hízó', 'EU-1502', '')";
    fb::Attachment att;
    att.attach(dbsettings::params(file));
    fb::Transaction tra;
    tra.start(att);
    for (const QString& s : sql) {
        fb::Statement st(att, tra, s, false);
        st.execute();
    }
    tra.commit();
    att.detach();
}

// Lets the screen do what it does once shown (its data, its refresh on being shown), then stops.
void settle(int ms = 150)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

// What a screen's entry in the table builds: the window to picture, and whatever else it needed
// (a list behind an entry screen), all destroyed after the picture.
struct Opened {
    std::vector<std::unique_ptr<QWidget>> keep;
    QWidget* window = nullptr;
    // A widget without a parent is destroyed after the picture; one with a parent goes with it.
    template <typename W>
    W* add(W* widget)
    {
        if (!widget->parent())
            keep.emplace_back(widget);
        return widget;
    }
    ~Opened()
    {
        while (!keep.empty())
            keep.pop_back();
    }
    template <typename W>
    W* show(W* widget)
    {
        add(widget);
        widget->show();
        settle();
        window = widget;
        return widget;
    }
};

// Types a day into a screen's date field and presses its select button, as a person does.
void selectDay(QWidget* screen, const QString& day, const char* field = "Edit1", const char* button = "Button1")
{
    if (auto* edit = screen->findChild<QLineEdit*>(QString::fromLatin1(field)))
        edit->setText(day);
    if (auto* b = screen->findChild<QPushButton*>(QString::fromLatin1(button)))
        b->click();
    settle();
}

struct Screen {
    const char* file;  // the picture's name, without ".png"
    std::function<void(Opened&, MainWindow&)> open;
};

// Every screen of the program, in the order of the menu. To adapt to a changed constructor, change
// its line here.
std::vector<Screen> screens(platform::TestDoubles& doubles)
{
    const QString day = QStringLiteral("2011.03.15");
    return {
        {"splash", [](Opened& o, MainWindow&) { o.show(new LoadingSplash(nullptr)); }},
        {"main-window", [](Opened& o, MainWindow& main) { o.window = &main; }},
        // "Szállítás"
        {"incoming-list", [](Opened& o, MainWindow& m) { o.show(new IncomingListDialog(*m.session())); }},
        {"incoming-entry-new",
         [](Opened& o, MainWindow& m) { o.show(new IncomingEntryDialog(*m.session(), EntryMode::New)); }},
        {"incoming-entry-change",
         [](Opened& o, MainWindow& m) {
             auto* list = o.show(new IncomingListDialog(*m.session()));
             auto* entry = o.add(new IncomingEntryDialog(*m.session(), EntryMode::Change, list));
             entry->loadForChange(list->currentArrival());
             o.show(entry);
         }},
        {"outgoing-list", [](Opened& o, MainWindow& m) { o.show(new OutgoingListDialog(*m.session())); }},
        {"outgoing-entry-new",
         [](Opened& o, MainWindow& m) { o.show(new OutgoingEntryDialog(*m.session(), EntryMode::New)); }},
        {"outgoing-entry-change",
         [](Opened& o, MainWindow& m) {
             auto* list = o.show(new OutgoingListDialog(*m.session()));
             auto* entry = o.add(new OutgoingEntryDialog(*m.session(), EntryMode::Change, list));
             entry->loadForChange(list->currentDeparture());
             o.show(entry);
         }},
        {"outgoing-eartag-picklist",
         [](Opened& o, MainWindow& m) { o.show(new EarTagPickListDialog(*m.session(), QStringLiteral("40"))); }},
        {"takeover", [](Opened& o, MainWindow& m) { o.show(new TakeoverDialog(*m.session())); }},
        {"completion", [](Opened& o, MainWindow& m) { o.show(new OutgoingCompletionDialog(*m.session())); }},
        // "Nyomtatás"
        {"print-incoming", [day](Opened& o, MainWindow&) { selectDay(o.show(new IncomingDeliveryPrintoutDialog), day); }},
        {"print-outgoing", [day](Opened& o, MainWindow&) { selectDay(o.show(new OutgoingDeliveryPrintoutDialog), day); }},
        {"print-onsite", [](Opened& o, MainWindow&) { o.show(new OnSiteListPrintoutDialog); }},
        {"print-eartag-list",
         [day](Opened& o, MainWindow&) { selectDay(o.show(new EarTagListPrintoutDialog), day); }},
        {"report-preview",
         [day, &doubles](Opened& o, MainWindow&) {
             // The first page of the incoming range list, in the preview a person sees.
             auto* screen = o.show(new IncomingDeliveryPrintoutDialog);
             selectDay(screen, day);
             doubles.reportsShown.clear();
             if (auto* print = screen->findChild<QPushButton*>(QStringLiteral("Button2")))
                 print->click();
             settle();
             if (doubles.reportsShown.isEmpty())
                 throw std::runtime_error("the range list was not prepared");
             const platform::ShownReport shown = doubles.reportsShown.first();
             auto* preview = new report::PreviewWindow(shown.pages, shown.options);
             preview->resize(900, 700);
             o.show(preview);
         }},
        // "Keresés"
        {"eartag-search", [](Opened& o, MainWindow& m) { o.show(new EarTagSearchDialog(*m.session())); }},
        {"sender-eartag-ranges",
         [](Opened& o, MainWindow& m) { o.show(new SenderEarTagRangesDialog(*m.session())); }},
        // "Feladó", "Szállító"
        {"partner-list", [](Opened& o, MainWindow& m) { o.show(new PartnerListDialog(*m.session())); }},
        {"partner-edit-new",
         [](Opened& o, MainWindow& m) { o.show(new PartnerEditDialog(*m.session(), EntryMode::New)); }},
        {"partner-edit-change",
         [](Opened& o, MainWindow& m) {
             auto* list = o.show(new PartnerListDialog(*m.session()));
             auto* edit = o.add(new PartnerEditDialog(*m.session(), EntryMode::Change, list));
             edit->fillFromList();
             o.show(edit);
         }},
        {"carrier-list", [](Opened& o, MainWindow& m) { o.show(new CarrierListDialog(*m.session())); }},
        {"carrier-edit-new",
         [](Opened& o, MainWindow& m) { o.show(new CarrierEditDialog(*m.session(), EntryMode::New)); }},
        {"carrier-edit-change",
         [](Opened& o, MainWindow& m) {
             auto* list = o.show(new CarrierListDialog(*m.session()));
             auto* edit = o.add(new CarrierEditDialog(*m.session(), EntryMode::Change, list));
             edit->fillFromList();
             o.show(edit);
         }},
        // "Arhiválás"
        {"archive", [day](Opened& o, MainWindow&) { selectDay(o.show(new ArchiveDialog), day); }},
        {"archive-withdrawal",
         [](Opened& o, MainWindow&) { selectDay(o.show(new ArchiveWithdrawalDialog), QStringLiteral("2011.02.03")); }},
        // "Segédlet"
        {"duplicate-eartags", [](Opened& o, MainWindow& m) { o.show(new DuplicateEarTagsDialog(*m.session())); }},
        {"departures-without-arrival",
         [](Opened& o, MainWindow& m) { o.show(new DeparturesWithoutArrivalDialog(*m.session())); }},
        {"dispatch-deletion", [](Opened& o, MainWindow&) { o.show(new DispatchDeletionDialog); }},
        {"table-editor", [](Opened& o, MainWindow&) { o.show(new TableEditorDialog); }},
        {"table-editor-password", [](Opened& o, MainWindow&) { o.show(new PasswordDialog); }},
        {"about", [](Opened& o, MainWindow&) { o.show(new AboutDialog); }},
        {"remote-support", [](Opened& o, MainWindow&) { o.show(new RemoteSupportDialog); }},
        {"help", [](Opened& o, MainWindow&) { o.show(new HelpDialog); }},
        {"help-window",
         [](Opened& o, MainWindow&) {
             auto* help = new HelpWindow;
             help->resize(800, 600);
             o.show(help);
         }},
        {"legacy-import", [](Opened& o, MainWindow&) { o.show(new LegacyImportDialog); }},
    };
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: gerundo-screenshots DIR\n");
        return 2;
    }
    const QDir out(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(out.path()));
        return 1;
    }
    QApplication::setCursorFlashTime(0);  // the text cursor drawn the same in every picture

    QTemporaryDir work;
    if (!work.isValid() || !QDir::setCurrent(work.path())) {
        std::fprintf(stderr, "no temporary directory\n");
        return 1;
    }
    qunsetenv("GERUNDO_DATABASE");  // the program's own Dudoz.fdb, here
    fb::preparePerUserLockDirectory();
    // The report templates, where the program finds them.
    for (const QString& t : QDir(QStringLiteral(GERUNDO_TEMPLATES_DIR)).entryList({QStringLiteral("*.frf")}))
        QFile::copy(QStringLiteral(GERUNDO_TEMPLATES_DIR "/") + t, t);

    int failures = 0;
    try {
        makeDatabase(dbsettings::kDefaultDatabase);
        platform::TestDoubles doubles;  // today is 2011.03.15; boxes and modal dialogs are answered
        LoadingSplash::setIntervalForTests(1);
        MainWindow main;
        if (!main.startUp()) {
            std::fprintf(stderr, "the program did not start on the fixture: %s\n",
                         qPrintable(doubles.messageTexts().join(u'\n')));
            return 1;
        }
        main.show();
        settle();
        LoadingSplash::setIntervalForTests(60000);  // the splash's own picture stays up
        for (const Screen& screen : screens(doubles)) {
            resetHandOver();
            const QString file = out.filePath(QString::fromLatin1(screen.file) + QStringLiteral(".png"));
            try {
                Opened opened;
                screen.open(opened, main);
                if (!opened.window)
                    throw std::runtime_error("nothing shown");
                opened.window->activateWindow();
                settle(50);
                if (!opened.window->grab().save(file))
                    throw std::runtime_error("the picture could not be written");
                std::printf("%s\n", qPrintable(file));
                for (auto it = opened.keep.rbegin(); it != opened.keep.rend(); ++it)
                    (*it)->close();
                settle(20);
            } catch (const std::exception& e) {
                ++failures;
                std::fprintf(stderr, "%s: %s\n", screen.file, e.what());
            }
        }
        main.close();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
