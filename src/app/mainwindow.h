#pragma once

#include <QMainWindow>

#include <array>
#include <optional>

class QAction;
class QMenu;
namespace input {
class ReactivationRefresh;
}

// Fixed version information of the program file: file and product version, four numbers each.
struct VersionInfo {
    std::array<quint16, 4> file{};
    std::array<quint16, 4> product{};
};
// What the running program carries; nothing when it was built without version information.
std::optional<VersionInfo> programVersionInfo();
// Major file version, ".0", minor product version: 2.1.0.0 / 2.1.0.0 gives "2.01".
QString buildVersionText(const std::optional<VersionInfo>& info);
QString buildMainCaption(const QString& versionText);

// The main window: the menu from which every screen opens, start-up and shut-down.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Start-up: splash, data module, connection, the ten tables, separators, caption. False when
    // the database could not be reached: the message was shown and the program must end.
    bool FormCreate();
    // Closes and reopens IBTable1..IBTable10, in order.
    void refreshTables();
    void FormClose();

    QString VersionText;
    // Tests replace the version information of the program file.
    static void setVersionInfoForTests(std::optional<std::optional<VersionInfo>> info);

    QAction *j1, *Mdosits1, *Adattvtel2, *Bekiszllits1;
    QAction *Beszllts1, *Kiszllts1, *Telepen1, *Flszmlista1;
    QAction *Flszm1, *Beszlltiflszmok1;
    QAction *Termk1, *Trzsadatok1;
    QAction *Arhivbattel1, *Visszavons1;
    QAction *Duplaflszm1, *Kiszlltstrlse1, *Beszlltsblhinyzik1, *Beszllitott1, *N1, *Nvjegy1, *Tvsegtsg1, *Sg1,
        *N2, *Rgiblimport1;
    QAction* Kilps1;
    QMenu *Felvsrlsijegy1, *Nyomtats1, *Keress1, *Arhivls1, *Segdlet1;

    input::ReactivationRefresh* refresher() const { return m_refresh; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    // Menu handlers, named after their items.
    void j1Click();
    void Mdosits1Click();
    void Adattvtel2Click();
    void Bekiszllits1Click();
    void Beszllts1Click();
    void Kiszllts1Click();
    void Telepen1Click();
    void Flszmlista1Click();
    void Flszm1Click();
    void Beszlltiflszmok1Click();
    void Termk1Click();
    void Trzsadatok1Click();
    void Arhivbattel1Click();
    void Visszavons1Click();
    void Duplaflszm1Click();
    void Kiszlltstrlse1Click();
    void Beszlltsblhinyzik1Click();
    void Beszllitott1Click();
    void Nvjegy1Click();
    void Tvsegtsg1Click();
    void Sg1Click();
    void Rgiblimport1Click();
    void Kilps1Click();

    input::ReactivationRefresh* m_refresh = nullptr;
    bool m_closed = false;
};

extern TForm1* Form1;
