#include "ui/platform.h"

#include "core/eartag_ranges.h"
#include "db/error.h"
#include "report/error.h"
#include "report/expression.h"
#include "report/template.h"
#include "ui/helpwindow.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>

#include <algorithm>

namespace platform {

namespace {
TestDoubles* g_doubles = nullptr;

void record(BoxKind kind, const QString& text)
{
    g_doubles->messages.append({kind, text});
    if (g_doubles->onMessage)
        g_doubles->onMessage(g_doubles->messages.last());
}

// A directory that does not exist here (a Windows path) falls back to the working directory.
QString startPath(const FileDialogSettings& s)
{
    QString dir = s.initialDir;
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::currentPath();
    return QDir(dir).filePath(s.fileName);
}

QString boxTitle()
{
    return QApplication::applicationName().isEmpty() ? QStringLiteral("Gerundo") : QApplication::applicationName();
}
}  // namespace

QString qtFileFilter(const QString& filter)
{
    static const QRegularExpression shownPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    const QStringList parts = filter.split(u'|');
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        // The description shows the patterns itself: once, and the ones that apply.
        const QString description = QString(parts.at(i)).remove(shownPatterns).trimmed();
        QStringList patterns;
        for (QString pattern : parts.at(i + 1).split(u';', Qt::SkipEmptyParts)) {
            pattern = pattern.trimmed();
            if (pattern == u"*.*")
                pattern = QStringLiteral("*");  // every file, also one without an extension
            // The names match their patterns in either letter case, as on the system the program
            // comes from: "fulszam.xml" and "FULSZAM.XML" alike.
            for (const QString& p : {pattern, pattern.toLower(), pattern.toUpper()})
                if (!patterns.contains(p))
                    patterns << p;
        }
        const QString entry = QStringLiteral("%1 (%2)").arg(description, patterns.join(u' '));
        if (!entries.contains(entry))
            entries << entry;
    }
    return entries.join(QStringLiteral(";;"));
}

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
    hooks.saveFileName = [this](QWidget*, const QString& title, const QString& suggested, const QString& filters,
                                QString*) {
        saveDialogsShown << FileDialogSettings{title, filters, QString(), suggested};
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

void showError(QWidget* parent, const std::exception& e) { showError(parent, errorText(e)); }

QString errorText(const std::exception& e)
{
    if (const auto* fbError = dynamic_cast<const fb::Error*>(&e))
        return fbError->message();
    if (const auto* reportError = dynamic_cast<const report::Error*>(&e))
        return reportError->message();
    if (const auto* templateError = dynamic_cast<const report::TemplateError*>(&e))
        return templateError->message();
    if (const auto* expressionError = dynamic_cast<const report::ExpressionError*>(&e))
        return expressionError->message();
    if (const auto* notANumber = dynamic_cast<const eartag::NotANumber*>(&e))
        return notANumber->message();
    qWarning("%s", e.what());
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return QStringLiteral("Elfogyott a memória, a művelet nem fejeződött be.");
    return QStringLiteral("Váratlan programhiba történt, a művelet nem fejeződött be.");
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

int askChoice(QWidget* parent, const QString& text, const QStringList& buttons, int escapeIndex)
{
    if (g_doubles) {
        g_doubles->choiceButtonsShown << buttons;
        record(BoxKind::Choice, text);
        return g_doubles->choiceAnswers.isEmpty() ? 0 : g_doubles->choiceAnswers.takeFirst();
    }
    QMessageBox box(QMessageBox::Question, boxTitle(), text, QMessageBox::NoButton, parent);
    QList<QAbstractButton*> pressable;
    for (int i = 0; i < buttons.size(); ++i)
        pressable << box.addButton(buttons.at(i), i == escapeIndex ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    if (!pressable.isEmpty()) {
        box.setDefaultButton(qobject_cast<QPushButton*>(pressable.first()));
        if (escapeIndex >= 0 && escapeIndex < pressable.size())
            box.setEscapeButton(pressable.at(escapeIndex));
    }
    box.exec();
    const int pressed = static_cast<int>(pressable.indexOf(box.clickedButton()));
    return pressed >= 0 ? pressed : escapeIndex;
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
    return QFileDialog::getOpenFileName(parent, s.title, startPath(s), qtFileFilter(s.filter));
}

QString getSaveFileName(QWidget* parent, const FileDialogSettings& s)
{
    if (g_doubles) {
        g_doubles->saveDialogsShown << s;
        return g_doubles->saveAnswers.isEmpty() ? QString() : g_doubles->saveAnswers.takeFirst();
    }
    return QFileDialog::getSaveFileName(parent, s.title, startPath(s), qtFileFilter(s.filter));
}

QString getSaveFileName(QWidget* parent, const FileDialogSettings& s, int* filterIndex)
{
    if (g_doubles) {
        g_doubles->saveDialogsShown << s;
        if (filterIndex && !g_doubles->saveFilterAnswers.isEmpty())
            *filterIndex = g_doubles->saveFilterAnswers.takeFirst();
        return g_doubles->saveAnswers.isEmpty() ? QString() : g_doubles->saveAnswers.takeFirst();
    }
    const QStringList filters = qtFileFilter(s.filter).split(QStringLiteral(";;"));
    QFileDialog dialog(parent, s.title, startPath(s));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    // The extension of the chosen entry is added to a name typed without one, before the dialog
    // asks about replacing a file of that name.
    const auto suffixOf = [&filters](int i) {
        static const QRegularExpression firstPattern(QStringLiteral("\\(\\*\\.([^ )]+)"));
        const auto m = firstPattern.match(filters.value(i));
        return m.hasMatch() ? m.captured(1) : QString();
    };
    const int offered = filterIndex ? std::clamp(*filterIndex, 0, static_cast<int>(filters.size()) - 1) : 0;
    dialog.selectNameFilter(filters.value(offered));
    dialog.setDefaultSuffix(suffixOf(offered));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        dialog.setDefaultSuffix(suffixOf(static_cast<int>(filters.indexOf(filter))));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    if (filterIndex)
        *filterIndex = std::max(0, static_cast<int>(filters.indexOf(dialog.selectedNameFilter())));
    return dialog.selectedFiles().constFirst();
}

bool startProgram(const QString& fileName)
{
    if (g_doubles) {
        g_doubles->programsStarted << fileName;
        return g_doubles->programStartSucceeds;
    }
    return QProcess::startDetached(fileName, {});
}

void requestHelpContents(QWidget* parent)
{
    if (g_doubles)
        ++g_doubles->helpRequests;
    HelpWindow help(parent);
    showModal(&help);
}

QDate today()
{
    return g_doubles ? g_doubles->todayValue : QDate::currentDate();
}

void beep()
{
    if (g_doubles)
        ++g_doubles->beeps;
    else
        QApplication::beep();
}

}  // namespace platform
