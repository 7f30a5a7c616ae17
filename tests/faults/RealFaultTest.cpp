// The same faults on the real file system, where a test can reach them: a read-only
// output folder, a full disk (a per-process file size limit, and a tiny tmpfs when the
// tests run as root), and files standing where the output's folders go.
//
// Permission bits do not stop root, so as root a read-only folder is a read-only tmpfs
// mounted over the output folder; a test that cannot make its fault real says so and is
// skipped rather than passing unchecked.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>

#include "FaultSandbox.h"
#include "Messages.h"

namespace fs = std::filesystem;

namespace {

// A tmpfs mounted over a folder for the life of the object.
class TmpfsMount {
public:
    TmpfsMount(const fs::path& at, const char* options, unsigned long flags = 0) : at_(at) {
        mounted_ = ::mount("tmpfs", at.c_str(), "tmpfs", flags, options) == 0;
    }
    ~TmpfsMount() {
        if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    bool remount(const char* options, unsigned long flags = 0) {
        return ::mount("tmpfs", at_.c_str(), "tmpfs", MS_REMOUNT | flags, options) == 0;
    }

private:
    fs::path at_;
    bool mounted_ = false;
};

bool canCreateFileIn(const fs::path& folder) {
    fs::path probe = folder / ".probe";
    int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

void expectOneWarning(const ConvertRun& run, const char* text) {
    EXPECT_EQ(run.outcome, ConversionOutcome::OutputFailed);
    ASSERT_EQ(run.feedback.messages.size(), 1u);
    EXPECT_EQ(run.feedback.messages[0].text, text);
    EXPECT_EQ(run.feedback.messages[0].caption, "Warning");
    EXPECT_EQ(run.feedback.messages[0].icon, MessageIcon::Exclamation);
}

void expectConverts(FaultSandbox& sandbox) {
    ConvertRun run = sandbox.convert();
    EXPECT_EQ(run.outcome, ConversionOutcome::Converted);
    ASSERT_EQ(run.feedback.messages.size(), 1u);
    EXPECT_EQ(run.feedback.messages[0].text, messages::kSuccess);
    EXPECT_EQ(sandbox.completeMapFiles(), FaultSandbox::expectedFiles(9, true));
}

TEST(RealFaults, ReadOnlyOutputFolderWritesNothingAndConvertsOnceWritable) {
    FaultSandbox sandbox;
    auto outsideBefore = sandbox.outsideOutput();
    std::unique_ptr<TmpfsMount> mount;
    if (::geteuid() == 0) {
        mount = std::make_unique<TmpfsMount>(sandbox.out(), "size=1m", MS_RDONLY);
        if (!mount->mounted()) GTEST_SKIP() << "root without mount: cannot make a read-only folder";
        sandbox.enterOutput();
    } else {
        fs::permissions(sandbox.out(), fs::perms::owner_read | fs::perms::owner_exec);
    }
    ASSERT_FALSE(canCreateFileIn(sandbox.out())) << "the folder is not read-only after all";

    ConvertRun run = sandbox.convert();
    expectOneWarning(run, messages::kCannotCreateOutput);
    EXPECT_TRUE(fs::is_empty(sandbox.out()));
    EXPECT_EQ(sandbox.outsideOutput(), outsideBefore);

    if (mount) {
        ASSERT_TRUE(mount->remount("size=1m"));
    } else {
        fs::permissions(sandbox.out(), fs::perms::owner_all);
    }
    expectConverts(sandbox);
    EXPECT_EQ(sandbox.outsideOutput(), outsideBefore);
}

struct Standing {
    const char* where;  // relative to the output folder
    int tilesLeft;
};

void PrintTo(const Standing& standing, std::ostream* out) { *out << standing.where; }

class FileStandsWhereAFolderGoes : public ::testing::TestWithParam<Standing> {};

TEST_P(FileStandsWhereAFolderGoes, TilesStopThereAndTheFileIsUntouched) {
    FaultSandbox sandbox;
    auto outsideBefore = sandbox.outsideOutput();
    fs::path standing = sandbox.out() / GetParam().where;
    fs::create_directories(standing.parent_path());
    std::ofstream(standing) << "the user's own file";

    ConvertRun run = sandbox.convert();
    expectOneWarning(run, messages::kCannotCreateOutput);
    EXPECT_EQ(sandbox.mapFiles(), sandbox.completeMapFiles());
    EXPECT_EQ(sandbox.completeMapFiles(), FaultSandbox::expectedFiles(GetParam().tilesLeft, false));
    EXPECT_EQ(readWhole(standing), "the user's own file");
    EXPECT_EQ(sandbox.outsideOutput(), outsideBefore);

    // The user moves the file away, and the next CONVERT just works.
    fs::remove(standing);
    expectConverts(sandbox);
    EXPECT_EQ(sandbox.outsideOutput(), outsideBefore);
}

INSTANTIATE_TEST_SUITE_P(Places, FileStandsWhereAFolderGoes,
                         // Nothing is written into a tree that cannot be whole.
                         ::testing::Values(Standing{"area01", 0}, Standing{"area01/layer1", 0},
                                           Standing{"area01/layer1/level000", 0},
                                           Standing{"area01/layer1/level001", 0},
                                           Standing{"area01/layer1/level002", 0}),
                         [](const ::testing::TestParamInfo<Standing>& info) {
                             std::string name = info.param.where;
                             std::replace(name.begin(), name.end(), '/', '_');
                             return name;
                         });

TEST(RealFaults, FolderWhereTheIndexGoesStopsBeforeAnyTile) {
    FaultSandbox sandbox;
    fs::create_directories(sandbox.out() / "area01.vlm");
    ConvertRun run = sandbox.convert();
    expectOneWarning(run, messages::kCannotCreateOutput);
    EXPECT_TRUE(sandbox.mapFiles().empty());
    EXPECT_TRUE(fs::is_empty(sandbox.out() / "area01.vlm"));
}

// A link standing where the index goes, planted to lead the write elsewhere: a dangling
// one must not create its target, one to an existing file must not change it.
TEST(RealFaults, LinkWhereTheIndexGoesIsNeverWrittenThrough) {
    FaultSandbox sandbox;
    fs::path target = sandbox.root() / "elsewhere" / "target.vlm";
    fs::create_symlink(target, sandbox.out() / "area01.vlm");
    auto outsideBefore = sandbox.outsideOutput();

    ConvertRun dangling = sandbox.convert();
    expectOneWarning(dangling, messages::kCannotCreateOutput);
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(sandbox.outsideOutput(), outsideBefore);

    std::ofstream(target) << "someone else's file";
    outsideBefore = sandbox.outsideOutput();
    ConvertRun existing = sandbox.convert();
    expectOneWarning(existing, messages::kIndexExists);
    EXPECT_EQ(readWhole(target), "someone else's file");
    EXPECT_TRUE(fs::is_symlink(sandbox.out() / "area01.vlm"));
    EXPECT_TRUE(sandbox.mapFiles().empty()) << "no tile is written";
    EXPECT_EQ(sandbox.outsideOutput(), outsideBefore);
}

// Runs CONVERT in a child process whose files may not grow past limit bytes, as a full
// disk does to the write that crosses it. Reports the outcome and the messages.
struct ChildResult {
    int outcome = -1;
    int messages = 0;
    std::string text;
};

ChildResult convertWithFileSizeLimit(FaultSandbox& sandbox, rlim_t limit) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return {};
    pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        ::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead of killing
        rlimit rl{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &rl);
        ConvertRun run = sandbox.convert();
        std::string report = std::to_string(static_cast<int>(run.outcome)) + "\n" +
                             std::to_string(run.feedback.messages.size()) + "\n" +
                             (run.feedback.messages.empty() ? "" : run.feedback.messages[0].text);
        ssize_t ignored = ::write(pipeEnds[1], report.data(), report.size());
        (void)ignored;
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::string report;
    char buffer[256];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) report.append(buffer, static_cast<size_t>(got));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ChildResult result;
    size_t first = report.find('\n'), second = report.find('\n', first + 1);
    if (first == std::string::npos || second == std::string::npos) return result;
    result.outcome = std::stoi(report.substr(0, first));
    result.messages = std::stoi(report.substr(first + 1, second - first - 1));
    result.text = report.substr(second + 1);
    return result;
}

struct SizeLimit {
    rlim_t bytes;
};

void PrintTo(const SizeLimit& limit, std::ostream* out) { *out << limit.bytes << " bytes"; }

class DiskFullByFileSizeLimit : public ::testing::TestWithParam<SizeLimit> {};

TEST_P(DiskFullByFileSizeLimit, WarnsRemovesTheCutFileAndTheNextConvertBehaves) {
    FaultSandbox sandbox;
    auto outsideBefore = sandbox.outsideOutput();
    ChildResult child = convertWithFileSizeLimit(sandbox, GetParam().bytes);
    EXPECT_EQ(child.outcome, static_cast<int>(ConversionOutcome::OutputFailed));
    EXPECT_EQ(child.messages, 1);
    EXPECT_EQ(child.text, messages::kCannotWriteOutput);
    EXPECT_EQ(sandbox.mapFiles(), sandbox.completeMapFiles()) << "a cut file was left behind";
    EXPECT_EQ(sandbox.completeMapFiles(), FaultSandbox::expectedFiles(0, false));
    EXPECT_EQ(sandbox.outsideOutput(), outsideBefore);
    expectConverts(sandbox);
}

// 100 bytes: the index itself cannot be written. 20000: the index fits, no tile does.
INSTANTIATE_TEST_SUITE_P(Limits, DiskFullByFileSizeLimit,
                         ::testing::Values(SizeLimit{100}, SizeLimit{20000}),
                         [](const ::testing::TestParamInfo<SizeLimit>& info) {
                             return "limit_" + std::to_string(info.param.bytes) + "_bytes";
                         });

TEST(RealFaults, TinyFileSystemFillsUpWhileTilesAreWritten) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a tiny tmpfs needs root";
    FaultSandbox sandbox;
    auto outsideBefore = sandbox.outsideOutput();
    // 64 KiB: room for the index and two tiles of 25,760 bytes, not for a third.
    TmpfsMount mount(sandbox.out(), "size=64k");
    if (!mount.mounted()) GTEST_SKIP() << "root without mount";
    sandbox.enterOutput();

    ConvertRun run = sandbox.convert();
    expectOneWarning(run, messages::kCannotWriteOutput);
    std::vector<std::string> left = sandbox.completeMapFiles();
    EXPECT_EQ(sandbox.mapFiles(), left) << "a cut tile was left behind";
    int tiles = static_cast<int>(left.size());
    EXPECT_GE(tiles, 1);
    EXPECT_LT(tiles, 9);
    EXPECT_EQ(left, FaultSandbox::expectedFiles(tiles, false)) << "the tiles left are the first ones, whole";
    EXPECT_EQ(sandbox.outsideOutput(), outsideBefore);

    ASSERT_TRUE(mount.remount("size=4m"));
    expectConverts(sandbox);
    EXPECT_EQ(sandbox.outsideOutput(), outsideBefore);
}

}  // namespace
