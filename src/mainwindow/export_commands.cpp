// The export commands and the export folder: the selected frame as a BMP
// image or as its stored record, the listed frames of a block, and every
// visible frame of the archive.
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QPointer>
#include <QStringList>
#include <QThread>

#include "expdlg.h"
#include "expdlg2.h"
#include "export_folder.h"
#include "frame.h"
#include "image.h"
#include "mainwindow.h"
#include "naming.h"
#include "progress_window.h"

namespace tessaron {

namespace {

// How long the pause wait sleeps between two looks at the dialog's flags:
// short enough for the buttons to answer at once, long enough not to keep a
// core busy.
constexpr unsigned long kPauseLookIntervalMs = 15;

// How many skipped frames the message after a batch run names.
constexpr int kSkippedNamesShown = 5;

// Why a frame gives no image.
enum class FrameFault { None, Unreadable, Undecodable };

// Reads frame `frame` of block `block` the way the frame view does (through a
// copy of the archive's handle, from the frame's position) and, when
// `decode` is set, decodes it.
FrameFault ReadFrame(TArchive& archive, uint32_t block, uint32_t frame, Spr& sprite, bool decode) {
    if (!archive.LoadFrame(block, frame, sprite)) return FrameFault::Unreadable;
    if (decode && !sprite.Decode()) return FrameFault::Undecodable;
    return FrameFault::None;
}

QString FrameName(const TArchive& archive, uint32_t block, uint32_t frame) {
    return QString::fromStdString(FrameRowName(archive.FBlockIndex[block], frame));
}

QString FrameFaultText(const QString& name, FrameFault fault) {
    return fault == FrameFault::Unreadable
               ? QStringLiteral("Frame %1 cannot be read: its record does not lie whole in the archive. "
                                "No file was written.").arg(name)
               : QStringLiteral("Frame %1 cannot be decoded: its record is damaged or too large. "
                                "No file was written.").arg(name);
}

// The frames a batch run could not read or decode, for the one message at
// its end.
class SkippedFrames {
public:
    void Add(const QString& name) {
        ++count_;
        if (names_.size() < kSkippedNamesShown) names_.append(name);
    }
    bool IsEmpty() const { return count_ == 0; }
    QString Text() const {
        QString list = names_.join(QStringLiteral(", "));
        if (count_ > names_.size()) list += QStringLiteral(", ...");
        return QStringLiteral("%1 frame(s) could not be read or decoded and were skipped: %2")
            .arg(count_).arg(list);
    }

private:
    qint64 count_ = 0;
    QStringList names_;
};

// One frame of a batch run: read, decode, fill the run's image, save.  A
// frame that cannot be read whole or decoded is skipped; a file that cannot
// be written raises the core's error, which ends the run.
void ExportFrameImage(TArchive& archive, uint32_t block, uint32_t frame, const std::string& folder,
                      FrameImage& image, SkippedFrames& skipped) {
    const std::string name = ExportFileName(folder, archive.FBlockIndex[block], frame, ".bmp");
    Spr sprite;
    if (ReadFrame(archive, block, frame, sprite, true) != FrameFault::None) {
        skipped.Add(FrameName(archive, block, frame));
        return;
    }
    FillFrameImage(image, sprite);
    image.SaveToFile(name);
}

// True while block `block` (and frame `frame` of it) is still part of the
// open archive.  A run lets the event loop run, and once its dialog has been
// closed the main window takes commands again; whatever those did to the
// archive, the run must not read tables that are gone.
bool BlockStillInArchive(const TArchive& archive, uint32_t block) {
    return archive.FLoaded && block < archive.FBlockCount && block < archive.FBlockInfo.size();
}
bool FrameStillInArchive(const TArchive& archive, uint32_t block, uint32_t frame) {
    return BlockStillInArchive(archive, block) && frame < archive.FrameCount(block);
}

// Lets a run's progress dialog repaint at most every kRepaintIntervalMs.
// The captions and bars still change for every frame and the pending
// messages are still processed for every frame, so Pause, Cancel and the
// close box answer as before; but painting the dialog for each of thousands
// of small frames cost ten times as much as exporting them.
class RepaintPacer {
public:
    static constexpr qint64 kRepaintIntervalMs = 20;

