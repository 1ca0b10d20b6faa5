#include "support/CliInProcess.h"

#include <sstream>

namespace orv::test {

CliOutcome RunCliInProcess(const std::vector<std::string>& args, const PresentationOpenFunction& open) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunCliArguments(args, out, err, false, open);
    return {status, out.str(), err.str()};
}

} // namespace orv::test
