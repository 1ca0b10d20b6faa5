// The file list's "Add PowerPoint File(s)" and "Clear List" buttons.
#include "filelist/FileSelection.h"
#include "shell/gui/Form1.h"
#include "shell/gui/Interaction.h"
#include "shell/gui/ListControl.h"

namespace orv {

void Form1::PushButton3_Click() {
    Steps s(m_reporter, loc::PushButton3);
    QString title;
    QString filter;
    QStringList picked;
    std::vector<std::string> parts;
    // Step 102 (dialog flags) has no counterpart: the dialog always allows
    // several files and long names.
    s.run(104, [&] { title = QStringLiteral("Add File(s) - Use Ctrl & Shift to select multiple files"); });
    s.run(106, [&] { filter = QString::fromStdString(AddFilesFilter()); });
    s.run(108, [&] { picked = m_services.interaction.openFiles(title, filter); });
    if (picked.isEmpty()) // step 110: cancelled
        return;
    s.run(112, [&] {
        std::vector<std::string> paths;
        for (const auto& p : picked)
            paths.push_back(p.toStdString());
        parts = SelectionParts(paths);
    });
    if (!SelectionFitsBuffer(parts)) {
        message(QStringLiteral(
            "You've selected too many files to add.\r\rPlease try adding via the \"Add All\" button."));
        return;
    }
    if (parts.size() == 1) { // step 114
        s.run(118, [&] { m_listView1->add(QString::fromStdString(parts[0])); });
        return;
    }
    const auto rows = SelectionRows(parts);
    for (const auto& row : rows)
        s.run(132, [&] { m_listView1->add(QString::fromStdString(row)); });
}

void Form1::PushButton5_Click() {
    Steps s(m_reporter, loc::PushButton5);
    s.run(100, [&] {
        if (m_mousePointer != PointerHourglass)
            m_listView1->clearRows();
    });
}

} // namespace orv
