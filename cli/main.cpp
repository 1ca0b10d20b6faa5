#include "cli/CliRun.h"
#include "extract/PresentationReader.h"
#include "shell/ProcessEnvironment.h"

#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    orv::SettleTimeZone();
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const bool progress = isatty(STDERR_FILENO) == 1;
    return orv::RunCliArguments(args, std::cout, std::cerr, progress, orv::OpenPresentationFile);
}
