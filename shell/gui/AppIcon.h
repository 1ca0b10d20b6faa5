#pragma once

#include <QIcon>

namespace orv {

// The program's icon: a slide with an envelope and an "@", drawn at 32, 48,
// 128 and 256 pixels square.
QIcon ProgramIcon();

} // namespace orv
