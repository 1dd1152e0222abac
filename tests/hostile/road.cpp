#include "road.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "archive.h"
#include "child_process.h"
#include "frame.h"
#include "image.h"
#include "views.h"

namespace tessaron::testing {

namespace {

size_t ExpectedBmpSize(const FrameImage& image) {
    if (image.Width() == 0 || image.Height() == 0) return 0;
    return kBmpPixelOffset + size_t(image.Stride()) * image.Height();
}

RoadOutcome Walk(const std::string& path) {
    RoadOutcome out;
    NullViews views;
    TArchive archive;
    out.Indexed = archive.OpenArchive(path, views);
    if (!out.Indexed) return out;

    // The batch exports' one image, refilled from each frame's pixels, and one
    // that frames are decoded into straight from their spans.
    const auto reused = NewFrameImage();
    const auto direct = NewFrameImage();
    for (uint32_t b = 0; b < archive.FBlockCount; ++b) {
        for (uint32_t f = 0; f < archive.FrameCount(b); ++f) {
            ++out.Frames;
            Spr sprite;
            if (!archive.LoadFrame(b, f, sprite)) {
                ++out.Skipped;
                continue;
            }
            if (!sprite.Decode()) {
                ++out.Refused;
                continue;
            }
            {
                const auto image = BuildFrameImage(sprite);
                if (image->EncodeBmp().size() != ExpectedBmpSize(*image))
                    throw std::runtime_error("BMP of the wrong size");
            }
            FillFrameImage(*reused, sprite);
            if (!sprite.DecodeInto(*direct)) throw std::runtime_error("DecodeInto refused a frame Decode took");
            ++out.Decoded;
        }
    }
    archive.CloseArchive(views);
    return out;
}

uint64_t PeakResidentBytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return uint64_t(usage.ru_maxrss) * 1024;
}

[[noreturn]] void Child(int out, const std::string& path, const RoadLimits& limits) {
    char line[512];
    int length = 0;
    if (!UnderAddressSanitizer()) {
        const rlimit as{limits.AddressSpace, limits.AddressSpace};
        ::setrlimit(RLIMIT_AS, &as);
    }
    ::alarm(limits.Seconds);
    try {
        const RoadOutcome o = Walk(path);
        length = std::snprintf(line, sizeof line, "ok %d %llu %llu %llu %llu %llu\n", int(o.Indexed),
                               (unsigned long long)o.Frames, (unsigned long long)o.Skipped,
                               (unsigned long long)o.Refused, (unsigned long long)o.Decoded,
                               (unsigned long long)PeakResidentBytes());
    } catch (const std::exception& e) {
        length = std::snprintf(line, sizeof line, "exception %s\n", e.what());
    } catch (...) {
        length = std::snprintf(line, sizeof line, "exception of unknown type\n");
    }
    const bool written = length > 0 && ::write(out, line, size_t(length)) == length;
    ::_exit(written ? 0 : 1);
}

}  // namespace

bool UnderAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

RoadRun WalkInChild(const std::string& path, const RoadLimits& limits) {
    RoadRun run;
    run.AddressSpaceLimited = !UnderAddressSanitizer();
    const ForkedChild child = RunInChild([&](int out) { Child(out, path, limits); });
    if (!child.Started) {
        run.Failure = "cannot start a child process";
        return run;
    }
    const std::string& report = child.Output;
    const int status = child.WaitStatus;

    if (WIFSIGNALED(status)) {
        const int sig = WTERMSIG(status);
        run.Failure = sig == SIGALRM ? "took longer than " + std::to_string(limits.Seconds) + " s"
                                     : std::string("killed by signal ") + ::strsignal(sig);
        return run;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        run.Failure = "exited with status " + std::to_string(WEXITSTATUS(status));
        return run;
    }
    int indexed = 0;
    unsigned long long frames = 0, skipped = 0, refused = 0, decoded = 0, peak = 0;
    if (std::sscanf(report.c_str(), "ok %d %llu %llu %llu %llu %llu", &indexed, &frames, &skipped,
                    &refused, &decoded, &peak) != 6) {
        run.Failure = report.empty() ? "no report" : report;
        return run;
    }
    run.Finished = true;
    run.Outcome = {indexed != 0, frames, skipped, refused, decoded};
    run.PeakMemory = peak;
    return run;
}

}  // namespace tessaron::testing
