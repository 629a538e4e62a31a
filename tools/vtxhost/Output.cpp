#include "tools/vtxhost/Output.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <utility>

#include "host/run/PrintableText.h"

namespace vtxhost {

namespace {

bool reported = false;

} // namespace

void PrepareStandardOutput() {
    signal(SIGPIPE, SIG_IGN);
    if (fcntl(STDOUT_FILENO, F_GETFD) < 0 && errno == EBADF) {
        // Opened for reading only: every write to it fails with EBADF, as on the closed one.
        const int placeholder = open("/dev/null", O_RDONLY);
        if (placeholder >= 0 && placeholder != STDOUT_FILENO) {
            dup2(placeholder, STDOUT_FILENO);
            close(placeholder);
        }
    }
}

std::string ErrorLine(std::string message) {
    return PrintableText(WithoutTrailingNewlines(std::move(message)));
}

bool StandardOutputWritten(const char* command) {
    if (reported) return false;  // once lost, the output stays incomplete
    // std::cout stays synchronised with stdio, so that what it is given lies in stdout's
    // buffer already: one fflush writes both.
    errno = 0;
    const int flushed = std::fflush(stdout);
    int error = flushed == 0 ? 0 : errno;
    if (flushed == 0 && !std::ferror(stdout) && !std::cout.fail()) return true;
    if (!reported && error == 0) {
        // The write that failed was an earlier one, whose reason is gone: the output is
        // incomplete already, so one more line break finds it out again.
        std::clearerr(stdout);
        errno = 0;
        std::fputc('\n', stdout);
        if (std::fflush(stdout) != 0) error = errno;
    }
    if (!reported) {
        reported = true;
        std::fprintf(stderr, "vtxhost%s%s: standard output could not be written%s%s\n", *command ? " " : "", command,
                     error ? ": " : "", error ? std::strerror(error) : "");
    }
    return false;
}

} // namespace vtxhost
