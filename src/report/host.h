#pragma once

#include "report/engine.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// Where the report engine reaches the person and the desktop: showing a prepared report, the
// preview's message boxes and file dialogs, the printers, today's date. Each function does the
// real thing unless a hook is installed; the program's platform layer installs hooks for tests
// (the prepared pages then go to the test instead of a window).
namespace report::host {

struct Hooks {
    std::function<void(const PreparedReport&, const PreviewOptions&, QWidget*)> present;
    std::function<void(QWidget*, const QString&)> message;
    // filters as Qt writes them ("PDF (*.pdf);;..."); selectedFilter receives the chosen one
    std::function<QString(QWidget*, const QString& title, const QString& suggested, const QString& filters,
                          QString* selectedFilter)>
        saveFileName;
    std::function<QString(QWidget*, const QString& title, const QString& filters)> openFileName;
    std::function<QStringList()> printers;
    // Asked once a printer is known to exist: the print dialog and the printing itself.
    std::function<void(QWidget*, const PreparedReport&)> print;
    std::function<QDate()> today;
};

// Installs hooks (members left empty keep the real thing); returns the ones they replace.
Hooks install(const Hooks& hooks);

void present(const PreparedReport& report, const PreviewOptions& options, QWidget* parent);
void message(QWidget* parent, const QString& text);
QString saveFileName(QWidget* parent, const QString& title, const QString& suggested, const QString& filters,
                     QString* selectedFilter);
QString openFileName(QWidget* parent, const QString& title, const QString& filters);
QStringList printers();
void print(QWidget* parent, const PreparedReport& report);
QDate today();

}  // namespace report::host
