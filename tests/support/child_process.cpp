#include "support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <thread>

namespace rmtest {
namespace {

// Moves what is ready on a pipe into `into`; returns false once the pipe is closed.
bool drain(int fd, std::string& into) {
    char buffer[65536];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
        into.append(buffer, static_cast<std::size_t>(n));
        return true;
    }
    return n < 0 && errno == EINTR;
}

}  // namespace

ChildResult runCaptured(const std::string& program, const std::vector<std::string>& arguments,
                        const RunOptions& options) {
    ChildResult result;
    int outPipe[2];
    int errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return result;
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& entry : options.environment)
        envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(options.out >= 0 ? options.out : outPipe[1], 1);
        dup2(errPipe[1], 2);
        if (options.addressSpace > 0) {
            const rlimit limit = {options.addressSpace, options.addressSpace};
            setrlimit(RLIMIT_AS, &limit);
        }
        if (options.fileSize > 0) {
            const rlimit limit = {options.fileSize, options.fileSize};
            setrlimit(RLIMIT_FSIZE, &limit);
            signal(SIGXFSZ, SIG_IGN);
        }
        close(outPipe[0]);
        close(outPipe[1]);
        close(errPipe[0]);
        close(errPipe[1]);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    bool open[2] = {true, true};
    while (open[0] || open[1]) {
        for (int i = 0; i < 2; ++i)
            fds[i].fd = open[i] ? (i == 0 ? outPipe[0] : errPipe[0]) : -1;
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (open[i] && (fds[i].revents & (POLLIN | POLLHUP | POLLERR))) {
                open[i] = drain(fds[i].fd, i == 0 ? result.out : result.err);
            }
        }
    }
    close(outPipe[0]);
    close(errPipe[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exited = WIFEXITED(status);
    result.status = result.exited ? WEXITSTATUS(status) : WTERMSIG(status);
    return result;
}

pid_t startChild(const std::string& program, const ChildSetup& setup,
                 const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment) {
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& entry : environment)
        envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    const pid_t pid = fork();
    if (pid != 0) return pid;
    // Only async-signal-safe calls between fork and exec.
    if (setup.out >= 0) {
        dup2(setup.out, 1);
    } else {
        close(1);
    }
    if (setup.err >= 0) {
        dup2(setup.err, 2);
    } else {
        close(2);
    }
    for (int sig = 1; sig < NSIG; ++sig)
        signal(sig, SIG_DFL);
    if (setup.ignoreSigpipe) signal(SIGPIPE, SIG_IGN);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
}

ChildEnd waitChild(pid_t pid, std::chrono::steady_clock::time_point deadline) {
    ChildEnd end;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (done < 0 && errno != EINTR) return end;
        if (std::chrono::steady_clock::now() >= deadline) {
            end.timedOut = true;
            kill(pid, SIGKILL);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    end.exited = WIFEXITED(status);
    end.status = end.exited ? WEXITSTATUS(status) : WTERMSIG(status);
    return end;
}

bool readToEnd(int fd, std::string& into, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd ready = {fd, POLLIN, 0};
        const int n = poll(&ready, 1, static_cast<int>(left.count()) + 1);
        if (n < 0 && errno != EINTR) return true;
        if (n <= 0) continue;
        if (!drain(fd, into)) return true;
    }
}

char schedulerState(pid_t id) {
    std::ifstream stat("/proc/" + std::to_string(id) + "/stat");
    std::string line;
    std::getline(stat, line);
    // The name in parentheses may itself hold spaces and parentheses; the state follows the last.
    const auto close = line.rfind(") ");
    return close == std::string::npos ? '?' : line[close + 2];
}

bool makePipe(int ends[2], int capacity) {
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    if (capacity > 0 && fcntl(ends[1], F_SETPIPE_SZ, capacity) != capacity) {
        close(ends[0]);
        close(ends[1]);
        return false;
    }
    return true;
}

}  // namespace rmtest
