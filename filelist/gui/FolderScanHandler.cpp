// "Add All PowerPnt File(s) In Folder": every file of a folder tree whose
// extension matches what the user types.
#include "filelist/AddFolder.h"
#include "filelist/gui/ScanCaption.h"
#include "shell/gui/Form1.h"
#include "shell/gui/ListControl.h"
#include "shell/gui/ProgressCaption.h"
#include "shell/gui/Settings.h"

namespace orv {

void Form1::PushButton6_Click() {
    Steps s(m_reporter, loc::PushButton6);
    QString answer;
    s.run(100, [&] {
        const QString offered = m_services.settings.read(QStringLiteral("Extension"), QStringLiteral("*"));
        answer = m_services.interaction.inputBox(
            QStringLiteral(
                "Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for all doc "
                "files, etc.)"),
            applicationTitle(), offered);
        if (!answer.isEmpty())
            m_services.settings.write(QStringLiteral("Extension"), answer);
    });
    if (answer.isEmpty()) // step 102: cancelled or erased
        return;
    QString folder;
    s.run(104, [&] {
        const QString lastFolder = m_services.settings.read(QStringLiteral("LastFolder"), QString());
        folder = m_services.interaction.browseForFolder(QStringLiteral("Please select folder:"), lastFolder);
    });
    if (folder.isEmpty()) // step 106: cancelled; the extension stays saved
        return;
    s.run(334, [&] { m_services.settings.write(QStringLiteral("LastFolder"), folder); });
    s.run(108, [&] { setMousePointer(PointerHourglass); });
    std::vector<std::string> rows;
    ProgressCaption caption(*this, title(), m_services.clock);
    static constexpr std::size_t kNoneBefore = 0;
    s.run(112, [&] {
        const std::string extension = answer.toStdString();
        rows = CollectFolderFiles(
            folder.toStdString(), std::span<const std::string>(&extension, 1), m_reporter,
            [this] { m_services.pump.pump(); }, ScanProgressInCaption(caption, m_services.pump, kNoneBefore));
    });
    for (const auto& row : rows)
        s.run(126, [&] { m_listView1->add(QString::fromStdString(row)); });
    s.run(130, [&] { setMousePointer(PointerDefault); });
}

} // namespace orv
