#include "IndexWriter.h"

#include <cstdio>
#include <cstring>

#include "Messages.h"

const char* indexWriteMessage(IndexWriteResult result) {
    switch (result) {
        case IndexWriteResult::Written: return nullptr;
        case IndexWriteResult::Exists: return messages::kIndexExists;
        case IndexWriteResult::CreateFailed: return messages::kCannotCreateOutput;
        case IndexWriteResult::WriteFailed: return messages::kCannotWriteOutput;
    }
    return nullptr;
}

IndexWriteResult IndexWriter::fail(IndexWriteResult result, const char* path, int systemError,
                                   UserFeedback& feedback) {
    abandon();
    feedback.showMessage(indexWriteMessage(result), messages::kWarningCaption, MessageIcon::Exclamation);
    if (result == IndexWriteResult::Exists)
        feedback.noteExistingIndex(path);
    else
        feedback.noteFailedFile(path, systemError);
    return result;
}

// Folders left by an earlier conversion are used as they stand. Returns false when one of
// them is not a real folder (a link, a file) or could not be made; the first such folder
// and the system's reason are kept for the message.
bool IndexWriter::makeFolders(const ConversionJob& job) {
    OutputPath path;
    bool sound = true;
    auto make = [&] {
        if (output_.makeFolder(path) || !sound) return;
        sound = false;
        treeError_ = output_.lastError();
        std::memcpy(treeFailure_, path, sizeof path);
    };
    std::snprintf(path, sizeof path, "%s", job.folderName);
    make();
    formatLayerFolderPath(path, job.folderName);
    make();
    for (int32_t row = 0; row < job.tileRows; ++row) {
        formatLevelFolderPath(path, job.folderName, row);
        make();
    }
    // A map being replaced is left whole unless the new one can be written: a folder
    // where a tile goes would stop the run halfway, after the old index went.
    for (int32_t row = 0; sound && replaceExisting_ && row < job.tileRows; ++row) {
        for (int32_t column = 0; sound && column < job.tileColumns; ++column) {
            formatTilePath(path, job.folderName, column, row);
            if (output_.entryAt(path) != OutputFolder::Entry::Folder) continue;
            sound = false;
            treeError_ = kErrorFolderStands;
            std::memcpy(treeFailure_, path, sizeof path);
        }
    }
    return sound;
}

IndexWriteResult IndexWriter::writeIndex(const ConversionJob& job, UserFeedback& feedback) {
    uint8_t record[kIndexRecordSize];
    buildIndexRecord(record, job);

    const bool treeSound = makeFolders(job);

    OutputPath indexPath;
    formatIndexPath(indexPath, job.folderName);
    if (!replaceExisting_ && output_.fileExists(indexPath))
        return fail(IndexWriteResult::Exists, indexPath, 0, feedback);
    // A folder or a dangling link where the index goes could never be replaced by it.
    const OutputFolder::Entry standing = output_.entryAt(indexPath);
    if (standing == OutputFolder::Entry::Folder || (!replaceExisting_ && standing != OutputFolder::Entry::Missing))
        return fail(IndexWriteResult::CreateFailed, indexPath, 0, feedback);

    switch (index_.create(indexPath, Temporary::Lock)) {
        case OutputFileResult::Done: break;
        case OutputFileResult::Exists: return fail(IndexWriteResult::Exists, indexPath, 0, feedback);
        default: {
            OutputPath lockPath;
            formatPartPath(lockPath, indexPath);
            return fail(IndexWriteResult::CreateFailed, lockPath, index_.error(), feedback);
        }
    }
    // A link, or anything but a folder, in the tree would lead tiles elsewhere or stop
    // them halfway: nothing is written into such a tree, and an old map stays as it is.
    if (!treeSound) return fail(IndexWriteResult::CreateFailed, treeFailure_, treeError_, feedback);
    // Another run may have finished between the first look and the lock.
    if (output_.entryAt(indexPath) != OutputFolder::Entry::Missing) {
        if (!replaceExisting_) return fail(IndexWriteResult::Exists, indexPath, 0, feedback);
        if (!output_.removeFile(indexPath))
            return fail(IndexWriteResult::CreateFailed, indexPath, output_.lastError(), feedback);
        removedOldIndex_ = true;
    }
    if (!index_.write(record, kIndexRecordSize))
        return fail(IndexWriteResult::WriteFailed, indexPath, index_.error(), feedback);
    return IndexWriteResult::Written;
}

IndexWriteResult IndexWriter::publishIndex(const ConversionJob& job, UserFeedback& feedback) {
    OutputPath indexPath;
    formatIndexPath(indexPath, job.folderName);
    switch (index_.place(Placing::NeverReplace)) {
        case OutputFileResult::Done: return IndexWriteResult::Written;
        case OutputFileResult::Exists: return fail(IndexWriteResult::Exists, indexPath, 0, feedback);
        case OutputFileResult::WriteFailed:
            return fail(IndexWriteResult::WriteFailed, indexPath, index_.error(), feedback);
        case OutputFileResult::CreateFailed: break;
    }
    return fail(IndexWriteResult::CreateFailed, indexPath, index_.error(), feedback);
}

void IndexWriter::abandon() { index_.abandon(); }
