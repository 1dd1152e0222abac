#include "export_run.h"

#include <algorithm>
#include <cerrno>
#include <thread>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "errors.h"
#include "frame.h"
#include "image.h"
#include "naming.h"
#include "records.h"

namespace tessaron::cli {
namespace {

std::string Hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

// Looks at the file before it is indexed, so that an unusable file gets a
// message that says what is wrong with it.  Empty when the file is an FLX
// archive as far as its header goes.
std::string ProbeHeader(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return "cannot open " + path + ": " + std::strerror(errno);
    if (S_ISDIR(st.st_mode)) return "cannot open " + path + ": it is a folder";
    // A FIFO or device would block or never end; an archive is a plain file.
    if (!S_ISREG(st.st_mode)) return "cannot open " + path + ": not a regular file";

    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return "cannot open " + path + ": " + std::strerror(errno);
    uint8_t header[kFlxHeaderSize];
    const ssize_t got = ::pread(fd, header, sizeof header, 0);
    const int readError = errno;
    ::close(fd);

    if (st.st_size <= off_t(kFlxHeaderSize))
        return path + " is not an FLX archive: it is " + std::to_string(st.st_size) +
               " bytes long, not longer than the 128-byte header";
    if (got < 0) return "cannot read " + path + ": " + std::strerror(readError);
    if (got != ssize_t(kFlxHeaderSize)) return "cannot read the header of " + path;
    for (uint32_t i = kFlxSignatureStart; i < kFlxSignatureStart + kFlxSignatureLength; ++i)
        if (header[i] != kFlxSignatureByte)
            return path + " is not an FLX archive: header byte " + std::to_string(i) + " is " +
                   Hex(header[i]) + ", not 0x1A";
    return {};
}

// Why indexing failed once the header was found good: the entry table or a
// block runs past the end of the file (or could not be read).
std::string DescribeIndexFailure(const std::string& path, const TArchive& archive) {
    const int64_t length = archive.FFile.Length();
    const uint32_t count = ReadLE32(archive.FHeader + kFlxCountOffset);
    const uint64_t tableEnd = kFlxHeaderSize + uint64_t(kTableEntrySize) * count;
    if (length >= 0 && tableEnd > uint64_t(length))
        return path + " is cut short: its entry table of " + std::to_string(count) +
               " entries ends at byte " + std::to_string(tableEnd) + ", the file has " +
               std::to_string(length);
    for (uint32_t b = 0; b < archive.FBlockInfo.size() && b < archive.FBlocks.size(); ++b) {
        if (archive.FBlockInfo[b].FramesRead) continue;
        return path + " is cut short: the block of entry " + BlockItemText(archive.FBlockIndex[b]) +
               " (at byte " + std::to_string(archive.FBlocks[b].Offset) +
               ") or its frame table runs past the end of the file";
    }
    return "cannot read the index of " + path;
}

}  // namespace

std::string FrameLabel(const FrameJob& job, const std::string& fileName) {
    const auto slash = fileName.rfind('/');
    return "frame " + FrameRowName(job.Entry, job.Frame) + " (" +
           (slash == std::string::npos ? fileName : fileName.substr(slash + 1)) + ")";
}

// Why a frame's record could not be loaded.
std::string DescribeLoadFailure(const TArchive& archive, const FrameJob& job) {
    return DescribeLoadFailure(archive, archive.Locate(job.Block, job.Frame));
}

std::string DescribeLoadFailure(const TArchive& archive, const FrameLocation& at) {
    const int64_t length = archive.FFile.Length();
    if (length >= 0 && at.Position + at.Size > uint64_t(length))
        return "its record of " + std::to_string(at.Size) + " bytes at byte " +
               std::to_string(at.Position) + " runs past the end of the archive (" +
               std::to_string(length) + " bytes)";
    return "its record cannot be read";
}

// Why a loaded record could not be decoded.
std::string DescribeDecodeFailure(const Spr& sprite) {
    if (!sprite.IsWellFormed())
        return "its record of " + std::to_string(sprite.RawSize) +
               " bytes is shorter than its header and line table (height " +
               std::to_string(sprite.Height()) + ")";
    return "its size of " + std::to_string(sprite.Width()) + " by " + std::to_string(sprite.Height()) +
           " pixels is beyond what can be decoded";
}

std::string OpenForExport(const std::string& path, TArchive& archive) {
    if (std::string problem = ProbeHeader(path); !problem.empty()) return problem;
    NullViews views;
    archive.FLoaded = archive.OpenArchive(path, views);
    if (archive.FLoaded) return {};
    if (!archive.FFile.IsOpen()) return "cannot open " + path;
    // The header was good a moment ago; look again in case the file changed.
    if (std::string problem = ProbeHeader(path); !problem.empty()) return problem;
    return DescribeIndexFailure(path, archive);
}

std::optional<uint32_t> FindBlockByEntry(const TArchive& archive, uint32_t entry) {
    for (uint32_t b = 0; b < archive.FBlockCount; ++b)
        if (archive.FBlockIndex[b] == entry) return b;
    return std::nullopt;
}

std::vector<FrameJob> PlanFrames(const TArchive& archive, bool showTiny,
                                 std::optional<uint32_t> onlyBlock) {
    std::vector<FrameJob> jobs;
    for (uint32_t b = 0; b < archive.FBlockCount; ++b) {
        if (onlyBlock && *onlyBlock != b) continue;
        const uint32_t count = archive.FrameCount(b);
        for (uint32_t f = 0; f < count; ++f)
            if (IsVisibleFrame(archive.Frame(b, f).Size, showTiny))
                jobs.push_back({b, f, archive.FBlockIndex[b]});
    }
    return jobs;
}

void ListFrames(const TArchive& archive, const std::vector<FrameJob>& jobs, std::ostream& out) {
    for (const FrameJob& job : jobs)
        out << FrameRowName(job.Entry, job.Frame) << '\t'
            << FrameRowSize(archive.Frame(job.Block, job.Frame).Size) << '\n';
}

unsigned ResolveJobCount(unsigned requested) {
    if (requested == 0) requested = std::thread::hardware_concurrency();
    return std::clamp(requested, 1u, kMaxJobs);
}

namespace {

// The jobs of a plan, located in the archive's held frame tables.
class PlannedFrames : public FrameSource {
public:
    PlannedFrames(const TArchive& archive, const std::vector<FrameJob>& jobs) : archive_(archive), jobs_(jobs) {}
    size_t Count() const override { return jobs_.size(); }
    bool Next(FrameJob& job, FrameLocation& where) override {
        if (next_ >= jobs_.size()) return false;
        job = jobs_[next_++];
        where = archive_.Locate(job.Block, job.Frame);
        return true;
    }

private:
    const TArchive& archive_;
    const std::vector<FrameJob>& jobs_;
    size_t next_ = 0;
};

// The visible frames of every block (or one), block after block, each
// block's frame table read when the walk reaches it.  A table that cannot be
// read any more (the file was cut short since it was indexed) gives no
// frames.
class StreamedFrames : public FrameSource {
public:
    StreamedFrames(const TArchive& archive, bool showTiny, std::optional<uint32_t> onlyBlock)
        : archive_(archive), showTiny_(showTiny), onlyBlock_(onlyBlock) {
        block_ = onlyBlock ? *onlyBlock : 0;
        end_ = onlyBlock ? *onlyBlock + 1 : archive.FBlockCount;
        for (uint32_t b = block_; b < end_; ++b) {
            if (!archive.ReadFrameTable(b, table_)) continue;
            for (const TFrameEntry& frame : table_) count_ += IsVisibleFrame(frame.Size, showTiny) ? 1 : 0;
        }
        table_.clear();
        if (block_ < end_ && !archive.ReadFrameTable(block_, table_)) table_.clear();
    }
    size_t Count() const override { return count_; }
    bool Next(FrameJob& job, FrameLocation& where) override {
        while (block_ < end_) {
            while (frame_ < table_.size()) {
                const uint32_t f = frame_++;
                const TFrameEntry& entry = table_[f];
                if (!IsVisibleFrame(entry.Size, showTiny_)) continue;
                job = FrameJob{block_, f, archive_.FBlockIndex[block_]};
                where = FrameLocation{uint64_t(archive_.FBlocks[block_].Offset) + entry.Offset, entry.Size};
                return true;
            }
            frame_ = 0;
            table_.clear();
            if (++block_ < end_ && !archive_.ReadFrameTable(block_, table_)) table_.clear();
        }
        return false;
    }

private:
    const TArchive& archive_;
    bool showTiny_;
    std::optional<uint32_t> onlyBlock_;
    uint32_t block_ = 0, end_ = 0, frame_ = 0;
    std::vector<TFrameEntry> table_;
    size_t count_ = 0;
};

}  // namespace

ExportSummary ExportFrames(TArchive& archive, const std::vector<FrameJob>& jobs,
                           const std::string& folder, bool raw, Reporter& reporter,
                           unsigned jobCount) {
    PlannedFrames frames(archive, jobs);
    return ExportFrames(archive, frames, folder, raw, reporter, jobCount);
}

ExportSummary ExportArchiveFrames(const TArchive& archive, bool showTiny, std::optional<uint32_t> onlyBlock,
                                  const std::string& folder, bool raw, Reporter& reporter,
                                  unsigned jobCount) {
    StreamedFrames frames(archive, showTiny, onlyBlock);
    return ExportFrames(archive, frames, folder, raw, reporter, jobCount);
}

}  // namespace tessaron::cli
