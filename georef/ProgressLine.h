#pragma once
// A progress line on a terminal: "tessella: 42% written, 12 s left", redrawn in place
// when the percentage changes, ended with a new line.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class ProgressLine {
public:
    using Sink = std::function<void(std::string_view)>;
    ProgressLine(Sink output, bool enabled, std::string what = "written");
    ~ProgressLine();

    void update(int64_t done, int64_t total);
    void finish();

    // The text for a fraction done after `elapsed` seconds: "42% written, 12 s left"
    // (no time left before 1% or with nothing left to do).
    static std::string format(int64_t done, int64_t total, double elapsedSeconds, const std::string& what);

private:
    Sink output_;
    bool enabled_;
    std::string what_;
    std::chrono::steady_clock::time_point start_;
    int lastPercent_ = -1;
    bool open_ = false;
};
