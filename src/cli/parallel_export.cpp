// The export loop of tessaron-export: each frame read with a positioned
// read, decoded straight into an image and written under a temporary name,
// on one or more worker threads; the calling thread then puts the files in
// place (renames them) in frame order and reports problems and progress in
// that order.  So whatever the number of workers, the run writes the same
// files and says the same things, and a file that cannot be written stops
// it at the same frame: the frames after it that workers had already
// written are discarded, never put in place.
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
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

// What became of one frame.
struct FrameOutcome {
    enum class Kind { Written, Skipped, WriteFailed, Failed } What = Kind::Written;
    std::optional<PendingFile> File;  // Written: the file, to be put in place
    std::string Problem;              // the line to report, for Skipped and WriteFailed
    std::exception_ptr Error;         // Failed: anything else thrown, raised again in order
};

FrameOutcome WriteFailed(const std::string& problem) {
    FrameOutcome failed;
    failed.What = FrameOutcome::Kind::WriteFailed;
    failed.Problem = problem;
    return failed;
}

// Exports one frame after another with its own record and image, so that
// every worker has its own.  Reads go through the archive's descriptor with
// positioned reads, which share no file position.
class FrameWriter {
public:
    FrameWriter(const TArchive& archive, const std::string& folder, bool raw)
        : archive_(archive), folder_(folder), raw_(raw), image_(raw ? nullptr : NewFrameImage()) {}

    FrameOutcome Export(const FrameJob& job, const FrameLocation& where) {
        const std::string name = ExportFileName(folder_, job.Entry, job.Frame, raw_ ? ".res" : ".bmp");
        try {
            Spr sprite;
            if (!sprite.LoadAt(archive_.FFile, where.Position, where.Size))
                return Skipped(job, name, DescribeLoadFailure(archive_, where));
            FrameOutcome written;
            if (raw_) {
                const std::span<const uint8_t> record[] = {sprite.Raw};
                written.File.emplace(name, record);
                return written;
            }
            if (!sprite.DecodeInto(*image_)) return Skipped(job, name, DescribeDecodeFailure(sprite));
            written.File.emplace(image_->SaveToPendingFile(name));
            return written;
        } catch (const EFCreateError& e) {
            return WriteFailed(e.what());
        } catch (const EWriteError& e) {
            return WriteFailed(std::string(e.what()) + " on " + name);
        } catch (...) {
            FrameOutcome failed;
            failed.What = FrameOutcome::Kind::Failed;
            failed.Error = std::current_exception();
            return failed;
        }
    }

private:
    static FrameOutcome Skipped(const FrameJob& job, const std::string& name, const std::string& why) {
        FrameOutcome skipped;
        skipped.What = FrameOutcome::Kind::Skipped;
        skipped.Problem = FrameLabel(job, name) + " skipped: " + why;
        return skipped;
    }

    const TArchive& archive_;
    const std::string& folder_;
    bool raw_;
    std::unique_ptr<FrameImage> image_;
};

// Takes the outcomes in frame order: puts the files in place, counts and
// reports them, and says when the run has to stop (a file could not be
// written).
class OutcomeLog {
public:
    OutcomeLog(Reporter& reporter, size_t total) : reporter_(reporter), total_(total) {}

    // False when the run stops here.
    bool Take(FrameOutcome& outcome) {
        if (outcome.What == FrameOutcome::Kind::Written) {
            try {
                outcome.File->Commit();
            } catch (const EFCreateError& e) {
                outcome = WriteFailed(e.what());
            }
        }
        switch (outcome.What) {
        case FrameOutcome::Kind::Written: ++summary_.Written; break;
        case FrameOutcome::Kind::Skipped:
            reporter_.Problem(outcome.Problem);
            ++summary_.Skipped;
            break;
        case FrameOutcome::Kind::WriteFailed:
            reporter_.Problem(outcome.Problem);
            summary_.WriteFailed = true;
            break;
        case FrameOutcome::Kind::Failed: std::rethrow_exception(outcome.Error);
        }
        reporter_.Progress(++done_, total_);
        return !summary_.WriteFailed;
    }
    const ExportSummary& Summary() const { return summary_; }

private:
    Reporter& reporter_;
    size_t total_;
    size_t done_ = 0;
    ExportSummary summary_;
};

ExportSummary ExportOneByOne(const TArchive& archive, FrameSource& frames, const std::string& folder,
                             bool raw, Reporter& reporter) {
    FrameWriter writer(archive, folder, raw);
    OutcomeLog log(reporter, frames.Count());
    FrameJob job;
    FrameLocation where;
    while (frames.Next(job, where)) {
        FrameOutcome outcome = writer.Export(job, where);
        if (!log.Take(outcome)) break;
    }
    return log.Summary();
}

