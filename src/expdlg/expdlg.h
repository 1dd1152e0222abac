// TExportDlg, the progress dialog of "Export Block": one group box with the
// frame count and one bar.  While it exists the main window is disabled;
// closing it asks the run to stop.
#pragma once

#include <QPointer>
#include <QWidget>

#include "form.h"

class QGroupBox;
class QProgressBar;

namespace tessaron {

class TExportDlg : public TFormOf<QWidget> {
public:
    // `mainWindow` is disabled while the dialog exists and is the window the
    // dialog centres itself on.
    explicit TExportDlg(QWidget& mainWindow);
    ~TExportDlg() override;

    // --- Components, in declaration order ------------------------------------
    QGroupBox* GroupBox1;
    QProgressBar* PBarSpr;

    // A stop was requested (the dialog was closed).
    bool FCancel = false;

protected:
    void FormCreate() override;
    void FormClose(TCloseAction& action) override;
    void FormDestroy() override;

private:
    QPointer<QWidget> mainWindow_;
};

// The dialog of the run in progress, or null.
extern TExportDlg* ExportDlg;

}  // namespace tessaron
