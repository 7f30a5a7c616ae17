#pragma once
// The progress line on a terminal, for every command that shows one: redrawn in place
// when the percentage moves, ended with a new line once everything is done or before
// anything else is printed. Drawn only where it is enabled (standard error a terminal).

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

enum class ProgressStyle {
    TileCount,  // "Writing tiles: 12 of 40 (30%)": convert's
    TimeLeft,   // "tessella: 30% written, 12 s left": import's, whose rows of tiles may be slow
};

class ProgressLine {
public:
    using Sink = std::function<void(std::string_view)>;
    ProgressLine(Sink output, bool enabled, ProgressStyle style = ProgressStyle::TimeLeft);
    ~ProgressLine();
    // A line moved from is no longer this object's to end.
    ProgressLine(ProgressLine&& other) noexcept;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void update(int64_t done, int64_t total);
    // Ends the line if one is drawn.
    void finish();

    // What the line says, without the carriage return that starts it: the time left is
    // told from 1% on, while something is left to do, from the seconds elapsed so far.
    static std::string text(ProgressStyle style, int64_t done, int64_t total, double elapsedSeconds);

private:
    Sink output_;
    bool enabled_;
    ProgressStyle style_;
    std::chrono::steady_clock::time_point start_;
    int lastPercent_ = -1;
    bool open_ = false;
};
