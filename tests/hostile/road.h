// The whole road of an archive, as the viewer and the batch exports walk it:
// index, then for every frame of every block load, decode, build the image
// and its BMP, refill a reused image, and decode into another one.  Run in a child process under an
// address-space limit, so that a case that would reserve what the file
// cannot back, crash or hang ends the child and not the test program.
#pragma once

#include <cstdint>
#include <string>

namespace tessaron::testing {

// What became of an archive; counts are per frame.
struct RoadOutcome {
    bool Indexed = false;
    uint64_t Frames = 0;         // frames in the index
    uint64_t Skipped = 0;        // the record could not be loaded
    uint64_t Refused = 0;        // loaded, but the decoder refused it
    uint64_t Decoded = 0;        // decoded, imaged and encoded
};

struct RoadLimits {
    uint64_t AddressSpace = uint64_t(1) << 30;  // RLIMIT_AS of the child
    uint64_t PeakMemory = uint64_t(256) << 20;  // resident set the child may reach
    unsigned Seconds = 60;                      // then the child is killed
};

// How the child ended.
struct RoadRun {
    bool Finished = false;       // exited normally and reported an outcome
    std::string Failure;         // otherwise: why (signal, exception, time)
    RoadOutcome Outcome;
    uint64_t PeakMemory = 0;     // bytes, as the child measured it
    bool AddressSpaceLimited = false;
};

// Walks the archive at `path` in a forked child under `limits`.
RoadRun WalkInChild(const std::string& path, const RoadLimits& limits = {});

// True in builds with AddressSanitizer, which reserves terabytes of shadow
// memory up front and so cannot run under an address-space limit.
bool UnderAddressSanitizer();

}  // namespace tessaron::testing
