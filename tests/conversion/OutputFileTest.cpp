// The one way a file is written and the one way an input is opened, against what may
// stand at the names they use: links, hard links to files elsewhere, named pipes, folders.
// Whatever stands there, nothing outside the folder changes, nothing is written through,
// and a failure leaves no temporary.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "FolderTest.h"
#include "OutputFile.h"
#include "TestBitmap.h"

namespace fs = std::filesystem;

namespace {

const std::vector<uint8_t> kOutsideBytes = {'k', 'e', 'e', 'p'};
const std::vector<uint8_t> kNewBytes = {'n', 'e', 'w', ' ', 'f', 'i', 'l', 'e'};

// What a test plants at a name before the writer runs.
enum class Planted { Nothing, File, LinkToOutside, HardLinkToOutside, Pipe, Folder };

class OutputFileTest : public FolderTest {
protected:
    void SetUp() override {
        FolderTest::SetUp();
        fs::create_directories(elsewhere_.path());
        writeFile(outside(), kOutsideBytes);
    }

    std::string outside() const { return (elsewhere_.path() / "outside.txt").string(); }
    std::string at(const std::string& name) const { return (folder_.path() / name).string(); }

    void plant(Planted what, const std::string& name) {
        const std::string path = at(name);
        switch (what) {
            case Planted::Nothing: break;
            case Planted::File: writeFile(path, {'o', 'l', 'd'}); break;
            case Planted::LinkToOutside: fs::create_symlink(outside(), path); break;
            case Planted::HardLinkToOutside: fs::create_hard_link(outside(), path); break;
            case Planted::Pipe: ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0); break;
            case Planted::Folder: fs::create_directory(path); break;
        }
    }

    // The file elsewhere is as it was, and no temporary of ours is left in the folder.
    void expectOutsideKeptAndNoTemporary(const std::string& keptPart = "") {
        EXPECT_EQ(readFile(outside()), kOutsideBytes);
        for (const fs::directory_entry& entry : fs::directory_iterator(folder_.path())) {
            std::string name = entry.path().filename().string();
            if (name == keptPart) continue;
            EXPECT_FALSE(name.size() > 5 && name.compare(name.size() - 5, 5, ".part") == 0) << name;
        }
    }

    TempFolder elsewhere_;
};

struct WriteCase {
    const char* name;
    Temporary kind;
    Placing policy;
    Planted atTemporary;  // at "<final>.part" (what a stale or hostile temporary looks like)
    Planted atFinal;
    OutputFileResult created, placed;
    bool finalIsNew;      // the final name holds the new bytes in a file of its own
};

