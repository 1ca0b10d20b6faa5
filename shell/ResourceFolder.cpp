#include "shell/ResourceFolder.h"

#include <filesystem>
#include <system_error>

namespace orv {

namespace {

bool pathExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

} // namespace

std::string ResourceFolder(const std::string& programFolder) {
    const std::filesystem::path beside(programFolder);
    for (const char* name : {"x/o.cjs", "HAND-M.CUR", "drag.ico", "Samples"})
        if (pathExists(beside / name))
            return programFolder;
    const auto shared = (beside / ".." / "share" / "orvandel").lexically_normal();
    if (pathExists(shared))
        return shared.string();
    return programFolder;
}

} // namespace orv
