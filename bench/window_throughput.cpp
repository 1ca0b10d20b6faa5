// Figures for the window: the real "Start Extracting" handler with the real
// event pump, lists and presentation reader, over N generated decks, against
// the command-line tool with one worker over the same files; then the folder
// scan and a drop of a folder of 20,000 files.
//
//   window_throughput [N...]        (default 250 500 1000 2000)
//   window_throughput --same-rows [--all-text] FILE...
//                                   the window's results over the files, with
//                                   "Read All Text" on or off, against the
//                                   command-line tool's output: prints both
//                                   counts and whether the rows are the same
//
// Runs under the offscreen platform unless QT_QPA_PLATFORM says otherwise. A
// timed program, not a test: it prints figures and checks only that each run
// found what the decks hold.
#include "extract/NativePresentationHost.h"
#include "fakes/Fakes.h"
#include "shell/ProcessEnvironment.h"
#include "shell/gui/Form1.h"
#include "shell/gui/ListControl.h"
#include "shell/gui/QtPlatform.h"
#include "shell/gui/Settings.h"
#include "support/PptxBuilder.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using orv::test::PptxBuilder;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

constexpr int kSlidesPerDeck = 20;
const char* const kProse[] = {
    "Quarterly revenue grew in every region, and the team will expand the partner programme next year.",
    "Customer support measured a shorter time to answer; the roadmap keeps quality first.",
    "Budget review: cost per delivery fell, market share rose, and the launch stays on plan.",
};

// Deck d: twenty slides of prose; every slide names one person of its own and
// the shared front desk, so a deck adds 20 rows and the seen set works too.
void writeDeck(const std::filesystem::path& path, int d) {
    PptxBuilder b;
    for (int s = 1; s <= kSlidesPerDeck; ++s) {
        auto& slide = b.addSlide();
        slide.addPlaceholder({"Review " + std::to_string(d) + "." + std::to_string(s)}, "title");
        slide.addTextBox({kProse[s % 3], kProse[(s + 1) % 3],
                          "Write to person" + std::to_string(s) + ".deck" + std::to_string(d) +
                              "@example.com or frontdesk@example.com (office hours)."});
    }
    b.writeTo(path);
}

struct Window {
    orv::test::ScriptedInteraction interaction;
    orv::QtEventPump pump;
    orv::test::FakeClipboard clipboard;
    orv::test::FixedRandom random;
    orv::NativePresentationHost host;
    orv::Settings settings;
    std::unique_ptr<orv::Form1> form;

    explicit Window(const orv::test::TempDir& dir)
        : settings(QString::fromStdString(dir.str()) + QStringLiteral("/Quillmoor.ini")) {
        // Put together as the program is: files read ahead on the other cores.
        orv::Services services{
            interaction, pump, clipboard, random, host, settings, QString::fromStdString(dir.str()), [] {}};
        services.readerHost = [] { return std::make_unique<orv::NativePresentationHost>(); };
        form = std::make_unique<orv::Form1>(services);
        form->Form_Load();
        form->showCentred();
        QApplication::processEvents();
    }
};

double cliSeconds(const std::vector<std::string>& files) {
    std::string command = std::string(ORVANDEL_CLI_PATH) + " -j 1";
    for (const auto& f : files)
        command += " '" + f + "'";
    command += " >/dev/null";
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "orvandel-cli failed\n");
    return secondsSince(start);
}

