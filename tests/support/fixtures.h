// Fixture helpers for tests: scratch folders, archives on disk, file bytes
// and random pictures.
#pragma once

#include <cstdint>
#include <filesystem>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "archive_builder.h"
#include "frame_encoder.h"

namespace tessaron::testing {

// A fresh folder under the system's temporary folder, removed with all it
// holds (even read-only parts) when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The path of `name` inside the folder; the file is not created.
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    // The folder's path with a trailing '/', the form export names build on.
    std::string Folder() const { return path_.string() + "/"; }

private:
    std::filesystem::path path_;
};

// Writes `bytes` to `dir`/`name` and returns the path.  Fails the test
// (throws) when the file cannot be written.
std::string WriteFile(const TempDir& dir, const std::string& name, std::span<const uint8_t> bytes);
std::string WriteArchive(const TempDir& dir, const writer::ArchiveBuilder& builder,
                         const std::string& name = "test.flx");

// The whole file, or an empty vector when it cannot be read.
std::vector<uint8_t> ReadFileBytes(const std::string& path);
// The names (not paths) of the regular files in `folder`, sorted.
std::vector<std::string> ListFiles(const std::filesystem::path& folder);

// A picture of random size (each side from 0 to the given maximum) whose
// pixels are drawn from a mix of the stretches that matter to the span
// codings: long background gaps, long runs of one index, and noise.
writer::Picture RandomPicture(std::mt19937& rng, uint32_t maxWidth, uint32_t maxHeight);
// Fills `picture` with such a mix, keeping its size.
void FillRandomly(std::mt19937& rng, writer::Picture& picture);

// Decodes a record with the core (Spr::LoadFromBytes and Decode); false
// when the core refuses it.
bool DecodeRecord(std::span<const uint8_t> record, writer::Picture& out);

}  // namespace tessaron::testing
