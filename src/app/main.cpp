#include "app/CommandLineInfo.h"
#include "app/headless/Headless.h"
#include "app/linux/LinuxHeadless.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (auto status = vp::answerInfoOption(args, std::cout)) return *status;
    return vp::runHeadless(args, std::cout, std::cerr, isatty(STDOUT_FILENO) == 1, vp::makeLinuxBed);
}
