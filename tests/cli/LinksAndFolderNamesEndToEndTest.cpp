// The tessella command end to end against links planted where a map's files go, and
// against folder names that only some systems take: Japanese names in the system's code
// page, names Windows keeps for devices. Part of the end-to-end tests, so it runs against
// the native build and, under Wine, against tessella.exe (TESSELLA_CLI); Wine shows a
// Unix link to a file as a plain file, which is what these cases hold the Windows build
// to.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "ProcessRunner.h"
#include "TempFolder.h"
#include "TestBitmap.h"
#include "TileFormat.h"

namespace fs = std::filesystem;

namespace {

#ifndef TESSELLA_CLI_DEFAULT
#define TESSELLA_CLI_DEFAULT "tessella"
#endif

std::vector<std::string> command() { return commandFromEnvironment("TESSELLA_CLI", TESSELLA_CLI_DEFAULT); }

bool runsWindowsBuild() { return command().back().ends_with(".exe"); }

const std::vector<std::string> kSettings = {
    "--name", "SAMPLE MAP", "--folder", "area01", "--top-left", "35:40:0,139:45:0",
    "--bottom-right", "35:39:0,139:46:0", "--east-west", "1852", "--north-south", "926"};

const std::vector<uint8_t> kOutsideBytes = {'k', 'e', 'e', 'p', ' ', 'm', 'e'};

class LinksAndFolderNames : public ::testing::Test {
protected:
    ProcessResult convert(const std::string& bitmap, const std::vector<std::string>& options = {}) {
        std::vector<std::string> argv = command();
        argv.insert(argv.end(), {"convert", bitmap});
        argv.insert(argv.end(), kSettings.begin(), kSettings.end());
        argv.insert(argv.end(), options.begin(), options.end());
        return runProcess(argv, folder_.path().string());
    }

    void writeBitmap(const std::string& name, int32_t width, int32_t height) {
        fs::create_directories((folder_.path() / name).parent_path());
        writeFile(folder_.file(name), makeBitmap(width, height, patternPixel));
    }

    fs::path at(const std::string& name) const { return folder_.path() / name; }

    // The size of a file, or -1 when there is none.
    intmax_t sizeOf(const std::string& name) const {
        std::error_code error;
        const uintmax_t size = fs::file_size(at(name), error);
        return error ? -1 : static_cast<intmax_t>(size);
    }

