// Browsing: listing the frames of the selected block, the tiny-sprite
// option, the rows' texts, and showing the selected frame.
#include <QLabel>
#include <QTreeWidget>

#include "frame.h"
#include "frame_view.h"
#include "image.h"
#include "mainwindow.h"
#include "naming.h"

namespace tessaron {

void TForm1::TreeView1Change() {
    // Nothing to browse while no archive is fully indexed; this also ignores
    // the selection changes that filling or clearing the tree raises.
    if (!FArchive.FLoaded) return;
    ClearImage();
    ListModel->SetRowCount(0);

    const QList<QTreeWidgetItem*> selection = TreeView1->selectedItems();
    QTreeWidgetItem* node = selection.isEmpty() ? nullptr : selection.first();
    if (node == nullptr || node->parent() == nullptr) return;  // none, or the root

    FCurBlock = uint32_t(node->parent()->indexOfChild(node));
    const uint32_t n = FArchive.FrameCount(FCurBlock);
    FFrameIndex.SetLength(n);
    FFrameCount = 0;
    for (uint32_t f = 0; f < n; ++f) {
        if (IsVisibleFrame(FArchive.Frame(FCurBlock, f).Size, FShowTiny)) {
            FFrameIndex[FFrameCount] = f;
            ++FFrameCount;
        }
    }
    FFrameIndex.SetLength(FFrameCount);

    ListModel->SetRowCount(int(FFrameCount));
    SetStatusText(1, std::to_string(FFrameCount) + " sprite(s)");
}

void TForm1::mmOptionsShowTSClick() {
    FShowTiny = !FShowTiny;
    mmOptionsShowTS->setChecked(FShowTiny);
    TreeView1Change();
}

void TForm1::ListView1Data(TListItem& item) {
    if (!FArchive.FLoaded) return;
    const uint32_t f = FFrameIndex[item.Index];
    const uint32_t e = FArchive.FBlockIndex[FCurBlock];
    item.Caption = QString::fromStdString(FrameRowName(e, f));
    item.SubItems.append(QString::fromStdString(FrameRowSize(FArchive.Frame(FCurBlock, f).Size)));
}

void TForm1::ListView1SelectItem(int row, bool selected) {
    if (!selected) return;  // the picture keeps what it shows
    const uint32_t f = FFrameIndex[row];
    const uint32_t b = FCurBlock;
    const QString name = QString::fromStdString(FrameRowName(FArchive.FBlockIndex[b], f));

    Spr sprite;
    if (!FArchive.LoadFrame(b, f, sprite)) {
        const FrameLocation where = FArchive.Locate(b, f);
        ShowFrameProblem(QStringLiteral("Frame %1 cannot be read: its %2 bytes at position %3 lie beyond the end of the file")
                             .arg(name).arg(where.Size).arg(where.Position));
        return;
    }
    if (!sprite.Decode()) {
        ShowFrameProblem(sprite.IsWellFormed()
                             ? QStringLiteral("Frame %1 is too large to show (%2 x %3)")
                                   .arg(name).arg(sprite.Width()).arg(sprite.Height())
                             : QStringLiteral("Frame %1 is damaged: its record is too short for its own header")
                                   .arg(name));
        return;
    }
    const std::unique_ptr<FrameImage> image = BuildFrameImage(sprite);
    Image1->SetPicture(ToQImage(*image));
    StatusMessage->clear();
}

// A frame that cannot be shown leaves an empty picture and says why beside
// the status panels; browsing never stops for a message box.
void TForm1::ShowFrameProblem(const QString& text) {
    Image1->Clear();
    StatusMessage->setText(text);
}

}  // namespace tessaron
