// tessaron-export's exports for modders: PNG frames read back against the
// decoded frames and the BMPs, sprite sheets against the frames they hold,
// the JSON index against the listing, and the options that cannot go
// together.
#include <cstring>
#include <filesystem>
#include <map>
#include <random>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli_test_util.h"
#include "fixtures.h"
#include "frame.h"
#include "image.h"
#include "naming.h"
#include "palette.h"
#include "png_reader.h"
#include "records.h"

namespace tessaron::testing {
namespace {

using writer::Coding;
using writer::Picture;
using Bytes = std::vector<uint8_t>;

// ---- reading files back ----

DecodedPng ReadPngFile(const std::string& path) { return ReadPng(ReadFileBytes(path)); }

// The chunks of a PNG file in order, each as its type and its whole bytes.
std::vector<std::pair<std::string, Bytes>> Chunks(const Bytes& file) {
    std::vector<std::pair<std::string, Bytes>> chunks;
    for (size_t at = 8; at + 12 <= file.size();) {
        const uint32_t length = uint32_t(file[at]) << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
        const size_t end = at + 12 + length;
        if (end > file.size()) break;
        chunks.emplace_back(std::string(file.begin() + long(at) + 4, file.begin() + long(at) + 8),
                            Bytes(file.begin() + long(at), file.begin() + long(end)));
        at = end;
    }
    return chunks;
}

// The palette indices of an 8-bit BMP, top row first, read from its own
// header (rows are stored bottom row first, padded to 4 bytes).
Picture BmpIndices(const std::string& path) {
    const Bytes bmp = ReadFileBytes(path);
    if (bmp.size() < kBmpPixelOffset) return {};
    Picture p(ReadLE32(&bmp[18]), ReadLE32(&bmp[22]), 0);
    const size_t stride = (p.Width + 3) & ~size_t(3);
    const size_t rows = ReadLE32(&bmp[10]);
    for (uint32_t y = 0; y < p.Height; ++y)
        for (uint32_t x = 0; x < p.Width; ++x) p.At(x, y) = bmp.at(rows + (p.Height - 1 - y) * stride + x);
    return p;
}

void ExpectSpritePalette(const DecodedPng& d) {
    ASSERT_EQ(d.palette.size(), 256u);
    for (int k = 0; k < 256; ++k) {
        const TPaletteEntry& e = SpritePalette.Entries[k];
        EXPECT_TRUE(d.palette[k].red == e.Red && d.palette[k].green == e.Green && d.palette[k].blue == e.Blue) << k;
    }
}

// Index 0x44 alone is transparent.
void ExpectBackgroundTransparent(const DecodedPng& d) {
    ASSERT_GT(d.alpha.size(), size_t(BackgroundIndex));
    for (size_t k = 0; k < d.alpha.size(); ++k) EXPECT_EQ(d.alpha[k], k == BackgroundIndex ? 0 : 255) << k;
}

nlohmann::json ReadJson(const std::string& path) {
    const Bytes bytes = ReadFileBytes(path);
    return nlohmann::json::parse(bytes.begin(), bytes.end());
}

// ---- the archive ----

Picture RandomFrame(std::mt19937& rng, uint32_t w, uint32_t h) {
    Picture p(w, h, BackgroundIndex);
    FillRandomly(rng, p);
    return p;
}

// A record whose header promises 100 rows but which holds no line table:
// it loads, but cannot be decoded.  60 bytes, so it is visible.
Bytes UndecodableRecord() {
    Bytes r(60, 0);
    WriteLE32(&r[12], 4);
    WriteLE32(&r[16], 100);
    return r;
}

// Entry 1: frames of many widths in both codings, with their own header
// words, a tiny frame (2), a visible frame without pixels (4) and one that
// cannot be decoded (6).  Entry 3: two frames.  Entry 4: only a tiny frame.
// Entry 5: no frames.
class ModdingTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::mt19937 rng(7);
        Add(1, RandomFrame(rng, 35, 80), Coding::Runs, {0x11111111, 0x22, 0x55, 0xFFFFFFFF});
        Add(1, RandomFrame(rng, 1, 1), Coding::Plain, {1, 0, 0, 0}, /*pad=*/20);
        Add(1, Picture(1, 1, 0x10), Coding::Plain);  // 35 bytes: tiny
        Add(1, RandomFrame(rng, 300, 7), Coding::Runs, {0, 0, 6, 0});
        Add(1, Picture(0, 5, 0), Coding::Plain, {}, /*pad=*/30);  // no pixels, but 58 bytes
        Add(1, RandomFrame(rng, 18, 3), Coding::Plain);
        frames_[1].push_back(UndecodableRecord());
        Add(1, RandomFrame(rng, 64, 64), Coding::Plain, {3, 3, 3, 3});
        Add(3, RandomFrame(rng, 9, 40), Coding::Runs);
        Add(3, RandomFrame(rng, 41, 6), Coding::Plain);
        Add(4, Picture(2, 1, 0x30), Coding::Plain);

