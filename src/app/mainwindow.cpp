#include "app/mainwindow.h"

#include "app/about.h"
#include "app/infoscreens.h"
#include "core/datamodule.h"
#include "incoming/incoming_list.h"
#include "masterdata/carrier_list.h"
#include "masterdata/partner_list.h"
#include "outgoing/completion.h"
#include "outgoing/outgoing_list.h"
#include "outgoing/takeover.h"
#include "printing/delivery_printout.h"
#include "printing/eartag_list_printout.h"
#include "printing/onsite_printout.h"
#include "ui/input.h"
#include "ui/modal.h"
#include "ui/platform.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

TForm1* Form1 = nullptr;

namespace {
std::optional<std::optional<VersionInfo>> g_versionOverride;

std::array<quint16, 4> parseVersion(const char* text)
{
    std::array<quint16, 4> v{};
    const QStringList parts = QString::fromLatin1(text).split(u'.');
    for (int i = 0; i < 4 && i < parts.size(); ++i)
        v[static_cast<size_t>(i)] = static_cast<quint16>(parts.at(i).toUShort());
    return v;
}
}  // namespace

std::optional<VersionInfo> programVersionInfo()
{
    if (g_versionOverride)
        return *g_versionOverride;
#ifdef GERUNDO_NO_VERSION_INFO
    return std::nullopt;
#else
    return VersionInfo{parseVersion(GERUNDO_FILE_VERSION), parseVersion(GERUNDO_PRODUCT_VERSION)};
#endif
}

QString buildVersionText(const std::optional<VersionInfo>& info)
{
    if (!info)
        return {};
    return QString::number(info->file[0]) + QStringLiteral(".0") + QString::number(info->product[1]);
}

QString buildMainCaption(const QString& versionText)
{
    return QStringLiteral("Gerundo") + QStringLiteral("  -  Verzió: ") + versionText + QStringLiteral("   2008 - 2011");
}

void TForm1::setVersionInfoForTests(std::optional<std::optional<VersionInfo>> info) { g_versionOverride = info; }

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    Form1 = this;
    buildMenu();
    resize(640, 120);
}

