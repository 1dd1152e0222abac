// "Export Block" (F6) and "Export All" (F7): the files they write, the
// progress dialogs' captions and bars step by step, Pause, Cancel, closing
// the dialog, and every way a run can end.
#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "expdlg.h"
#include "expdlg2.h"
#include "export_fixture.h"
#include "frame_view.h"
#include "progress_window.h"

using namespace tessaron;
using namespace tessaron::testing;

namespace {

std::vector<writer::FrameRecord> Solid(int count) {
    std::vector<writer::FrameRecord> frames;
    for (int i = 0; i < count; ++i) frames.push_back(SolidFrame(6, 4, uint8_t(0x20 + i)));
    return frames;
}

writer::FrameRecord Unreadable() {
    writer::FrameRecord record;
    record.StoredOffset = 0x7FFFFF00;
    record.StoredSize = 100;
    return record;
}

std::vector<uint8_t> Undecodable() {
    std::vector<uint8_t> bytes(60, 0);
    writer::PutLE32(bytes, 12, 4);
    writer::PutLE32(bytes, 16, 1000);
    return bytes;
}

QString Bar(const QProgressBar* bar) { return QStringLiteral("%1/%2").arg(bar->value()).arg(bar->maximum()); }

// The run's dialog while one exists.
QWidget* RunDialog() {
    if (ExportDlg) return ExportDlg;
    return ExportDlg2;
}

bool ProgressDialogLeft() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (dynamic_cast<TExportDlg*>(w) || dynamic_cast<TExportDlg2*>(w)) return true;
    return false;
}

std::vector<std::string> Names(std::initializer_list<const char*> names) {
    return std::vector<std::string>(names.begin(), names.end());
}

// Notes every progress dialog that is shown.
class ShowWatcher : public QObject {
public:
    ShowWatcher() { qApp->installEventFilter(this); }
    ~ShowWatcher() override { qApp->removeEventFilter(this); }
    QStringList Shown;
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Show && (dynamic_cast<TExportDlg*>(object) || dynamic_cast<TExportDlg2*>(object)))
            Shown << object->objectName();
        return false;
    }
};

}  // namespace

class BatchExportTest : public QObject {
    Q_OBJECT

    TempDir dir_;

private slots:
    void init() { TestDialogs().Clear(); }
    void cleanup() {
        QVERIFY(!ProgressDialogLeft());
        QCOMPARE(ExportDlg, nullptr);
        QCOMPARE(ExportDlg2, nullptr);
    }

    // --- Which frames are written ---------------------------------------------

