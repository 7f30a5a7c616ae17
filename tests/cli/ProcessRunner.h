#pragma once
// Runs a program in a given folder and collects its exit code, standard output and
// standard error. Standard input is empty.

#include <string>
#include <vector>

struct ProcessResult {
    int exitCode = -1;  // the program's exit status; 128 + n when killed by signal n
    std::string out;
    std::string err;
};

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& workingFolder);

// The command an environment variable names, split at white space (a runner and its
// arguments, then the program); fallback's words when the variable is unset or empty.
std::vector<std::string> commandFromEnvironment(const char* variable, const std::string& fallback);

// Like runProcess, but standard error is a terminal (a pseudo-terminal); its output is
// returned in err, standard output is discarded.
ProcessResult runProcessOnTerminal(const std::vector<std::string>& argv,
                                   const std::string& workingFolder);

// Starts a program in a folder without waiting for it: standard input empty, standard
// output and error into pipes (small outputs: read once it has ended), and a limit on
// the size of the files it writes when fileSizeLimit is not negative.
struct StartedProcess {
    int pid = -1;
    int out = -1;
    int err = -1;
};
StartedProcess startProcess(const std::vector<std::string>& argv, const std::string& workingFolder,
                            long fileSizeLimit = -1);
// Waits for a started program and collects what it printed.
ProcessResult finishProcess(const StartedProcess& process);
