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
    return sound;
}

IndexWriteResult IndexWriter::writeIndex(const ConversionJob& job, UserFeedback& feedback) {
    uint8_t record[kIndexRecordSize];
    buildIndexRecord(record, job);

    const bool treeSound = makeFolders(job);

    OutputPath indexPath;
    formatIndexPath(indexPath, job.folderName);
    formatPartPath(partPath_, indexPath);
    if (!replaceExisting_ && output_.fileExists(indexPath))
        return fail(IndexWriteResult::Exists, indexPath, 0, feedback);
    // A folder or a dangling link where the index goes could never be replaced by it.
    const OutputFolder::Entry standing = output_.entryAt(indexPath);
    if (standing == OutputFolder::Entry::Folder || (!replaceExisting_ && standing != OutputFolder::Entry::Missing))
        return fail(IndexWriteResult::CreateFailed, indexPath, 0, feedback);

    OutputFolder::Handle file = OutputFolder::kNoFile;
    switch (output_.lockFile(partPath_, file)) {
        case OutputFolder::LockResult::Locked: break;
        case OutputFolder::LockResult::Busy:
            partPath_[0] = '\0';  // another run's: not ours to remove
            return fail(IndexWriteResult::Exists, indexPath, 0, feedback);
        case OutputFolder::LockResult::Failed:
            partPath_[0] = '\0';
            return fail(IndexWriteResult::CreateFailed, indexPath, output_.lastError(), feedback);
    }
    lock_ = file;
    // Another run may have finished between the first look and the lock.
    if (replaceExisting_) {
        if (output_.entryAt(indexPath) != OutputFolder::Entry::Missing && !output_.removeFile(indexPath))
            return fail(IndexWriteResult::CreateFailed, indexPath, output_.lastError(), feedback);
    } else if (output_.entryAt(indexPath) != OutputFolder::Entry::Missing) {
        return fail(IndexWriteResult::Exists, indexPath, 0, feedback);
    }
    if (!output_.writeAll(lock_, record, kIndexRecordSize))
        return fail(IndexWriteResult::WriteFailed, indexPath, output_.lastError(), feedback);
    // A link, or anything but a folder, in the tree would lead tiles elsewhere or stop
    // them halfway: nothing is written into such a tree.
    if (!treeSound) return fail(IndexWriteResult::CreateFailed, treeFailure_, treeError_, feedback);
    return IndexWriteResult::Written;
}

IndexWriteResult IndexWriter::publishIndex(const ConversionJob& job, UserFeedback& feedback) {
    OutputPath indexPath;
    formatIndexPath(indexPath, job.folderName);
    switch (output_.moveNoReplace(partPath_, indexPath)) {
        case OutputFolder::MoveResult::Moved: break;
        case OutputFolder::MoveResult::TargetExists: return fail(IndexWriteResult::Exists, indexPath, 0, feedback);
        case OutputFolder::MoveResult::Failed:
            return fail(IndexWriteResult::CreateFailed, indexPath, output_.lastError(), feedback);
    }
    partPath_[0] = '\0';
    // Closing drops the lock; the record is complete, so a close failure changes nothing.
    if (lock_ != OutputFolder::kNoFile) output_.close(lock_);
    lock_ = OutputFolder::kNoFile;
    return IndexWriteResult::Written;
}

void IndexWriter::abandon() {
    // Removed while the lock is held, so no other run can have taken it over.
    if (partPath_[0] != '\0' && lock_ != OutputFolder::kNoFile) output_.removeFile(partPath_);
    if (lock_ != OutputFolder::kNoFile) output_.close(lock_);
    lock_ = OutputFolder::kNoFile;
    partPath_[0] = '\0';
}
