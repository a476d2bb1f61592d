#include "report/host.h"

#include "report/preview.h"
#include "report/render.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace report::host {

namespace {
Hooks& current()
{
    static Hooks hooks;
    return hooks;
}

QString boxTitle()
{
    return QApplication::applicationName().isEmpty() ? QStringLiteral("Gerundo") : QApplication::applicationName();
}
}  // namespace

Hooks install(const Hooks& hooks)
{
    Hooks old = current();
    current() = hooks;
    return old;
}

void present(const PreparedReport& report, const PreviewOptions& options, QWidget* parent)
{
    if (current().present)
        return current().present(report, options, parent);
    if (options.modal) {
        PreviewWindow window(report, options, parent);
        window.exec();
        return;
    }
    auto* window = new PreviewWindow(report, options, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

void message(QWidget* parent, const QString& text)
{
    if (current().message)
        return current().message(parent, text);
    QMessageBox::information(parent, boxTitle(), text, QMessageBox::Ok);
}

QString saveFileName(QWidget* parent, const QString& title, const QString& suggested, const QString& filters,
                     QString* selectedFilter)
{
    if (current().saveFileName)
        return current().saveFileName(parent, title, suggested, filters, selectedFilter);
    return QFileDialog::getSaveFileName(parent, title, QDir::current().filePath(suggested), filters, selectedFilter);
}

QString openFileName(QWidget* parent, const QString& title, const QString& filters)
{
    if (current().openFileName)
        return current().openFileName(parent, title, filters);
    return QFileDialog::getOpenFileName(parent, title, QDir::currentPath(), filters);
}

QStringList printers()
{
    if (current().printers)
        return current().printers();
    return QPrinterInfo::availablePrinterNames();
}

void print(QWidget* parent, const PreparedReport& report)
{
    if (current().print)
        return current().print(parent, report);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(report.title);
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(1, report.pageCount());
    dialog.setFromTo(1, report.pageCount());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    if (dialog.exec() != QDialog::Accepted)
        return;
    int from = 1, to = report.pageCount();
    if (printer.printRange() == QPrinter::PageRange) {
        from = printer.fromPage();
        to = printer.toPage();
    }
    try {
        printPages(report, printer, from, to);
    } catch (const Error& e) {
        message(parent, e.message());
    }
}

QDate today()
{
    if (current().today)
        return current().today();
    return QDate::currentDate();
}

}  // namespace report::host
