#pragma once
// Ctrl-C and the other requests to stop, while a map is written: the first one sets a
// flag the conversion reads between tiles, so it can stop cleanly (no index of the run
// left, every tile in place whole); a second one ends the program at once. On POSIX
// systems SIGINT, SIGTERM and SIGHUP; on Windows the console's Ctrl-C, Ctrl-Break and
// close events.

#include <csignal>

class StopSignals {
public:
    StopSignals();   // starts listening
    ~StopSignals();  // restores what was there before
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Non-zero once a stop was asked for: the signal's number.
    const volatile std::sig_atomic_t* flag() const;
    // The exit code for the stop: 128 + the signal's number (130, 143, 129).
    int exitCode() const;
};

// A file-size limit makes a write fail (the write-failure warning) instead of killing
// the program without a word. Called once at start-up.
void ignoreFileSizeSignal();