TForm1::~TForm1()
{
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::buildMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto item = [this](QMenu* menu, const QString& name, const QString& caption, void (TForm1::*handler)()) {
        auto* a = menu->addAction(caption);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    auto separator = [](QMenu* menu, const QString& name) {
        QAction* a = menu->addSeparator();
        a->setObjectName(name);
        return a;
    };
    auto menu = [bar](const QString& name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(name);
        m->menuAction()->setObjectName(name);
        return m;
    };
    auto barItem = [this, bar](const QString& name, const QString& caption, void (TForm1::*handler)()) {
        QAction* a = bar->addAction(caption);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };

    Felvsrlsijegy1 = menu(QStringLiteral("Felvsrlsijegy1"), QStringLiteral("&Szállítás"));
    j1 = item(Felvsrlsijegy1, QStringLiteral("j1"), QStringLiteral("&Beszállítás"), &TForm1::j1Click);
    Mdosits1 = item(Felvsrlsijegy1, QStringLiteral("Mdosits1"), QStringLiteral("&Kiszállítás"), &TForm1::Mdosits1Click);
    Adattvtel2 = item(Felvsrlsijegy1, QStringLiteral("Adattvtel2"), QStringLiteral("Adatátvétel"), &TForm1::Adattvtel2Click);
    Bekiszllits1 = item(Felvsrlsijegy1, QStringLiteral("Bekiszllits1"), QStringLiteral("&Adatfeltöltés"),
                        &TForm1::Bekiszllits1Click);

    Nyomtats1 = menu(QStringLiteral("Nyomtats1"), QStringLiteral("&Nyomtatás"));
    Beszllts1 = item(Nyomtats1, QStringLiteral("Beszllts1"), QStringLiteral("&Beszállítás"), &TForm1::Beszllts1Click);
    Kiszllts1 = item(Nyomtats1, QStringLiteral("Kiszllts1"), QStringLiteral("&Kiszállítás"), &TForm1::Kiszllts1Click);
    Telepen1 = item(Nyomtats1, QStringLiteral("Telepen1"), QStringLiteral("&Telepen"), &TForm1::Telepen1Click);
    Flszmlista1 = item(Nyomtats1, QStringLiteral("Flszmlista1"), QStringLiteral("&Fülszámlista"), &TForm1::Flszmlista1Click);

    Keress1 = menu(QStringLiteral("Keress1"), QStringLiteral("Keresés"));
    Flszm1 = item(Keress1, QStringLiteral("Flszm1"), QStringLiteral("Fülszám"), &TForm1::Flszm1Click);
    Beszlltiflszmok1 = item(Keress1, QStringLiteral("Beszlltiflszmok1"), QStringLiteral("Beszállító fülszámai"),
                            &TForm1::Beszlltiflszmok1Click);

    Termk1 = barItem(QStringLiteral("Termk1"), QStringLiteral("&Feladó"), &TForm1::Termk1Click);
    Trzsadatok1 = barItem(QStringLiteral("Trzsadatok1"), QStringLiteral("S&zállító"), &TForm1::Trzsadatok1Click);

    Arhivls1 = menu(QStringLiteral("Arhivls1"), QStringLiteral("Arhiválás"));
    Arhivbattel1 = item(Arhivls1, QStringLiteral("Arhivbattel1"), QStringLiteral("Arhiválás"), &TForm1::Arhivbattel1Click);
    Visszavons1 = item(Arhivls1, QStringLiteral("Visszavons1"), QStringLiteral("Visszavonás"), &TForm1::Visszavons1Click);

    Segdlet1 = menu(QStringLiteral("Segdlet1"), QStringLiteral("Segédlet"));
    Duplaflszm1 = item(Segdlet1, QStringLiteral("Duplaflszm1"), QStringLiteral("Dupla fülszám"), &TForm1::Duplaflszm1Click);
    Kiszlltstrlse1 = item(Segdlet1, QStringLiteral("Kiszlltstrlse1"), QStringLiteral("Kiszállítás törlése"),
                          &TForm1::Kiszlltstrlse1Click);
    Beszlltsblhinyzik1 = item(Segdlet1, QStringLiteral("Beszlltsblhinyzik1"), QStringLiteral("Beszállításból hiányzik"),
                              &TForm1::Beszlltsblhinyzik1Click);
    Beszllitott1 = item(Segdlet1, QStringLiteral("Beszllitott1"), QStringLiteral("Adatok"), &TForm1::Beszllitott1Click);
    N1 = separator(Segdlet1, QStringLiteral("N1"));
    Nvjegy1 = item(Segdlet1, QStringLiteral("Nvjegy1"), QStringLiteral("&Névjegy"), &TForm1::Nvjegy1Click);
    Tvsegtsg1 = item(Segdlet1, QStringLiteral("Tvsegtsg1"), QStringLiteral("Távsegítség"), &TForm1::Tvsegtsg1Click);
    Sg1 = item(Segdlet1, QStringLiteral("Sg1"), QStringLiteral("Súgó"), &TForm1::Sg1Click);
    N2 = separator(Segdlet1, QStringLiteral("N2"));
    Rgiblimport1 = item(Segdlet1, QStringLiteral("Rgiblimport1"), QStringLiteral("Régiből import"), &TForm1::Rgiblimport1Click);

    Kilps1 = barItem(QStringLiteral("Kilps1"), QStringLiteral("&Kilépés"), &TForm1::Kilps1Click);
}

bool TForm1::FormCreate()
{
    // 1. The splash stays for its full time before the database is even looked at.
    if (!AboutBox) {
        AboutBox = new TAboutBox(nullptr);
        AboutBox->exec();
    }
    // 2-4. Data module, connection, the ten tables.
    try {
        Data = new TData(qApp);
        Data->ZCon1.setConnected(true);
        for (TableDataset* t : Data->tables())
            t->close();
        for (TableDataset* t : Data->tables())
            t->open();
    } catch (const std::exception&) {
        // 5. Nothing of the program can work without the database.
        delete Data;
        Data = nullptr;
        platform::confirmYes(nullptr, QStringLiteral("Az adatbáziskezelöt nem találja.\nA program müködéséhez szükséges."));
        return false;
    }
    // 6. Separators for every conversion of the run (the conversions themselves use "," and ".").
    QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
    // 7-8.
    VersionText = buildVersionText(programVersionInfo());
    setWindowTitle(buildMainCaption(VersionText));
    if (QScreen* s = QApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
    m_refresh = new input::ReactivationRefresh(this, [this] { refreshTables(); });
    return true;
}

void TForm1::refreshTables()
{
    if (!Data)
        return;
    for (TableDataset* t : Data->tables())
        t->close();
    for (TableDataset* t : Data->tables())
        t->open();
}

void TForm1::FormClose()
{
    if (m_closed)
        return;
    m_closed = true;
    if (!Data)
        return;
    // Pending work (a deletion no screen committed) becomes permanent here.
    if (Data->IBTrans1.inTransaction())
        Data->IBTrans1.commitRetaining();
    if (Data->ZCon1.connected())
        Data->ZCon1.close();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    try {
        FormClose();
    } catch (const std::exception& e) {
        platform::showError(this, QString::fromStdString(e.what()));
    }
    event->accept();
}

void TForm1::j1Click() { runScreen(this, Form8); }
void TForm1::Mdosits1Click() { runScreen(this, Form10); }
void TForm1::Adattvtel2Click() { runScreen(this, Form30); }
void TForm1::Bekiszllits1Click() { runScreen(this, Form13); }
void TForm1::Beszllts1Click() { IncomingDeliveryPrintoutDialog screen(this); platform::showModal(&screen); }
void TForm1::Kiszllts1Click() { OutgoingDeliveryPrintoutDialog screen(this); platform::showModal(&screen); }
void TForm1::Telepen1Click() { OnSiteListPrintoutDialog screen(this); platform::showModal(&screen); }
void TForm1::Flszmlista1Click() { EarTagListPrintoutDialog screen(this); platform::showModal(&screen); }
void TForm1::Flszm1Click() {}
void TForm1::Beszlltiflszmok1Click() {}
void TForm1::Termk1Click() { runScreen(this, Form4); }
void TForm1::Trzsadatok1Click() { runScreen(this, Form6); }
void TForm1::Arhivbattel1Click() {}
void TForm1::Visszavons1Click() {}
void TForm1::Duplaflszm1Click() {}
void TForm1::Kiszlltstrlse1Click() {}
void TForm1::Beszlltsblhinyzik1Click() {}
void TForm1::Beszllitott1Click() {}

void TForm1::Nvjegy1Click() { runScreen(this, Form25); }
void TForm1::Tvsegtsg1Click() { runScreen(this, Form26); }
void TForm1::Sg1Click() { runScreen(this, Form27); }

void TForm1::Rgiblimport1Click() {}

void TForm1::Kilps1Click() { close(); }
