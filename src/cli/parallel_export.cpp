// The export loop of tessaron-export.  Each frame is read with a positioned
// read, decoded straight into an image and written as a file.  A file is
// made in two steps (see PendingFile): its bytes are written to a file
// without a name, and then it is put in place under its name.  With more
// than one job, worker threads read, decode and write the frames ahead,
// each into an image and a nameless file of its own, while the calling
// thread puts the files in place in frame order and reports problems and
// progress in that order.  Creating files splits well across two cores: the
// nameless files take no part in the folder's changes, only putting them in
// place does.  Whatever the number of jobs, the run writes the same files,
// says the same things and stops at the same frame when a file cannot be
// written; frames after that one that were already written are discarded
// and leave nothing behind.
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <system_error>
#include <thread>
#include <vector>

#include "errors.h"
#include "export_run.h"
#include "frame.h"
#include "image.h"
#include "naming.h"
#include "safe_write.h"

namespace tessaron::cli {
namespace {

// One frame on its way from the archive to its file.
struct FrameWork {
    enum class Kind { Ready, Skipped, WriteFailed, Failed } What = Kind::Ready;
    std::string Name;                 // the file to write
    std::vector<uint8_t> Record;      // raw exports: the record as stored
    std::optional<PendingFile> File;  // Ready, when written ahead: the file, still without its name
    std::string Problem;              // Skipped and WriteFailed: the line to report
    std::exception_ptr Error;         // Failed: anything else thrown, raised again in order
};

// The lines that report a file that could not be written.
std::string WriteProblem(const EFCreateError& e, const std::string&) { return e.what(); }
std::string WriteProblem(const EWriteError& e, const std::string& name) { return std::string(e.what()) + " on " + name; }

// Writes the frame's bytes to a file that still has to be put in place.
PendingFile WriteAhead(const FrameWork& work, const FrameImage& image, bool raw) {
    if (!raw) return image.SaveToPendingFile(work.Name);
    const std::span<const uint8_t> pieces[] = {std::span<const uint8_t>(work.Record)};
    return PendingFile(work.Name, pieces);
}

// Reads and decodes frames.  Reads go through the archive's descriptor with
// positioned reads, which share no file position, so several readers can
// work at once, each into its own image.
class FrameReader {
public:
    FrameReader(const TArchive& archive, const std::string& folder, bool raw)
        : archive_(archive), folder_(folder), raw_(raw) {}

    // Reads the frame into `work` and, for a BMP, decodes it into `image`.
    // With `writeAhead`, also writes the file, which is then left for the
    // caller to put in place.
    void Read(const FrameJob& job, const FrameLocation& where, FrameWork& work, FrameImage& image,
              bool writeAhead = false) const {
        work = FrameWork{};
        work.Name = ExportFileName(folder_, job.Entry, job.Frame, raw_ ? ".res" : ".bmp");
        try {
            Spr sprite;
            if (!sprite.LoadAt(archive_.FFile, where.Position, where.Size)) {
                Skip(job, work, DescribeLoadFailure(archive_, where));
            } else if (raw_) {
                work.Record = std::move(sprite.Raw);
            } else if (!sprite.DecodeInto(image)) {
                Skip(job, work, DescribeDecodeFailure(sprite));
            }
            if (writeAhead && work.What == FrameWork::Kind::Ready) Write(work, image);
        } catch (...) {
            work.What = FrameWork::Kind::Failed;
            work.Error = std::current_exception();
        }
    }

private:
    void Write(FrameWork& work, const FrameImage& image) const {
        try {
            work.File.emplace(WriteAhead(work, image, raw_));
            work.Record = {};
        } catch (const EFCreateError& e) {
            Fail(work, WriteProblem(e, work.Name));
        } catch (const EWriteError& e) {
            Fail(work, WriteProblem(e, work.Name));
        }
    }

    static void Fail(FrameWork& work, const std::string& problem) {
        work.What = FrameWork::Kind::WriteFailed;
        work.Problem = problem;
    }

    static void Skip(const FrameJob& job, FrameWork& work, const std::string& why) {
        work.What = FrameWork::Kind::Skipped;
        work.Problem = FrameLabel(job, work.Name) + " skipped: " + why;
    }

