#pragma once
// The PNG file of a preview, written whole through OutputFile: under a temporary name of
// its own beside the final one, put in place when complete (replacing an earlier file or
// a link there, never a folder, never what a link leads to). A failed or interrupted
// preview leaves no picture that looks whole, and a preview never takes the place of a
// file it was made from.
//
// A preview that knows where it lies on the ground also writes its world file and its
// .aux.xml (PlacementFiles.h) through the same writer, in the same commit: all three are
// written whole first, then put in place, the PNG last; when one cannot be, those already
// placed are removed, so none of the three stands unless all do.

#include <csignal>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FileServices.h"
#include "ImageWriter.h"
#include "MapPreview.h"
#include "OutputFile.h"
#include "PlacementFiles.h"

class PreviewFile {
public:
    PreviewFile() = default;
    ~PreviewFile();  // removes the temporary unless committed
    PreviewFile(const PreviewFile&) = delete;
    PreviewFile& operator=(const PreviewFile&) = delete;

    // False with failure() set when the file cannot be made.
    bool open(const std::filesystem::path& file, const ImageLayout& layout);
    // A file the preview is made from: the preview refuses to take its name. False, with
    // failure() set, when the file at the preview's name is that file already.
    bool readsFrom(const FileIdentity& input);
    // Rows and the commit fail once *flag is non-zero, and failedOutcome() says so.
    void stopWhen(const volatile std::sig_atomic_t* flag) { stop_ = flag; }
    bool writeRow(const uint8_t* row);
    // The commit also writes the world file and the .aux.xml that lay the PNG there.
    void placeAt(const PicturePlacement& placement) { placement_ = placement; }
    // Completes the file (and the files that place it) and puts it in place.
    bool commit();
    const std::string& failure() const { return failure_; }
    // What a preview that failed here reports: Interrupted after a stop, else ImageFailed.
    PreviewOutcome failedOutcome() const {
        return interrupted_ ? PreviewOutcome::Interrupted : PreviewOutcome::ImageFailed;
    }

private:
    bool standsOnInput(const std::string& name);
    bool stopping();
    // The world file and the .aux.xml, written whole under temporary names.
    bool writeBesides(std::vector<std::unique_ptr<OutputFile>>& besides);
    // Puts the besides and then the PNG in place; removes what it placed when one fails.
    bool placeAll(std::vector<std::unique_ptr<OutputFile>>& besides);

    std::filesystem::path final_;
    OutputTarget target_;
    std::unique_ptr<OutputFile> file_;
    std::unique_ptr<ImageWriter> writer_;
    std::vector<FileIdentity> inputs_;
    bool targetStands_ = false;  // something stood at the final name at open
    FileIdentity targetIdentity_;
    std::string failure_;
    const volatile std::sig_atomic_t* stop_ = nullptr;
    bool interrupted_ = false;
    std::optional<PicturePlacement> placement_;
};

// The 231 colours of the tile palette, and a 232nd, transparent, for what has no colour.
inline constexpr int kNoColourIndex = palette::kColourCount;
ImageLayout paletteLayout(int32_t width, int32_t height, bool withNoColour);