    TempFolder folder_;
};

// What stands at a name of the map before an --overwrite run, planted as a Unix link.
enum class Planted { FileLink, DanglingLink, FolderLink, EmptyFolderLink };

struct LinkRun {
    const char* name;
    std::string where;  // relative to the output folder
    Planted planted;
    int exitCode;  // -1: as the system allows (Wine cannot remove a link to a folder alone)
    bool replacedByMapFile;  // a regular file of the new map stands there afterwards
    bool gone;               // nothing stands there afterwards
    std::string errPart;     // "" or a part of standard error
};

// An older 800 x 640 map (5 x 4 tiles) is replaced by a 480 x 480 one (3 x 3): the old
// map's names outside the new grid are removed, the others written anew. Whatever a
// planted link leads to lies outside the output folder and must come out of every run
// untouched; the link itself is removed or replaced, never written through.
TEST_F(LinksAndFolderNames, OverwriteRemovesLinksAtTheMapsNamesAndNeverWhatTheyLeadTo) {
    const LinkRun cases[] = {
        {"index", "area01.vlm", Planted::FileLink, 0, true, false, ""},
        {"dangling link at the index", "area01.vlm", Planted::DanglingLink, 0, true, false, ""},
        {"tile inside the new grid", "area01/layer1/level001/smpl001001.map", Planted::FileLink, 0, true, false, ""},
        {"tile in a column outside the new grid", "area01/layer1/level001/smpl004001.map", Planted::FileLink, 0,
         false, true, ""},
        {"tile in a row outside the new grid", "area01/layer1/level003/smpl000003.map", Planted::FileLink, 0, false,
         true, ""},
        {"a tile's .part", "area01/layer1/level000/smpl000000.map.part", Planted::FileLink, 0, false, true, ""},
        {"dangling link at a tile's .part", "area01/layer1/level000/smpl001000.map.part", Planted::DanglingLink, 0,
         false, true, ""},
        {"link to a folder at a tile name outside the grid", "area01/layer1/level000/smpl004000.map",
         Planted::FolderLink, 0, false, false, ""},
        // RemoveDirectory through such a link removes the empty folder it leads to.
        {"link to an empty folder at a tile name outside the grid", "area01/layer1/level000/smpl004000.map",
         Planted::EmptyFolderLink, 0, false, false, ""},
        {"link to an empty folder at a tile name inside the grid", "area01/layer1/level000/smpl001000.map",
         Planted::EmptyFolderLink, -1, false, false, ""},
        // The run's lock: a link there is never taken for a stale lock.
        {"index's .part", "area01.vlm.part", Planted::FileLink, 5, false, false,
         "area01.vlm.part: a link stands there"},
        {"link to a folder at the index's .part", "area01.vlm.part", Planted::FolderLink, 5, false, false,
         "area01.vlm.part: a link stands there"},
    };
    writeBitmap("old.bmp", 800, 640);
    writeBitmap("map.bmp", 480, 480);
    for (const LinkRun& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(at("area01"));
        fs::remove(at("area01.vlm"));
        fs::remove(at("area01.vlm.part"));
        fs::remove_all(at("outside"));
        ASSERT_EQ(convert("old.bmp").exitCode, 0);
        const std::vector<uint8_t> oldIndex = readFile(folder_.file("area01.vlm"));
        fs::create_directories(at("outside/folder"));
        fs::create_directories(at("outside/empty"));
        writeFile(folder_.file("outside/file"), kOutsideBytes);
        writeFile(folder_.file("outside/folder/inside"), kOutsideBytes);
        fs::remove(at(c.where));
        fs::create_directories(at(c.where).parent_path());
        switch (c.planted) {
            case Planted::FileLink: fs::create_symlink(at("outside/file"), at(c.where)); break;
            case Planted::DanglingLink: fs::create_symlink(at("outside/nothing"), at(c.where)); break;
            case Planted::FolderLink: fs::create_directory_symlink(at("outside/folder"), at(c.where)); break;
            case Planted::EmptyFolderLink: fs::create_directory_symlink(at("outside/empty"), at(c.where)); break;
        }

        ProcessResult result = convert("map.bmp", {"--overwrite"});

        if (c.exitCode >= 0) {
            EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        }
        if (!c.errPart.empty()) {
            std::string err = result.err;
            EXPECT_NE(err.find(c.errPart), std::string::npos) << err;
            EXPECT_NE(err.find("the old map is untouched"), std::string::npos) << err;
            EXPECT_EQ(readFile(folder_.file("area01.vlm")), oldIndex);
        }
        // Outside the output folder nothing changed, and nothing was added.
        EXPECT_EQ(readFile(folder_.file("outside/file")), kOutsideBytes);
        EXPECT_EQ(readFile(folder_.file("outside/folder/inside")), kOutsideBytes);
        EXPECT_FALSE(fs::exists(at("outside/nothing")));
        EXPECT_TRUE(fs::is_directory(fs::symlink_status(at("outside/empty"))));
        size_t outside = 0;
        for (auto it = fs::recursive_directory_iterator(at("outside")); it != fs::recursive_directory_iterator(); ++it)
            ++outside;
        EXPECT_EQ(outside, 4u);

        const fs::file_status standing = fs::symlink_status(at(c.where));
        if (c.replacedByMapFile) {
            EXPECT_TRUE(fs::is_regular_file(standing));
            const intmax_t size = sizeOf(c.where);
            EXPECT_TRUE(size == 160 || size == kTileFileSize) << size;
        }
        if (c.gone) {
            EXPECT_FALSE(fs::exists(standing));
        }
        if (c.exitCode == 0 || (c.exitCode < 0 && result.exitCode == 0)) {
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(at("area01.vlm"))));
            EXPECT_FALSE(fs::exists(fs::symlink_status(at("area01.vlm.part"))));
        }
    }
}

struct BesideRun {
    const char* name;
    std::string folder;  // UTF-8
    std::string bitmap;  // in the folder
};

