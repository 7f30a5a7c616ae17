// No folder name that the settings accept can lead the output outside the output folder
// or to a device: every accepted name is a plain name of a to z and 0 to 9, and the
// device names of Windows are refused on every platform, before anything is written.

#include <gtest/gtest.h>

#include <string_view>

#include "FaultSandbox.h"
#include "Messages.h"
#include "OutputPaths.h"
#include "Settings.h"

namespace fs = std::filesystem;

namespace {

const char* const kDeviceNames[] = {"con",  "prn",  "aux",  "nul",  "com1", "com2", "com3", "com4",
                                    "com5", "com6", "com7", "com8", "com9", "lpt1", "lpt2", "lpt3",
                                    "lpt4", "lpt5", "lpt6", "lpt7", "lpt8", "lpt9"};

SettingsError folderVerdict(const std::string& folder) {
    ConversionJob job;
    job.tileColumns = 1001;  // so that tile names reach four digits
    job.tileRows = 3;
    return applySettings(job, workedExampleSettings("FAULT MAP", folder.c_str()));
}

TEST(FolderNameSafety, DeviceNamesAreRefusedWithTheFolderNameMessageAndNothingIsWritten) {
    FaultSandbox sandbox;
    for (const char* device : kDeviceNames) {
        SCOPED_TRACE(device);
        ConversionJob& job = sandbox.job();
        RecordingFeedback feedback;
        EXPECT_EQ(runConversion(job, workedExampleSettings("FAULT MAP", device), feedback),
                  ConversionOutcome::SettingsRefused);
        ASSERT_EQ(feedback.messages.size(), 1u);
        EXPECT_EQ(feedback.messages[0].text, "ERROR : Illegal Folder Name.");
        EXPECT_EQ(feedback.messages[0].caption, "");
        EXPECT_EQ(feedback.messages[0].icon, MessageIcon::Information);
        EXPECT_TRUE(fs::is_empty(sandbox.out()));
    }
}

TEST(FolderNameSafety, NamesThatOnlyLookLikeDevicesAreAccepted) {
    for (const char* name : {"con1", "conx", "com0", "lpt0", "com10", "nul0", "auxi", "prn9a", "co", "lpt",
                             "xcon", "com", "area01"})
        EXPECT_EQ(folderVerdict(name), SettingsError::NoError) << name;
}

TEST(FolderNameSafety, DeviceNamesInUpperCaseOrWithMarksFailOnTheirCharacters) {
    for (const char* name : {"CON", "Nul", "com1.", "lpt1 ", "con.txt", "aux:", "COM1"})
        EXPECT_EQ(folderVerdict(name), SettingsError::IllegalFolderCharacters) << name;
}

// Every component of the path is a plain name of the folder-name bytes, "layer1", a level
// folder or a tile file, and the first is the folder name itself.
void expectInside(const std::string& path, const std::string& folder) {
    ASSERT_FALSE(path.empty());
    EXPECT_NE(path.front(), '/');
    EXPECT_NE(path.front(), '\\');
    EXPECT_EQ(path.find(".."), std::string::npos) << path;
    EXPECT_EQ(path.find(':'), std::string::npos) << path;
    EXPECT_EQ(path.rfind(folder, 0), 0u) << path;
    EXPECT_TRUE(path.size() == folder.size() || path[folder.size()] == kPathSeparator ||
                path[folder.size()] == '.')
        << path;
}

// Every text of up to three bytes over an alphabet of name bytes, path marks and
// neighbours of the allowed ranges, and every single byte.
TEST(FolderNameSafety, EveryAcceptedShortNameStaysInsideTheOutputFolder) {
    const std::string alphabet = std::string("az09AZ./\\:-_ ~`@[{$\x7f\x80\xff", 22) + std::string(1, '\0');
    std::vector<std::string> names;
    for (int b = 1; b < 256; ++b) names.push_back(std::string(1, static_cast<char>(b)));
    for (char a : alphabet)
        for (char b : alphabet) {
            names.push_back({a, b});
            for (char c : alphabet) names.push_back({a, b, c});
        }
    int accepted = 0;
    for (const std::string& name : names) {
        ConversionJob job;
        job.tileColumns = 1001;
        job.tileRows = 3;
        SettingsText texts = workedExampleSettings("FAULT MAP");
        texts.folderName = name;
        SettingsError error = applySettings(job, texts);
        std::string_view field(name.c_str());  // the field ends at a zero byte
        bool plain = !field.empty();
        for (char c : field) plain = plain && ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'));
        if (!plain) {
            EXPECT_NE(error, SettingsError::NoError) << "accepted " << name;
            continue;
        }
        ASSERT_EQ(error, SettingsError::NoError) << name;
        ++accepted;
        std::string folder = job.folderName;
        std::string level = levelFolderPath(job.folderName, 2);
        for (const std::string& path : {indexFilePath(job.folderName), layerFolderPath(job.folderName), level,
                                        tileFilePath(level, 1000, 2)})
            expectInside(path, folder);
    }
    EXPECT_GT(accepted, 0);
}

TEST(FolderNameSafety, EightByteNamesAreCutBeforeTheyAreChecked) {
    EXPECT_EQ(folderVerdict("abcdefgh/../../x"), SettingsError::NoError);
    ConversionJob job;
    applySettings(job, workedExampleSettings("FAULT MAP", "abcdefgh/../../x"));
    EXPECT_STREQ(job.folderName, "abcdefgh");
    EXPECT_EQ(folderVerdict("abcdefg/"), SettingsError::IllegalFolderCharacters);
}

}  // namespace
