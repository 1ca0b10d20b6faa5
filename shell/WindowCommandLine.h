#pragma once

#include <optional>
#include <span>
#include <string>

namespace orv {

// What the window program prints for -h/--help.
std::string WindowUsage();

// What the window program prints for --version.
std::string WindowVersion();

// The window program's answer to its arguments (without the program's name)
// before it makes its application object, which needs a display: the usage
// for -h or --help, the version for --version, whichever comes first; then
// the program ends. Nothing: every argument keeps its meaning (a path, or
// ignored). After "--" no argument is an option.
std::optional<std::string> WindowCommandLineAnswer(std::span<const std::string> args);

} // namespace orv
