#pragma once
// The accepted bitmap as the tile writer's pixel source. A row of tiles is 160
// consecutive rows stored in the file (bottom-up), so a strip is read with a few large
// reads: several stored rows at a time when the strip is the whole width, one read per
// stored row otherwise.

#include <cstdint>

#include "Buffer.h"
#include "ConversionJob.h"
#include "FileServices.h"
#include "PixelSource.h"

// What the accepted bitmap file holds now, at CONVERT.
enum class BitmapData {
    Complete,    // opens, is the bitmap that was chosen, and holds every pixel its header promises
    Unreadable,  // cannot be opened or measured any more (removed, replaced by a folder), or
                 // its headers no longer describe the bitmap that was chosen
    Short,       // holds fewer bytes than its header promises
};

// Looks at the bitmap without keeping it open (the probe's report uses it).
BitmapData checkBitmapData(const ConversionJob& job, FileReading& files);

class BitmapSource final : public PixelSource {
public:
    explicit BitmapSource(FileReading& files) : files_(files) {}
    ~BitmapSource() override { close(); }
    BitmapSource(const BitmapSource&) = delete;
    BitmapSource& operator=(const BitmapSource&) = delete;

    // Opens the job's bitmap for the run and remembers what it is. Complete only when the
    // bitmap can be converted as the job describes it.
    BitmapData open(const ConversionJob& job);
    // Takes the read buffer; false when the memory cannot be had.
    bool allocate();
    void close();

    int32_t readStrip(int32_t row, int32_t firstColumn, int32_t columnCount, RowSink& sink) override;
    bool unchanged() override;
    void inputFiles(std::vector<FileIdentity>& files) const override { files.push_back(identity_); }

    // The bitmap as it was when opened.
    const FileIdentity& identity() const { return identity_; }

private:
    FileReading& files_;
    const ConversionJob* job_ = nullptr;
    FileReading::Handle file_ = FileReading::kNoFile;
    FileIdentity identity_;
    Buffer block_;
};