// Workers take frames in order from the source and leave their outcomes in
// a window of slots; the calling thread takes the outcomes from the window
// in frame order.  Workers run at most a window's width ahead of it, which
// bounds the memory whatever the archive's size.
class ParallelExport {
public:
    ParallelExport(const TArchive& archive, FrameSource& frames, const std::string& folder, bool raw,
                   Reporter& reporter, unsigned workers)
        : archive_(archive), frames_(frames), folder_(folder), raw_(raw), log_(reporter, frames.Count()),
          window_(kWindowPerWorker * workers), workerCount_(workers) {}

    ~ParallelExport() { StopWorkers(); }

    // False when not even one worker could be started.
    bool Start() {
        try {
            for (unsigned w = 0; w < workerCount_; ++w) threads_.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            if (threads_.empty()) return false;  // the caller exports one by one
        }
        return true;
    }

    ExportSummary Run() {
        while (std::optional<FrameOutcome> outcome = NextOutcome()) {
            if (!log_.Take(*outcome)) break;
        }
        // Files that workers wrote for frames after the one that stopped the
        // run go with the window, never put in place.
        StopWorkers();
        return log_.Summary();
    }

private:
    static constexpr size_t kWindowPerWorker = 16;

    void Work() {
        try {
            WorkThrough();
        } catch (...) {
            // Nothing a frame throws gets here (FrameWriter keeps it in the
            // frame's outcome); this is the source or the writer's set-up
            // failing.  The calling thread raises it once the others stop.
            std::lock_guard lock(mutex_);
            if (!workerError_) workerError_ = std::current_exception();
            exhausted_ = true;
            stop_ = true;
        }
        haveOutcome_.notify_all();
        haveRoom_.notify_all();
    }

    void WorkThrough() {
        FrameWriter writer(archive_, folder_, raw_);
        for (;;) {
            FrameJob job;
            FrameLocation where;
            size_t index;
            {
                std::unique_lock lock(mutex_);
                haveRoom_.wait(lock, [&] { return stop_ || exhausted_ || handedOut_ < taken_ + window_.size(); });
                if (stop_ || exhausted_) return;
                if (!frames_.Next(job, where)) {
                    exhausted_ = true;
                    haveOutcome_.notify_all();
                    return;
                }
                index = handedOut_++;
            }
            FrameOutcome outcome = writer.Export(job, where);
            {
                std::lock_guard lock(mutex_);
                window_[index % window_.size()] = std::move(outcome);
            }
            haveOutcome_.notify_all();
        }
    }

    // The next frame's outcome, once it is there; nothing after the last.
    std::optional<FrameOutcome> NextOutcome() {
        std::unique_lock lock(mutex_);
        auto& slot = window_[taken_ % window_.size()];
        haveOutcome_.wait(lock, [&] {
            return slot.has_value() || workerError_ || (exhausted_ && taken_ == handedOut_);
        });
        if (workerError_) std::rethrow_exception(workerError_);
        if (!slot) return std::nullopt;
        std::optional<FrameOutcome> outcome = std::move(slot);
        slot.reset();
        ++taken_;
        lock.unlock();
        haveRoom_.notify_all();
        return outcome;
    }

    void StopWorkers() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        haveRoom_.notify_all();
        for (auto& t : threads_)
            if (t.joinable()) t.join();
    }

    const TArchive& archive_;
    FrameSource& frames_;
    const std::string& folder_;
    bool raw_;
    OutcomeLog log_;

    std::mutex mutex_;
    std::condition_variable haveRoom_, haveOutcome_;
    std::vector<std::optional<FrameOutcome>> window_;  // slot of frame i: i % size
    size_t handedOut_ = 0;  // frames given to workers
    size_t taken_ = 0;      // outcomes taken by the calling thread
    bool exhausted_ = false;
    bool stop_ = false;
    std::exception_ptr workerError_;
    unsigned workerCount_;
    std::vector<std::thread> threads_;
};

}  // namespace

ExportSummary ExportFrames(const TArchive& archive, FrameSource& frames, const std::string& folder,
                           bool raw, Reporter& reporter, unsigned jobCount) {
    const size_t total = frames.Count();
    const unsigned workers = unsigned(std::min<size_t>(std::min(jobCount, kMaxJobs), total));
    if (workers > 1) {
        ParallelExport run(archive, frames, folder, raw, reporter, workers);
        if (run.Start()) return run.Run();
    }
    return ExportOneByOne(archive, frames, folder, raw, reporter);
}

}  // namespace tessaron::cli
