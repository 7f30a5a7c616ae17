#include "ProcessRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace {

[[noreturn]] void execIn(const std::vector<std::string>& argv, const std::string& workingFolder) {
    if (chdir(workingFolder.c_str()) != 0) _exit(126);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

int statusToCode(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

// Reads every given descriptor to its end, each into its string.
void drain(std::vector<std::pair<int, std::string*>> sources) {
    std::vector<pollfd> fds;
    for (auto& [fd, text] : sources) fds.push_back({fd, POLLIN, 0});
    size_t open = fds.size();
    char buffer[4096];
    while (open > 0) {
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            ssize_t count = read(fds[i].fd, buffer, sizeof buffer);
            if (count > 0) {
                sources[i].second->append(buffer, static_cast<size_t>(count));
            } else if (count == 0 || errno != EINTR) {
                close(fds[i].fd);  // end of output (a pseudo-terminal reports EIO)
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

int openDevNull(int flags) { return open("/dev/null", flags); }

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& workingFolder) {
    ProcessResult result;
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return result;
    pid_t child = fork();
    if (child == 0) {
        int in = openDevNull(O_RDONLY);
        dup2(in, STDIN_FILENO);
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        close(outPipe[0]);
        close(errPipe[0]);
        execIn(argv, workingFolder);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    drain({{outPipe[0], &result.out}, {errPipe[0], &result.err}});
    int status = 0;
    waitpid(child, &status, 0);
    result.exitCode = statusToCode(status);
    return result;
}

ProcessResult runProcessOnTerminal(const std::vector<std::string>& argv,
                                   const std::string& workingFolder) {
    ProcessResult result;
    int terminal = -1;
    pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child < 0) return result;
    if (child == 0) {
        int in = openDevNull(O_RDONLY);
        int out = openDevNull(O_WRONLY);
        dup2(in, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        execIn(argv, workingFolder);
    }
    drain({{terminal, &result.err}});
    int status = 0;
    waitpid(child, &status, 0);
    result.exitCode = statusToCode(status);
    return result;
}

#include <sys/resource.h>

StartedProcess startProcess(const std::vector<std::string>& argv, const std::string& workingFolder,
                            long fileSizeLimit) {
    StartedProcess started;
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return started;
    pid_t child = fork();
    if (child == 0) {
        int in = openDevNull(O_RDONLY);
        dup2(in, 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        close(outPipe[0]);
        close(errPipe[0]);
        if (fileSizeLimit >= 0) {
            rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        execIn(argv, workingFolder);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    started.pid = child;
    started.out = outPipe[0];
    started.err = errPipe[0];
    return started;
}

ProcessResult finishProcess(const StartedProcess& process) {
    ProcessResult result;
    drain({{process.out, &result.out}, {process.err, &result.err}});
    int status = 0;
    while (waitpid(process.pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = statusToCode(status);
    return result;
}

std::vector<std::string> commandFromEnvironment(const char* variable, const std::string& fallback) {
    const char* given = std::getenv(variable);
    std::istringstream text(given != nullptr && *given != '\0' ? given : fallback);
    std::vector<std::string> words;
    for (std::string word; text >> word;) words.push_back(word);
    return words;
}