    const TArchive& archive_;
    const std::string& folder_;
    bool raw_;
};

// Writes the frames' files in frame order, counts and reports them, and
// says when the run has to stop (a file could not be written).
class FrameFiles {
public:
    FrameFiles(Reporter& reporter, size_t total, bool raw) : reporter_(reporter), total_(total), raw_(raw) {}

    // False when the run stops here.  A file written ahead is put in place;
    // otherwise it is written here.
    bool Write(FrameWork& work, const FrameImage& image) {
        switch (work.What) {
        case FrameWork::Kind::Ready:
            try {
                if (work.File)
                    work.File->Commit();
                else
                    WriteAhead(work, image, raw_).Commit();
                ++summary_.Written;
            } catch (const EFCreateError& e) {
                Stop(WriteProblem(e, work.Name));
            } catch (const EWriteError& e) {
                Stop(WriteProblem(e, work.Name));
            }
            break;
        case FrameWork::Kind::Skipped:
            reporter_.Problem(work.Problem);
            ++summary_.Skipped;
            break;
        case FrameWork::Kind::WriteFailed: Stop(work.Problem); break;
        case FrameWork::Kind::Failed: std::rethrow_exception(work.Error);
        }
        reporter_.Progress(++done_, total_);
        return !summary_.WriteFailed;
    }
    const ExportSummary& Summary() const { return summary_; }

private:
    void Stop(const std::string& problem) {
        reporter_.Problem(problem);
        summary_.WriteFailed = true;
    }

    Reporter& reporter_;
    size_t total_;
    bool raw_;
    size_t done_ = 0;
    ExportSummary summary_;
};

ExportSummary ExportOneByOne(const TArchive& archive, FrameSource& frames, const std::string& folder,
                             bool raw, Reporter& reporter) {
    const FrameReader reader(archive, folder, raw);
    FrameFiles files(reporter, frames.Count(), raw);
    // One image serves the whole run; each frame only resizes and refills it.
    const auto image = NewFrameImage();
    FrameWork work;
    FrameJob job;
    FrameLocation where;
    while (frames.Next(job, where)) {
        reader.Read(job, where, work, *image);
        if (!files.Write(work, *image)) break;
    }
    return files.Summary();
}

// Readers take frames in order from the source and leave them in a ring of
// slots, each slot with its own image: decoded, and written to a file
// without a name.  The calling thread puts the slots' files in place in
// frame order and frees the slots again.  Readers run at most the ring's
// length ahead, which bounds the memory (and the files open at once)
// whatever the size of the archive.
class ParallelExport {
public:
    ParallelExport(const TArchive& archive, FrameSource& frames, const std::string& folder, bool raw,
                   Reporter& reporter, unsigned readers)
        : reader_(archive, folder, raw), frames_(frames), files_(reporter, frames.Count(), raw),
          ring_(std::min(kSlotsPerReader * readers, kMaxSlots)), readerCount_(readers) {
        for (Slot& slot : ring_) slot.Image = NewFrameImage();
    }

    ~ParallelExport() { StopReaders(); }

    // False when not even one reader could be started.
    bool Start() {
        try {
            for (unsigned r = 0; r < readerCount_; ++r) threads_.emplace_back([this] { ReadFrames(); });
        } catch (const std::system_error&) {
            if (threads_.empty()) return false;  // the caller exports one by one
        }
        return true;
    }

    ExportSummary Run() {
        while (Slot* slot = NextReadySlot()) {
            const bool goOn = files_.Write(slot->Work, *slot->Image);
            Free(*slot);
            if (!goOn) break;
        }
        StopReaders();
        // Frames written ahead of a stop are not put in place.
        for (Slot& slot : ring_) slot.Work.File.reset();
        return files_.Summary();
    }

private:
    // Readers fill the ring and sleep until half of it is free again, so
    // that a reader is woken once per half ring rather than once per frame.
    // Each slot holds a decoded frame, so there are not too many of them.
    static constexpr size_t kSlotsPerReader = 16;
    static constexpr size_t kMaxSlots = 64;

    struct Slot {
        FrameWork Work;
        std::unique_ptr<FrameImage> Image;
        bool Ready = false;
    };

