// The index of an open FLX archive: header, blocks (the non-empty entries)
// and every block's frame table.  Frame records are read on demand.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dynamic_array.h"
#include "file.h"
#include "records.h"
#include "views.h"

namespace tessaron {

struct FrameLocation {
    uint64_t Position = 0;  // absolute file position of the record
    uint32_t Size = 0;      // record length
};

class TArchive {
public:
    TArchive() = default;
    TArchive(const TArchive&) = delete;
    TArchive& operator=(const TArchive&) = delete;
    ~TArchive();

    bool FLoaded = false;          // set by the owner from OpenArchive's result
    TFile FFile;                   // the open archive; does not own its handle
    uint8_t FHeader[kFlxHeaderSize] = {};
    std::vector<TFlxEntry> FBlocks;    // non-empty entries, archive order
    uint32_t FBlockCount = 0;
    std::vector<TSBInfo> FBlockInfo;   // one per block
    DynamicArray<uint32_t> FBlockIndex;  // entry number of each block
    // Cleared before OpenArchive, every block's frame table is read and
    // checked as usual but not held (its Frames stay empty), so that the
    // index does not grow with the number of frames: for tools that walk the
    // archive once, reading each table again with ReadFrameTable.
    bool FKeepFrameTables = true;

    // Indexes the archive at `path`, first closing whatever is open.  True
    // when the whole index was read.  Failures leave the state as far as it
    // had come; nothing is reported but the result.
    bool OpenArchive(const std::string& path, ArchiveViews& views);
    // Forgets the open archive and empties the views.
    void CloseArchive(ArchiveViews& views);

    // Where frame `frame` of block `block` is stored.  Both must be in range.
    FrameLocation Locate(uint32_t block, uint32_t frame) const;
    const TFrameEntry& Frame(uint32_t block, uint32_t frame) const {
        return FBlockInfo[block].Frames[frame];
    }
    uint32_t FrameCount(uint32_t block) const {
        return static_cast<uint32_t>(FBlockInfo[block].Frames.size());
    }

    // Reads block `block`'s frame table from the file again, with positioned
    // reads that leave the shared position alone; false when it cannot be
    // read whole.  Works whether or not the tables are held.
    bool ReadFrameTable(uint32_t block, std::vector<TFrameEntry>& frames) const;

    // Seeks FFile to the frame and loads its record into `sprite` through a
    // copy of the handle (the way the viewer reads a frame).
    bool LoadFrame(uint32_t block, uint32_t frame, class Spr& sprite);
};

}  // namespace tessaron