void runs(const orv::test::TempDir& dir, const std::vector<int>& sizes) {
    int most = 0;
    for (int n : sizes)
        most = std::max(most, n);
    std::vector<std::string> decks;
    for (int d = 0; d < most; ++d) {
        char name[32];
        std::snprintf(name, sizeof name, "deck%04d.pptx", d);
        decks.push_back((dir.path() / "decks" / name).string());
    }
    std::filesystem::create_directories(dir.path() / "decks");
    for (int d = 0; d < most; ++d)
        writeDeck(decks[static_cast<std::size_t>(d)], d);

    std::printf("%6s %9s %9s %10s %9s %9s %7s %10s\n", "decks", "rows", "window s", "ms/file", "us/row",
                "cli s", "ratio", "peak KiB");
    for (int n : sizes) {
        const std::vector<std::string> files(decks.begin(), decks.begin() + n);
        Window w(dir);
        for (const auto& f : files)
            w.form->ListView1()->add(QString::fromStdString(f));
        QApplication::processEvents();
        const auto start = Clock::now();
        w.form->PushButton8_Click();
        const double window = secondsSince(start);
        const int rows = w.form->ListView2()->count();
        if (rows != n * kSlidesPerDeck + 1 || w.interaction.texts() != QStringList{"Done."})
            std::fprintf(stderr, "unexpected: %d rows, messages %s\n", rows,
                         qPrintable(w.interaction.texts().join(" | ")));
        const double cli = cliSeconds(files);
        std::printf("%6d %9d %9.3f %10.3f %9.2f %9.3f %7.2f %10ld\n", n, rows, window, 1000 * window / n,
                    1e6 * window / rows, cli, window / cli, peakKiB());
        std::fflush(stdout);
    }
}

void scanAndDrop(const orv::test::TempDir& dir) {
    const int folders = 100;
    const int perFolder = 200;
    const auto tree = dir.path() / "tree";
    for (int f = 0; f < folders; ++f) {
        const auto folder = tree / ("folder" + std::to_string(f));
        std::filesystem::create_directories(folder);
        for (int i = 0; i < perFolder; ++i)
            std::ofstream(folder / ("deck" + std::to_string(i) + ".pptx"));
    }
    {
        Window w(dir);
        w.interaction.inputAnswers.push_back(QStringLiteral("pptx"));
        w.interaction.folderAnswers.push_back(QString::fromStdString(tree.string()));
        const auto start = Clock::now();
        w.form->PushButton6_Click();
        const double scan = secondsSince(start);
        std::printf("folder scan: %d rows in %.3f s\n", w.form->ListView1()->count(), scan);
    }
    {
        Window w(dir);
        const auto start = Clock::now();
        w.form->ListView1_OLEDragDrop({QString::fromStdString(tree.string())});
        QApplication::processEvents();
        const double drop = secondsSince(start);
        std::printf("folder drop: %d rows in %.3f s\n", w.form->ListView1()->count(), drop);
    }
}

// The window's rows over `files` against orvandel-cli's lines; true when the same.
bool sameRows(const orv::test::TempDir& dir, const std::vector<std::string>& files, bool allText) {
    Window w(dir);
    w.form->pushButton(8)->findChild<QAction*>(QStringLiteral("AllTextAction"))->setChecked(allText);
    for (const auto& f : files)
        w.form->ListView1()->add(QString::fromStdString(f));
    w.form->PushButton8_Click();
    QStringList window;
    for (int i = 1; i <= w.form->ListView2()->count(); ++i)
        window << w.form->ListView2()->text(i);

    const std::string list = (dir.path() / "list").string();
    {
        std::ofstream out(list, std::ios::binary);
        for (const auto& f : files)
            out << f << '\0';
    }
    const std::string output = (dir.path() / "cli-output").string();
    const std::string command = std::string(ORVANDEL_CLI_PATH) + (allText ? " --all-text" : "") +
                                " --files-from '" + list + "' -0 > '" + output + "' 2>/dev/null";
    [[maybe_unused]] const int status = std::system(command.c_str()); // unreadable files are expected
    QStringList cli;
    std::ifstream in(output, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        cli << QString::fromStdString(line);
    std::printf("%s: window %lld rows, orvandel-cli %lld lines, the same: %s\n",
                allText ? "all text" : "default", static_cast<long long>(window.size()),
                static_cast<long long>(cli.size()), window == cli ? "yes" : "NO");
    return window == cli;
}

} // namespace

int main(int argc, char** argv) {
    orv::SettleTimeZone();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1 && std::string(argv[1]) == "--same-rows") {
        const bool allText = argc > 2 && std::string(argv[2]) == "--all-text";
        const std::vector<std::string> files(argv + (allText ? 3 : 2), argv + argc);
        orv::test::TempDir dir;
        return sameRows(dir, files, allText) ? 0 : 1;
    }
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {250, 500, 1000, 2000};
    orv::test::TempDir dir;
    runs(dir, sizes);
    scanAndDrop(dir);
    std::printf("peak memory of the process: %ld KiB\n", peakKiB());
    return 0;
}