        writer::ArchiveBuilder builder;
        builder.AddEmpty();
        for (uint32_t entry = 1; entry <= 5; ++entry) {
            if (entry == 2)
                builder.AddEmpty();
            else
                builder.AddBlock(frames_[entry]);
        }
        built_ = builder.Build();
        archive_ = WriteFile(dir_, "test.flx", built_.Bytes);
    }

    void Add(uint32_t entry, const Picture& p, Coding coding, writer::HeaderWords words = {}, size_t pad = 0) {
        Bytes record = writer::EncodeFrame(p, coding, words);
        record.resize(record.size() + pad, 0);  // span data past the last row is never read
        frames_[entry].push_back(record);
        pictures_[{entry, uint32_t(frames_[entry].size() - 1)}] = p;
        words_[{entry, uint32_t(frames_[entry].size() - 1)}] = words;
    }

    std::string Out(const std::string& name) const { return dir_.File(name); }

    TempDir dir_;
    std::map<uint32_t, std::vector<writer::FrameRecord>> frames_;
    std::map<std::pair<uint32_t, uint32_t>, Picture> pictures_;
    std::map<std::pair<uint32_t, uint32_t>, writer::HeaderWords> words_;
    writer::BuiltArchive built_;
    std::string archive_;
};

TEST_F(ModdingTest, PngFramesHoldTheDecodedIndicesOfTheBmps) {
    const std::string bmpDir = Out("bmp"), pngDir = Out("png"), clearDir = Out("clear");
    RunCli({"--show-tiny", archive_, bmpDir});
    const CliResult png = RunCli({"--show-tiny", "--format", "png", archive_, pngDir});
    const CliResult clear = RunCli({"--show-tiny", "--format", "png", "--transparent", archive_, clearDir});

    // The undecodable frame fails the run as the BMP export does; the frame
    // without pixels is only noted, since a PNG cannot be empty.
    for (const CliResult* r : {&png, &clear}) {
        EXPECT_EQ(r->status, 1);
        EXPECT_NE(r->err.find("frame 001-006 (001_006.png) skipped: its record of 60 bytes is shorter"),
                  std::string::npos)
            << r->err;
        EXPECT_NE(r->err.find("frame 001-004 (001_004.png) not written: it is 0 by 5 pixels, and a PNG cannot be empty"),
                  std::string::npos)
            << r->err;
        EXPECT_NE(r->err.find("9 files written, 1 frame skipped"), std::string::npos) << r->err;
    }
    std::vector<std::string> expected;
    for (const auto& [key, picture] : pictures_)
        if (picture.Width && picture.Height) expected.push_back(ExportFileName("", key.first, key.second, ".png"));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ListFiles(pngDir), expected);
    EXPECT_EQ(ListFiles(clearDir), expected);

    for (const auto& [key, picture] : pictures_) {
        if (!picture.Width || !picture.Height) continue;
        const std::string name = ExportFileName("/", key.first, key.second, ".png");
        SCOPED_TRACE(name);
        const DecodedPng d = ReadPngFile(pngDir + name);
        EXPECT_EQ(d.bitDepth, 8);
        EXPECT_EQ(d.colourType, PNG_COLOR_TYPE_PALETTE);
        ASSERT_EQ(d.width, picture.Width);
        ASSERT_EQ(d.height, picture.Height);
        EXPECT_TRUE(d.pixels == picture.Pixels);
        const Picture bmp = BmpIndices(ExportFileName(bmpDir + "/", key.first, key.second, ".bmp"));
        EXPECT_TRUE(d.pixels == bmp.Pixels);
        ExpectSpritePalette(d);
        EXPECT_TRUE(d.alpha.empty());

        // --transparent adds the transparency chunk and changes nothing else.
        const DecodedPng t = ReadPngFile(clearDir + name);
        ExpectBackgroundTransparent(t);
        auto plainChunks = Chunks(ReadFileBytes(pngDir + name));
        auto clearChunks = Chunks(ReadFileBytes(clearDir + name));
        ASSERT_EQ(std::count_if(clearChunks.begin(), clearChunks.end(), [](auto& c) { return c.first == "tRNS"; }), 1);
        std::erase_if(clearChunks, [](auto& c) { return c.first == "tRNS"; });
        EXPECT_TRUE(clearChunks == plainChunks);
    }
}

