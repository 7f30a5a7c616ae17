#pragma once
// A whole CONVERT in a sandbox of its own: the bitmap in in/, the output folder out/ (the
// current folder while the test runs, as after the file dialog), and a bystander file in
// elsewhere/. Everything outside out/ is listed before and after, so a test can prove
// that nothing else changed; every map file found is compared with a clean conversion of
// the same bitmap, so a test can prove that nothing left behind is truncated or wrong.

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Conversion.h"
#include "FileServices.h"
#include "FaultyFileServices.h"
#include "RecordingFeedback.h"
#include "TempFolder.h"
#include "WorkedExample.h"

struct ConvertRun {
    ConversionOutcome outcome;
    RecordingFeedback feedback;
};

class FaultSandbox {
public:
    FaultSandbox();
    ~FaultSandbox();

    const std::filesystem::path& root() const { return folder_.path(); }
    std::filesystem::path out() const { return folder_.path() / "out"; }
    std::filesystem::path bitmap() const { return folder_.path() / "in" / "map.bmp"; }

    // The 480 x 480 bitmap (3 x 3 tiles), accepted as the dialog accepts it.
    ConversionJob& job() { return job_; }

    // CONVERT into out/, as the dialog runs it there.
    ConvertRun convert();
    // CONVERT with the file services a test arranged faults on.
    ConvertRun convert(FileReading& reading, OutputFolder& output);
    // out/ opened as a conversion opens it.
    std::unique_ptr<OutputFolder> openOutput() const;

    // Every entry under the sandbox but outside out/, with contents.
    std::map<std::string, std::string> outsideOutput() const;
    // Names of the map files under out/ (relative to it; links are not files), and of the
    // complete ones: the right size and every byte as a clean conversion writes it.
    std::vector<std::string> mapFiles() const;
    std::vector<std::string> completeMapFiles() const;
    // Tile names in writing order: smpl000000 ... smpl002002 with their level folders.
    static std::vector<std::string> tileNames();
    // What mapFiles() lists after the first `tiles` tiles, and the index file if `index`.
    static std::vector<std::string> expectedFiles(int tiles, bool index);

    // Changes the current folder to out/ again (after out/ was replaced, e.g. by a mount).
    void enterOutput();

private:
    TempFolder folder_;
    ConversionJob job_;
    std::filesystem::path previous_;
    std::map<std::string, std::string> reference_;  // map file name -> clean contents
};

std::string readWhole(const std::filesystem::path& path);
