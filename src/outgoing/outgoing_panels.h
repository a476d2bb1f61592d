#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class DataSource;
class QDialog;
class QSize;
class QGroupBox;
class QLineEdit;
class QWidget;

// Building blocks the outgoing screens share: the read-only panels that show the current carrier,
// buyer or dispatch, and the double-click behaviours of their fields.
namespace outgoing {

// One line of a panel: its caption and the fields shown beside it.
struct PanelLine {
    QString caption;
    QStringList fields;
};

// Fills box with one line per entry, each field a DBText bound to source.
void buildPanel(QGroupBox* box, DataSource* source, const std::vector<PanelLine>& lines);

// The panel "Szállító" and the panel "Vevő/Rendeltetési hely", as every outgoing screen shows them.
QGroupBox* carrierPanel(QWidget* parent, const QString& objectName, DataSource* source);
QGroupBox* buyerPanel(QWidget* parent, const QString& objectName, DataSource* source);

// A fixed-size dialog of at least the given size, centred on the desktop.
void fixCentred(QDialog* dialog, const QSize& size);

// Calls handler on a double-click inside widget; the widget sees the double-click as well.
void onDoubleClick(QWidget* widget, std::function<void()> handler);

// The utilisation category switch of the entry screens: "hizlalás" becomes "vágás", anything else
// becomes "hizlalás".
void toggleCategory(QLineEdit* edit);

}  // namespace outgoing
