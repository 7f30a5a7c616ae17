#include "PreviewFile.h"

#include "MapFiles.h"

namespace fs = std::filesystem;

PreviewFile::~PreviewFile() {
    writer_.reset();
    file_.reset();  // removes the temporary unless it was put in place
}

bool PreviewFile::open(const fs::path& file, const ImageLayout& layout) {
    final_ = file;
    int error = 0;
    if (!openOutputTarget(systemPath(file).c_str(), target_, error)) {
        failure_ = "cannot create " + displayText(file) + ": " + systemErrorText(error);
        return false;
    }
    if (target_.folder->entryAt(target_.name.c_str()) == OutputFolder::Entry::Folder) {
        failure_ = "cannot create " + displayText(file) + ": " + systemErrorText(kErrorFolderStands);
        return false;
    }
    targetStands_ = target_.folder->identify(target_.name.c_str(), targetIdentity_);
    file_ = std::make_unique<OutputFile>(*target_.folder);
    if (file_->create(target_.name.c_str(), Temporary::Unique) != OutputFileResult::Done) {
        failure_ = "cannot create a temporary file beside " + displayText(file) + ": " + systemErrorText(file_->error());
        return false;
    }
    std::string reason;
    writer_ = createPngWriter(*file_, layout, reason);
    if (!writer_) {
        failure_ = "cannot write " + displayText(file) + ": " + reason;
        return false;
    }
    return true;
}

namespace {

std::string inputRefusal(const fs::path& file) {
    return displayText(file) + " is a file the preview is made from; it is left as it is (name another file)";
}

}  // namespace

bool PreviewFile::readsFrom(const FileIdentity& input) {
    inputs_.push_back(input);
    if (!targetStands_ || !targetIdentity_.sameFile(input)) return true;
    failure_ = inputRefusal(final_);
    return false;
}

bool PreviewFile::standsOnInput(const std::string& name) {
    FileIdentity standing;
    if (!target_.folder->identify(name.c_str(), standing)) return false;
    for (const FileIdentity& input : inputs_)
        if (standing.sameFile(input)) return true;
    return false;
}

bool PreviewFile::stopping() {
    if (stop_ == nullptr || *stop_ == 0) return false;
    interrupted_ = true;
    failure_ = "interrupted: " + displayText(final_) + " was not written";
    return true;
}

bool PreviewFile::writeRow(const uint8_t* row) {
    if (stopping()) return false;
    if (writer_->writeRow(row)) return true;
    failure_ = "cannot write " + displayText(final_) + ": " + writer_->failure();
    return false;
}

bool PreviewFile::writeBesides(std::vector<std::unique_ptr<OutputFile>>& besides) {
    const std::pair<std::string, std::string> files[] = {
        {worldFileName(target_.name), worldFileText(*placement_)},
        {auxFileName(target_.name), wgs84AuxText()},
    };
    const fs::path folder = final_.parent_path();
    for (const auto& [name, text] : files) {
        const fs::path shown = folder / name;
        if (target_.folder->entryAt(name.c_str()) == OutputFolder::Entry::Folder) {
            failure_ = "cannot create " + displayText(shown) + ": " + systemErrorText(kErrorFolderStands);
            return false;
        }
        if (standsOnInput(name)) {
            failure_ = inputRefusal(shown);
            return false;
        }
        auto file = std::make_unique<OutputFile>(*target_.folder);
        if (file->create(name.c_str(), Temporary::Unique) != OutputFileResult::Done) {
            failure_ = "cannot create a temporary file beside " + displayText(shown) + ": " + systemErrorText(file->error());
            return false;
        }
        if (!file->write(text.data(), text.size())) {
            failure_ = "cannot write " + displayText(shown) + ": " + systemErrorText(file->error());
            return false;
        }
        besides.push_back(std::move(file));
    }
    return true;
}

bool PreviewFile::placeAll(std::vector<std::unique_ptr<OutputFile>>& besides) {
    std::vector<std::string> placed;
    auto undo = [&] {
        for (const std::string& name : placed) target_.folder->removeFile(name.c_str());
    };
    for (std::unique_ptr<OutputFile>& file : besides) {
        const std::string name = file->finalPath();
        if (file->place(Placing::Replace) != OutputFileResult::Done) {
            failure_ = "cannot put " + displayText(final_.parent_path() / name) + " in place: " +
                       systemErrorText(file->error());
            undo();
            return false;
        }
        placed.push_back(name);
    }
    if (file_->place(Placing::Replace) != OutputFileResult::Done) {
        failure_ = "cannot put " + displayText(final_) + " in place: " + systemErrorText(file_->error());
        undo();
        return false;
    }
    return true;
}

bool PreviewFile::commit() {
    if (stopping()) return false;
    if (!writer_->finish()) {
        failure_ = "cannot write " + displayText(final_) + ": " + writer_->failure();
        return false;
    }
    writer_.reset();
    std::vector<std::unique_ptr<OutputFile>> besides;
    if (placement_ && !writeBesides(besides)) return false;
    // Checked last, against every file read: the name may have changed hands meanwhile.
    if (standsOnInput(target_.name)) {
        failure_ = inputRefusal(final_);
        return false;
    }
    // The last moment a stop leaves nothing behind; once placing begins it is finished.
    if (stopping()) return false;
    return placeAll(besides);
}

ImageLayout paletteLayout(int32_t width, int32_t height, bool withNoColour) {
    ImageLayout layout;
    layout.width = width;
    layout.height = height;
    layout.indexed = true;
    layout.colours.assign(palette::kColours, palette::kColours + palette::kColourCount);
    if (withNoColour) {
        layout.colours.push_back({0, 0, 0});
        layout.transparentIndex = kNoColourIndex;
    }
    return layout;
}
