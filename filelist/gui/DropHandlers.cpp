// Files and folders dropped on the file list, and double-click removal.
#include "filelist/AddFolder.h"
#include "filelist/FileSystem.h"
#include "filelist/gui/ScanCaption.h"
#include "shell/gui/EventHook.h"
#include "shell/gui/Form1.h"
#include "shell/gui/ListControl.h"
#include "shell/gui/ProgressCaption.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace orv {

void Form1::hookDrops() {
    EventHook::install(m_listView1->viewport(), [this](QEvent* event) {
        const auto type = event->type();
        if (type == QEvent::DragEnter || type == QEvent::DragMove) {
            // Only a list of files can be dropped; anything else shows the no-drop pointer.
            auto* drag = static_cast<QDropEvent*>(event);
            if (DroppedPaths(drag->mimeData()).isEmpty())
                drag->ignore();
            else
                drag->acceptProposedAction();
            return true;
        }
        if (type == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList paths = DroppedPaths(drop->mimeData());
            if (!paths.isEmpty()) {
                drop->acceptProposedAction();
                ListView1_OLEDragDrop(paths);
            }
            return true;
        }
        return false;
    });
}

QStringList DroppedPaths(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

void Form1::ListView1_OLEDragDrop(const QStringList& paths) {
    ProgressCaption caption(*this, title(), m_services.clock);
    std::size_t added = 0;
    const ScanProgress progress = ScanProgressInCaption(caption, m_services.pump, added);
    for (const QString& path : paths) {
        // An item that vanished between drag and drop, or cannot be examined,
        // is skipped; a drop shows no message.
        try {
            const std::string item = path.toStdString();
            // A file is added as dropped, whatever it is; so is a package
            // folder, which is one file.
            if (!IsDirectory(item) || IsPackageFolder(item)) {
                m_listView1->add(path);
                ++added;
                continue;
            }
            const std::string all = "*";
            const auto rows = CollectFolderFiles(
                item, std::span<const std::string>(&all, 1), m_reporter, [this] { m_services.pump.pump(); },
                progress);
            for (const auto& row : rows)
                m_listView1->add(QString::fromStdString(row));
            added += rows.size();
        } catch (...) {
        }
    }
}

void Form1::AddStartupPaths(const QStringList& arguments) {
    QStringList paths;
    for (const QString& argument : arguments) {
        // Only what names an existing file or folder counts; anything else,
        // a path gone since or an option of no meaning here, is passed over.
        const QFileInfo info(argument);
        if (!argument.isEmpty() && info.exists())
            paths << info.absoluteFilePath();
    }
    if (!paths.isEmpty())
        ListView1_OLEDragDrop(paths);
}

void Form1::ListView1_DblClick() {
    if (m_mousePointer == PointerHourglass || m_listView1->count() == 0)
        return;
    if (const int index = m_listView1->selectedIndex(); index > 0)
        m_listView1->remove(index);
}

} // namespace orv
