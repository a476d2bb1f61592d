#pragma once

#include "report/engine.h"
#include "report/host.h"
#include "report/prepared.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <exception>
#include <functional>

class QDialog;
class QWidget;

// The only way screens reach the person and the operating system. Each seam shows the real thing
// unless a test has installed its double; the doubles record what was asked.
namespace platform {

// ---- message boxes
enum class BoxKind { Plain, ConfirmYes, Question, Choice };
struct ShownMessage {
    BoxKind kind;
    QString text;
};
// A plain information / error box with an OK button.
void showMessage(QWidget* parent, const QString& text);
// A confirmation box with the single button Yes; its answer is not used.
void confirmYes(QWidget* parent, const QString& text);
// The application's standard error box for failures no screen catches itself.
void showError(QWidget* parent, const QString& text);
// The same for a caught failure, in the words errorText gives it.
void showError(QWidget* parent, const std::exception& e);
// What a person reads for a failure: the program's own errors (the database layer's, the report
// engine's, an ear tag that is no number) give their Hungarian message; a failure of the C++
// library (English, for developers) gives a Hungarian sentence, its own words going to the error
// output for support.
QString errorText(const std::exception& e);
// A question with the buttons Yes and No (No is the default); true when the answer is Yes.
bool askYesNo(QWidget* parent, const QString& text);

// A box with one button per caption; returns the index of the button pressed. Closing the box
// without pressing one (Escape, the window's close button) answers escapeIndex.
int askChoice(QWidget* parent, const QString& text, const QStringList& buttons, int escapeIndex);

// ---- modal showing
// Shows a dialog modally and returns its result. Under a test double the double runs instead: it
// may press buttons of the (already shown) dialog; a dialog still open afterwards is rejected.
int showModal(QDialog* dialog);

// ---- file-open dialog
struct FileDialogSettings {
    QString title;
    QString filter;  // "Description|*.ext|Other|*.*", as the program writes it
    QString initialDir;
    QString fileName;
};
// Returns the chosen file, or an empty text when the dialog was cancelled.
QString getOpenFileName(QWidget* parent, const FileDialogSettings& settings);
// The program's filter as Qt's file dialogs show it, each entry once and well formed:
// "XML files (*.XML)|*.xml|All files|*.*" gives "XML files (*.xml *.XML);;All files (*)".
QString qtFileFilter(const QString& filter);

// ---- file-save dialog
// Returns the file to write, or an empty text when the dialog was cancelled. The filter is written
// as for the file-open dialog; the file name is offered in the initial directory.
QString getSaveFileName(QWidget* parent, const FileDialogSettings& settings);
// The same, where the filter chosen matters (the kind of file to write): filterIndex gives the entry
// of the filter offered first and receives the one chosen; a name typed without an extension gets
// the chosen entry's.
QString getSaveFileName(QWidget* parent, const FileDialogSettings& settings, int* filterIndex);

// ---- shell, help, clock
// Starts an outside program by file name, without parameters and without waiting; false when it
// could not be started (the program says nothing about that).
bool startProgram(const QString& fileName);
// Asks the help service for the contents of the application's help: the program's own help window
// opens on its contents page, modally over parent (under the test doubles through showModal).
void requestHelpContents(QWidget* parent);
QDate today();
// The desktop's warning sound: a person reading ear tags in the yard hears what needs a look.
void beep();

// ---- report previews
// Reports reach the person through the report engine's own seam (report/host.h): the preview,
// its message boxes, file dialogs and printers. The test doubles below take its place as well.
struct ShownReport {
    report::PreparedReport pages;
    report::PreviewOptions options;
};

// ---- test doubles
class TestDoubles {
public:
    TestDoubles();
    ~TestDoubles();
    TestDoubles(const TestDoubles&) = delete;
    TestDoubles& operator=(const TestDoubles&) = delete;

    QList<ShownMessage> messages;  // every box shown, in order
    QStringList messageTexts() const;
    QString lastMessage() const { return messages.isEmpty() ? QString() : messages.last().text; }
    // Runs when a box is shown (after it was recorded): lets a test act at that moment.
    std::function<void(const ShownMessage&)> onMessage;
    QList<bool> questionAnswers;  // next answers to yes/no questions; with none left: Yes

    // Handlers for modal dialogs, used in order; without one a dialog is rejected at once.
    QList<std::function<void(QDialog*)>> modalHandlers;
    QStringList modalsShown;  // objectName of every dialog shown modally

    QList<QString> fileAnswers;  // next answers of the file dialog ("" = cancelled)
    QList<FileDialogSettings> fileDialogsShown;

    // A report shown hands its prepared pages here instead of opening a preview.
    QList<ShownReport> reportsShown;
    std::function<void(const ShownReport&)> onReport;
    QStringList printerNames;    // the installed printers as a preview sees them: none
    QList<report::PreparedReport> printed;  // what a preview sent to a printer
    // Next answers of choice boxes (button index); without one the first button is pressed.
    QList<int> choiceAnswers;
    QList<QStringList> choiceButtonsShown;  // the captions of every choice box, in order

    QList<QString> saveAnswers;  // next answers of every file-save dialog ("" = cancelled)
    QList<FileDialogSettings> saveDialogsShown;
    QList<int> saveFilterAnswers;  // the filter entries chosen in those dialogs; none left: as offered

    QStringList programsStarted;
    bool programStartSucceeds = false;
    int helpRequests = 0;
    int beeps = 0;
    QDate todayValue = QDate(2011, 3, 15);

private:
    report::host::Hooks m_previousReportHooks;
};

}  // namespace platform
