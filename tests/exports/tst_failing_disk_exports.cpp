// The viewer's exports on a failing disk: a file-size limit (RLIMIT_FSIZE,
// SIGXFSZ ignored, so a write past it fails with EFBIG) or a folder below a
// plain file.  Each command reports the failure in one message box, leaves
// no partial or temporary file in the export folder, keeps an existing file
// of the same name intact and gives the main window back; a batch keeps the
// files it finished before the failure.
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include <QApplication>

#include "expdlg.h"
#include "expdlg2.h"
#include "export_fixture.h"
#include "limited_child.h"
#include "reference_bmp.h"

using namespace tessaron;
using namespace tessaron::testing;

namespace {

// Bigger than the BMP of a 6 x 4 frame (1110 bytes), smaller than that of a
// 100 x 100 frame and than the 8 KiB raw record.
constexpr rlim_t kLimit = 4096;

// Lowers the soft file-size limit of this process for as long as it lives;
// the limit and the SIGXFSZ disposition are restored afterwards, so the
// scratch folders and the next cases are written without it.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit lowered = previous_;
        lowered.rlim_cur = limit;
        active_ = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool Active() const { return active_; }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = SIG_DFL;
    bool active_ = false;
};

bool ProgressDialogLeft() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (dynamic_cast<TExportDlg*>(w) || dynamic_cast<TExportDlg2*>(w)) return true;
    return false;
}

// Names and sizes, for a readable difference when two snapshots differ.
QStringList Describe(const std::vector<FolderEntry>& entries) {
    QStringList list;
    for (const FolderEntry& e : entries)
        list << QStringLiteral("%1 (%2 bytes)").arg(QString::fromStdString(e.Name)).arg(e.Bytes.size());
    return list;
}

std::vector<uint8_t> SmallBmp(uint8_t index) { return ReferenceBmp(writer::Picture(6, 4, index)); }

}  // namespace

class FailingDiskExportTest : public QObject {
    Q_OBJECT

    TempDir dir_;
    std::string archive_;

private slots:
    void initTestCase() {
        // Entry 0: two small frames, one whose BMP passes the limit, one more
        // small frame the batch never reaches.  Entry 1: a record of 8 KiB.
        writer::ArchiveBuilder builder;
        builder
            .AddBlock({SolidFrame(6, 4, 0x20), SolidFrame(6, 4, 0x21), SolidFrame(100, 100, 0x22),
                       SolidFrame(6, 4, 0x23)})
            .AddBlock({FrameOfSize(8192)});
        archive_ = WriteArchive(dir_, builder, "failing.flx");
        QVERIFY(SmallBmp(0x20).size() < kLimit);
        QVERIFY(ReferenceBmp(writer::Picture(100, 100, 0x22)).size() > kLimit);
    }

    void init() { TestDialogs().Clear(); }

    void failedWriteLosesNothing_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("block");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("belowPlainFile");  // export folder below a regular file
        QTest::addColumn<QString>("existing");     // a file already there, or none
        QTest::addColumn<QString>("message");      // "{folder}" is the export folder
        QTest::addColumn<int>("finished");         // files the batch completes first

        const QString stream = "Stream write error";
        QTest::newRow("F5 new file") << int(Qt::Key_F5) << 0 << 2 << false << "" << stream << 0;
        QTest::newRow("F5 replacing a file") << int(Qt::Key_F5) << 0 << 2 << false << "000_002.bmp" << stream << 0;
        QTest::newRow("F8 new file") << int(Qt::Key_F8) << 1 << 0 << false << "" << stream << 0;
        QTest::newRow("F8 replacing a file") << int(Qt::Key_F8) << 1 << 0 << false << "001_000.res" << stream << 0;
        QTest::newRow("F6 replacing a file") << int(Qt::Key_F6) << 0 << 0 << false << "000_002.bmp" << stream << 2;
        QTest::newRow("F7 new files") << int(Qt::Key_F7) << 0 << 0 << false << "" << stream << 2;
        QTest::newRow("F7 replacing a file") << int(Qt::Key_F7) << 0 << 0 << false << "000_002.bmp" << stream << 2;
        QTest::newRow("F5 below a plain file")
            << int(Qt::Key_F5) << 0 << 0 << true << "" << "Cannot create file {folder}000_000.bmp" << 0;
        QTest::newRow("F8 below a plain file")
            << int(Qt::Key_F8) << 1 << 0 << true << "" << "Cannot create file {folder}001_000.res" << 0;
        QTest::newRow("F7 below a plain file")
            << int(Qt::Key_F7) << 0 << 0 << true << "" << "Cannot create file {folder}000_000.bmp" << 0;
    }
    void failedWriteLosesNothing() {
        QFETCH(int, key);
        QFETCH(int, block);
        QFETCH(int, row);
        QFETCH(bool, belowPlainFile);
        QFETCH(QString, existing);
        QFETCH(QString, message);
        QFETCH(int, finished);

        TempDir out;
        if (!existing.isEmpty()) WriteFile(out, existing.toStdString(), std::vector<uint8_t>(5000, 0xEE));
        if (belowPlainFile) WriteFile(out, "plain", std::vector<uint8_t>{1});
        const std::string folder = belowPlainFile ? out.File("plain") + "/export/" : out.Folder();
        const std::vector<FolderEntry> before = Snapshot(out.Path().string());

        ExportViewer v;
        v.form.FExportPath = folder;
        v.Open(archive_);
        v.SetShowTiny(true);
        v.SelectBlock(block);
        v.SelectRow(row);
        {
            FileSizeLimit limit(kLimit);
            QVERIFY(limit.Active());
            v.Press(Qt::Key(key));
        }

        message.replace("{folder}", QString::fromStdString(folder));
        QCOMPARE(TestDialogs().Messages(), std::vector<QString>{message});
        // What was there stays byte for byte; the batch adds only the files
        // it finished, whole, and nothing else (no .tessaron-* leftovers).
        std::vector<FolderEntry> expected = before;
        for (int f = 0; f < finished; ++f)
            expected.push_back({"000_00" + std::to_string(f) + ".bmp", SmallBmp(uint8_t(0x20 + f))});
        std::sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) { return a.Name < b.Name; });
        const std::vector<FolderEntry> after = Snapshot(out.Path().string());
        QCOMPARE(Describe(after), Describe(expected));
        QVERIFY(after == expected);
        QVERIFY(v.form.isEnabled());
        QVERIFY(!ProgressDialogLeft());
        QCOMPARE(ExportDlg, nullptr);
        QCOMPARE(ExportDlg2, nullptr);
    }

    // Once the disk has room again the same command writes its file over
    // the one the failure left alone.
    void theNextExportSucceeds() {
        TempDir out;
        WriteFile(out, "001_000.res", std::vector<uint8_t>(5000, 0xEE));
        ExportViewer v;
        v.form.FExportPath = out.Folder();
        v.Open(archive_);
        v.SelectBlock(1);
        v.SelectRow(0);
        {
            FileSizeLimit limit(kLimit);
            v.Press(Qt::Key_F8);
        }
        QCOMPARE(TestDialogs().Messages(), std::vector<QString>{"Stream write error"});
        v.Press(Qt::Key_F8);
        QCOMPARE(TestDialogs().Messages().size(), size_t(1));
        QCOMPARE(ReadFileBytes(out.File("001_000.res")).size(), size_t(8192));
        QCOMPARE(ListFiles(out.Path()), std::vector<std::string>{"001_000.res"});
    }
};

TESSARON_GUI_TEST_MAIN(FailingDiskExportTest)
#include "tst_failing_disk_exports.moc"
