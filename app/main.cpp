#include "extract/Harvest.h"
#include "extract/NativePresentationHost.h"
#include "shell/ProcessEnvironment.h"
#include "shell/ResourceFolder.h"
#include "shell/WindowCommandLine.h"
#include "shell/gui/ClipboardHandover.h"
#include "shell/gui/Form1.h"
#include "shell/gui/QtPlatform.h"
#include "shell/gui/Settings.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // --help and --version are answered before the application object is
    // made: that needs a display, and opening a window is not what was asked.
    if (const auto answer = orv::WindowCommandLineAnswer(std::vector<std::string>(argv + 1, argv + argc))) {
        std::fputs(answer->c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
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
    const QString resources =
        QString::fromStdString(orv::ResourceFolder(QApplication::applicationDirPath().toStdString()));
    // "Remember Read Files" keeps its results in the user's cache folder
    // ($XDG_CACHE_HOME, ~/.cache by default).
    const QString cacheFile = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                              QStringLiteral("/orvandel/results.sqlite");
    orv::Form1 form({interaction, pump, clipboard, random, host, settings, resources, orv::EndProgramAtOnce,
                     orv::SteadyMilliseconds, [&host] { return orv::CheckPowerPointInstalled(host); },
                     cacheFile, [] { return std::make_unique<orv::NativePresentationHost>(); }});
    interaction.setParentWindow(&form);
    form.Form_Load();
    form.showCentred();
    // Files and folders given on the command line ("Open with" in a file
    // manager) join the file list once the window shows. Qt has taken its own
    // options out of argv by now.
    QStringList paths;
    for (int i = 1; i < argc; ++i)
        paths << QString::fromLocal8Bit(argv[i]);
    QTimer::singleShot(0, &form, [&form, paths] { form.AddStartupPaths(paths); });
    return app.exec();
}