    void ReadFrames() {
        try {
            ReadUntilDone();
        } catch (...) {
            // Nothing a frame throws gets here (FrameReader keeps it with
            // the frame); this is the source failing.  The calling thread
            // raises it.
            std::lock_guard lock(mutex_);
            if (!readerError_) readerError_ = std::current_exception();
            exhausted_ = true;
        }
        haveFrame_.notify_all();
        haveRoom_.notify_all();
    }

    void ReadUntilDone() {
        for (;;) {
            FrameJob job;
            FrameLocation where;
            Slot* slot;
            {
                std::unique_lock lock(mutex_);
                if (FreeSlots() == 0)
                    haveRoom_.wait(lock, [&] { return stop_ || exhausted_ || FreeSlots() >= ring_.size() / 2; });
                if (stop_ || exhausted_) return;
                if (!frames_.Next(job, where)) {
                    exhausted_ = true;
                    haveFrame_.notify_all();
                    return;
                }
                slot = &ring_[handedOut_++ % ring_.size()];
            }
            reader_.Read(job, where, slot->Work, *slot->Image, /*writeAhead=*/true);
            bool wake;
            {
                std::lock_guard lock(mutex_);
                slot->Ready = true;
                wake = BatchReady();
            }
            if (wake) haveFrame_.notify_all();
        }
    }

    // The next frame's slot once it is read; null after the last frame.
    // When the writer has caught up with the readers it waits for a batch
    // of frames rather than one: waking a thread for every frame cost more
    // than putting the file in place.
    Slot* NextReadySlot() {
        std::unique_lock lock(mutex_);
        Slot& slot = ring_[freed_ % ring_.size()];
        if (!slot.Ready) haveFrame_.wait(lock, [&] { return BatchReady() || readerError_; });
        if (readerError_) std::rethrow_exception(readerError_);
        return slot.Ready ? &slot : nullptr;
    }

    // True when the frames the writer takes next are ready in a batch, or
    // the source is exhausted and every frame handed out is ready.
    bool BatchReady() const {
        const size_t batch = std::max<size_t>(1, ring_.size() / 4);
        size_t ready = 0;
        while (ready < batch && freed_ + ready < handedOut_ && ring_[(freed_ + ready) % ring_.size()].Ready) ++ready;
        return ready == batch || (exhausted_ && freed_ + ready == handedOut_);
    }

    void Free(Slot& slot) {
        bool wake;
        {
            std::lock_guard lock(mutex_);
            slot.Ready = false;
            ++freed_;
            wake = FreeSlots() >= ring_.size() / 2;
        }
        if (wake) haveRoom_.notify_all();
    }

    size_t FreeSlots() const { return freed_ + ring_.size() - handedOut_; }

    void StopReaders() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        haveRoom_.notify_all();
        for (auto& t : threads_)
            if (t.joinable()) t.join();
        threads_.clear();
    }

    const FrameReader reader_;
    FrameSource& frames_;
    FrameFiles files_;

    std::mutex mutex_;
    std::condition_variable haveRoom_, haveFrame_;
    std::vector<Slot> ring_;  // frame i goes to slot i % size
    size_t handedOut_ = 0;    // frames given to readers
    size_t freed_ = 0;        // frames written (or skipped) and their slots freed
    bool exhausted_ = false;
    bool stop_ = false;
    std::exception_ptr readerError_;
    unsigned readerCount_;
    std::vector<std::thread> threads_;
};

}  // namespace

ExportSummary ExportFrames(const TArchive& archive, FrameSource& frames, const std::string& folder,
                           bool raw, Reporter& reporter, unsigned jobCount) {
    // With N jobs, N - 1 readers decode while the calling thread writes.
    if (jobCount > 1 && frames.Count() > 1) {
        const size_t readers = std::min<size_t>(std::min(jobCount, kMaxJobs) - 1, frames.Count());
        ParallelExport run(archive, frames, folder, raw, reporter, unsigned(readers));
        if (run.Start()) return run.Run();
    }
    return ExportOneByOne(archive, frames, folder, raw, reporter);
}

}  // namespace tessaron::cli
