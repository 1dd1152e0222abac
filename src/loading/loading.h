// TForm2, the loading window: a small box without a title bar reading
// "Loading data...", over the middle of the main window.  While it exists
// the main window is disabled and it refuses to be closed.
#pragma once

#include <QPointer>
#include <QWidget>

#include "form.h"

class QLabel;

namespace tessaron {

class TForm2 : public TFormOf<QWidget> {
public:
    // Builds the layout and centres the window on the application's main
    // window.  Make it with CreateForm<TForm2>() so FormCreate runs.
    TForm2();

    QLabel* Panel1;

    // The main window this window disables while it exists.
    QWidget* MainWindow() const { return mainWindow_; }

protected:
    void FormCreate() override;
    void FormClose(TCloseAction& action) override;
    void FormDestroy() override;

private:
    QPointer<QWidget> mainWindow_;
};

}  // namespace tessaron
