#pragma once

#include "cli/CliRun.h"

#include <string>
#include <vector>

namespace orv::test {

// What one run of the command-line tool gave.
struct CliOutcome {
    int status;
    std::string out;
    std::string err;
};

// Runs the command-line tool in this process, without a progress line,
// opening files with `open`.
CliOutcome RunCliInProcess(const std::vector<std::string>& args, const PresentationOpenFunction& open);

} // namespace orv::test
