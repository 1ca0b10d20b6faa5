#include "extract/NativePresentationHost.h"
#include "shell/ProcessEnvironment.h"
#include "shell/gui/ClipboardHandover.h"
#include "shell/gui/Form1.h"
#include "shell/gui/QtPlatform.h"
#include "shell/gui/Settings.h"

#include <QApplication>

int main(int argc, char** argv) {
    orv::SettleTimeZone();
    QApplication app(argc, argv);
    orv::QtInteraction interaction;
    orv::QtEventPump pump;
    orv::QtClipboard clipboard;
    orv::TimerSeededRandom random;
    orv::NativePresentationHost host;
    orv::Settings settings;
    // Closing the window ends the program at once, even in the middle of a run:
    // nothing is saved on exit, so there is nothing to wind down but the
    // clipboard, which the clipboard manager takes over.
    orv::Form1 form({interaction, pump, clipboard, random, host, settings, QApplication::applicationDirPath(),
                     orv::EndProgramAtOnce});
    interaction.setParentWindow(&form);
    form.Form_Load();
    form.showCentred();
    return app.exec();
}
