#include "app/headless/Headless.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return vp::runHeadless(args, std::cout, std::cerr);
}
