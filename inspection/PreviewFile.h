#pragma once
// The PNG file of a preview, written whole under its name followed by ".part" and
// renamed into place when complete, so a failed or interrupted preview never leaves a
// picture that looks whole.

#include <filesystem>
#include <memory>
#include <string>

#include "ImageWriter.h"

class PreviewFile {
public:
    PreviewFile() = default;
    ~PreviewFile();  // removes the ".part" file unless it was committed
    PreviewFile(const PreviewFile&) = delete;
    PreviewFile& operator=(const PreviewFile&) = delete;

    // False with failure() set when the file cannot be made.
    bool open(const std::filesystem::path& file, const ImageLayout& layout);
    bool writeRow(const uint8_t* row);
    // Completes the file and renames it into place, replacing an earlier one.
    bool commit();
    const std::string& failure() const { return failure_; }

private:
    std::filesystem::path final_;
    std::filesystem::path part_;
    std::unique_ptr<ImageWriter> writer_;
    bool committed_ = false;
    std::string failure_;
};

// The 231 colours of the tile palette, and a 232nd, transparent, for what has no colour.
inline constexpr int kNoColourIndex = palette::kColourCount;
ImageLayout paletteLayout(int32_t width, int32_t height, bool withNoColour);
