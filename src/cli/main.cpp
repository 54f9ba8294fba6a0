#include "cli/program_driver.hpp"

int main(int argc, char** argv) { return korvel::runProgram(argc, argv); }