TEST_F(OutputFileTest, NothingIsWrittenThroughWhateverStandsAtItsNames) {
    using R = OutputFileResult;
    const WriteCase cases[] = {
        {"tile over an old tile", Temporary::Shared, Placing::Replace, Planted::Nothing, Planted::File, R::Done, R::Done, true},
        {"tile over a link", Temporary::Shared, Placing::Replace, Planted::Nothing, Planted::LinkToOutside, R::Done, R::Done, true},
        {"tile over a hard link", Temporary::Shared, Placing::Replace, Planted::Nothing, Planted::HardLinkToOutside, R::Done, R::Done, true},
        {"tile over a folder", Temporary::Shared, Placing::Replace, Planted::Nothing, Planted::Folder, R::Done, R::CreateFailed, false},
        {"tile part a link", Temporary::Shared, Placing::Replace, Planted::LinkToOutside, Planted::Nothing, R::Done, R::Done, true},
        {"tile part a hard link", Temporary::Shared, Placing::Replace, Planted::HardLinkToOutside, Planted::Nothing, R::Done, R::Done, true},
        {"tile part a pipe", Temporary::Shared, Placing::Replace, Planted::Pipe, Planted::Nothing, R::Done, R::Done, true},
        {"tile part a folder", Temporary::Shared, Placing::Replace, Planted::Folder, Planted::Nothing, R::CreateFailed, R::CreateFailed, false},
        {"preview over a link", Temporary::Unique, Placing::Replace, Planted::LinkToOutside, Planted::LinkToOutside, R::Done, R::Done, true},
        {"preview over a folder", Temporary::Unique, Placing::Replace, Planted::Nothing, Planted::Folder, R::Done, R::CreateFailed, false},
        {"bitmap beside a hostile part", Temporary::Unique, Placing::NeverReplace, Planted::HardLinkToOutside, Planted::Nothing, R::Done, R::Done, true},
        {"bitmap never over a file", Temporary::Unique, Placing::NeverReplace, Planted::Nothing, Planted::File, R::Done, R::Exists, false},
        {"bitmap never over a dangling link", Temporary::Unique, Placing::NeverReplace, Planted::Nothing, Planted::LinkToOutside, R::Done, R::Exists, false},
        {"index lock over a hard link", Temporary::Lock, Placing::NeverReplace, Planted::HardLinkToOutside, Planted::Nothing, R::Done, R::Done, true},
        {"index lock over a stale part", Temporary::Lock, Placing::NeverReplace, Planted::File, Planted::Nothing, R::Done, R::Done, true},
        {"index lock at a link", Temporary::Lock, Placing::NeverReplace, Planted::LinkToOutside, Planted::Nothing, R::CreateFailed, R::CreateFailed, false},
        {"index lock at a pipe", Temporary::Lock, Placing::NeverReplace, Planted::Pipe, Planted::Nothing, R::CreateFailed, R::CreateFailed, false},
        {"index lock at a folder", Temporary::Lock, Placing::NeverReplace, Planted::Folder, Planted::Nothing, R::CreateFailed, R::CreateFailed, false},
        {"index never over an index", Temporary::Lock, Placing::NeverReplace, Planted::Nothing, Planted::File, R::Done, R::Exists, false},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder_.path());
        fs::create_directories(folder_.path());
        output_ = openTestOutput(folder_.path());
        plant(c.atTemporary, "final.part");
        plant(c.atFinal, "final");
        {
            OutputFile file(*output_);
            ASSERT_EQ(file.create("final", c.kind), c.created);
            if (c.created == R::Done) {
                ASSERT_TRUE(file.write(kNewBytes.data(), kNewBytes.size()));
                EXPECT_EQ(file.place(c.policy), c.placed);
            }
        }
        if (c.finalIsNew) {
            EXPECT_FALSE(fs::is_symlink(at("final")));
            EXPECT_EQ(readFile(at("final")), kNewBytes);
            struct stat info;
            ASSERT_EQ(::stat(at("final").c_str(), &info), 0);
            EXPECT_EQ(info.st_nlink, 1u);
        }
        // A refused lock leaves what stood there; the unique temporaries never touch it.
        const bool partKept = c.kind == Temporary::Unique || (c.kind == Temporary::Lock && c.created != R::Done) ||
                              c.atTemporary == Planted::Folder;
        expectOutsideKeptAndNoTemporary(partKept && c.atTemporary != Planted::Nothing ? "final.part" : "");
    }
}

TEST_F(OutputFileTest, ARefusedLockSaysWhatStandsThere) {
    const struct {
        Planted planted;
        int error;
    } cases[] = {
        {Planted::LinkToOutside, kErrorLinkStands},
        {Planted::Pipe, kErrorPipeStands},
        {Planted::Folder, kErrorFolderStands},
    };
    for (const auto& c : cases) {
        fs::remove_all(at("area01.vlm.part"));
        plant(c.planted, "area01.vlm.part");
        OutputFile lock(*output_);
        EXPECT_EQ(lock.create("area01.vlm", Temporary::Lock), OutputFileResult::CreateFailed);
        EXPECT_EQ(lock.error(), c.error);
        EXPECT_NE(standingErrorText(lock.error()), nullptr);
    }
}

