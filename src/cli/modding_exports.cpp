#include "modding_exports.h"

#include <cstdio>
#include <span>

#include <nlohmann/json.hpp>

#include "archive_json.h"
#include "errors.h"
#include "frame.h"
#include "naming.h"
#include "png_writer.h"
#include "safe_write.h"
#include "sprite_sheet.h"

namespace tessaron::cli {
namespace {

// Loads and decodes one frame.  When it cannot be, names the frame and the
// reason on stderr and returns false.
bool LoadDecoded(TArchive& archive, const FrameJob& job, const std::string& fileName, Spr& sprite,
                 Reporter& reporter) {
    if (!archive.LoadFrame(job.Block, job.Frame, sprite)) {
        reporter.Problem(FrameLabel(job, fileName) + " skipped: " + DescribeLoadFailure(archive, job));
        return false;
    }
    if (!sprite.Decode()) {
        reporter.Problem(FrameLabel(job, fileName) + " skipped: " + DescribeDecodeFailure(sprite));
        return false;
    }
    return true;
}

bool HasPixels(const Spr& sprite) { return sprite.Width() > 0 && sprite.Height() > 0; }

IndexedPicture TakePicture(Spr& sprite) {
    return IndexedPicture{sprite.Width(), sprite.Height(), std::move(sprite.Pixels)};
}

// Runs `write`; a file that cannot be created or written is reported and
// stops the run, as it does for the BMP export.
template <class Write>
void WriteGuarded(const std::string& fileName, ExportSummary& summary, Reporter& reporter, Write write) {
    try {
        write();
        ++summary.Written;
    } catch (const EFCreateError& e) {
        reporter.Problem(e.what());
        summary.WriteFailed = true;
    } catch (const EWriteError& e) {
        reporter.Problem(std::string(e.what()) + " on " + fileName);
        summary.WriteFailed = true;
    }
}

std::string BaseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// ---- sprite sheets ----

struct SheetFrame {
    uint32_t Frame = 0;
    uint32_t Header[7] = {};
    IndexedPicture Picture;
};

struct BlockSheet {
    uint32_t Entry = 0;
    std::vector<SheetFrame> Frames;  // the frames that were read, in frame order
    std::vector<SheetRect> Rects;    // one per frame; empty frames get a 0 by 0 rectangle at 0, 0
    SheetLayout Layout;              // of the frames with pixels only
};

nlohmann::ordered_json FrameJson(const SheetFrame& f, const SheetRect& r) {
    const uint32_t compression = f.Header[2];
    return {{"frame", f.Frame},
            {"rect", {{"x", r.X}, {"y", r.Y}, {"w", r.Width}, {"h", r.Height}}},
            {"width", f.Picture.Width},
            {"height", f.Picture.Height},
            {"compression", compression},
            {"coding", compression == 0 ? "plain" : "runs"},
            {"headerWords",
             {{"word0", f.Header[0]}, {"word1", f.Header[1]}, {"word5", f.Header[5]}, {"word6", f.Header[6]}}}};
}

std::string SheetJsonText(const BlockSheet& sheet, bool transparent) {
    nlohmann::ordered_json frames = nlohmann::ordered_json::array();
    for (size_t i = 0; i < sheet.Frames.size(); ++i) frames.push_back(FrameJson(sheet.Frames[i], sheet.Rects[i]));
    const nlohmann::ordered_json json = {{"entry", sheet.Entry},
                                         {"image", SheetFileName("", sheet.Entry, ".png")},
                                         {"width", sheet.Layout.Width},
                                         {"height", sheet.Layout.Height},
                                         {"gap", kSheetGap},
                                         {"transparent", transparent},
                                         {"frames", std::move(frames)}};
    return json.dump(2) + "\n";
}

// Lays out the frames with pixels; frames without any keep a 0 by 0
// rectangle, since a PNG region cannot be empty anyway.
void LayOut(BlockSheet& sheet) {
    std::vector<SheetRect> sizes;
    for (const SheetFrame& f : sheet.Frames)
        if (f.Picture.Width > 0 && f.Picture.Height > 0) sizes.push_back({0, 0, f.Picture.Width, f.Picture.Height});
    sheet.Layout = PackShelves(sizes);
    sheet.Rects.clear();
    size_t next = 0;
    for (const SheetFrame& f : sheet.Frames)
        sheet.Rects.push_back(f.Picture.Width > 0 && f.Picture.Height > 0 ? sheet.Layout.Rects[next++] : SheetRect{});
}

IndexedPicture Compose(const BlockSheet& sheet) {
    std::vector<const IndexedPicture*> pictures;
    for (const SheetFrame& f : sheet.Frames)
        if (f.Picture.Width > 0 && f.Picture.Height > 0) pictures.push_back(&f.Picture);
    return ComposeSheet(sheet.Layout, pictures);
}

size_t CountTiny(const TArchive& archive, uint32_t block) {
    size_t tiny = 0;
    for (uint32_t f = 0; f < archive.FrameCount(block); ++f)
        if (!IsVisibleFrame(archive.Frame(block, f).Size, false)) ++tiny;
    return tiny;
}

class SheetRun {
public:
    SheetRun(TArchive& archive, const std::string& folder, bool showTiny, bool transparent, Reporter& reporter)
        : archive_(archive), folder_(folder), showTiny_(showTiny), transparent_(transparent), reporter_(reporter) {}

