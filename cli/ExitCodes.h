#pragma once
// What the tessella command tells its caller. Each kind of failure has its own code so
// scripts can tell a bad bitmap from bad settings from a failed write.

enum ExitCode : int {
    kExitSuccess = 0,          // converted, or the bitmap was accepted
    kExitInternalError = 1,    // something the command did not expect
    kExitUsage = 2,            // unknown command or option, missing or malformed value
    kExitBitmapRefused = 3,    // the bitmap is missing, unreadable or of a kind not converted
    kExitSettingsRefused = 4,  // map name, folder name, corners or distances refused
    kExitOutputFailed = 5,     // the index file exists, or an output file or folder failed
    kExitMapUnsound = 6,       // inspect, verify, preview: the map or file is missing, unreadable or damaged
};