TEST_F(OutputFileTest, OneRunHoldsTheLockAndALeftoverNeverBlocks) {
    OutputFile first(*output_);
    ASSERT_EQ(first.create("area01.vlm", Temporary::Lock), OutputFileResult::Done);
    // Another run finds it held, and leaves it alone.
    std::unique_ptr<OutputFolder> other = openTestOutput(folder_.path());
    {
        OutputFile second(*other);
        EXPECT_EQ(second.create("area01.vlm", Temporary::Lock), OutputFileResult::Exists);
    }
    EXPECT_TRUE(fs::exists(at("area01.vlm.part")));
    ASSERT_TRUE(first.write(kNewBytes.data(), kNewBytes.size()));
    EXPECT_EQ(first.place(Placing::NeverReplace), OutputFileResult::Done);
    EXPECT_EQ(readFile(at("area01.vlm")), kNewBytes);
    EXPECT_FALSE(fs::exists(at("area01.vlm.part")));
}

TEST_F(OutputFileTest, TwoWritersToOneNameEndWithOneWholeFileAndOneRefusal) {
    const std::vector<uint8_t> bytes[2] = {std::vector<uint8_t>(200000, 'a'), std::vector<uint8_t>(150000, 'b')};
    OutputFileResult results[2];
    std::thread writers[2];
    for (int i = 0; i < 2; ++i) {
        writers[i] = std::thread([&, i] {
            std::unique_ptr<OutputFolder> folder = openTestOutput(folder_.path());
            OutputFile file(*folder);
            results[i] = file.create("out.bmp", Temporary::Unique);
            if (results[i] != OutputFileResult::Done) return;
            for (size_t at = 0; at < bytes[i].size(); at += 1000)
                if (!file.writeAt(at, bytes[i].data() + at, 1000)) results[i] = OutputFileResult::WriteFailed;
            if (results[i] == OutputFileResult::Done) results[i] = file.place(Placing::NeverReplace);
        });
    }
    for (std::thread& writer : writers) writer.join();
    ASSERT_NE(results[0], results[1]);
    const int winner = results[0] == OutputFileResult::Done ? 0 : 1;
    EXPECT_EQ(results[1 - winner], OutputFileResult::Exists);
    EXPECT_EQ(readFile(at("out.bmp")), bytes[winner]);
    expectOutsideKeptAndNoTemporary();
}

TEST_F(OutputFileTest, AFileOfTheUsersIsWrittenInItsOwnFolder) {
    fs::create_directories(folder_.path() / "sub");
    OutputTarget target;
    int error = 0;
    ASSERT_TRUE(openOutputTarget(at("sub/preview.png").c_str(), target, error));
    EXPECT_EQ(target.name, "preview.png");
    OutputFile file(*target.folder);
    ASSERT_EQ(file.create(target.name.c_str(), Temporary::Unique), OutputFileResult::Done);
    ASSERT_TRUE(file.write(kNewBytes.data(), kNewBytes.size()));
    ASSERT_EQ(file.place(Placing::Replace), OutputFileResult::Done);
    EXPECT_EQ(readFile(at("sub/preview.png")), kNewBytes);
    for (const char* noName : {"sub/", "sub/..", "."}) {
        OutputTarget none;
        EXPECT_FALSE(openOutputTarget(at(noName).c_str(), none, error)) << noName;
    }
}

TEST_F(OutputFileTest, OnlyRegularFilesOpenAsInputsAndNoneWaits) {
    plant(Planted::Pipe, "pipe");
    plant(Planted::Folder, "folder");
    plant(Planted::LinkToOutside, "link");
    const struct {
        std::string path;
        int error;  // 0: opens
    } cases[] = {
        {at("pipe"), kErrorPipeStands},
        {at("folder"), kErrorFolderStands},
        {"/dev/null", kErrorDeviceStands},
        {at("link"), 0},  // an input is taken where the system finds it
        {outside(), 0},
    };
    FileReading& files = platformFileReading();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        FileReading::Handle file = files.openForReading(c.path.c_str());
        if (c.error != 0) {
            EXPECT_EQ(file, FileReading::kNoFile);
            EXPECT_EQ(files.lastError(), c.error);
            continue;
        }
        ASSERT_NE(file, FileReading::kNoFile);
        files.close(file);
    }
}

}  // namespace
