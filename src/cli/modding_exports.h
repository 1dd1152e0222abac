// What tessaron-export writes for modders on top of the viewer's BMP files:
// indexed PNG frames, one sprite sheet per block with its frame rectangles,
// and the archive's index as JSON.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "archive.h"
#include "export_run.h"

namespace tessaron::cli {

// Sheets larger than this are not made: a block of many big frames would
// otherwise take gigabytes and give a PNG few programs can open.
constexpr uint64_t kMaxSheetPixels = uint64_t(1) << 28;

// Writes each frame into `folder` (ending in '/') as an indexed 8-bit PNG in
// the sprite palette, named like the BMP with ".png" (01a_005.png).  With
// `transparent` index 0x44 is marked transparent in the palette's
// transparency chunk; the pixels are the same either way.  A frame without
// pixels (width or height 0) has no PNG form: it is named on stderr and no
// file is written, which does not count as a failure.  Frames that cannot be
// read or decoded are skipped and a file that cannot be written ends the run,
// as in ExportFrames.
ExportSummary ExportPngFrames(TArchive& archive, const std::vector<FrameJob>& jobs,
                              const std::string& folder, bool transparent, Reporter& reporter);

// For every block, or only `onlyBlock`, writes one sprite sheet "eee.png"
// (the entry number in lower-case hexadecimal, at least 3 digits) of the
// block's visible frames in frame order, shelf-packed with a 1-pixel gap of
// index 0x44, and beside it "eee.json" with each frame's rectangle, size,
// coding and uninterpreted header words.  A block without visible frames
// with pixels gets no sheet, and says so on stderr.  Frames that cannot be
// read or decoded are named on stderr and left out of the sheet.
ExportSummary ExportSheets(TArchive& archive, bool showTiny, std::optional<uint32_t> onlyBlock,
                           const std::string& folder, bool transparent, Reporter& reporter);

// The file name of the sheet of entry `entry`: "%s%03x<ext>".
std::string SheetFileName(const std::string& folder, uint32_t entry, const std::string& extension);

// Prints the archive's index (see ArchiveIndexJson) as indented JSON and a
// line end.
void PrintIndexJson(const TArchive& archive, bool showTiny, std::optional<uint32_t> onlyBlock,
                    std::ostream& out);

}  // namespace tessaron::cli
