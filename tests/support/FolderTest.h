#pragma once
// A test that runs in a fresh folder of its own, which is also the current folder (as
// after the file dialog) and is open as the output folder of a conversion.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "FileServices.h"
#include "TempFolder.h"
#include "TestOutput.h"

class FolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(folder_.path());
        output_ = openTestOutput(folder_.path());
    }
    void TearDown() override { std::filesystem::current_path(previous_); }

    TempFolder folder_;
    std::filesystem::path previous_;
    std::unique_ptr<OutputFolder> output_;
};
