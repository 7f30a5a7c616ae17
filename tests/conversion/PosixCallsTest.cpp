// The POSIX file services' retry loops, driven through their system-call table: a write
// or read interrupted by a signal is retried, a short write goes on where it stopped, and
// a write that makes no progress is a failure, not a loop.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "FileServices.h"
#include "PosixCalls.h"
#include "TempFolder.h"
#include "TestOutput.h"

namespace {

// What the scripted calls do, one step per call: -1 sets errno to EINTR, 0 returns 0,
// n passes at most n bytes on to the real call.
std::vector<long> script;
size_t step = 0;
std::string written;

long next(size_t wanted) {
    if (step >= script.size()) return static_cast<long>(wanted);
    return script[step++];
}

ssize_t scriptedWrite(int fd, const void* data, size_t size) {
    long n = next(size);
    if (n < 0) {
        errno = EINTR;
        return -1;
    }
    size_t part = std::min(size, static_cast<size_t>(n));
    written.append(static_cast<const char*>(data), part);
    return part == 0 ? 0 : ::write(fd, data, part);
}

ssize_t scriptedRead(int fd, void* buffer, size_t size, off_t offset) {
    long n = next(size);
    if (n < 0) {
        errno = EINTR;
        return -1;
    }
    return ::pread(fd, buffer, std::min(size, static_cast<size_t>(n)), offset);
}

class PosixCalls : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = posix_calls::calls();
        posix_calls::calls() = {scriptedWrite, scriptedRead};
        step = 0;
        written.clear();
    }
    void TearDown() override { posix_calls::calls() = saved_; }

    posix_calls::Calls saved_{};
    TempFolder folder_;
};

TEST_F(PosixCalls, WritesRetryInterruptionsAndShortWritesAndFailWithoutProgress) {
    struct Case {
        std::vector<long> script;
        bool succeeds;
    } cases[] = {
        {{-1, -1, 100000}, true},     // interrupted twice
        {{3, 1, 7, 100000}, true},    // short writes go on where they stopped
        {{5, 0}, false},              // no progress: the disk is full
    };
    const std::string data(1000, 'x');
    auto output = openTestOutput(folder_.path());
    for (const Case& c : cases) {
        script = c.script;
        step = 0;
        written.clear();
        OutputFolder::Handle file = output->createFile("out.bin");
        ASSERT_NE(file, OutputFolder::kNoFile);
        EXPECT_EQ(output->writeAll(file, data.data(), data.size()), c.succeeds);
        output->close(file);
        if (c.succeeds) {
            EXPECT_EQ(written, data);
        } else {
            EXPECT_EQ(output->lastError(), ENOSPC);
        }
    }
}

TEST_F(PosixCalls, ReadsRetryInterruptionsAndShortReads) {
    const std::string data = "0123456789abcdef";
    std::string path = folder_.file("in.bin");
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
    FileReading& reading = platformFileReading();
    FileReading::Handle file = reading.openForReading(path.c_str());
    ASSERT_NE(file, FileReading::kNoFile);
    script = {-1, 4, -1, 5, 100};
    step = 0;
    char buffer[32] = {};
    EXPECT_EQ(reading.readAt(file, 2, buffer, 10), 10);
    EXPECT_EQ(std::string(buffer, 10), data.substr(2, 10));
    script = {100};
    step = 0;
    EXPECT_EQ(reading.readAt(file, 10, buffer, 20), 6) << "the end of the file ends the read";
    reading.close(file);
}

}  // namespace
