#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include "program_driver.hpp"
#include "usage_text.hpp"
#include "korvel/result_code.hpp"
#include "output/in_flight_files.hpp"

namespace {

// A descriptor 0, 1 or 2 that is closed at start would be taken by the next
// file or socket the program opens (an output file as standard output, the
// verification helper's socket as standard input): each one is opened on
// /dev/null first.
void openClosedStandardDescriptors()
{
    for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        const int opened = open("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != descriptor) {
            dup2(opened, descriptor);
            close(opened);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    openClosedStandardDescriptors();
    // Writing to a pipe whose reader has gone, or beyond the file size limit,
    // is a write failure to report like a full disk, not a reason to die by
    // signal and leave a truncated image behind.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    korvel::removeInFlightFilesOnSignals();
    try {
        return korvel::runProgram(argc, argv);
    } catch (...) {
        // The last resort: whatever escaped ends the run like any failure.
        std::fprintf(stderr, "%s\n%s\n", korvel::kBannerLine,
                     korvel::resultMessage(korvel::ResultCode::UnknownException));
        return static_cast<int>(korvel::ResultCode::UnknownException);
    }
}