// The map lands beside the bitmap whatever the folder is called, and the dry run, run
// first, says the same: where it would write, then that the map is there.
TEST_F(LinksAndFolderNames, TheMapLandsBesideTheBitmapInFoldersOfAnyName) {
    const BesideRun cases[] = {
        {"Japanese folder", "\xE3\x83\x9E\xE3\x83\x83\xE3\x83\x97", "map.bmp"},  // マップ
        // 表 and ソ end in the byte of '\' in code page 932: 表示/ソフト.bmp
        {"trail bytes like a separator", "\xE8\xA1\xA8\xE7\xA4\xBA",
         "\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88.bmp"},
        {"a folder named like the console device", "con", "map.bmp"},
        {"a folder named like a printer port with an extension", "lpt1.d", "map.bmp"},
    };
    for (const BesideRun& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bitmap = c.folder + "/" + c.bitmap;
        writeBitmap(bitmap, 480, 480);

        ProcessResult dryRun = convert(bitmap, {"--dry-run"});
        ProcessResult run = convert(bitmap);
        ProcessResult again = convert(bitmap, {"--dry-run"});

        EXPECT_EQ(dryRun.exitCode, 0) << dryRun.err;
        const std::string where = c.folder + ":\n";
        EXPECT_NE(dryRun.out.find(where), std::string::npos) << dryRun.out;
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "SUCCESS : File convert finish.\n");
        EXPECT_NE(run.out.find(" in "), std::string::npos);
        EXPECT_TRUE(run.out.ends_with(c.folder + "\n")) << run.out;
        EXPECT_EQ(sizeOf(c.folder + "/area01.vlm"), 160);
        EXPECT_EQ(sizeOf(c.folder + "/area01/layer1/level002/smpl002002.map"), kTileFileSize);
        EXPECT_EQ(again.exitCode, 5) << again.err;
        EXPECT_NE(again.err.find("area01.vlm already exists in "), std::string::npos) << again.err;
        EXPECT_NE(again.err.find(c.folder + ": "), std::string::npos) << again.err;
    }
}

struct FolderRefusal {
    const char* outputDir;
    std::string reason;  // after "cannot make the output folder "<dir>": "
};

// Folders tessella.exe cannot make are refused with their cause in words, and nothing is
// made on the way.
TEST_F(LinksAndFolderNames, OutputFoldersWindowsCannotMakeAreNamedInWords) {
    if (!runsWindowsBuild()) GTEST_SKIP() << "names only Windows refuses";
    const std::string device = " is a name Windows keeps for a device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to "
                               "LPT9, with any extension): no file or folder can have it\n";
    const FolderRefusal cases[] = {
        {"nul", "\"nul\"" + device},
        {"made\\con\\maps", "\"con\"" + device},
        {"made\\aux.txt", "\"aux.txt\"" + device},
        {"COM1", "\"COM1\"" + device},
        {"taken\\maps", "a file named \"taken\" stands there, not a folder\n"},
        {"Q:\\maps", "there is no drive Q:\n"},
    };
    writeBitmap("map.bmp", 480, 480);
    writeFile(folder_.file("taken"), {'x'});
    for (const FolderRefusal& c : cases) {
        SCOPED_TRACE(c.outputDir);
        ProcessResult result = convert("map.bmp", {"--output-dir", c.outputDir});
        EXPECT_EQ(result.exitCode, 5);
        EXPECT_EQ(result.err, "tessella: error: cannot make the output folder \"" + std::string(c.outputDir) +
                                  "\": " + c.reason);
        EXPECT_FALSE(fs::exists(at("made")));
        EXPECT_FALSE(fs::exists(at("area01.vlm")));
    }
}

TEST_F(LinksAndFolderNames, WindowsHelpNamesTheCommandLineApartFromTheDialog) {
    if (!runsWindowsBuild()) GTEST_SKIP() << "the Windows build's name";
    std::vector<std::string> argv = command();
    argv.push_back("--help");
    ProcessResult help = runProcess(argv, folder_.path().string());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("On Windows this command line is tessella-cli.exe, beside the dialog\nTessella.exe"),
              std::string::npos)
        << help.out;
}

}  // namespace
