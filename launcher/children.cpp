// SPDX-License-Identifier: MIT
#include "launcher/launcher.hpp"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
sigset_t start_mask;
}

void remember_signal_mask() {
    sigprocmask(SIG_SETMASK, nullptr, &start_mask);
}

pid_t spawn(const char *const argv[], const char *display, int keep_fd, int output_fd) {
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) die("cannot start %s: %s", argv[0], strerror(errno));
    if (pid > 0) return pid;

    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(LAUNCH_FAILED); // the launcher is already gone
    sigprocmask(SIG_SETMASK, &start_mask, nullptr);
    if (keep_fd >= 0) fcntl(keep_fd, F_SETFD, 0);
    if (output_fd >= 0) {
        dup2(output_fd, STDOUT_FILENO);
        dup2(output_fd, STDERR_FILENO);
    }
    if (display) setenv("DISPLAY", display, 1);
    execvp(argv[0], const_cast<char *const *>(argv));
    fprintf(stderr, "pelko-play: cannot run %s: %s\n", argv[0], strerror(errno));
    _exit(127);
}

bool reap(pid_t pid, int &wait_status, int milliseconds) {
    for (int waited = 0;; waited += 10) {
        const pid_t got = waitpid(pid, &wait_status, WNOHANG);
        if (got == pid || (got < 0 && errno != EINTR)) return true;
        if (waited >= milliseconds) return false;
        usleep(10000);
    }
}

int stop(pid_t pid) {
    int wait_status = 0;
    if (reap(pid, wait_status, 0)) return wait_status;
    kill(pid, SIGTERM);
    if (reap(pid, wait_status, 3000)) return wait_status;
    kill(pid, SIGKILL);
    waitpid(pid, &wait_status, 0);
    return wait_status;
}
