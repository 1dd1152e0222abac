// The application object: owns the dialogs, knows the main window, and
// reports every exception that escapes an event handler in a message box
// before carrying on, so a failed command never ends the program.
#pragma once

#include <exception>
#include <functional>

#include <QApplication>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include "dialogs.h"

namespace tessaron {

class TApplication : public QApplication {
public:
    // `dialogs` must outlive the application object.
    TApplication(int& argc, char** argv, Dialogs& dialogs);

    // The running application object; null when the QApplication in use is
    // not ours.
    static TApplication* Instance();

    Dialogs& dialogs() const { return *dialogs_; }
    void SetDialogs(Dialogs& dialogs) { dialogs_ = &dialogs; }

    // The first form created becomes the main window (as long as it lives).
    QWidget* MainForm() const { return mainForm_; }
    void RegisterForm(QWidget* form);

    // Shows the message of an exception that a handler let escape, through
    // the dialogs.  A report raised while another is on screen waits for it.
    void ShowException(const QString& message);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    Dialogs* dialogs_;
    QPointer<QWidget> mainForm_;
    bool reporting_ = false;
    QStringList waitingReports_;
};

// Lets the event loop run once over what is queued, then returns.
void ProcessPendingMessages();

// Runs an event handler.  An exception it lets escape is reported as the
// event loop reports one (TApplication::notify), but caught here, before it
// could unwind through Qt's own frames, which are not built to pass
// exceptions on and would leak or leave state behind.
void RunHandler(const std::function<void()>& handler);

// A slot for connect() that runs `handler` through RunHandler.
template <class F>
auto Guarded(F handler) {
    return [handler = std::move(handler)]() { RunHandler(handler); };
}

// For errors caught where no box may open (inside painting, say): the
// report is queued and shown by the event loop once the current event is
// done.
void ReportExceptionLater(const QString& message);

}  // namespace tessaron
