#include "filelist/gui/ScanCaption.h"

#include "shell/gui/Platform.h"
#include "shell/gui/ProgressCaption.h"

namespace orv {

ScanProgress ScanProgressInCaption(ProgressCaption& caption, EventPump& pump,
                                   const std::size_t& filesBefore) {
    return [&caption, &pump, &filesBefore](std::size_t folders, std::size_t files) {
        caption.update([&] {
            return QStringLiteral("Scanning: %1 folders, %2 files found")
                .arg(folders)
                .arg(filesBefore + files);
        });
        pump.pump();
    };
}

} // namespace orv