TEST_F(ModdingTest, SheetRectanglesHoldExactlyTheFrames) {
    const std::string dir = Out("sheets"), clearDir = Out("clear");
    const CliResult r = RunCli({"--sheet", archive_, dir});
    EXPECT_EQ(r.status, 1);  // the undecodable frame
    EXPECT_NE(r.err.find("frame 001-006 (001.png) skipped"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("no sheet for entry 4 (004.png): it has no visible frames (1 tiny, see --show-tiny)"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("no sheet for entry 5 (005.png): it has no visible frames\n"), std::string::npos) << r.err;
    EXPECT_EQ(ListFiles(dir), (std::vector<std::string>{"001.json", "001.png", "003.json", "003.png"}));
    const CliResult clear = RunCli({"--sheet", "--transparent", "--block", "1", archive_, clearDir});
    EXPECT_EQ(ListFiles(clearDir), (std::vector<std::string>{"001.json", "001.png"}));

    struct Expect {
        uint32_t entry;
        std::vector<uint32_t> frames;  // visible and decodable, in frame order
    };
    for (const Expect& e : {Expect{1, {0, 1, 3, 4, 5, 7}}, Expect{3, {0, 1}}}) {
        const std::string stem = dir + "/" + (e.entry == 1 ? "001" : "003");
        SCOPED_TRACE(stem);
        const DecodedPng sheet = ReadPngFile(stem + ".png");
        ExpectSpritePalette(sheet);
        EXPECT_TRUE(sheet.alpha.empty());
        const nlohmann::json json = ReadJson(stem + ".json");
        EXPECT_EQ(json.at("entry"), e.entry);
        EXPECT_EQ(json.at("image"), stem.substr(stem.size() - 3) + ".png");
        EXPECT_EQ(json.at("width"), sheet.width);
        EXPECT_EQ(json.at("height"), sheet.height);
        EXPECT_EQ(json.at("transparent"), false);
        ASSERT_EQ(json.at("frames").size(), e.frames.size());

        std::vector<bool> covered(sheet.pixels.size(), false);
        for (size_t i = 0; i < e.frames.size(); ++i) {
            const nlohmann::json& f = json["frames"][i];
            const Picture& p = pictures_.at({e.entry, e.frames[i]});
            const writer::HeaderWords& w = words_.at({e.entry, e.frames[i]});
            SCOPED_TRACE(f.dump());
            EXPECT_EQ(f.at("frame"), e.frames[i]);
            EXPECT_EQ(f.at("width"), p.Width);
            EXPECT_EQ(f.at("height"), p.Height);
            const uint32_t x = f["rect"].at("x"), y = f["rect"].at("y");
            // A frame without pixels takes no room: its rectangle is empty.
            const bool empty = p.Width == 0 || p.Height == 0;
            EXPECT_EQ(f["rect"].at("w"), empty ? 0 : p.Width);
            EXPECT_EQ(f["rect"].at("h"), empty ? 0 : p.Height);
            const bool runs = e.entry == 1 ? (e.frames[i] == 0 || e.frames[i] == 3) : e.frames[i] == 0;
            EXPECT_EQ(f.at("compression"), runs ? 1 : 0);
            EXPECT_EQ(f.at("coding"), runs ? "runs" : "plain");
            EXPECT_EQ(f.at("headerWords"),
                      (nlohmann::json{{"word0", w.Word0}, {"word1", w.Word1}, {"word5", w.Word5}, {"word6", w.Word6}}));
            ASSERT_LE(x + p.Width, sheet.width);
            ASSERT_LE(y + p.Height, sheet.height);
            for (uint32_t row = 0; row < p.Height; ++row)
                for (uint32_t col = 0; col < p.Width; ++col) {
                    const size_t at = size_t(y + row) * sheet.width + x + col;
                    ASSERT_FALSE(covered[at]) << "frames overlap at " << x + col << "," << y + row;
                    covered[at] = true;
                    ASSERT_EQ(sheet.pixels[at], p.At(col, row)) << col << "," << row;
                }
        }
        for (size_t at = 0; at < covered.size(); ++at)
            if (!covered[at]) {
                ASSERT_EQ(sheet.pixels[at], BackgroundIndex) << "gap pixel " << at;
            }
    }

    // The transparent sheet has the same pixels and layout; only index 0x44
    // (frame background and gaps alike) becomes transparent.
    const DecodedPng plain = ReadPngFile(dir + "/001.png"), clearSheet = ReadPngFile(clearDir + "/001.png");
    EXPECT_TRUE(clearSheet.pixels == plain.pixels);
    ExpectBackgroundTransparent(clearSheet);
    nlohmann::json clearJson = ReadJson(clearDir + "/001.json");
    EXPECT_EQ(clearJson.at("transparent"), true);
    clearJson["transparent"] = false;
    EXPECT_EQ(clearJson, ReadJson(dir + "/001.json"));
}

// A folder in the way of a file: it cannot be put in place, and the run
// stops there as the BMP export does.
TEST_F(ModdingTest, AFileThatCannotBeWrittenEndsTheRun) {
    struct Case {
        std::vector<std::string> options;
        std::string blocked;
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {{"--format", "png"}, "001_001.png", {"001_000.png", "001_001.png"}},
        {{"--sheet"}, "001.json", {"001.json", "001.png"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.blocked);
        const std::string out = Out("blocked-" + c.blocked);
        std::filesystem::create_directories(out + "/" + c.blocked);
        std::vector<std::string> args = c.options;
        args.push_back(archive_);
        args.push_back(out);
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("Cannot create file " + out + "/" + c.blocked), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("stopped at a file that could not be written"), std::string::npos) << r.err;
        // ListFiles lists regular files only; the blocking folder is among the names here.
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(out)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, c.written);
    }
}

TEST_F(ModdingTest, JsonIndexAgreesWithTheListing) {
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{}, {"--show-tiny"}, {"--block", "3"}, {"--block", "5", "--show-tiny"}}) {
        SCOPED_TRACE(::testing::PrintToString(options));
        std::vector<std::string> listArgs = options, jsonArgs = options;
        listArgs.insert(listArgs.begin(), {"--list", archive_});
        jsonArgs.insert(jsonArgs.begin(), {"--list", "--json", archive_});
        const CliResult list = RunCli(listArgs);
        const CliResult json = RunCli(jsonArgs);
        ASSERT_EQ(json.status, 0) << json.err;
        EXPECT_EQ(json.err, "");
        const nlohmann::json index = nlohmann::json::parse(json.out);
        EXPECT_EQ(index.at("entryCount"), 6);

        std::vector<std::string> fromJson;
        for (const auto& block : index.at("blocks")) {
            const uint32_t entry = block.at("entry");
            const auto built = std::find_if(built_.Blocks.begin(), built_.Blocks.end(),
                                            [&](const writer::BuiltBlock& b) { return b.Entry == entry; });
            ASSERT_NE(built, built_.Blocks.end()) << entry;
            EXPECT_EQ(block.at("offset"), built->Offset);
            EXPECT_EQ(block.at("frameCount"), built->Frames.size());
            ASSERT_EQ(block.at("frames").size(), built->Frames.size());
            for (uint32_t f = 0; f < built->Frames.size(); ++f) {
                const auto& frame = block["frames"][f];
                EXPECT_EQ(frame.at("frame"), f);
                EXPECT_EQ(frame.at("offset"), built->Frames[f].Position);
                EXPECT_EQ(frame.at("size"), built->Frames[f].Size);
                if (frame.at("visible"))
                    fromJson.push_back(FrameRowName(entry, f) + "\t" + std::to_string(uint32_t(frame.at("size"))));
            }
        }
        EXPECT_EQ(fromJson, Lines(list.out));
    }
}

TEST_F(ModdingTest, OptionsThatCannotGoTogether) {
    const std::vector<std::vector<std::string>> cases = {
        {"--raw", "--format", "png"},  {"--format", "gif"},        {"--transparent"},
        {"--format", "bmp", "--transparent"},  {"--sheet", "--raw"},  {"--sheet", "--format", "bmp"},
        {"--json"},
    };
    for (std::vector<std::string> args : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        args.push_back(archive_);
        args.push_back(Out("never"));
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err, "");
        EXPECT_FALSE(std::filesystem::exists(Out("never")));
    }
    for (const std::string option : {"--sheet", "--transparent", "--format"}) {
        std::vector<std::string> args{"--list", option};
        if (option == "--format") args.push_back("png");
        args.push_back(archive_);
        EXPECT_EQ(RunCli(args).status, 2) << option;
    }
}

}  // namespace
}  // namespace tessaron::testing
