// The real tessella against what a hostile or careless hand leaves at the names it reads
// and writes: links and hard links to files elsewhere, named pipes and folders, at the
// temporaries and at the final names. Nothing outside is ever written, no command waits
// on a pipe, and each refusal says what stands where. POSIX links and pipes: native only.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ProcessRunner.h"
#include "TempFolder.h"
#include "TestBitmap.h"

namespace fs = std::filesystem;

namespace {

#ifndef TESSELLA_CLI_DEFAULT
#define TESSELLA_CLI_DEFAULT "tessella"
#endif

const std::vector<uint8_t> kOutsideBytes = {'k', 'e', 'e', 'p'};

struct HostileCase {
    const char* name;
    std::function<void(const fs::path& work, const fs::path& outside)> plant;
    std::vector<std::string> args;
    int exitCode;
    const char* says;  // in what it prints; "" for nothing in particular
};

class LinksAndPipes : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(work());
        writeFile((work() / "map.bmp").string(), makeBitmap(480, 480, patternPixel));
        writeFile(outside().string(), kOutsideBytes);
    }

    fs::path work() const { return folder_.path() / "work"; }
    fs::path outside() const { return folder_.path() / "outside.txt"; }

    ProcessResult run(std::vector<std::string> args) {
        args.insert(args.begin(), TESSELLA_CLI_DEFAULT);
        return runProcess(args, work().string());
    }

    TempFolder folder_;
};

std::vector<std::string> convertArgs() {
    return {"convert", "map.bmp", "--name", "SAFE", "--folder", "area01", "--top-left", "35:40:0,139:45:0",
            "--bottom-right", "35:39:0,139:46:0", "--east-west", "1852", "--north-south", "926"};
}

void pipeAt(const fs::path& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0) << path; }

TEST_F(LinksAndPipes, NothingOutsideIsWrittenAndNothingWaits) {
    const std::string tile = "area01/layer1/level001/smpl002001.map";
    const HostileCase cases[] = {
        {"hard link at the lock", [](const fs::path& w, const fs::path& o) { fs::create_hard_link(o, w / "area01.vlm.part"); },
         convertArgs(), 0, ""},
        {"pipe at the lock", [](const fs::path& w, const fs::path&) { pipeAt(w / "area01.vlm.part"); }, convertArgs(), 5,
         "area01.vlm.part: a named pipe stands there"},
        {"folder at the lock", [](const fs::path& w, const fs::path&) { fs::create_directory(w / "area01.vlm.part"); },
         convertArgs(), 5, "area01.vlm.part: a folder stands there"},
        {"link at a tile's part", [](const fs::path& w, const fs::path& o) {
             fs::create_directories(w / "area01/layer1/level001");
             fs::create_symlink(o, w / "area01/layer1/level001/smpl002001.map.part");
         }, convertArgs(), 0, ""},
        {"links at a preview's names", [](const fs::path& w, const fs::path& o) {
             fs::create_symlink(o, w / "x.png");
             fs::create_symlink(o, w / "x.png.part");
         }, {"preview", "map.bmp", "-o", "x.png"}, 0, ""},
        {"pipe for an index", [](const fs::path& w, const fs::path&) { pipeAt(w / "pipe.vlm"); },
         {"verify", "pipe.vlm"}, 6, "a named pipe stands there"},
        {"pipe for a tile", [](const fs::path& w, const fs::path&) { pipeAt(w / "smpl000000.map"); },
         {"inspect", "smpl000000.map"}, 6, "a named pipe stands there"},
    };
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(work());
        SetUp();
        c.plant(work(), outside());
        ProcessResult result = run(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_NE((result.out + result.err).find(c.says), std::string::npos) << result.out << result.err;
        EXPECT_EQ(readFile(outside().string()), kOutsideBytes);
        if (c.exitCode == 0 && c.args[0] == "convert") {
            EXPECT_EQ(fs::file_size(work() / "area01.vlm"), 160u);
            EXPECT_FALSE(fs::is_symlink(work() / tile));
        }
        if (c.args[0] == "preview") {
            EXPECT_FALSE(fs::is_symlink(work() / "x.png"));
        }
    }
}

// A map whose tiles are pipes is read without waiting: each is named and drawn
// transparent, and the others still make the preview.
TEST_F(LinksAndPipes, MapReadersNameAPipeTileAndGoOn) {
    ASSERT_EQ(run(convertArgs()).exitCode, 0);
    fs::remove(work() / "area01/layer1/level001/smpl002001.map");
    pipeAt(work() / "area01/layer1/level001/smpl002001.map");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"verify", "area01.vlm"},
                                                  std::vector<std::string>{"preview", "area01.vlm", "-o", "m.png"}}) {
        ProcessResult result = run(args);
        EXPECT_EQ(result.exitCode, 6) << args[0] << ": " << result.err;
        EXPECT_NE((result.out + result.err).find("smpl002001.map: cannot be read: a named pipe stands there"),
                  std::string::npos)
            << result.out << result.err;
    }
}

// A preview stopped while it writes removes its temporary, says so in one line and exits
// as convert does; nothing takes the PNG's name.
TEST_F(LinksAndPipes, AStoppedPreviewLeavesNothing) {
    writeFile((work() / "wide.bmp").string(), makeBitmap(16000, 800, patternPixel));
    for (const auto& [signal, exitCode] : {std::pair{SIGTERM, 143}, std::pair{SIGHUP, 129}, std::pair{SIGINT, 130}}) {
        SCOPED_TRACE(exitCode);
        StartedProcess process =
            startProcess({TESSELLA_CLI_DEFAULT, "preview", "wide.bmp", "-o", "wide.png", "--compare"}, work().string());
        auto temporaryStands = [&] {
            for (const auto& entry : fs::directory_iterator(work()))
                if (entry.path().extension() == ".part") return true;
            return false;
        };
        for (int i = 0; i < 50000 && !temporaryStands(); ++i) std::this_thread::sleep_for(std::chrono::microseconds(100));
        ASSERT_TRUE(temporaryStands()) << "the preview made no temporary";
        ::kill(process.pid, signal);
        ProcessResult result = finishProcess(process);
        EXPECT_EQ(result.exitCode, exitCode) << result.err;
        EXPECT_NE(result.err.find("tessella: interrupted: wide.png was not written\n"), std::string::npos) << result.err;
        EXPECT_FALSE(temporaryStands());
        EXPECT_FALSE(fs::exists(work() / "wide.png"));
    }
}

}  // namespace
