// Files and folders dropped on the file list, and double-click removal.
#include "filelist/AddFolder.h"
#include "filelist/FileSystem.h"
#include "shell/gui/Form1.h"
#include "shell/gui/ListControl.h"

#include <QMimeData>
#include <QUrl>

namespace orv {

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
    for (const QString& path : paths) {
        // An item that vanished between drag and drop, or cannot be examined,
        // is skipped; a drop shows no message.
        try {
            const std::string item = path.toStdString();
            if (!IsDirectory(item)) {
                m_listView1->add(path); // a file is added as dropped, whatever it is
                continue;
            }
            const auto rows = CollectFolderFiles(item, "*", m_reporter, [this] { m_services.pump.pump(); });
            for (const auto& row : rows)
                m_listView1->add(QString::fromStdString(row));
        } catch (...) {
        }
    }
}

void Form1::ListView1_DblClick() {
    if (m_mousePointer == PointerHourglass || m_listView1->count() == 0)
        return;
    if (const int index = m_listView1->selectedIndex(); index > 0)
        m_listView1->remove(index);
}

} // namespace orv
