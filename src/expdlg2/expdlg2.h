// TExportDlg2, the progress dialog of "Export All": the frame count of the
// current block, the block count, the running total, and Pause and Cancel.
// While it exists the main window is disabled; closing it asks the run to
// stop.
#pragma once

#include <QPointer>
#include <QWidget>

#include "form.h"

class QGroupBox;
class QKeyEvent;
class QLabel;
class QProgressBar;
class QPushButton;

namespace tessaron {

class TExportDlg2 : public TFormOf<QWidget> {
public:
    // `mainWindow` is disabled while the dialog exists and is the window the
    // dialog centres itself on.
    explicit TExportDlg2(QWidget& mainWindow);
    ~TExportDlg2() override;

    // --- Components, in declaration order ------------------------------------
    QGroupBox* GroupBox1;
    QGroupBox* GroupBox2;
    QPushButton* Cancel;
    QPushButton* Pause;
    QLabel* StaticText1;
    QProgressBar* PBarSpr;
    QProgressBar* PBarSB;

    bool FCancel = false;  // a stop was requested
    bool FPaused = false;  // the run is held until Pause is pressed again

    // Shows `caption` in StaticText1, all of it however long it is.
    void SetTotalCaption(const QString& caption);

    void PauseClick();
    void CancelClick();

protected:
    void FormCreate() override;
    void FormClose(TCloseAction& action) override;
    void FormDestroy() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    static constexpr int kStaticText1Width = 99;
    // Length of the caption the label was last fitted to: digits are equally
    // wide, so the label needs fitting again only when a count gains a digit
    // (fitting lays the text out, which costs more than the rest of a frame).
    qsizetype fittedLength_ = -1;
    QPointer<QWidget> mainWindow_;
};

// The dialog of the run in progress, or null.
extern TExportDlg2* ExportDlg2;

}  // namespace tessaron
