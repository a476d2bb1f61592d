#include "ui/platform.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>

namespace platform {

namespace {
TestDoubles* g_doubles = nullptr;

void record(BoxKind kind, const QString& text)
{
    g_doubles->messages.append({kind, text});
    if (g_doubles->onMessage)
        g_doubles->onMessage(g_doubles->messages.last());
}

QString boxTitle()
{
    return QApplication::applicationName().isEmpty() ? QStringLiteral("Gerundo") : QApplication::applicationName();
}
}  // namespace

TestDoubles::TestDoubles()
{
    g_doubles = this;
    report::host::Hooks hooks;
    hooks.present = [this](const report::PreparedReport& pages, const report::PreviewOptions& options, QWidget*) {
        reportsShown.append({pages, options});
        if (onReport)
            onReport(reportsShown.last());
    };
    hooks.message = [this](QWidget*, const QString& text) {
        messages.append({BoxKind::Plain, text});
        if (onMessage)
            onMessage(messages.last());
    };
    hooks.saveFileName = [this](QWidget*, const QString&, const QString&, const QString&, QString*) {
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    };
    hooks.openFileName = [this](QWidget*, const QString& title, const QString& filters) {
        fileDialogsShown << FileDialogSettings{title, filters, QString(), QString()};
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    };
    hooks.printers = [this] { return printerNames; };
    hooks.print = [this](QWidget*, const report::PreparedReport& pages) { printed << pages; };
    hooks.today = [this] { return todayValue; };
    m_previousReportHooks = report::host::install(hooks);
}

TestDoubles::~TestDoubles()
{
    if (g_doubles == this) {
        g_doubles = nullptr;
        report::host::install(m_previousReportHooks);
    }
}

QStringList TestDoubles::messageTexts() const
{
    QStringList out;
    for (const auto& m : messages)
        out << m.text;
    return out;
}

void showMessage(QWidget* parent, const QString& text)
{
    if (g_doubles)
        return record(BoxKind::Plain, text);
    QMessageBox::information(parent, boxTitle(), text, QMessageBox::Ok);
}

void confirmYes(QWidget* parent, const QString& text)
{
    if (g_doubles)
        return record(BoxKind::ConfirmYes, text);
    QMessageBox box(QMessageBox::Question, boxTitle(), text, QMessageBox::Yes, parent);
    box.exec();
}

void showError(QWidget* parent, const QString& text)
{
    if (g_doubles)
        return record(BoxKind::Plain, text);
    QMessageBox::critical(parent, boxTitle(), text, QMessageBox::Ok);
}

bool askYesNo(QWidget* parent, const QString& text)
{
    if (g_doubles) {
        record(BoxKind::Question, text);
        return g_doubles->questionAnswers.isEmpty() || g_doubles->questionAnswers.takeFirst();
    }
    return QMessageBox::question(parent, boxTitle(), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

int showModal(QDialog* dialog)
{
    if (!g_doubles)
        return dialog->exec();
    g_doubles->modalsShown << dialog->objectName();
    QPointer<QDialog> guard(dialog);
    dialog->setModal(true);
    dialog->show();
    QApplication::processEvents();
    if (!g_doubles->modalHandlers.isEmpty()) {
        auto handler = g_doubles->modalHandlers.takeFirst();
        handler(dialog);
    }
    if (guard && guard->isVisible())
        guard->reject();
    return guard ? guard->result() : QDialog::Rejected;
}

QString getOpenFileName(QWidget* parent, const FileDialogSettings& s)
{
    if (g_doubles) {
        g_doubles->fileDialogsShown << s;
        return g_doubles->fileAnswers.isEmpty() ? QString() : g_doubles->fileAnswers.takeFirst();
    }
    // The program's filter "Text|*.a|All|*.*" becomes Qt's "Text (*.a);;All (*.*)".
    const QStringList parts = s.filter.split(u'|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << QStringLiteral("%1 (%2)").arg(parts.at(i), QString(parts.at(i + 1)).replace(u';', u' '));
    // A directory that does not exist here (a Windows path) falls back to the working directory.
    QString dir = s.initialDir;
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::currentPath();
    return QFileDialog::getOpenFileName(parent, s.title, QDir(dir).filePath(s.fileName), filters.join(QStringLiteral(";;")));
}

bool startProgram(const QString& fileName)
{
    if (g_doubles) {
        g_doubles->programsStarted << fileName;
        return g_doubles->programStartSucceeds;
    }
    return QProcess::startDetached(fileName, {});
}

void requestHelpContents()
{
    if (g_doubles) {
        ++g_doubles->helpRequests;
        return;
    }
    // The program configures no help file, so there is nothing to show.
}

QDate today()
{
    return g_doubles ? g_doubles->todayValue : QDate::currentDate();
}

}  // namespace platform
