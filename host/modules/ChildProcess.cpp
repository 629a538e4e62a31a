#include "host/modules/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vtxhost {

namespace {

[[noreturn]] void AnswerInChild(const std::function<std::string()>& work, int pipeEnd) {
    setpgid(0, 0);
    if (const int nowhere = open("/dev/null", O_RDWR); nowhere >= 0) {
        dup2(nowhere, STDIN_FILENO);
        dup2(nowhere, STDOUT_FILENO);
        if (nowhere > STDERR_FILENO) close(nowhere);
    }
    signal(SIGPIPE, SIG_IGN);
    std::string text;
    try {
        text = work();
    } catch (...) {
        _exit(125);
    }
    for (std::size_t written = 0; written < text.size();) {
        const ssize_t n = write(pipeEnd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    // Straight out: the module's own exit-time code and the parent's buffers stay untouched.
    _exit(0);
}

} // namespace

ChildOutcome RunInChild(const std::function<std::string()>& work, unsigned seconds) {
    ChildOutcome outcome;
    int channel[2];
    if (pipe(channel) != 0) {
        outcome.exitStatus = -1;
        return outcome;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    if (child < 0) {
        close(channel[0]);
        close(channel[1]);
        outcome.exitStatus = -1;
        return outcome;
    }
    if (child == 0) {
        close(channel[0]);
        AnswerInChild(work, channel[1]);
    }
    setpgid(child, child);  // also done by the child: whichever runs first
    close(channel[1]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    char buffer[4096];
    bool ended = false;
    int status = 0;
    for (;;) {
        if (!ended) {
            const pid_t done = waitpid(child, &status, WNOHANG);
            ended = done == child || (done < 0 && errno != EINTR && errno != EAGAIN);
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            outcome.late = !ended;
            break;
        }
        pollfd wait{channel[0], POLLIN, 0};
        // Once the child has ended, only what is already in the pipe is read.
        const int ready = poll(&wait, 1, ended ? 0 : static_cast<int>(std::min<long long>(left.count(), 50)));
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) {
            if (ended) break;
            continue;
        }
        const ssize_t n = read(channel[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (ended) break;
            // The pipe is closed but the child lives on: wait for it within the limit.
            wait.fd = -1;
            close(channel[0]);
            channel[0] = -1;
            while (!ended && std::chrono::steady_clock::now() < deadline) {
                const pid_t done = waitpid(child, &status, WNOHANG);
                ended = done == child || (done < 0 && errno != EINTR);
                if (!ended) usleep(20000);
            }
            outcome.late = !ended;
            break;
        }
        if (outcome.answer.size() < 65536) outcome.answer.append(buffer, static_cast<std::size_t>(n));
    }
    if (channel[0] >= 0) close(channel[0]);
    kill(-child, SIGKILL);  // the child's group: whatever the work started goes with it
    if (!ended) {
        kill(child, SIGKILL);
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
    if (!outcome.late) {
        outcome.signalled = WIFSIGNALED(status);
        outcome.signal = outcome.signalled ? WTERMSIG(status) : 0;
        outcome.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
    }
    return outcome;
}

unsigned LoadSeconds(unsigned fallback) {
    const char* text = std::getenv("VTX_LOAD_SECONDS");
    if (!text || *text < '0' || *text > '9') return fallback;
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (errno || *end || value < 1 || value > 3600) return fallback;
    return static_cast<unsigned>(value);
}

std::string DescribeFailure(const ChildOutcome& outcome) {
    if (outcome.exitStatus == -1 && !outcome.signalled && !outcome.late) return "no child process could be made";
    if (outcome.late) return "did not finish";
    if (outcome.signalled) return strsignal(outcome.signal);
    if (outcome.exitStatus == 125) return "the work threw an exception";
    return "exit status " + std::to_string(outcome.exitStatus);
}

} // namespace vtxhost
