#include "support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

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

ChildResult runCaptured(const std::string& program) {
    ChildResult result;
    int outPipe[2];
    int errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return result;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        close(outPipe[0]);
        close(outPipe[1]);
        close(errPipe[0]);
        close(errPipe[1]);
        char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
        char* envp[] = {nullptr};
        execve(program.c_str(), argv, envp);
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    bool open[2] = {true, true};
    while (open[0] || open[1]) {
        for (int i = 0; i < 2; ++i) fds[i].fd = open[i] ? (i == 0 ? outPipe[0] : errPipe[0]) : -1;
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

}  // namespace rmtest
