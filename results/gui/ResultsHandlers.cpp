// The results list's buttons: save as text, save comma-delimited, copy to the
// clipboard, clear; and its Delete key.
#include "filelist/FileSystem.h"
#include "results/Exports.h"
#include "results/ReplaceFile.h"
#include "results/gui/ClipboardText.h"
#include "shell/gui/EventHook.h"
#include "shell/gui/Form1.h"
#include "shell/gui/Interaction.h"
#include "shell/gui/ListControl.h"

#include <QKeyEvent>

namespace orv {

void Form1::PushButton1_Click() {
    saveResults(loc::PushButton1, false);
}

void Form1::PushButton2_Click() {
    saveResults(loc::PushButton2, true);
}

// Both saves: the dialog, the overwrite question, then the rows written with
// the hourglass up. The file is replaced only once every byte is written, so a
// failure half-way leaves whatever was there; a failure is reported once and
// ends the writing.
void Form1::saveResults(std::string_view location, bool commaDelimited) {
    Steps s(m_reporter, location);
    QString path;
    s.run(114, [&] {
        path = m_services.interaction.saveFile(
            QStringLiteral("Save"), QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"));
    });
    if (path.isEmpty()) // step 118: cancelled
        return;
    // A question that could not be asked was not answered Yes.
    Interaction::Answer answer = Interaction::Answer::No;
    if (s.test(120, [&] { return PathExists(path.toStdString()); })) {
        s.run(122, [&] {
            answer =
                message(QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?"),
                        Interaction::Buttons::YesNo);
        });
    } else {
        answer = Interaction::Answer::Yes; // step 124
    }
    if (answer != Interaction::Answer::Yes) // step 126
        return;
    s.run(128, [&] { setMousePointer(PointerHourglass); });
    ReplaceFile file(path.toStdString());
    bool ok = s.run(130, [&] { file.open(); });
    std::vector<std::string> rows;
    const int count = ok ? m_listView2->count() : 0;
    for (int i = 1; ok && i <= count; ++i) {
        m_services.pump.pump();
        ok = s.run(136, [&] { rows.push_back(m_listView2->text(i).toStdString()); });
    }
    const int closeStep = commaDelimited ? 142 : 140;
    if (ok)
        ok = s.run(commaDelimited ? 140 : 136,
                   [&] { file.write(commaDelimited ? CommaDelimitedBytes(rows) : TextFileBytes(rows)); });
    if (ok)
        s.run(closeStep, [&] { file.commit(); });
    s.run(closeStep + 2, [&] { setMousePointer(PointerDefault); });
}

// With no rows there is nothing to copy, and the clipboard keeps what it
// held: saying so, rather than that the results were copied.
void Form1::PushButton4_Click() {
    Steps s(m_reporter, loc::PushButton4);
    bool copied = true; // a copy that failed half-way has been reported already
    s.run(106,
          [&] { copied = CopyListViewToClipboard(*m_listView2, m_services.pump, m_services.clipboard); });
    s.run(108, [&] {
        message(copied
                    ? QStringLiteral("Results have been copied to the clipboard.\r\rClick a text area where "
                                     "you normally type and press Ctrl+V to paste the clipboard.")
                    : QStringLiteral("There are no results to copy."));
    });
}

void Form1::PushButton9_Click() {
    Steps s(m_reporter, loc::PushButton9);
    s.run(100, [&] { m_listView2->clearRows(); });
}

void Form1::hookResultsKeys() {
    EventHook::install(m_listView2->widget(), [this](QEvent* event) {
        if (event->type() == QEvent::KeyPress)
            ListView2_KeyDown(static_cast<QKeyEvent*>(event)->key());
        return false;
    });
}

void Form1::ListView2_KeyDown(int keyCode) {
    if (keyCode != Qt::Key_Delete)
        return;
    if (m_mousePointer == PointerHourglass || m_listView2->count() == 0)
        return;
    const int index = m_listView2->selectedIndex();
    if (index > 0)
        m_listView2->remove(index);
}

} // namespace orv
