// The bodies of the fuzz targets.  They live in an ordinary library so that
// the libFuzzer executables and the normal test suite (any compiler) run the
// very same code over an input.  A broken expectation prints what broke and
// aborts, which the fuzzer reports as a crash and a test run as a failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaron::fuzz {

// Indexes the bytes as an archive through views that only count their
// steps (and again without holding the frame tables), then loads (by
// seeking and at an absolute position), decodes and images every frame of
// every block, within a per-input work budget.
int FuzzArchive(const uint8_t* data, size_t size);

// Takes the bytes as one frame record: load, decode, build the image and its
// BMP, refill a used image with it, and re-encode the decoded picture with
// our writer to check that it decodes to the same pixels.
int FuzzFrame(const uint8_t* data, size_t size);

// Work budget of one archive input: a small file may name the same large
// frame many times over, and one input must stay quick to run.
constexpr uint32_t kMaxFramesPerInput = 2048;
constexpr uint64_t kMaxPixelsPerInput = uint64_t(1) << 26;

// Seed inputs made with our archive writer.
struct Seed {
    std::string Name;
    std::vector<uint8_t> Bytes;
};
std::vector<Seed> ArchiveSeeds();
std::vector<Seed> FrameSeeds();

}  // namespace tessaron::fuzz