    ExportSummary Run(const std::vector<uint32_t>& blocks) {
        std::vector<std::vector<FrameJob>> jobs;
        for (uint32_t b : blocks) {
            jobs.push_back(PlanFrames(archive_, showTiny_, b));
            total_ += jobs.back().size();
        }
        for (size_t i = 0; i < blocks.size() && !summary_.WriteFailed; ++i) Block(blocks[i], jobs[i]);
        return summary_;
    }

private:
    void Block(uint32_t block, const std::vector<FrameJob>& jobs) {
        BlockSheet sheet;
        sheet.Entry = archive_.FBlockIndex[block];
        const std::string png = SheetFileName(folder_, sheet.Entry, ".png");
        const std::string head = "no sheet for entry " + BlockItemText(sheet.Entry) + " (" + BaseName(png) + "): ";
        if (jobs.empty()) {
            const size_t tiny = showTiny_ ? 0 : CountTiny(archive_, block);
            reporter_.Problem(head + "it has no visible frames" +
                              (tiny ? " (" + std::to_string(tiny) + " tiny, see --show-tiny)" : ""));
            return;
        }
        if (!ReadFrames(jobs, png, sheet)) {
            reporter_.Problem(head + "its frames would make a sheet of more than " +
                              std::to_string(kMaxSheetPixels) + " pixels");
            return;
        }
        LayOut(sheet);
        if (sheet.Layout.Width == 0 || sheet.Layout.Height == 0) {
            reporter_.Problem(head + "none of its visible frames has pixels to place");
            return;
        }
        if (uint64_t(sheet.Layout.Width) * sheet.Layout.Height > kMaxSheetPixels) {
            reporter_.Problem(head + "it would be " + std::to_string(sheet.Layout.Width) + " by " +
                              std::to_string(sheet.Layout.Height) + " pixels, more than " +
                              std::to_string(kMaxSheetPixels));
            summary_.Skipped += sheet.Frames.size();
            return;
        }
        WriteGuarded(png, summary_, reporter_, [&] { SavePng(png, Compose(sheet), {transparent_}); });
        if (summary_.WriteFailed) return;
        const std::string json = SheetFileName(folder_, sheet.Entry, ".json");
        WriteGuarded(json, summary_, reporter_, [&] {
            const std::string text = SheetJsonText(sheet, transparent_);
            WriteFileAtomically(json, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
        });
    }

    // Reads and decodes the block's frames into `sheet`.  False, with the
    // block's frames counted as skipped, when their pixels pass the sheet limit.
    bool ReadFrames(const std::vector<FrameJob>& jobs, const std::string& png, BlockSheet& sheet) {
        uint64_t pixels = 0;
        for (size_t i = 0; i < jobs.size(); ++i) {
            Spr sprite;
            if (LoadDecoded(archive_, jobs[i], png, sprite, reporter_)) {
                pixels += uint64_t(sprite.Width()) * sprite.Height();
                if (pixels > kMaxSheetPixels) {
                    summary_.Skipped += sheet.Frames.size() + (jobs.size() - i);
                    done_ += jobs.size() - i;
                    reporter_.Progress(done_, total_);
                    return false;
                }
                SheetFrame frame;
                frame.Frame = jobs[i].Frame;
                std::copy(std::begin(sprite.Header), std::end(sprite.Header), frame.Header);
                frame.Picture = TakePicture(sprite);
                sheet.Frames.push_back(std::move(frame));
            } else {
                ++summary_.Skipped;
            }
            reporter_.Progress(++done_, total_);
        }
        return true;
    }

    TArchive& archive_;
    const std::string& folder_;
    bool showTiny_, transparent_;
    Reporter& reporter_;
    ExportSummary summary_;
    size_t done_ = 0, total_ = 0;
};

}  // namespace

std::string SheetFileName(const std::string& folder, uint32_t entry, const std::string& extension) {
    char name[16];
    std::snprintf(name, sizeof name, "%03x", entry);
    return folder + name + extension;
}

ExportSummary ExportPngFrames(TArchive& archive, const std::vector<FrameJob>& jobs,
                              const std::string& folder, bool transparent, Reporter& reporter) {
    ExportSummary summary;
    for (size_t i = 0; i < jobs.size() && !summary.WriteFailed; ++i) {
        const FrameJob& job = jobs[i];
        const std::string name = ExportFileName(folder, job.Entry, job.Frame, ".png");
        Spr sprite;
        if (!LoadDecoded(archive, job, name, sprite, reporter)) {
            ++summary.Skipped;
        } else if (!HasPixels(sprite)) {
            // The BMP export writes an empty file here; a PNG has no empty form.
            reporter.Problem(FrameLabel(job, name) + " not written: it is " + std::to_string(sprite.Width()) +
                             " by " + std::to_string(sprite.Height()) + " pixels, and a PNG cannot be empty");
        } else {
            WriteGuarded(name, summary, reporter, [&] { SavePng(name, TakePicture(sprite), {transparent}); });
        }
        reporter.Progress(i + 1, jobs.size());
    }
    return summary;
}

ExportSummary ExportSheets(TArchive& archive, bool showTiny, std::optional<uint32_t> onlyBlock,
                           const std::string& folder, bool transparent, Reporter& reporter) {
    std::vector<uint32_t> blocks;
    for (uint32_t b = 0; b < archive.FBlockCount; ++b)
        if (!onlyBlock || *onlyBlock == b) blocks.push_back(b);
    return SheetRun(archive, folder, showTiny, transparent, reporter).Run(blocks);
}

void PrintIndexJson(const TArchive& archive, bool showTiny, std::optional<uint32_t> onlyBlock,
                    std::ostream& out) {
    out << ArchiveIndexJson(archive, showTiny, onlyBlock).dump(2) << '\n';
}

}  // namespace tessaron::cli
