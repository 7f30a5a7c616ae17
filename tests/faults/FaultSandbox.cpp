#include "FaultSandbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "BitmapProbe.h"
#include "TestBitmap.h"

namespace fs = std::filesystem;

std::string readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

FaultSandbox::FaultSandbox() {
    fs::create_directories(root() / "in");
    fs::create_directories(root() / "elsewhere");
    fs::create_directories(out());
    writeFile((root() / "elsewhere" / "bystander.txt").string(), {'k', 'e', 'e', 'p'});
    writeFile(bitmap().string(), makeBitmap(480, 480, patternPixel));

    RecordingFeedback probeFeedback;
    EXPECT_EQ(static_cast<unsigned>(BitmapProbe().probeBitmap(bitmap().c_str(), job_, probeFeedback)), 0u);
    std::strncpy(job_.bitmapPath, bitmap().c_str(), sizeof job_.bitmapPath - 1);
    job_.bitmapAccepted = 1;

    // A clean conversion of the same bitmap, kept in memory as the measure of every file.
    previous_ = fs::current_path();
    fs::create_directories(root() / "clean");
    fs::current_path(root() / "clean");
    RecordingFeedback cleanFeedback;
    ConversionJob cleanJob = job_;
    EXPECT_EQ(runConversion(cleanJob, workedExampleSettings("FAULT MAP"), cleanFeedback), ConversionOutcome::Converted);
    for (const auto& e : fs::recursive_directory_iterator(root() / "clean"))
        if (e.is_regular_file()) reference_[e.path().lexically_relative(root() / "clean").string()] = readWhole(e.path());
    fs::current_path(previous_);
    fs::remove_all(root() / "clean");
    enterOutput();
}

FaultSandbox::~FaultSandbox() { fs::current_path(previous_); }

void FaultSandbox::enterOutput() { fs::current_path(out()); }

ConvertRun FaultSandbox::convert() {
    ConvertRun run;
    run.outcome = runConversion(job_, workedExampleSettings("FAULT MAP"), run.feedback, out().c_str());
    return run;
}

ConvertRun FaultSandbox::convert(FileReading& reading, OutputFolder& output) {
    ConvertRun run;
    run.outcome = runConversion(job_, workedExampleSettings("FAULT MAP"), run.feedback, reading, output);
    return run;
}

std::unique_ptr<OutputFolder> FaultSandbox::openOutput() const {
    int error = 0;
    std::unique_ptr<OutputFolder> output = openOutputFolder(out().c_str(), error);
    EXPECT_TRUE(output) << "error " << error;
    return output;
}

std::map<std::string, std::string> FaultSandbox::outsideOutput() const {
    std::map<std::string, std::string> entries;
    for (auto it = fs::recursive_directory_iterator(root()); it != fs::recursive_directory_iterator(); ++it) {
        std::string name = it->path().lexically_relative(root()).string();
        if (name == "out") {
            it.disable_recursion_pending();
            continue;
        }
        if (it->is_symlink())
            entries[name] = "link to " + fs::read_symlink(it->path()).string();
        else
            entries[name] = it->is_directory() ? "folder" : readWhole(it->path());
    }
    return entries;
}

std::vector<std::string> FaultSandbox::mapFiles() const {
    std::vector<std::string> names;
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(out(), ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored)) {
        if (it->is_regular_file() && !it->is_symlink()) {
            std::string name = it->path().lexically_relative(out()).string();
            if (name.ends_with(".map") || name.ends_with(".vlm")) names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> FaultSandbox::completeMapFiles() const {
    std::vector<std::string> complete;
    for (const std::string& name : mapFiles()) {
        auto clean = reference_.find(name);
        if (clean != reference_.end() && readWhole(out() / name) == clean->second) complete.push_back(name);
    }
    return complete;
}

std::vector<std::string> FaultSandbox::tileNames() {
    std::vector<std::string> names;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            char name[64];
            std::snprintf(name, sizeof name, "area01/layer1/level%03d/smpl%03d%03d.map", row, column, row);
            names.push_back(name);
        }
    return names;
}

std::vector<std::string> FaultSandbox::expectedFiles(int tiles, bool index) {
    std::vector<std::string> names = tileNames();
    names.resize(static_cast<size_t>(tiles));
    if (index) names.push_back("area01.vlm");
    std::sort(names.begin(), names.end());
    return names;
}