    void showTinyDecidesWhatIsWritten_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("showTiny");
        QTest::addColumn<std::vector<std::string>>("expected");
        QTest::newRow("F6 tiny hidden") << int(Qt::Key_F6) << false << Names({"000_002.bmp", "000_003.bmp"});
        QTest::newRow("F6 tiny shown") << int(Qt::Key_F6) << true
                                       << Names({"000_000.bmp", "000_001.bmp", "000_002.bmp", "000_003.bmp"});
        QTest::newRow("F7 tiny hidden") << int(Qt::Key_F7) << false
                                        << Names({"000_002.bmp", "000_003.bmp", "002_000.bmp"});
        QTest::newRow("F7 tiny shown") << int(Qt::Key_F7) << true
                                       << Names({"000_000.bmp", "000_001.bmp", "000_002.bmp", "000_003.bmp",
                                                 "002_000.bmp", "002_001.bmp", "003_000.bmp"});
    }
    void showTinyDecidesWhatIsWritten() {
        QFETCH(int, key);
        QFETCH(bool, showTiny);
        QFETCH(std::vector<std::string>, expected);
        // Frames of 40 and 51 bytes are tiny, 52 bytes is not.
        writer::ArchiveBuilder builder;
        builder.AddBlock({FrameOfSize(40), FrameOfSize(51), FrameOfSize(52, 0x33), SolidFrame(9, 7, 0x21)})
            .AddEmpty()
            .AddBlock({SolidFrame(3, 30, 0x22), FrameOfSize(30)})
            .AddBlock({FrameOfSize(20)});
        const std::string path = WriteArchive(dir_, builder, "tiny.flx");

        TempDir out, cli;
        ExportViewer v;
        v.form.FExportPath = out.Folder();
        v.Open(path);
        v.SetShowTiny(showTiny);
        v.SelectBlock(0);
        v.Press(Qt::Key(key));
        QCOMPARE(ListFiles(out.Path()), expected);
        const bool wholeArchive = key == Qt::Key_F7;
        QVERIFY(CliExport(path, cli.Folder(), showTiny, false,
                          wholeArchive ? std::nullopt : std::optional<uint32_t>(0)).Complete());
        QVERIFY(SameFiles(out, cli));  // byte for byte what tessaron-export writes
        QVERIFY(TestDialogs().Messages().empty());
        QVERIFY(v.form.isEnabled());
    }

    void exportBlockWithNothingListedDoesNothing_data() {
        QTest::addColumn<QString>("situation");
        QTest::newRow("just opened") << "opened";
        QTest::newRow("root node selected") << "root";
        QTest::newRow("root after a block was listed") << "block then root";
        QTest::newRow("every frame hidden as tiny") << "all tiny";
    }
    void exportBlockWithNothingListedDoesNothing() {
        QFETCH(QString, situation);
        writer::ArchiveBuilder builder;
        builder.AddBlock(Solid(2)).AddBlock({FrameOfSize(30), FrameOfSize(51)});
        ShowWatcher watcher;
        ExportViewer v;
        v.Open(WriteArchive(dir_, builder, "nothing.flx"));
        if (situation == "root") v.SelectRoot();
        if (situation == "block then root") {
            v.SelectBlock(0);
            v.SelectRoot();
            QCOMPARE(v.form.FFrameCount, 2u);  // still the count of the block listed before
        }
        if (situation == "all tiny") v.SelectBlock(1);
        v.Press(Qt::Key_F6);
        QVERIFY(TestDialogs().AskedFor(ScriptedDialogs::Kind::SelectFolder).empty());
        QVERIFY(watcher.Shown.isEmpty());
        QCOMPARE(v.form.Passes, 0);
    }

    void exportAllWithoutBlocksShowsItsDialogAndWritesNothing() {
        writer::ArchiveBuilder builder;
        builder.AddEmpty(3);
        TempDir out;
        ShowWatcher watcher;
        ExportViewer v;
        v.form.FExportPath = out.Folder();
        v.Open(WriteArchive(dir_, builder, "empty.flx"));
        v.Press(Qt::Key_F7);
        QCOMPARE(watcher.Shown, QStringList{"ExportDlg2"});
        QVERIFY(ListFiles(out.Path()).empty());
        QCOMPARE(v.form.Passes, 0);
        QVERIFY(v.form.isEnabled());
    }

    void exportAllLeavesTheViewsAsTheyWere() {
        writer::ArchiveBuilder builder;
        builder.AddBlock(Solid(2)).AddBlock(Solid(3));
        TempDir out;
        ExportViewer v;
        v.form.FExportPath = out.Folder();
        v.Open(WriteArchive(dir_, builder, "views.flx"));
        v.SelectBlock(1);
        v.SelectRow(2);
        QVERIFY(v.form.Image1->HasPicture());
        const std::vector<uint32_t> listed(v.form.FFrameIndex.begin(), v.form.FFrameIndex.end());
        v.Press(Qt::Key_F7);
        QCOMPARE(ListFiles(out.Path()).size(), size_t(5));
        QCOMPARE(v.form.FCurBlock, 1u);
        QCOMPARE(v.form.FFrameCount, 3u);
        QCOMPARE(std::vector<uint32_t>(v.form.FFrameIndex.begin(), v.form.FFrameIndex.end()), listed);
        QCOMPARE(v.form.ListRowCount(), 3);
        QCOMPARE(v.form.SelectedRow(), 2);
        QVERIFY(v.form.Image1->HasPicture());
    }

    // --- Progress, step by step -------------------------------------------------

    void exportBlockProgress() {
        writer::ArchiveBuilder builder;
        builder.AddEmpty(0x2C).AddBlock(Solid(3));
        TempDir out;
        ExportViewer v;
        v.form.FExportPath = out.Folder();
        v.Open(WriteArchive(dir_, builder, "block.flx"));
        v.SelectBlock(0);
        QStringList steps;
        v.form.BeforeMessages = [&] {
            QVERIFY(ExportDlg && ExportDlg->isVisible());
            QCOMPARE(ExportDlg->windowTitle(), QString("Exporting..."));
            QCOMPARE(BarColour(*ExportDlg->PBarSpr), QColor(128, 0, 0));
            QVERIFY(!v.form.isEnabled());
            steps << ExportDlg->GroupBox1->title() + " " + Bar(ExportDlg->PBarSpr) + " files " +
                         QString::number(ListFiles(out.Path()).size());
        };
        v.Press(Qt::Key_F6);
        // Each frame's captions are shown before it is written.
        QCOMPARE(steps, (QStringList{"Sprites 1/3 1/3 files 0", "Sprites 2/3 2/3 files 1", "Sprites 3/3 3/3 files 2"}));
        QCOMPARE(ListFiles(out.Path()), Names({"02c_000.bmp", "02c_001.bmp", "02c_002.bmp"}));
        QVERIFY(v.form.isEnabled());
    }

    // Blocks with 2, 0 and 3 visible frames: one row per block step and per
    // frame step, in the order the dialog shows them.
    void exportAllCaptionsInOrder() {
        writer::ArchiveBuilder builder;
        builder.AddBlock(Solid(2)).AddBlock({FrameOfSize(30), FrameOfSize(40)}).AddBlock(Solid(3));
        TempDir out;
        ExportViewer v;
        v.form.FExportPath = out.Folder();
        v.Open(WriteArchive(dir_, builder, "203.flx"));
        QStringList steps;
        v.form.BeforeMessages = [&] {
            QVERIFY(ExportDlg2 && ExportDlg2->isVisible());
            QCOMPARE(BarColour(*ExportDlg2->PBarSpr), QColor(128, 0, 0));
            QCOMPARE(BarColour(*ExportDlg2->PBarSB), QColor(255, 0, 0));
            QVERIFY(!v.form.isEnabled());
            steps << QStringList{ExportDlg2->GroupBox2->title(), ExportDlg2->GroupBox1->title(),
                                 ExportDlg2->StaticText1->text(), Bar(ExportDlg2->PBarSB),
                                 Bar(ExportDlg2->PBarSpr)}.join(" | ");
        };
        v.Press(Qt::Key_F7);
        // The frame bar gets its range after the block step; an empty block
        // leaves it empty.
        QCOMPARE(steps, (QStringList{
            "Sprite Blocks 1/3 | Sprites 9999/9999 | Total Sprites: 99999 | 1/3 | 0/100",
            "Sprite Blocks 1/3 | Sprites 1/2 | Total Sprites: 1 | 1/3 | 1/2",
            "Sprite Blocks 1/3 | Sprites 2/2 | Total Sprites: 2 | 1/3 | 2/2",
            "Sprite Blocks 2/3 | Sprites 2/2 | Total Sprites: 2 | 2/3 | 2/2",
            "Sprite Blocks 3/3 | Sprites 2/2 | Total Sprites: 2 | 3/3 | 0/1",
            "Sprite Blocks 3/3 | Sprites 1/3 | Total Sprites: 3 | 3/3 | 1/3",
            "Sprite Blocks 3/3 | Sprites 2/3 | Total Sprites: 4 | 3/3 | 2/3",
            "Sprite Blocks 3/3 | Sprites 3/3 | Total Sprites: 5 | 3/3 | 3/3",
        }));
        QCOMPARE(ListFiles(out.Path()).size(), size_t(5));
    }

    // Counts wider than the initial captions are shown whole.
    void largeCountsShownInFull_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("last");
        QTest::newRow("10000 frames in a block") << int(Qt::Key_F6) << "Sprites 10000/10000";
        QTest::newRow("10000 blocks") << int(Qt::Key_F7) << "Sprite Blocks 10000/10000";
    }
    void largeCountsShownInFull() {
        QFETCH(int, key);
        QFETCH(QString, last);
        writer::ArchiveBuilder builder;
        if (key == Qt::Key_F6) {
            // Frames that cannot be read: the captions are all that matters.
            builder.AddBlock(std::vector<writer::FrameRecord>(10000, Unreadable()));
        } else {
            for (int b = 0; b < 10000; ++b) builder.AddBlock({});
        }
        TempDir out;
        ExportViewer v;
        v.form.FExportPath = out.Folder();
        v.Open(WriteArchive(dir_, builder, "large.flx"));
        v.SelectBlock(0);
        QString seen;
        v.form.BeforeMessages = [&] {
            seen = key == Qt::Key_F6 ? ExportDlg->GroupBox1->title() : ExportDlg2->GroupBox2->title();
        };
        v.Press(Qt::Key(key));
        QCOMPARE(seen, last);
    }

    // --- Stopping, pausing --------------------------------------------------------

    void cancelEndsTheRunBeforeTheNextFrame() {
        writer::ArchiveBuilder builder;
        builder.AddBlock(Solid(3)).AddBlock(Solid(3));
        TempDir out;
        ExportViewer v;
        v.form.FExportPath = out.Folder();
        v.Open(WriteArchive(dir_, builder, "cancel.flx"));
        QStringList totals;
        v.form.BeforeMessages = [&] {
            totals << ExportDlg2->StaticText1->text();
            if (totals.size() == 3) PostClick(ExportDlg2->Cancel);  // the second frame's step
        };
        v.Press(Qt::Key_F7);
        QCOMPARE(totals, (QStringList{"Total Sprites: 99999", "Total Sprites: 1", "Total Sprites: 2"}));
        // The frame whose captions were shown is still written.
        QCOMPARE(ListFiles(out.Path()), Names({"000_000.bmp", "000_001.bmp"}));
        QVERIFY(v.form.isEnabled());
    }

    void closingTheDialogEndsTheRun_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Export Block") << int(Qt::Key_F6);
        QTest::newRow("Export All") << int(Qt::Key_F7);
    }
    void closingTheDialogEndsTheRun() {
        QFETCH(int, key);
        writer::ArchiveBuilder builder;
        builder.AddBlock(Solid(4)).AddBlock(Solid(2));
        TempDir out;
        ExportViewer v;
        v.form.FExportPath = out.Folder();
        v.Open(WriteArchive(dir_, builder, "close.flx"));
        v.SelectBlock(0);
        int frameSteps = 0;
        bool closed = false;
        v.form.BeforeMessages = [&] {
            QVERIFY(!closed);  // no message processing after the close
            QWidget* dialog = RunDialog();
            const QString caption = key == Qt::Key_F6 ? ExportDlg->GroupBox1->title() : ExportDlg2->GroupBox1->title();
            if (caption.startsWith("Sprites ") && caption != "Sprites 9999/9999") ++frameSteps;
            if (frameSteps == 2 && !closed) {
                PostClose(dialog);
                QMetaObject::invokeMethod(dialog, [&] {
                    closed = true;
                    QVERIFY(v.form.isEnabled());  // enabled at once
                    QVERIFY(!RunDialog()->isVisible());
                }, Qt::QueuedConnection);
            }
        };
        v.Press(Qt::Key(key));
        QVERIFY(closed);
        QCOMPARE(ListFiles(out.Path()), Names({"000_000.bmp", "000_001.bmp"}));
        QVERIFY(v.form.isEnabled());
    }

    // Pause holds the run before the next frame; the wait looks at the
    // dialog now and then instead of keeping a core busy; Pause again
    // resumes.
    void pauseHoldsTheRunUntilPressedAgain() {
        writer::ArchiveBuilder builder;
        builder.AddBlock(Solid(3)).AddBlock(Solid(2));
        TempDir out;
        ExportViewer v;
        v.form.FExportPath = out.Folder();
        v.Open(WriteArchive(dir_, builder, "pause.flx"));
        int step = 0;
        int pausedLooks = 0;
        QElapsedTimer pausedFor;
        QStringList titles;
        v.form.BeforeMessages = [&] {
            titles << ExportDlg2->windowTitle();
            if (ExportDlg2->FPaused) {
                if (pausedLooks++ == 0) pausedFor.start();
                QCOMPARE(ExportDlg2->StaticText1->text(), QString("Total Sprites: 2"));
                QCOMPARE(ListFiles(out.Path()).size(), size_t(2));  // the frame in hand was finished
                if (pausedLooks == 1) QTimer::singleShot(120, ExportDlg2, [] { PostClick(ExportDlg2->Pause); });
                return;
            }
            if (++step == 3) PostClick(ExportDlg2->Pause);  // during the second frame
        };
        v.Press(Qt::Key_F7);
        const qint64 elapsed = pausedFor.elapsed();
        QCOMPARE(ListFiles(out.Path()).size(), size_t(5));
        QVERIFY(titles.contains("Exporting... (Paused)"));
        QCOMPARE(titles.last(), QString("Exporting..."));
        QVERIFY2(pausedLooks >= 2, qPrintable(QString::number(pausedLooks)));
        // Every look but the last is followed by a sleep of several ms.
        QVERIFY2(pausedLooks <= elapsed / 10 + 2,
                 qPrintable(QStringLiteral("%1 looks in %2 ms").arg(pausedLooks).arg(elapsed)));
    }

    void stoppingWhilePausedEndsTheRun_data() {
        QTest::addColumn<bool>("byClosing");
        QTest::newRow("Cancel") << false;
        QTest::newRow("close box") << true;
    }
    void stoppingWhilePausedEndsTheRun() {
        QFETCH(bool, byClosing);
        writer::ArchiveBuilder builder;
        builder.AddBlock(Solid(3)).AddBlock(Solid(2));
        TempDir out;
        ExportViewer v;
        v.form.FExportPath = out.Folder();
        v.Open(WriteArchive(dir_, builder, "pausestop.flx"));
        int step = 0;
        int pausedLooks = 0;
        v.form.BeforeMessages = [&] {
            if (ExportDlg2->FPaused) {
                ++pausedLooks;
                if (pausedLooks == 1) byClosing ? PostClose(ExportDlg2) : PostClick(ExportDlg2->Cancel);
                if (pausedLooks == 50) PostClick(ExportDlg2->Pause);  // keeps a broken wait from hanging
                return;
            }
            if (++step == 2) PostClick(ExportDlg2->Pause);
        };
        v.Press(Qt::Key_F7);
        QCOMPARE(pausedLooks, 1);
        QCOMPARE(ListFiles(out.Path()), Names({"000_000.bmp"}));
        QVERIFY(v.form.isEnabled());
    }

    // --- Failures -------------------------------------------------------------------

    // A file that cannot be written ends the run with the error's message;
    // what was written stays, and the main window is usable again.
    void failedSaveEndsTheRun_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Export Block") << int(Qt::Key_F6);
        QTest::newRow("Export All") << int(Qt::Key_F7);
    }
    void failedSaveEndsTheRun() {
        QFETCH(int, key);
        writer::ArchiveBuilder builder;
        builder.AddBlock(Solid(3)).AddBlock(Solid(2));
        TempDir out;
        // A folder where the second file should go: no file can replace it.
        std::filesystem::create_directory(out.Path() / "000_001.bmp");
        ExportViewer v;
        v.form.FExportPath = out.Folder();
        v.Open(WriteArchive(dir_, builder, "fail.flx"));
        v.SelectBlock(0);
        v.Press(Qt::Key(key));
        QCOMPARE(TestDialogs().Messages(),
                 std::vector<QString>{QString::fromStdString("Cannot create file " + out.Folder() + "000_001.bmp")});
        QCOMPARE(ListFiles(out.Path()), Names({"000_000.bmp"}));
        QVERIFY(v.form.isEnabled());
        QVERIFY(!ProgressDialogLeft());
    }

    void unwritableFolderIsReported() {
        writer::ArchiveBuilder builder;
        builder.AddBlock(Solid(2));
        TempDir out;
        WriteFile(out, "plain", std::vector<uint8_t>{1});
        const std::string folder = out.File("plain") + "/export/";
        ExportViewer v;
        v.form.FExportPath = folder;
        v.Open(WriteArchive(dir_, builder, "unwritable.flx"));
        v.Press(Qt::Key_F7);
        QCOMPARE(TestDialogs().Messages(),
                 std::vector<QString>{QString::fromStdString("Cannot create file " + folder + "000_000.bmp")});
        QVERIFY(v.form.isEnabled());
        // The window takes commands again.
        v.form.FExportPath = out.Folder();
        v.Press(Qt::Key_F7);
        QCOMPARE(ListFiles(out.Path()), Names({"000_000.bmp", "000_001.bmp", "plain"}));
    }

    // Frames that cannot be read whole or decoded are skipped; the run goes
    // on and ends with one message that counts them and names the first few.
    void damagedFramesAreSkippedAndReportedOnce_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("message");
        QTest::addColumn<std::vector<std::string>>("written");
        QTest::newRow("Export Block")
            << int(Qt::Key_F6) << "2 frame(s) could not be read or decoded and were skipped: 000-001, 000-003"
            << Names({"000_000.bmp", "000_002.bmp"});
        QTest::newRow("Export All")
            << int(Qt::Key_F7)
            << "7 frame(s) could not be read or decoded and were skipped: 000-001, 000-003, 001-000, 001-001, 001-002, ..."
            << Names({"000_000.bmp", "000_002.bmp", "001_005.bmp"});
    }
    void damagedFramesAreSkippedAndReportedOnce() {
        QFETCH(int, key);
        QFETCH(QString, message);
        QFETCH(std::vector<std::string>, written);
        writer::ArchiveBuilder builder;
        builder.AddBlock({SolidFrame(5, 5, 0x20), Unreadable(), SolidFrame(5, 5, 0x21), Undecodable()})
            .AddBlock({Unreadable(), Unreadable(), Unreadable(), Unreadable(), Unreadable(), SolidFrame(4, 4, 0x22)});
        TempDir out;
        ExportViewer v;
        v.form.FExportPath = out.Folder();
        v.Open(WriteArchive(dir_, builder, "damaged.flx"));
        v.SelectBlock(0);
        v.Press(Qt::Key(key));
        QCOMPARE(TestDialogs().Messages(), std::vector<QString>{message});
        QCOMPARE(ListFiles(out.Path()), written);
        QVERIFY(v.form.isEnabled());
    }
};



TESSARON_GUI_TEST_MAIN(BatchExportTest)
#include "tst_batch_export.moc"
