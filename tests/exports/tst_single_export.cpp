// "Export" (F5) and "Export Raw" (F8): the selected frame as a BMP image or
// as its stored record, named after the entry and frame numbers.
#include <filesystem>
#include <random>

#include <QApplication>

#include "export_fixture.h"
#include "frame.h"
#include "naming.h"
#include "reference_bmp.h"

using namespace tessaron;
using namespace tessaron::testing;
namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Stored(const writer::BuiltArchive& built, int block, int frame) {
    const writer::BuiltFrame& f = built.Blocks[block].Frames[frame];
    return {built.Bytes.begin() + f.Position, built.Bytes.begin() + f.Position + f.Size};
}

// A record whose header asks for 1000 rows but that holds no line table:
// it is read whole but cannot be decoded.
std::vector<uint8_t> UndecodableRecord() {
    std::vector<uint8_t> bytes(60, 0);
    writer::PutLE32(bytes, 12, 4);     // width
    writer::PutLE32(bytes, 16, 1000);  // height
    return bytes;
}

// A frame whose table entry claims more bytes than the archive holds.
writer::FrameRecord UnreadableRecord() {
    writer::FrameRecord record(SolidFrame(8, 8, 0x30));
    record.StoredSize = 1'000'000;
    return record;
}

std::vector<writer::FrameRecord> SolidFrames(int count, uint32_t side) {
    std::vector<writer::FrameRecord> frames;
    for (int i = 0; i < count; ++i) frames.push_back(SolidFrame(side, side, uint8_t(0x20 + i % 50)));
    return frames;
}

}  // namespace

class SingleExportTest : public QObject {
    Q_OBJECT

    TempDir dir_;
    std::string namesArchive_;

private slots:
    void initTestCase() {
        // Blocks at entries whose numbers have one to five hex digits; the
        // block at 0x2C starts with two tiny frames.
        writer::ArchiveBuilder builder;
        builder.AddBlock(SolidFrames(1, 8));                                          // entry 0
        builder.AddEmpty(0x2C - 1);
        std::vector<writer::FrameRecord> block2c = {FrameOfSize(40), FrameOfSize(51)};
        for (auto& f : SolidFrames(6, 8)) block2c.push_back(f);
        builder.AddBlock(block2c);                                                    // entry 0x2C
        builder.AddEmpty(0x123 - 0x2D);
        builder.AddBlock(SolidFrames(0x20, 1));                                       // entry 0x123
        builder.AddEmpty(0x1000 - 0x124);
        builder.AddBlock(SolidFrames(1, 8));                                          // entry 0x1000
        builder.AddEmpty(0x10000 - 0x1001);
        builder.AddBlock(SolidFrames(0x1001, 1));                                     // entry 0x10000
        namesArchive_ = WriteArchive(dir_, builder, "names.flx");
    }

    void init() { TestDialogs().Clear(); }

    void namesCarryEntryAndFrameNumbers_data() {
        QTest::addColumn<int>("block");
        QTest::addColumn<bool>("showTiny");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("name");
        QTest::newRow("entry 0") << 0 << false << 0 << "000_000";
        QTest::newRow("first listed frame of 0x2C is frame 2") << 1 << false << 0 << "02c_002";
        QTest::newRow("frame 7 of 0x2C") << 1 << false << 5 << "02c_007";
        QTest::newRow("tiny frames shown") << 1 << true << 0 << "02c_000";
        QTest::newRow("three digits each") << 2 << true << 0x1F << "123_01f";
        QTest::newRow("four-digit entry") << 3 << false << 0 << "1000_000";
        QTest::newRow("five-digit entry, four-digit frame") << 4 << true << 0x1000 << "10000_1000";
    }
    void namesCarryEntryAndFrameNumbers() {
        QFETCH(int, block);
        QFETCH(bool, showTiny);
        QFETCH(int, row);
        QFETCH(QString, name);
        TempDir out;
        ExportViewer v;
        v.form.FExportPath = out.Folder();
        v.Open(namesArchive_);
        v.SetShowTiny(showTiny);
        v.SelectBlock(block);
        v.SelectRow(row);
        v.Press(Qt::Key_F5);
        v.Press(Qt::Key_F8);
        const std::string n = name.toStdString();
        QCOMPARE(ListFiles(out.Path()), (std::vector<std::string>{n + ".bmp", n + ".res"}));
        QVERIFY(TestDialogs().Messages().empty());
    }

    // The BMP equals what tessaron-export writes for the frame and what the
    // file layout alone says; the raw record equals the archive's bytes.
    void filesMatchTheToolAndTheArchive() {
        std::mt19937 rng(4242);
        writer::ArchiveBuilder builder;
        std::vector<writer::Picture> pictures;
        std::vector<writer::FrameRecord> frames;
        const std::pair<uint32_t, uint32_t> sizes[] = {{1, 1}, {3, 7}, {13, 5}, {64, 40}, {200, 3}, {5, 90}};
        for (size_t i = 0; i < std::size(sizes); ++i) {
            writer::Picture p(sizes[i].first, sizes[i].second, BackgroundIndex);
            FillRandomly(rng, p);
            pictures.push_back(p);
            frames.push_back(writer::EncodeFrame(p, i % 2 ? writer::Coding::Runs : writer::Coding::Plain));
        }
        builder.AddEmpty(3).AddBlock(frames);
        const writer::BuiltArchive built = builder.Build();
        const std::string path = WriteFile(dir_, "random.flx", built.Bytes);

        TempDir out, cliBmp, cliRaw;
        QVERIFY(CliExport(path, cliBmp.Folder(), true, false).Complete());
        QVERIFY(CliExport(path, cliRaw.Folder(), true, true).Complete());

        ExportViewer v;
        v.form.FExportPath = out.Folder();
        v.Open(path);
        v.SetShowTiny(true);
        v.SelectBlock(0);
        for (int row = 0; row < int(pictures.size()); ++row) {
            v.SelectRow(row);
            v.Press(Qt::Key_F5);
            v.Press(Qt::Key_F8);
            const std::string name = ExportFileName("", 3, row, "");
            const auto bmp = ReadFileBytes(out.File(name + ".bmp"));
            QCOMPARE(bmp, ReadFileBytes(cliBmp.File(name + ".bmp")));
            QCOMPARE(bmp, ReferenceBmp(pictures[row]));
            const auto res = ReadFileBytes(out.File(name + ".res"));
            QCOMPARE(res, Stored(built, 0, row));
            QCOMPARE(res, ReadFileBytes(cliRaw.File(name + ".res")));
        }
        QVERIFY(TestDialogs().Messages().empty());
    }

