#include "support/CliInProcess.h"

#include "support/ReadBytes.h"

#include <sstream>

namespace orv::test {

PresentationOpenFunction OpenerOf(PresentationReadFunction read) {
    return [read = std::move(read)](const std::string& path,
                                    ReadOptions) -> std::unique_ptr<PresentationDocument> {
        return std::make_unique<ContentDocument>(read(path));
    };
}

CliOutcome RunCliInProcess(const std::vector<std::string>& args, const PresentationOpenFunction& open) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunCliArguments(args, out, err, false, open);
    return {status, out.str(), err.str()};
}

} // namespace orv::test
