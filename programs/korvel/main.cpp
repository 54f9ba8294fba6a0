#include <csignal>

#include "program_driver.hpp"

int main(int argc, char** argv)
{
    // Writing to a pipe whose reader has gone, or beyond the file size limit,
    // is a write failure to report like a full disk, not a reason to die by
    // signal and leave a truncated image behind.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    return korvel::runProgram(argc, argv);
}
