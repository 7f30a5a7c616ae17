#include "SmallTextFile.h"

#include "FileServices.h"

bool readSmallTextFile(FileReading& files, const std::string& path, std::string& text) {
    FileReading::Handle file = files.openForReading(path.c_str());
    if (file == FileReading::kNoFile) return false;
    const int64_t size = files.fileSize(file);
    bool read = size >= 0 && size <= kLargestSmallTextFile;
    if (read) {
        text.resize(static_cast<size_t>(size));
        read = size == 0 || files.readAt(file, 0, text.data(), text.size()) == size;
    }
    files.close(file);
    return read;
}
