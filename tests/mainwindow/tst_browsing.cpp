// Browsing: the frame list of the selected block, the tiny-sprite option,
// row texts, the frame picture and its zoom.
#include <QMenu>

#include "viewer_fixture.h"

using namespace tessaron;
using namespace tessaron::testing;

namespace {

QRgb PaletteColour(uint8_t index) {
    const uint32_t rgb = kSpriteColours[index];
    return qRgb(int(rgb >> 16) & 0xFF, int(rgb >> 8) & 0xFF, int(rgb) & 0xFF);
}

// Frames of stored sizes `sizes`, in one block after `emptyEntries` empty entries.
writer::ArchiveBuilder BlockOfSizes(const std::vector<uint32_t>& sizes, uint32_t emptyEntries = 0) {
    std::vector<writer::FrameRecord> frames;
    for (uint32_t size : sizes) frames.push_back(FrameOfStoredSize(size));
    writer::ArchiveBuilder builder;
    if (emptyEntries) builder.AddEmpty(emptyEntries);
    builder.AddBlock(frames);
    return builder;
}

// Three frames of different sizes and colours, for telling pictures apart.
writer::ArchiveBuilder ColouredFrames() {
    writer::ArchiveBuilder builder;
    builder.AddBlock({SolidFrame(5, 4, 0x10), SolidFrame(6, 3, 0x28), SolidFrame(7, 2, 0xE4)});
    builder.AddBlock({SolidFrame(2, 2, 0x01)});
    return builder;
}

}  // namespace

class BrowsingTest : public QObject {
    Q_OBJECT

private slots:
    void init() { TestDialogs().Clear(); }
    void cleanup() { QVERIFY(TestDialogs().Messages().empty()); }

