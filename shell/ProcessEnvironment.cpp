#include "shell/ProcessEnvironment.h"

#include <cstdlib>
#include <ctime>

namespace orv {

void SettleTimeZone() {
    if (std::getenv("TZ") == nullptr)
        ::setenv("TZ", ":/etc/localtime", 0);
    ::tzset();
}

} // namespace orv
