#include "application.h"

#include <QCoreApplication>

namespace tessaron {

TApplication::TApplication(int& argc, char** argv, Dialogs& dialogs)
    : QApplication(argc, argv), dialogs_(&dialogs) {}

TApplication* TApplication::Instance() {
    return dynamic_cast<TApplication*>(QCoreApplication::instance());
}

void TApplication::RegisterForm(QWidget* form) {
    if (mainForm_.isNull()) mainForm_ = form;
}

void TApplication::ShowException(const QString& message) {
    waitingReports_.append(message);
    if (reporting_) return;  // the outer report shows it once its box is closed
    reporting_ = true;
    while (!waitingReports_.isEmpty()) {
        const QString next = waitingReports_.takeFirst();
        try {
            dialogs_->ShowMessage(activeWindow() ? activeWindow() : mainForm_.data(),
                                  MessageKind::Error, next);
        } catch (...) {
            // A report that cannot be shown must not take the program down.
        }
    }
    reporting_ = false;
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowException(QStringLiteral("Unknown exception"));
    }
    return false;
}

void ProcessPendingMessages() { QCoreApplication::processEvents(); }

void RunHandler(const std::function<void()>& handler) {
    QString message;
    try {
        handler();
        return;
    } catch (const std::exception& error) {
        message = QString::fromLocal8Bit(error.what());
    } catch (...) {
        message = QStringLiteral("Unknown exception");
    }
    if (TApplication* app = TApplication::Instance()) app->ShowException(message);
}

void ReportExceptionLater(const QString& message) {
    TApplication* app = TApplication::Instance();
    if (!app) return;
    QMetaObject::invokeMethod(app, [app, message] { app->ShowException(message); }, Qt::QueuedConnection);
}

}  // namespace tessaron
