#include "IndexWriter.h"

#include <string>

#include "Messages.h"
#include "OutputPaths.h"

int IndexWriter::writeIndex(const ConversionJob& job, UserFeedback& feedback) {
    uint8_t record[kIndexRecordSize];
    buildIndexRecord(record, job);

    // Folders left by an earlier conversion are used as they stand; a folder that cannot
    // be made comes to light when its first tile cannot be created.
    files_.makeFolder(job.folderName);
    files_.makeFolder(layerFolderPath(job.folderName).c_str());
    for (int32_t row = 0; row < job.tileRows; ++row)
        files_.makeFolder(levelFolderPath(job.folderName, row).c_str());

    std::string indexPath = indexFilePath(job.folderName);
    if (files_.fileExists(indexPath.c_str())) {
        feedback.showMessage(messages::kIndexExists, messages::kWarningCaption, MessageIcon::Exclamation);
        return kIndexExists;
    }
    FileServices::Handle file = files_.createNewFile(indexPath.c_str());
    if (file == FileServices::kNoFile) {
        feedback.showMessage(messages::kCannotCreateOutput, messages::kWarningCaption,
                             MessageIcon::Exclamation);
        return kIndexCreateFailed;
    }
    bool written = files_.writeAll(file, record, kIndexRecordSize);
    bool closed = files_.close(file);
    if (!written || !closed) {
        // A half-written index would block every later conversion under this name.
        files_.removeFile(indexPath.c_str());
        feedback.showMessage(messages::kCannotWriteOutput, messages::kWarningCaption,
                             MessageIcon::Exclamation);
        return kIndexWriteFailed;
    }
    return kIndexWritten;
}
