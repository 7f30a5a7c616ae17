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

// Like runProcess, but standard error is a terminal (a pseudo-terminal); its output is
// returned in err, standard output is discarded.
ProcessResult runProcessOnTerminal(const std::vector<std::string>& argv,
                                   const std::string& workingFolder);