    void exportingAgainReplacesTheFile() {
        TempDir out;
        const std::vector<uint8_t> junk(5000, 0xEE);
        WriteFile(out, "000_000.bmp", junk);
        WriteFile(out, "000_000.res", junk);
        writer::ArchiveBuilder builder;
        builder.AddBlock({SolidFrame(4, 4, 0x22)});
        const writer::BuiltArchive built = builder.Build();
        ExportViewer v;
        v.form.FExportPath = out.Folder();
        v.Open(WriteFile(dir_, "replace.flx", built.Bytes));
        v.SelectBlock(0);
        v.SelectRow(0);
        v.Press(Qt::Key_F5);
        v.Press(Qt::Key_F8);
        QCOMPARE(ReadFileBytes(out.File("000_000.bmp")), ReferenceBmp(writer::Picture(4, 4, 0x22)));
        QCOMPARE(ReadFileBytes(out.File("000_000.res")), Stored(built, 0, 0));
        QCOMPARE(ListFiles(out.Path()).size(), size_t(2));  // no temporary files left
    }

    void nothingHappensWithoutASelectedRow() {
        ExportViewer v;
        v.Open(namesArchive_);
        v.Press(Qt::Key_F5);  // no block listed
        v.Press(Qt::Key_F8);
        v.SelectBlock(0);
        v.Press(Qt::Key_F5);  // listed, no row chosen
        v.Press(Qt::Key_F8);
        QVERIFY(TestDialogs().AskedFor(ScriptedDialogs::Kind::SelectFolder).empty());  // not even the folder dialog
        QVERIFY(TestDialogs().Messages().empty());
    }

    // A frame that cannot be read whole, or not decoded, is named in a
    // message and no file is written for it; its raw record is written as
    // long as it can be read.
    void damagedFramesAreReportedByName_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("written");
        const QString unreadable = "Frame 000-000 cannot be read: its record does not lie whole in the archive. "
                                   "No file was written.";
        const QString undecodable = "Frame 000-001 cannot be decoded: its record is damaged or too large. "
                                    "No file was written.";
        QTest::newRow("F5 unreadable") << int(Qt::Key_F5) << 0 << unreadable << "";
        QTest::newRow("F8 unreadable") << int(Qt::Key_F8) << 0 << unreadable << "";
        QTest::newRow("F5 undecodable") << int(Qt::Key_F5) << 1 << undecodable << "";
        QTest::newRow("F8 undecodable") << int(Qt::Key_F8) << 1 << "" << "000_001.res";
    }
    void damagedFramesAreReportedByName() {
        QFETCH(int, key);
        QFETCH(int, row);
        QFETCH(QString, message);
        QFETCH(QString, written);
        writer::ArchiveBuilder builder;
        builder.AddBlock({UnreadableRecord(), UndecodableRecord()});
        const writer::BuiltArchive built = builder.Build();
        TempDir out;
        ExportViewer v;
        v.form.FExportPath = out.Folder();
        v.Open(WriteFile(dir_, "damaged.flx", built.Bytes));
        v.SelectBlock(0);
        v.SelectRow(row);
        v.Press(Qt::Key(key));
        QCOMPARE(TestDialogs().Messages(), message.isEmpty() ? std::vector<QString>{} : std::vector<QString>{message});
        QCOMPARE(ListFiles(out.Path()),
                 written.isEmpty() ? std::vector<std::string>{} : std::vector<std::string>{written.toStdString()});
        if (!written.isEmpty()) QCOMPARE(ReadFileBytes(out.File(written.toStdString())), Stored(built, 0, row));
        QVERIFY(v.form.isEnabled());
    }

    void fileThatCannotBeCreatedIsReported_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("extension");
        QTest::newRow("F5") << int(Qt::Key_F5) << ".bmp";
        QTest::newRow("F8") << int(Qt::Key_F8) << ".res";
    }
    void fileThatCannotBeCreatedIsReported() {
        QFETCH(int, key);
        QFETCH(QString, extension);
        TempDir out;
        // A folder below a plain file cannot exist, whoever runs the test.
        WriteFile(out, "plain", std::vector<uint8_t>{1});
        const std::string folder = out.File("plain") + "/export/";
        ExportViewer v;
        v.form.FExportPath = folder;
        v.Open(namesArchive_);
        v.SelectBlock(0);
        v.SelectRow(0);
        v.Press(Qt::Key(key));
        QCOMPARE(TestDialogs().Messages(),
                 std::vector<QString>{QString::fromStdString("Cannot create file " + folder + "000_000") + extension});
        QVERIFY(v.form.isEnabled());
        QCOMPARE(ListFiles(out.Path()), std::vector<std::string>{"plain"});
    }
};

TESSARON_GUI_TEST_MAIN(SingleExportTest)
#include "tst_single_export.moc"
