// The work of tessaron-export, apart from its command line: opening an
// archive with a message for each way it can be unusable, choosing the
// frames to take, listing them and exporting them the way the viewer's
// "Export All" and "Export Block" do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "archive.h"
#include "frame.h"

namespace tessaron::cli {

// What a run tells its user while it works.
class Reporter {
public:
    virtual ~Reporter() = default;
    // After each frame, written or skipped: `done` of `total` frames.
    virtual void Progress(size_t done, size_t total) = 0;
    // One line about something that went wrong, without the program's name.
    virtual void Problem(const std::string& message) = 0;
};

// Opens and indexes the archive.  Returns an empty string on success, or a
// one-line message saying why the archive cannot be used: it cannot be
// opened or read, it is not an FLX archive, or its entry table or one of its
// blocks is cut short.
std::string OpenForExport(const std::string& path, TArchive& archive);

// One frame to list or export.
struct FrameJob {
    uint32_t Block = 0;  // position among the blocks
    uint32_t Frame = 0;  // position in the block's frame table
    uint32_t Entry = 0;  // the block's entry number in the archive
};

// The block whose archive entry number is `entry`, if that entry is a block.
std::optional<uint32_t> FindBlockByEntry(const TArchive& archive, uint32_t entry);

// The visible frames (see IsVisibleFrame) of every block, or of one block,
// in block order and frame order.
std::vector<FrameJob> PlanFrames(const TArchive& archive, bool showTiny,
                                 std::optional<uint32_t> onlyBlock = std::nullopt);

// One line per frame: the frame list's name and raw size, tab-separated.
void ListFrames(const TArchive& archive, const std::vector<FrameJob>& jobs, std::ostream& out);

// How problems name a frame: "frame 01A-005 (01a_005.bmp)".
std::string FrameLabel(const FrameJob& job, const std::string& fileName);
// Why the frame's record could not be loaded.
std::string DescribeLoadFailure(const TArchive& archive, const FrameJob& job);
std::string DescribeLoadFailure(const TArchive& archive, const FrameLocation& where);
// Why a loaded record could not be decoded.
std::string DescribeDecodeFailure(const Spr& sprite);

struct ExportSummary {
    size_t Written = 0;
    size_t Skipped = 0;         // frames that could not be read whole or decoded
    bool WriteFailed = false;   // a file could not be created or written; the run stopped there
    bool Complete() const { return Skipped == 0 && !WriteFailed; }
};

// The frames an export takes, handed out one at a time in frame order.
class FrameSource {
public:
    virtual ~FrameSource() = default;
    // How many frames Next hands out, for the progress.
    virtual size_t Count() const = 0;
    // The next frame and where its record lies; false after the last.
    virtual bool Next(FrameJob& job, FrameLocation& where) = 0;
};

// The most threads a run uses.
constexpr unsigned kMaxJobs = 64;
// `requested` threads, or one per processor core for 0.
unsigned ResolveJobCount(unsigned requested);

// Writes each frame into `folder` (which ends in '/') under its export name:
// a BMP of the decoded frame, or with `raw` the record exactly as stored.
// Frames that cannot be read whole or decoded are reported and skipped; a
// file that cannot be written is reported and ends the run, as it does in
// the viewer.  With `jobCount` above 1, jobCount - 1 threads read, decode
// and write frames ahead into files without a name while the calling
// thread puts the files in place; the files are the same, and problems and
// progress still reach the reporter in frame order from the calling thread.
ExportSummary ExportFrames(TArchive& archive, const std::vector<FrameJob>& jobs,
                           const std::string& folder, bool raw, Reporter& reporter,
                           unsigned jobCount = 1);
// The same for the frames a source hands out.
ExportSummary ExportFrames(const TArchive& archive, FrameSource& frames, const std::string& folder,
                           bool raw, Reporter& reporter, unsigned jobCount = 1);
// The same for the frames PlanFrames would choose, but reading each block's
// frame table only when the run reaches the block, so that the run's memory
// does not grow with the archive (open it with FKeepFrameTables cleared).
ExportSummary ExportArchiveFrames(const TArchive& archive, bool showTiny, std::optional<uint32_t> onlyBlock,
                                  const std::string& folder, bool raw, Reporter& reporter,
                                  unsigned jobCount = 1);

}  // namespace tessaron::cli
