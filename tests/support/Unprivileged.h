#pragma once

#include <functional>

namespace orv::test {

// Runs `body` where file permissions bind. Tests running as root (as CI does)
// would read any folder and write any file; for them `body` runs in a child
// process that has become the unprivileged user "nobody". Anyone else runs
// it in this process. Returns what `body` returned, or -1 when the child could
// not be started, could not drop its rights, or did not end normally.
// Everything `body` touches must be reachable by "nobody" (a TempDir opened
// with mode 0755, say); its result is all that comes back.
int RunWherePermissionsBind(const std::function<int()>& body);

} // namespace orv::test
