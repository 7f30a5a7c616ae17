#pragma once
// The output folder of a test, opened as a conversion opens it; the test fails at once
// when it cannot be.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "FileServices.h"

inline std::unique_ptr<OutputFolder> openTestOutput(const std::filesystem::path& folder) {
    int error = 0;
    std::unique_ptr<OutputFolder> output = openOutputFolder(folder.string().c_str(), error);
    EXPECT_TRUE(output) << folder << ": error " << error;
    return output;
}
