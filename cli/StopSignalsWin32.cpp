#include <windows.h>

#include <csignal>

#include "StopSignals.h"

namespace {

volatile std::sig_atomic_t stopSignal = 0;

BOOL WINAPI onConsoleEvent(DWORD event) {
    if (stopSignal != 0) return FALSE;  // a second request: the system ends the program
    switch (event) {
        case CTRL_C_EVENT: stopSignal = SIGINT; return TRUE;
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT: stopSignal = SIGTERM; return TRUE;
        default: return FALSE;
    }
}

}  // namespace

StopSignals::StopSignals() {
    stopSignal = 0;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

StopSignals::~StopSignals() { SetConsoleCtrlHandler(onConsoleEvent, FALSE); }

const volatile std::sig_atomic_t* StopSignals::flag() const { return &stopSignal; }

int StopSignals::exitCode() const { return 128 + static_cast<int>(stopSignal); }

void ignoreFileSizeSignal() {}