    explicit RepaintPacer(QWidget& dialog) : dialog_(&dialog) {}

    // Before the run lets the message loop run: repaints are let through
    // when the last one is long enough ago (and the first time).
    void Pace() {
        const bool due = !timer_.isValid() || timer_.elapsed() >= kRepaintIntervalMs;
        if (due) timer_.start();
        Allow(due);
    }
    // While the run waits (paused), every repaint goes through.
    void Allow(bool repaints = true) {
        if (dialog_ && dialog_->updatesEnabled() != repaints) dialog_->setUpdatesEnabled(repaints);
    }

private:
    QPointer<QWidget> dialog_;
    QElapsedTimer timer_;
};

// Destroys the run's progress dialog, which enables the main window again,
// and gives the keyboard back to the main window if the dialog had it.
template <class Dialog>
void EndRun(FormPtr<Dialog>& dlg, QWidget& mainWindow) {
    const bool dialogActive = QApplication::activeWindow() == dlg.get();
    dlg.reset();
    if (dialogActive) mainWindow.activateWindow();
}

}  // namespace

// --- Export folder -----------------------------------------------------------

void TForm1::ExportPath1Click() { SelectExportPath(FExportPath); }

bool TForm1::SelectExportPath(const std::string& Directory) {
    const std::optional<QString> chosen =
        FDialogs.SelectFolder(this, QFile::decodeName(QByteArray::fromStdString(Directory)));
    if (!chosen) return false;

    const std::string folder = QFile::encodeName(*chosen).toStdString();
    if (folder.empty()) {
        // There is no folder to create; the folder set before is forgotten,
        // so the next export asks again.
        FExportPath.clear();
        FDialogs.ShowMessage(this, MessageKind::Error, QStringLiteral("Unable to create directory"));
        return false;
    }
    // A folder that cannot be made is still accepted: every export into it
    // then reports the file it cannot create.
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    FExportPath = NormalizeExportPath(folder);
    return true;
}

bool TForm1::PrepareExportPath(std::string& folder) {
    if (FExportPath.empty() && !SelectExportPath(FExportPath)) return false;
    // No short path names here: the folder is used as it is.
    folder = FExportPath;
    return true;
}

// --- Single-frame export -----------------------------------------------------

// The selected frame, read (and with `decode` decoded) for a single export,
// and the name of its file in the export folder.  False when there is
// nothing to write: no frame is selected, no folder was chosen, or the
// frame cannot be read whole or decoded, which the user is told.
bool TForm1::ReadSelectedFrame(const char* extension, bool decode, Spr& sprite, std::string& name) {
    const int row = SelectedRow();
    if (row < 0) return false;
    std::string folder;
    if (!PrepareExportPath(folder)) return false;

    const uint32_t f = FFrameIndex[row];
    const uint32_t b = FCurBlock;
    name = ExportFileName(folder, FArchive.FBlockIndex[b], f, extension);
    const FrameFault fault = ReadFrame(FArchive, b, f, sprite, decode);
    if (fault != FrameFault::None) {
        FDialogs.ShowMessage(this, MessageKind::Error, FrameFaultText(FrameName(FArchive, b, f), fault));
        return false;
    }
    return true;
}

void TForm1::mmFileExportClick() {
    Spr sprite;
    std::string name;
    if (!ReadSelectedFrame(".bmp", /*decode=*/true, sprite, name)) return;
    BuildFrameImage(sprite)->SaveToFile(name);
}

void TForm1::mmFileExportRawClick() {
    // The record is written as stored, so one that does not decode is
    // written too; only one that cannot be read whole is refused.
    Spr sprite;
    std::string name;
    if (!ReadSelectedFrame(".res", /*decode=*/false, sprite, name)) return;
    sprite.SaveRaw(name);
}

// --- Batch export --------------------------------------------------------------
//
// The progress dialog disables this window from its creation; it is a
// FormPtr, so it is destroyed, and this window enabled again, on every way
// out of a run, a failed save included.

void TForm1::mmFileExportBlockClick() {
    if (ListRowCount() == 0) return;
    std::string folder;
    if (!PrepareExportPath(folder)) return;

    FormPtr<TExportDlg> dlg = CreateForm<TExportDlg>(*this);
    SetBarRange(*dlg->PBarSpr, FFrameCount);
    SetBarColour(*dlg->PBarSpr, kFrameBarColour);
    dlg->show();

    const std::unique_ptr<FrameImage> image = NewFrameImage();
    const uint32_t b = FCurBlock;
    const std::vector<uint32_t> frames(FFrameIndex.begin(), FFrameIndex.end());
    SkippedFrames skipped;
    RepaintPacer pacer(*dlg);
    for (size_t i = 0; i < frames.size(); ++i) {
        if (dlg->FCancel) break;
        StepBy(*dlg->PBarSpr, 1);
        dlg->GroupBox1->setTitle(SpritesCaption(int64_t(i) + 1, int64_t(frames.size())));
        pacer.Pace();
        ProcessPendingMessages();
        if (!FrameStillInArchive(FArchive, b, frames[i])) break;
        ExportFrameImage(FArchive, b, frames[i], folder, *image, skipped);
    }
    EndRun(dlg, *this);
    if (!skipped.IsEmpty()) FDialogs.ShowMessage(this, MessageKind::Warning, skipped.Text());
}

void TForm1::mmFileExportAllClick() {
    std::string folder;
    if (!PrepareExportPath(folder)) return;

    FormPtr<TExportDlg2> dlg = CreateForm<TExportDlg2>(*this);
    SetBarRange(*dlg->PBarSB, FArchive.FBlockCount);
    SetBarColour(*dlg->PBarSpr, kFrameBarColour);
    SetBarColour(*dlg->PBarSB, kBlockBarColour);
    dlg->show();

    // Holds the run while it is paused.  The wait ends when Pause is pressed
    // again, and also when the run is cancelled or the dialog closed, after
    // which Pause may no longer be reachable.
    RepaintPacer pacer(*dlg);
    const auto waitWhilePaused = [&] {
        if (dlg->FPaused) pacer.Allow();
        while (dlg->FPaused && !dlg->FCancel) {
            ProcessPendingMessages();
            if (dlg->FPaused && !dlg->FCancel) QThread::msleep(kPauseLookIntervalMs);
        }
    };

    const std::unique_ptr<FrameImage> image = NewFrameImage();
    int64_t total = 0;
    std::vector<uint32_t> visible;  // the run's own list: the frame list stays as it is
    SkippedFrames skipped;
    bool stop = false;
    for (uint32_t b = 0; !stop && b < FArchive.FBlockCount; ++b) {
        if (dlg->FCancel) break;
        waitWhilePaused();
        if (dlg->FCancel) break;
        StepBy(*dlg->PBarSB, 1);
        dlg->GroupBox2->setTitle(SpriteBlocksCaption(int64_t(b) + 1, FArchive.FBlockCount));
        pacer.Pace();
        ProcessPendingMessages();
        if (!BlockStillInArchive(FArchive, b)) break;

        visible.clear();
        const uint32_t n = FArchive.FrameCount(b);
        for (uint32_t f = 0; f < n; ++f)
            if (IsVisibleFrame(FArchive.Frame(b, f).Size, FShowTiny)) visible.push_back(f);
        SetBarRange(*dlg->PBarSpr, int64_t(visible.size()));

        for (size_t j = 0; j < visible.size(); ++j) {
            if (dlg->FCancel) break;
            waitWhilePaused();
            if (dlg->FCancel) break;
            StepBy(*dlg->PBarSpr, 1);
            dlg->GroupBox1->setTitle(SpritesCaption(int64_t(j) + 1, int64_t(visible.size())));
            ++total;
            dlg->SetTotalCaption(TotalSpritesCaption(total));
            pacer.Pace();
            ProcessPendingMessages();
            if (!FrameStillInArchive(FArchive, b, visible[j])) {
                stop = true;
                break;
            }
            ExportFrameImage(FArchive, b, visible[j], folder, *image, skipped);
        }
    }
    EndRun(dlg, *this);
    if (!skipped.IsEmpty()) FDialogs.ShowMessage(this, MessageKind::Warning, skipped.Text());
}

}  // namespace tessaron
