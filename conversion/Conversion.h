#pragma once
// The CONVERT command, in two steps. The check step decides: the settings, the bitmap
// (still the one that was chosen, and complete), every buffer the run needs. The write
// step writes, into one output folder opened once: the folders, the index under its
// ".part" name, the tiles, and the index put in place last. Either step shows its own
// messages; nothing is written unless the check step passed.

#include <csignal>
#include <cstdint>
#include <memory>

#include "BitmapSource.h"
#include "ConversionJob.h"
#include "FileServices.h"
#include "PixelSource.h"
#include "Settings.h"
#include "TileWriter.h"
#include "UserFeedback.h"

// What became of one CONVERT. The dialog needs none of it (every outcome has been shown
// to the user); the command line turns it into its exit code.
enum class ConversionOutcome {
    Converted,        // "SUCCESS : File convert finish." was shown
    NoBitmap,         // no accepted bitmap: nothing shown, nothing written
    SettingsRefused,  // a setting failed validation: nothing written
    BitmapUnusable,   // the bitmap no longer holds what was chosen: nothing written
    OutputFailed,     // a writer failed and showed its warning; no index of this run is left
    OutOfMemory,      // the buffers could not be had: nothing written
    Interrupted,      // asked to stop; no index of this run is left, the tiles in place are whole
};

struct WriteOptions {
    // The run stops between two tiles once this reads non-zero (a signal handler sets it).
    const volatile std::sig_atomic_t* stopRequested = nullptr;
    // An existing map of the same folder name is replaced instead of stopping the run.
    bool replaceExistingMap = false;
    // Threads for the tile writer (0: as the machine has cores, at most two).
    int threadCount = 0;
};

// What the check step prepared for the write step.
class CheckedConversion {
public:
    CheckedConversion() : bitmap_(platformFileReading()) {}
    explicit CheckedConversion(FileReading& files) : bitmap_(files) {}

    bool ready() const { return job_ != nullptr; }
    const ConversionJob& job() const { return *job_; }
    PixelSource& source() { return *source_; }
    TileBuffers& buffers() { return buffers_; }

private:
    friend ConversionOutcome checkConversion(ConversionJob&, const SettingsText&, UserFeedback&, CheckedConversion&);
    friend ConversionOutcome checkConversion(ConversionJob&, const SettingsValues&, PixelSource&, UserFeedback&,
                                             CheckedConversion&);
    friend ConversionOutcome checkBuffers(ConversionJob&, UserFeedback&, CheckedConversion&);

    ConversionJob* job_ = nullptr;
    PixelSource* source_ = nullptr;
    BitmapSource bitmap_;
    TileBuffers buffers_;
};

// The check step for the job's bitmap: shows the wait cursor, checks the accepted mark,
// the settings, the bitmap and the memory, in that order, and shows the message of the
// first that fails (then the arrow cursor). Converted means the write step may run.
ConversionOutcome checkConversion(ConversionJob& job, const SettingsText& texts, UserFeedback& feedback,
                                  CheckedConversion& checked);
// The same for another source of pixels, whose geometry the job already holds
// (setJobGrid), with settings worked out as values rather than typed.
ConversionOutcome checkConversion(ConversionJob& job, const SettingsValues& values, PixelSource& source,
                                  UserFeedback& feedback, CheckedConversion& checked);

// What the write step did.
struct ConversionReport {
    ConversionOutcome outcome = ConversionOutcome::OutputFailed;
    int32_t tilesWritten = 0;  // tiles this run put in place
    bool oldIndexRemoved = false;  // replacing a map, this run removed the old index
};

// The write step: the map into the output folder; shows the success message or the
// failing writer's warning, then the arrow cursor.
ConversionReport writeConversion(CheckedConversion& checked, OutputFolder& output, UserFeedback& feedback,
                                 const WriteOptions& options = {});

// Both steps, as the dialog's CONVERT runs them, into the folder at outputFolder (the
// current folder, where the file dialog left the user).
ConversionOutcome runConversion(ConversionJob& job, const SettingsText& texts, UserFeedback& feedback,
                                const char* outputFolder = ".");
// Both steps with the given file services (the tests' seam).
ConversionOutcome runConversion(ConversionJob& job, const SettingsText& texts, UserFeedback& feedback,
                                FileReading& reading, OutputFolder& output, const WriteOptions& options = {});