    void rowsNameTheEntryAndFrameAndGiveTheStoredSize() {
        Viewer v;
        TempDir dir;
        // 26 empty entries first: the block is entry 0x1A.
        std::vector<uint32_t> sizes;
        for (uint32_t f = 0; f < 14; ++f) sizes.push_back(f == 3 || f == 9 ? 51 : 52 + f * 100);
        v.Open(WriteArchive(dir, BlockOfSizes(sizes, 26)));
        v.SelectBlock(0);
        QCOMPARE(v.Rows(), 12);
        QCOMPARE(v.Status(1), QString("12 sprite(s)"));
        QCOMPARE(v.Names(), (QStringList{"01A-000", "01A-001", "01A-002", "01A-004", "01A-005", "01A-006",
                                         "01A-007", "01A-008", "01A-00A", "01A-00B", "01A-00C", "01A-00D"}));
        QCOMPARE(v.Cell(0, 1), QString("52"));
        QCOMPARE(v.Cell(11, 1), QString("1352"));
        QCOMPARE(v.form.ListView1->model()->index(0, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
                 int(Qt::AlignRight));
        QCOMPARE(v.form.FFrameCount, 12u);
        QCOMPARE(v.form.FCurBlock, 0u);
        QCOMPARE(v.form.FFrameIndex.Length(), size_t(12));
        QCOMPARE(v.form.SelectedRow(), -1);
    }

    void tinyFramesAndTheOption_data() {
        QTest::addColumn<std::vector<uint32_t>>("sizes");
        QTest::addColumn<QStringList>("hidden");  // names listed with the option off
        QTest::newRow("51 hidden, 52 listed") << std::vector<uint32_t>{51, 52, 10, 100} << QStringList{"000-001", "000-003"};
        QTest::newRow("all tiny") << std::vector<uint32_t>{0, 1, 51} << QStringList{};
        QTest::newRow("none tiny") << std::vector<uint32_t>{52, 53} << QStringList{"000-000", "000-001"};
    }
    void tinyFramesAndTheOption() {
        QFETCH(std::vector<uint32_t>, sizes);
        QFETCH(QStringList, hidden);
        Viewer v;
        TempDir dir;
        v.Open(WriteArchive(dir, BlockOfSizes(sizes)));
        v.SelectBlock(0);
        QCOMPARE(v.Names(), hidden);
        QCOMPARE(v.Status(1), QString("%1 sprite(s)").arg(hidden.size()));
        if (!hidden.isEmpty()) v.SelectRow(0);

        v.form.mmOptionsShowTS->trigger();
        QStringList all;
        for (size_t f = 0; f < sizes.size(); ++f) all << QString("000-%1").arg(f, 3, 16, QChar('0')).toUpper();
        QCOMPARE(v.Names(), all);
        QCOMPARE(v.Status(1), QString("%1 sprite(s)").arg(all.size()));
        QVERIFY(!v.Pictured());
        QCOMPARE(v.form.SelectedRow(), -1);
        QVERIFY(v.form.mmOptionsShowTS->isChecked());

        v.form.mmOptionsShowTS->trigger();
        QCOMPARE(v.Names(), hidden);
        QVERIFY(!v.form.mmOptionsShowTS->isChecked());
    }

    void optionWithoutArchiveOnlyChangesTheCheckMark() {
        Viewer v;
        v.form.mmOptionsShowTS->trigger();
        QVERIFY(v.form.mmOptionsShowTS->isChecked());
        QCOMPARE(v.Rows(), 0);
        QCOMPARE(v.Status(1), QString());
    }

    void namesGrowPastThreeDigits() {
        Viewer v;
        TempDir dir;
        writer::ArchiveBuilder builder;
        builder.AddBlock({SolidFrame(1, 1, 3)});
        // Entry 0x1000 holds a block of 0x1001 frames, all sharing one record.
        builder.AddEmpty(0x1000 - 1);
        std::vector<writer::FrameRecord> frames(0x1001);
        frames[0] = writer::FrameRecord(SolidFrame(8, 8, 5));
        const uint32_t firstOffset = 6 + 8 * 0x1001;
        for (size_t f = 1; f < frames.size(); ++f) {
            frames[f].StoredOffset = firstOffset;
            frames[f].StoredSize = uint32_t(frames[0].Bytes.size());
        }
        builder.AddBlock(frames);
        v.Open(WriteArchive(dir, builder));
        v.SelectBlock(0);
        QCOMPARE(v.Names(), QStringList{"000-000"});
        v.SelectBlock(1);
        QCOMPARE(v.Rows(), 0x1001);
        QCOMPARE(v.Cell(0, 0), QString("1000-000"));
        QCOMPARE(v.Cell(0xFFF, 0), QString("1000-FFF"));
        QCOMPARE(v.Cell(0x1000, 0), QString("1000-1000"));
        v.SelectRow(0x1000);
        QVERIFY(v.Pictured());
    }

    void rootSelectionClearsPictureAndListButNotTheCount() {
        Viewer v;
        TempDir dir;
        v.Open(WriteArchive(dir, ColouredFrames()));
        v.SelectBlock(0);
        v.SelectRow(1);
        QVERIFY(v.Pictured());
        v.SelectRoot();
        QVERIFY(!v.Pictured());
        QCOMPARE(v.Rows(), 0);
        QCOMPARE(v.Status(1), QString("3 sprite(s)"));
        // The fields keep describing the block listed last.
        QCOMPARE(v.form.FFrameCount, 3u);
    }

    void archiveWithoutBlocks() {
        Viewer v;
        TempDir dir;
        writer::ArchiveBuilder builder;
        builder.AddEmpty(3);
        const std::string path = WriteArchive(dir, builder);
        v.Open(path);
        QVERIFY(v.form.FArchive.FLoaded);
        QCOMPARE(v.TreeTexts(), QStringList{QString::fromStdString(path)});
        QCOMPARE(v.Status(0), QString("0 object(s)"));
        v.SelectRoot();
        QCOMPARE(v.Rows(), 0);
        QCOMPARE(v.Status(1), QString());
    }

    void emptyBlockListsNothing() {
        Viewer v;
        TempDir dir;
        writer::ArchiveBuilder builder;
        builder.AddBlock({});
        v.Open(WriteArchive(dir, builder));
        v.SelectBlock(0);
        QCOMPARE(v.Rows(), 0);
        QCOMPARE(v.Status(1), QString("0 sprite(s)"));
    }

    void pictureShowsTheFrameInThePaletteColours() {
        Viewer v;
        TempDir dir;
        // A 6 x 4 frame with every pixel its own index, and a gap no span
        // covers (the background).
        writer::Picture picture(6, 4, 0x44);
        const uint8_t indices[] = {0x00, 0x0B, 0x10, 0x2F, 0x7F, 0x80, 0xA5, 0xFF};
        for (uint32_t i = 0; i < 8; ++i) picture.At(i % 6, i / 6 + 1) = indices[i];
        writer::ArchiveBuilder builder;
        builder.AddBlock({writer::EncodeFrame(picture, writer::Coding::Runs)});
        v.Open(WriteArchive(dir, builder));
        v.SelectBlock(0);
        v.SelectRow(0);
        const QImage& shown = v.form.Image1->Picture();
        QCOMPARE(shown.size(), QSize(6, 4));
        QCOMPARE(shown.format(), QImage::Format_Indexed8);
        QCOMPARE(shown.colorCount(), 256);
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 6; ++x) {
                QCOMPARE(shown.pixelIndex(int(x), int(y)), int(picture.At(x, y)));
                QCOMPARE(shown.pixel(int(x), int(y)), PaletteColour(picture.At(x, y)));
            }
        QCOMPARE(shown.pixel(0, 0), qRgb(0x00, 0xB4, 0x0C));

        // On screen: centred at its own size.
        const QImage screen = v.form.Image1->grab().toImage();
        const QRect at = v.form.Image1->PictureRect();
        QCOMPARE(at.topLeft(), QPoint((v.form.Image1->width() - 6) / 2, (v.form.Image1->height() - 4) / 2));
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 6; ++x)
                QCOMPARE(screen.pixel(at.left() + int(x), at.top() + int(y)), PaletteColour(picture.At(x, y)));
    }

    void largerPictureIsClippedEquallyAndZoomFollowsThePopup() {
        Viewer v;
        TempDir dir;
        writer::ArchiveBuilder builder;
        builder.AddBlock({SolidFrame(400, 300, 0x20), SolidFrame(10, 6, 0x21)});
        v.Open(WriteArchive(dir, builder));
        v.SelectBlock(0);
        v.SelectRow(0);
        const QSize area = v.form.Image1->size();
        QVERIFY(area.width() < 400);
        QCOMPARE(v.form.Image1->PictureRect(),
                 QRect(QPoint((area.width() - 400) / 2, (area.height() - 300) / 2), QSize(400, 300)));

        v.SelectRow(1);
        const struct {
            QAction* item;
            QSize size;
        } zooms[] = {
            {v.form.x8size, {80, 48}}, {v.form.x4szie, {40, 24}}, {v.form.x2size, {20, 12}},
            {v.form.N12size, {5, 3}},  {v.form.Fullsize, QSize(10, 6).scaled(area, Qt::KeepAspectRatio)},
            {v.form.Autosize, {10, 6}},
        };
        for (const auto& zoom : zooms) {
            zoom.item->trigger();
            QVERIFY(zoom.item->isChecked());
            int checked = 0;
            for (QAction* a : v.form.PopupMenu1->actions()) checked += a->isChecked();
            QCOMPARE(checked, 1);
            QCOMPARE(v.form.Image1->PictureRect().size(), zoom.size);
        }
    }

    void keyboardShowsEveryFramePassed() {
        Viewer v;
        TempDir dir;
        v.Open(WriteArchive(dir, ColouredFrames()));
        v.SelectBlock(0);
        v.SelectRow(0);
        QCOMPARE(v.form.Image1->Picture().size(), QSize(5, 4));
        v.form.ListView1->setFocus();
        QTest::keyClick(v.form.ListView1, Qt::Key_Down);
        QCOMPARE(v.form.SelectedRow(), 1);
        QCOMPARE(v.form.Image1->Picture().size(), QSize(6, 3));
        QCOMPARE(v.form.Image1->Picture().pixel(0, 0), PaletteColour(0x28));
        QTest::keyClick(v.form.ListView1, Qt::Key_Down);
        QCOMPARE(v.form.Image1->Picture().size(), QSize(7, 2));
        QTest::keyClick(v.form.ListView1, Qt::Key_Up);
        QCOMPARE(v.form.Image1->Picture().size(), QSize(6, 3));
    }

    void deselectingKeepsThePicture() {
        Viewer v;
        TempDir dir;
        v.Open(WriteArchive(dir, ColouredFrames()));
        v.SelectBlock(0);
        v.SelectRow(2);
        v.form.ListView1->selectionModel()->clearSelection();
        QCOMPARE(v.form.SelectedRow(), -1);
        QCOMPARE(v.form.Image1->Picture().size(), QSize(7, 2));
    }

    void switchingBlocksSelectsNoRow() {
        Viewer v;
        TempDir dir;
        v.Open(WriteArchive(dir, ColouredFrames()));
        v.SelectBlock(0);
        v.SelectRow(1);
        v.SelectBlock(1);
        QCOMPARE(v.Rows(), 1);
        QCOMPARE(v.Status(1), QString("1 sprite(s)"));
        QVERIFY(!v.Pictured());
        v.SelectBlock(0);
        QCOMPARE(v.Rows(), 3);
        QCOMPARE(v.form.SelectedRow(), -1);
        QVERIFY(!v.Pictured());
    }

    void unreadableFramesAreNotDrawnAndSayWhy_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("record past the end of the file") << 0;
        QTest::newRow("record too short for its line table") << 1;
    }
    void unreadableFramesAreNotDrawnAndSayWhy() {
        QFETCH(int, kind);
        Viewer v;
        TempDir dir;
        writer::FrameRecord bad;
        if (kind == 0) {
            bad = writer::FrameRecord(SolidFrame(2, 2, 7));
            bad.StoredSize = 1'000'000;
        } else {
            // A header claiming 1000 rows in a 60-byte record.
            bad.Bytes.assign(60, 0);
            bad.Bytes[12] = 10;
            bad.Bytes[16] = 0xE8;
            bad.Bytes[17] = 0x03;
        }
        writer::ArchiveBuilder builder;
        builder.AddBlock({SolidFrame(3, 3, 9), bad});
        v.Open(WriteArchive(dir, builder));
        v.SelectBlock(0);
        v.SelectRow(0);
        QVERIFY(v.Pictured());
        v.SelectRow(1);
        QVERIFY(!v.Pictured());
        QVERIFY(v.form.StatusMessage->text().contains("000-001"));
        QCOMPARE(TestDialogs().AskedFor().size(), size_t(1));  // the open dialog only
        v.SelectRow(0);
        QVERIFY(v.Pictured());
        QVERIFY(v.form.StatusMessage->text().isEmpty());
    }

    // 65,535 frames list at once; only the rows on screen are asked for.
    void hugeBlockListsVirtually() {
        Viewer v;
        TempDir dir;
        std::vector<writer::FrameRecord> frames(65535);
        frames[0] = writer::FrameRecord(SolidFrame(4, 4, 0x30));
        const uint32_t firstOffset = 6 + 8 * 65535;
        for (size_t f = 1; f < frames.size(); ++f) {
            frames[f].StoredOffset = firstOffset;
            frames[f].StoredSize = uint32_t(frames[0].Bytes.size());
        }
        writer::ArchiveBuilder builder;
        builder.AddBlock(frames);
        v.Open(WriteArchive(dir, builder));
        QVERIFY(frames[0].Bytes.size() > 51);
        v.SelectBlock(0);
        QCOMPARE(v.Rows(), 65535);
        QCOMPARE(v.Status(1), QString("65535 sprite(s)"));
        v.form.ListView1->repaint();
        const int asked = v.form.ListModel->RowDataRequests();
        QVERIFY2(asked > 0 && asked < 200, qPrintable(QString::number(asked)));
        v.form.ListView1->scrollToBottom();
        v.form.ListView1->repaint();
        QVERIFY(v.form.ListModel->RowDataRequests() - asked < 200);
    }

    // A fault in a row-data request reaches the event loop's report, and the
    // program carries on.
    void rangeErrorIsReportedByTheEventLoop() {
        Viewer v;
        TempDir dir;
        v.Open(WriteArchive(dir, ColouredFrames()));
        v.SelectBlock(0);
        v.form.FFrameIndex.SetLength(1);  // rows 1 and 2 now point outside
        v.form.ListView1->viewport()->repaint();
        QVERIFY(TestDialogs().Messages().empty());  // not while painting
        QCoreApplication::processEvents();
        const std::vector<QString> messages = TestDialogs().Messages();
        QVERIFY(!messages.empty());
        QVERIFY(messages[0].contains("Range check error"));
        TestDialogs().Clear();
        v.SelectBlock(1);
        QCOMPARE(v.Rows(), 1);
    }
};

TESSARON_GUI_TEST_MAIN(BrowsingTest)
#include "tst_browsing.moc"
