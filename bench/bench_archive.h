// Archives for the benchmarks, made with our archive writer from sprites
// drawn here.  Everything is deterministic: the same arguments give the same
// bytes, so figures from different runs measure the same work.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaron::bench {

// An archive shaped like a game's sprite archive: `frames` frames in blocks
// of 1 to 60 frames with an empty entry now and then.  Most frames are small
// (8 to 64 pixels on a side), some medium (64 to 128), a few large (up to
// 400); about 2% are tiny records that an export leaves out.  Runs, literal
// texture and shading in both span codings.
std::vector<uint8_t> MakeExportArchive(uint32_t frames, uint32_t seed = 1);

// `blocks` blocks of one or two small frames each: an index-heavy archive.
std::vector<uint8_t> MakeManyBlocksArchive(uint32_t blocks);

// One block of `frames` small frames (65,535 is the most a block holds).
std::vector<uint8_t> MakeBigBlockArchive(uint32_t frames);

// How many frames of an archive made by MakeExportArchive an export writes
// (the frames that are not tiny).
uint32_t VisibleFrames(const std::vector<uint8_t>& archive);

// Writes `bytes` to `path`; throws std::runtime_error on failure.
void WriteArchive(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace tessaron::bench
