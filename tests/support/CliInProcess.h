#pragma once

#include "cli/CliRun.h"

#include <functional>

#include <string>
#include <vector>

namespace orv::test {

// Reads a whole presentation at once; OpenerOf turns it into an opener.
using PresentationReadFunction = std::function<PresentationContent(const std::string& path)>;
PresentationOpenFunction OpenerOf(PresentationReadFunction read);

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
