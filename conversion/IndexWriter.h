#pragma once
// The index file <folder>.vlm (layout in IndexFormat.h) and the output folder tree.
//
// The index goes down first, as <folder>.vlm.part, before any tile, and is put in place
// as <folder>.vlm last, after the last tile: a map's index never stands over a partial
// tile set. <folder>.vlm.part is also the run's lock: while one run holds it, another
// run of the same folder name stops with the same-name warning. The system drops the
// lock when the process ends, however it ends.

#include <cstdint>

#include "ConversionJob.h"
#include "FileServices.h"
#include "IndexFormat.h"
#include "OutputFile.h"
#include "OutputPaths.h"
#include "UserFeedback.h"

enum class IndexWriteResult {
    Written = 0,
    Exists = 1,        // an index of that name exists (or another run is making it); left untouched
    CreateFailed = 2,  // the index, or a folder of the tree, could not be made
    WriteFailed = 3,   // disk full or I/O error; nothing of the index is left
};

// The warning shown for a result; null for Written.
const char* indexWriteMessage(IndexWriteResult result);

class IndexWriter {
public:
    explicit IndexWriter(OutputFolder& output) : output_(output), index_(output) {}
    // An index that was not put in place is removed, and the lock dropped.
    ~IndexWriter() { abandon(); }
    IndexWriter(const IndexWriter&) = delete;
    IndexWriter& operator=(const IndexWriter&) = delete;

    // With replaceExisting, an existing <folder>.vlm is removed once the lock is held and
    // the tree has been found sound, instead of stopping the run: the old map is being
    // replaced.
    void replaceExisting(bool replace) { replaceExisting_ = replace; }

    // Makes <folder>, <folder>\layer1 and one level folder per row of tiles, stops if
    // <folder>.vlm exists, and writes the record to <folder>.vlm.part under the lock. A
    // link, or anything but a folder, where a folder of the tree goes stops it too, with
    // nothing written. Shows its own warning on every failure.
    IndexWriteResult writeIndex(const ConversionJob& job, UserFeedback& feedback);

    // Renames <folder>.vlm.part to <folder>.vlm, never over an existing file.
    IndexWriteResult publishIndex(const ConversionJob& job, UserFeedback& feedback);

    // Removes <folder>.vlm.part if this run wrote it and has not put it in place.
    void abandon();

    // Whether this run removed an existing <folder>.vlm (the old map is then no longer whole).
    bool removedOldIndex() const { return removedOldIndex_; }

private:
    IndexWriteResult fail(IndexWriteResult result, const char* path, int systemError, UserFeedback& feedback);
    bool makeFolders(const ConversionJob& job);

    OutputFolder& output_;
    bool replaceExisting_ = false;
    bool removedOldIndex_ = false;
    OutputFile index_;  // <folder>.vlm.part, held as the run's lock
    OutputPath treeFailure_ = {};
    int treeError_ = 0;
};
