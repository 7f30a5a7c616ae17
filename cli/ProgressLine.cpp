#include "ProgressLine.h"

#include <cmath>

namespace {

int percentOf(int64_t done, int64_t total) { return total > 0 ? static_cast<int>(done * 100 / total) : 100; }

}  // namespace

ProgressLine::ProgressLine(Sink output, bool enabled, ProgressStyle style)
    : output_(std::move(output)), enabled_(enabled), style_(style), start_(std::chrono::steady_clock::now()) {}

ProgressLine::ProgressLine(ProgressLine&& other) noexcept
    : output_(std::move(other.output_)), enabled_(other.enabled_), style_(other.style_), start_(other.start_),
      lastPercent_(other.lastPercent_), open_(other.open_) {
    other.open_ = false;
    other.enabled_ = false;
}

ProgressLine::~ProgressLine() { finish(); }

std::string ProgressLine::text(ProgressStyle style, int64_t done, int64_t total, double elapsedSeconds) {
    const int percent = percentOf(done, total);
    if (style == ProgressStyle::TileCount)
        return "Writing tiles: " + std::to_string(done) + " of " + std::to_string(total) + " (" +
               std::to_string(percent) + "%)";
    std::string line = "tessella: " + std::to_string(percent) + "% written";
    if (done > 0 && done < total && percent >= 1) {
        double left = elapsedSeconds * static_cast<double>(total - done) / static_cast<double>(done);
        line += ", " + std::to_string(static_cast<long long>(std::ceil(left))) + " s left";
    }
    // The time left may take fewer characters than the line before: clear the rest.
    return line + "\x1b[K";
}

void ProgressLine::update(int64_t done, int64_t total) {
    if (!enabled_ || total <= 0) return;
    // Redrawn when the percentage moves, so a long run does not flood the terminal.
    const int percent = percentOf(done, total);
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    std::string line = "\r";
    line += text(style_, done, total, elapsed);
    output_(line);
    open_ = true;
    if (done >= total) finish();
}

void ProgressLine::finish() {
    if (open_) output_("\n");
    open_ = false;
    lastPercent_ = -1;
}
