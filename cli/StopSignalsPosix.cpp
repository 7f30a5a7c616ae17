#include <signal.h>

#include "StopSignals.h"

namespace {

volatile std::sig_atomic_t stopSignal = 0;
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previous[3];

extern "C" void onStop(int signal) {
    stopSignal = signal;
    // A second request ends the program at once.
    struct sigaction plain = {};
    plain.sa_handler = SIG_DFL;
    sigaction(signal, &plain, nullptr);
}

}  // namespace

StopSignals::StopSignals() {
    stopSignal = 0;
    struct sigaction action = {};
    action.sa_handler = onStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // reads and writes go on; the flag is read between tiles
    for (int i = 0; i < 3; ++i) sigaction(kStopSignals[i], &action, &previous[i]);
}

StopSignals::~StopSignals() {
    for (int i = 0; i < 3; ++i) sigaction(kStopSignals[i], &previous[i], nullptr);
}

const volatile std::sig_atomic_t* StopSignals::flag() const { return &stopSignal; }

int StopSignals::exitCode() const { return 128 + static_cast<int>(stopSignal); }

void ignoreFileSizeSignal() { signal(SIGXFSZ, SIG_IGN); }
