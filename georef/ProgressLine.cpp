#include "ProgressLine.h"

#include <cmath>

ProgressLine::ProgressLine(Sink output, bool enabled, std::string what)
    : output_(std::move(output)), enabled_(enabled), what_(std::move(what)),
      start_(std::chrono::steady_clock::now()) {}

ProgressLine::~ProgressLine() { finish(); }

std::string ProgressLine::format(int64_t done, int64_t total, double elapsedSeconds, const std::string& what) {
    int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
    std::string text = std::to_string(percent) + "% " + what;
    if (done > 0 && done < total && percent >= 1) {
        double left = elapsedSeconds * static_cast<double>(total - done) / static_cast<double>(done);
        text += ", " + std::to_string(static_cast<long long>(std::ceil(left))) + " s left";
    }
    return text;
}

void ProgressLine::update(int64_t done, int64_t total) {
    if (!enabled_ || total <= 0) return;
    int percent = static_cast<int>(done * 100 / total);
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    output_("\rtessella: " + format(done, total, elapsed, what_) + "\x1b[K");
    open_ = true;
}

void ProgressLine::finish() {
    if (open_) output_("\n");
    open_ = false;
}
