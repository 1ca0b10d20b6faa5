// Drives the real window on a real X display for clipboard_outlives_window.sh:
//   clipboard_probe manager       exit 0 once a clipboard manager runs
//   clipboard_probe copy ROW...   the rows as results, all ticked, "Copy Results
//                                 To Clipboard", then the window is closed
//   clipboard_probe check ROW...  exit 0 when the clipboard holds the copy of the rows
#include "fakes/Fakes.h"
#include "shell/gui/ClipboardHandover.h"
#include "shell/gui/Form1.h"
#include "shell/gui/ListControl.h"
#include "shell/gui/QtPlatform.h"
#include "shell/gui/Settings.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QClipboard>

#include <cstdio>

using namespace orv;

namespace {

QString copiedText(const QStringList& rows) {
    QString text;
    for (const auto& row : rows)
        text += row + QStringLiteral("\r\n");
    return text;
}

int copyAndClose(const QStringList& rows) {
    test::TempDir dir;
    test::ScriptedInteraction interaction; // the confirmation box is answered at once
    QtEventPump pump;
    QtClipboard clipboard;
    test::FixedRandom random;
    test::FakeHost host;
    Settings settings(QString::fromStdString(dir.str()) + QStringLiteral("/Quillmoor.ini"));
    Form1 form({interaction, pump, clipboard, random, host, settings, QString::fromStdString(dir.str()),
                EndProgramAtOnce});
    form.Form_Load();
    form.showCentred();
    for (int i = 0; i < rows.size(); ++i) {
        form.ListView2()->add(rows[i]);
        form.ListView2()->setChecked(i + 1, true);
    }
    form.PushButton4_Click();
    if (QGuiApplication::clipboard()->text() != copiedText(rows)) {
        std::fprintf(stderr, "the copy did not reach the clipboard\n");
        return 2;
    }
    form.close(); // ends the process
    std::fprintf(stderr, "closing the window did not end the program\n");
    return 3;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments().mid(1);
    const QString mode = args.value(0);
    const QStringList rows = args.mid(1);
    if (mode == QStringLiteral("manager"))
        return ClipboardManagerRunning() ? 0 : 1;
    if (mode == QStringLiteral("copy"))
        return copyAndClose(rows);
    if (mode == QStringLiteral("check")) {
        const QString text = QGuiApplication::clipboard()->text();
        if (text == copiedText(rows))
            return 0;
        std::fprintf(stderr, "the clipboard holds \"%s\"\n", qPrintable(text));
        return 1;
    }
    std::fprintf(stderr, "usage: clipboard_probe manager | copy ROW... | check ROW...\n");
    return 64;
}
