#include "base/Failure.h"
#include "extract/Harvest.h"
#include "extract/NativePresentationHost.h"
#include "extract/PresentationReader.h"
#include "extract/gui/FileReports.h"
#include "extract/ocr/PictureRun.h"
#include "fakes/FormFixture.h"
#include "shell/gui/QtPlatform.h"
#include "support/AllTextDecks.h"
#include "support/CliInProcess.h"
#include "support/OdpBuilder.h"
#include "support/PptxBuilder.h"
#include "support/ReadBytes.h"
#include "support/ReaderPrograms.h"

#include <QAccessible>
#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>

#include <QTest>

#include <condition_variable>
#include <mutex>
#include <tuple>

using namespace orv;
using namespace orv::test;

namespace {

struct Recorder : ErrorReporter {
    QStringList reports;
    void report(std::string_view location, std::int32_t step, const std::string& description) override {
        reports << QString::fromStdString(std::string(location) + "@" + std::to_string(step) + ": " +
                                          description);
    }
};

// A window over the real presentation reader, its files and settings in a
// fresh folder.
struct NativeWindow {
    TempDir dir;
    ScriptedInteraction interaction;
    CountingPump pump;
    FakeClipboard clipboard;
    FixedRandom random;
    int opened = 0; // files the host opened
    NativePresentationHost host{[this](const std::string& path, ReadOptions options) {
        ++opened;
        return OpenPresentationFile(path, options);
    }};
    Settings settings{QString::fromStdString(dir.str()) + "/settings.ini"};
    QString cacheFile = QString::fromStdString(dir.str()) + "/cache/results.sqlite";
    Services services() {
        Services s{interaction, pump, clipboard, random, host, settings, QString::fromStdString(dir.str()),
                   [] {}};
        s.resultCacheFile = cacheFile;
        return s;
    }
    Form1 form{services()};
    NativeWindow() { form.Form_Load(); }
    void add(const char* name) {
        form.ListView1()->add(QString::fromStdString((dir.path() / name).string()));
    }
};

} // namespace

class RunTest : public QObject {
    Q_OBJECT
private slots:
    void emptyListSaysNoFilesAddedAndNothingElse() {
        FormFixture f;
        f.host.calls.clear();
        f.form->PushButton8_Click();
        QCOMPARE(f.interaction.texts(), QStringList{"No files added."});
        QCOMPARE(f.interaction.messages[0].caption, QStringLiteral("Orvandel"));
        QVERIFY(!f.form->extractRunning());
        QCOMPARE(f.form->mousePointer(), Form1::PointerDefault);
        QVERIFY(f.host.calls.isEmpty());
    }

    void runAddsEachAddressOnceInFileSlideShapeOrderAndSaysDone() {
        FormFixture f;
        f.host.files["/a.pptx"] =
            SlidesOfText({{"Call BOB@x.org today", "ann@y.org"}, {"zed@z.org, bob@x.org"}});
        f.host.files["/b.pptx"] = SlidesOfText({{"Ann@Y.org and new@w.org"}});
        f.files().add("/a.pptx");
        f.files().add("/b.pptx");
        f.files().add("/a.pptx"); // the same file again adds nothing
        int pointerDuringRun = -1;
        f.host.onOpen = [&](const std::string&) { pointerDuringRun = f.form->mousePointer(); };
        f.form->PushButton8_Click();
        QCOMPARE(RowTexts(f.results()), (QStringList{"BOB@x.org", "ann@y.org", "zed@z.org", "new@w.org"}));
        QCOMPARE(f.interaction.texts(), QStringList{"Done."});
        QCOMPARE(pointerDuringRun, Form1::PointerHourglass);
        QCOMPARE(f.form->mousePointer(), Form1::PointerDefault);
        QVERIFY(!f.form->extractRunning());
        QVERIFY(!f.results().checked(1));

        // A second run appends the same rows again: the seen set is per run.
        f.form->PushButton8_Click();
        QCOMPARE(f.results().count(), 8);
    }

    void theEventLoopRunsBeforeEachFileEvenWithoutCandidates() {
        FormFixture f;
        f.host.files["/plain.pptx"] = SlidesOfText({{"no addresses here"}});
        for (int i = 0; i < 3; ++i)
            f.files().add("/plain.pptx");
        f.form->PushButton8_Click();
        QCOMPARE(f.pump.count, 3);
    }

    void aSecondClickDuringARunDoesNothingAndRowsAddedMeanwhileWait() {
        FormFixture f;
        f.host.files["/a.pptx"] = SlidesOfText({{"a@b.cc"}});
        f.host.files["/late.pptx"] = SlidesOfText({{"late@b.cc"}});
        f.files().add("/a.pptx");
        f.files().add("/a.pptx");
        f.pump.at[1] = [&] {
            f.form->PushButton8_Click(); // refused: a run is going
            f.files().add("/late.pptx"); // joins the list, not this run
            f.form->PushButton5_Click(); // clearing is refused under the hourglass
        };
        f.form->PushButton8_Click();
        QCOMPARE(RowTexts(f.results()), QStringList{"a@b.cc"});
        QCOMPARE(f.interaction.texts(), QStringList{"Done."});
        QCOMPARE(f.files().count(), 3);
    }

    void closingTheWindowDuringARunEndsTheProgram() {
        FormFixture f;
        f.host.files["/a.pptx"] = SlidesOfText({{"a@b.cc"}});
        f.files().add("/a.pptx");
        f.form->show();
        f.pump.at[1] = [&] { f.form->close(); };
        f.form->PushButton8_Click();
        QCOMPARE(f.endProgramCalls, 1);
    }

    // With the window's own pump, which lets the event loop run at most once
    // per interval: a click posted while the run works is handled before it ends.
    void aClickDuringALongRunIsHandledBeforeTheRunEnds() {
        FormFixture f;
        QtEventPump real([&] { return f.clock.read(); });
        f.pump.then = &real;
        f.clock.step = 4; // each reading of the clock moves it on 4 ms
        for (int d = 1; d <= 30; ++d) {
            const std::string path = "/d" + std::to_string(d) + ".pptx";
            f.host.files[path] = SlidesOfText({{"a" + std::to_string(d) + "@x.org", "plain words"}});
            f.files().add(QString::fromStdString(path));
        }
        f.form->show();
        QPushButton* clearResults = f.form->pushButton(9);
        int clickedWhileRunning = 0;
        QObject::connect(clearResults, &QPushButton::clicked,
                         [&] { clickedWhileRunning += f.form->extractRunning() ? 1 : 0; });
        f.host.onOpen = [&](const std::string& path) {
            if (path != "/d3.pptx")
                return;
            const QPointF at = QRectF(clearResults->rect()).center();
            for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
                QCoreApplication::postEvent(
                    clearResults,
                    new QMouseEvent(type, at, clearResults->mapToGlobal(at), Qt::LeftButton,
                                    type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                    Qt::NoModifier));
        };
        f.form->PushButton8_Click();
        QCOMPARE(clickedWhileRunning, 1);
        // The rows of the files before the click were cleared; the rest stayed.
        QVERIFY(f.results().count() > 0);
        QVERIFY(f.results().count() < 30);
        QCOMPARE(f.results().text(f.results().count()), QStringLiteral("a30@x.org"));
        QCOMPARE(f.interaction.texts(), QStringList{"Done."});
    }

    // Files without a single candidate still let the window repaint: the pump
    // before each file reaches the event loop.
    void filesWithoutCandidatesStillLetTheEventLoopRun() {
        FormFixture f;
        QtEventPump real([&] { return f.clock.read(); });
        f.pump.then = &real;
        f.clock.step = QtEventPump::kIntervalMs;
        f.host.files["/plain.pptx"] = SlidesOfText({{"nothing to find here"}});
        for (int i = 0; i < 3; ++i)
            f.files().add("/plain.pptx");
        int ranDuringRun = 0;
        f.host.onOpen = [&](const std::string&) {
            QMetaObject::invokeMethod(
                f.form.get(), [&] { ranDuringRun += f.form->extractRunning() ? 1 : 0; },
                Qt::QueuedConnection);
        };
        f.form->PushButton8_Click();
        QCOMPARE(ranDuringRun, 2); // posted during files 1 and 2, run before files 2 and 3
    }

    void theCaptionTellsHowFarALongRunIsAndTheTitleComesBack() {
        FormFixture f;
        for (int d = 1; d <= 4; ++d) {
            const std::string path = "/d" + std::to_string(d) + ".pptx";
            f.host.files[path] = SlidesOfText({{"a" + std::to_string(d) + "@x.org"}});
            f.files().add(QString::fromStdString(path));
        }
        QStringList captionAtOpen;
        f.host.onOpen = [&](const std::string&) {
            captionAtOpen << f.form->windowTitle();
            f.clock.now += 300; // each file takes 300 ms
        };
        f.files().add("/missing.pptx"); // fails at once, while the caption is still due to refresh
        QStringList captionAtBox;
        f.interaction.onMessage = [&](const ScriptedInteraction::Message&) {
            captionAtBox << f.form->windowTitle();
        };
        f.form->PushButton8_Click();
        // Quiet for the first half second, then file and address counts.
        QCOMPARE(captionAtOpen, (QStringList{"Orvandel", "Orvandel",
                                             "Extracting: file 2 of 5, 2 addresses found \u2014 Orvandel",
                                             "Extracting: file 3 of 5, 3 addresses found \u2014 Orvandel",
                                             "Extracting: file 4 of 5, 4 addresses found \u2014 Orvandel"}));
        // A box finds the caption naming the file it is about; "Done." the title.
        QCOMPARE(captionAtBox,
                 (QStringList{"Extracting: file 5 of 5, 4 addresses found \u2014 Orvandel",
                              "Extracting: file 5 of 5, 4 addresses found \u2014 Orvandel", "Orvandel"}));
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Orvandel"));

        // A short run leaves the caption alone, except for a box, however
        // early it comes: the first file's already finds the progress.
        f.clock.now = 0;
        f.host.onOpen = [&](const std::string&) { captionAtOpen << f.form->windowTitle(); };
        f.files().clearRows();
        f.files().add("/missing.pptx");
        f.files().add("/d1.pptx");
        captionAtOpen.clear();
        captionAtBox.clear();
        f.interaction.onMessage = [&](const ScriptedInteraction::Message&) {
            captionAtBox << f.form->windowTitle();
            f.clock.now += 1000; // the user reads the box
        };
        f.form->PushButton8_Click();
        QCOMPARE(captionAtOpen,
                 (QStringList{"Orvandel", "Extracting: file 2 of 2, 0 addresses found \u2014 Orvandel"}));
        QCOMPARE(captionAtBox,
                 (QStringList{"Extracting: file 1 of 2, 0 addresses found \u2014 Orvandel",
                              "Extracting: file 1 of 2, 0 addresses found \u2014 Orvandel", "Orvandel"}));
    }

    void aRunningInstanceIsAskedAboutAndNoStopsTheRun() {
        FormFixture f;
        f.host.otherInstanceRunning = true;
        f.host.files["/a.pptx"] = SlidesOfText({{"a@b.cc"}});
        f.files().add("/a.pptx");
        f.interaction.answers.push_back(Interaction::Answer::No);
        f.form->PushButton8_Click();
        QCOMPARE(f.interaction.texts(), QStringList{QString::fromUtf8(kPowerPointOpenPrompt)});
        QCOMPARE(f.interaction.messages[0].buttons, Interaction::Buttons::YesNo);
        QCOMPARE(f.results().count(), 0);
        QVERIFY(!f.form->extractRunning());

        f.interaction.answers.push_back(Interaction::Answer::Yes);
        f.form->PushButton8_Click();
        QCOMPARE(RowTexts(f.results()), QStringList{"a@b.cc"});
        QCOMPARE(f.interaction.texts().last(), QStringLiteral("Done."));
    }

    void promptTextIsExact() {
        QCOMPARE(QString::fromUtf8(kPowerPointOpenPrompt),
                 QStringLiteral(
                     "PowerPoint may be open. It is recommended that you close PowerPoint first.\rUse "
                     "Ctrl+Alt+Del > Task Manager > POWERPNT.EXE if necessary.\r\n\r\nWould you like to "
                     "proceed anyway?"));
        FakeHost other;
        other.otherInstanceRunning = true;
        other.name = "Something Else";
        QVERIFY(!IsPowerPointRunning(other));
        FakeHost none;
        QVERIFY(!IsPowerPointRunning(none));
        QVERIFY(!AbortIfPowerPointOpen(none, [](const std::string&) { return false; }));
    }

    void harvestStepsReportAndGoOn() {
        FakeHost host;
        host.files["/a.pptx"] = SlidesOfText({{"x@y.zz", ""}});
        host.files["/a.pptx"].slides[0].shapes.push_back({false, "hidden@y.zz"}); // no text frame: never read
        Recorder reporter;
        FirstOccurrences seen;
        QStringList found;
        FileRowCallbacks callbacks{[] {},
                                   [&](const std::string& path, const FoundAddress& a) {
                                       found << QString::fromStdString(path + " " + a.address);
                                   }};
        DoItByFile("/a.pptx", host, reporter, seen, callbacks);
        QCOMPARE(found, QStringList{"/a.pptx x@y.zz"});
        QVERIFY(reporter.reports.isEmpty());
        QCOMPARE(host.calls,
                 (QStringList{"Create", "Attach", "Show", "Open /a.pptx", "Text 1.1", "Text 1.2", "Quit"}));

        // A file that does not open: one report at step 106, and still Quit.
        host.calls.clear();
        DoItByFile("/missing.pptx", host, reporter, seen, callbacks);
        QCOMPARE(reporter.reports.size(), 2); // open, then the count on nothing
        QVERIFY(reporter.reports[0].startsWith(
            "in Kestrelon2021/08/31.Powerpoint.DoItByFile @106: /missing.pptx: File not found"));
        QVERIFY(reporter.reports[1].contains("@108"));
        QCOMPARE(host.calls.last(), QStringLiteral("Quit"));

        // A failing extraction callback is reported at step 120; the walk goes on.
        reporter.reports.clear();
        host.files["/b.pptx"] = SlidesOfText({{"first@y.zz"}, {"second@y.zz"}});
        int appended = 0;
        FileRowCallbacks failing{[] {},
                                 [&](const std::string&, const FoundAddress&) {
                                     if (++appended == 1)
                                         throw Failure("list refused");
                                 }};
        FirstOccurrences fresh;
        DoItByFile("/b.pptx", host, reporter, fresh, failing);
        QCOMPARE(reporter.reports.size(), 1);
        QVERIFY(reporter.reports[0].contains("@120: /b.pptx: list refused"));
        QCOMPARE(appended, 2);
    }

    void allTextIsAnOptInRememberedInTheSettings() {
        NativeWindow w;
        PptxBuilder deck;
        deck.addSlide()
            .addTextBox({"top@example.com"})
            .addTable({{"cell@example.com"}})
            .addGroup({"grouped@example.com"});
        deck.writeTo(w.dir.path() / "deck.pptx");
        Form1& form = w.form;
        Settings& settings = w.settings;
        auto* action = form.pushButton(8)->findChild<QAction*>(QStringLiteral("AllTextAction"));
        QVERIFY(action != nullptr);
        QVERIFY(action->isCheckable());
        QVERIFY(!action->isChecked()); // off until the user turns it on
        QCOMPARE(form.pushButton(8)->contextMenuPolicy(), Qt::CustomContextMenu);
        QCOMPARE(form.pushButton(8)->text(), QStringLiteral("Start Extracting"));
        w.add("deck.pptx");
        QTest::mouseClick(form.pushButton(8), Qt::LeftButton);
        QCOMPARE(RowTexts(*form.ListView2()), QStringList{"top@example.com"});

        action->trigger();
        QCOMPARE(settings.read(QStringLiteral("AllText"), {}), QStringLiteral("1"));
        form.ListView2()->clearRows();
        QTest::mouseClick(form.pushButton(8), Qt::LeftButton);
        QCOMPARE(RowTexts(*form.ListView2()),
                 (QStringList{"top@example.com", "cell@example.com", "grouped@example.com"}));

        Form1 next(w.services()); // a later start finds it on
        QVERIFY(next.pushButton(8)->findChild<QAction*>(QStringLiteral("AllTextAction"))->isChecked());
        action->trigger();
        QCOMPARE(settings.read(QStringLiteral("AllText"), {}), QStringLiteral("0"));
    }

    // With "Remember Read Files" on, a second run takes the decks from the
    // cache and shows the same rows and boxes; a cache that is no cache is
    // named in one box, set aside, and the decks are read again.
    void rememberReadFilesGivesTheRowsAndBoxesOfAReadingRun() {
        NativeWindow w;
        PptxBuilder deck, damaged;
        deck.addSlide().addTextBox({"top@example.com Top@example.com"});
        damaged.addSlide().addTextBox({"lost@example.com"});
        damaged.setPart("ppt/slides/slide1.xml", "<p:sld><unclosed>");
        deck.writeTo(w.dir.path() / "deck.pptx");
        damaged.writeTo(w.dir.path() / "damaged.pptx");
        w.add("damaged.pptx");
        w.add("deck.pptx");
        auto* remember = w.form.pushButton(8)->findChild<QAction*>(QStringLiteral("RememberAction"));
        QVERIFY(remember != nullptr && remember->isCheckable() && !remember->isChecked());
        const auto run = [&] {
            w.form.ListView2()->clearRows();
            w.interaction.messages.clear();
            w.form.PushButton8_Click();
            return std::make_pair(RowTexts(*w.form.ListView2()), w.interaction.texts());
        };
        const auto reading = run();
        QCOMPARE(reading.first, QStringList{"top@example.com"});
        QCOMPARE(reading.second.size(), 2); // the damaged deck, then "Done."
        remember->trigger();
        QCOMPARE(w.settings.read(QStringLiteral("RememberReadFiles"), {}), QStringLiteral("1"));
        QCOMPARE(run(), reading);
        const int opened = w.opened;
        QCOMPARE(run(), reading);
        QCOMPARE(w.opened, opened); // both decks came from the cache

        w.dir.write("cache/results.sqlite", std::string(5000, 'x'));
        const auto aside = run();
        QCOMPARE(aside.first, reading.first);
        QCOMPARE(aside.second.size(), 3);
        QVERIFY(aside.second[0].startsWith("The file of remembered results could not be used ("));
        QVERIFY(aside.second[0].endsWith("). It was set aside and the files are read again."));
        QCOMPARE(aside.second.mid(1), reading.second);
        QCOMPARE(w.opened, opened + 2);
        QVERIFY(QFile::exists(w.cacheFile + ".bad"));
    }

    // "Stop", in the menu only while a run goes on, ends the run after the
    // file it is at.
    void stopEndsTheRunAfterTheFileItIsAt() {
        NativeWindow w;
        for (const char* name : {"a.pptx", "b.pptx", "c.pptx"}) {
            PptxBuilder deck;
            deck.addSlide().addTextBox({std::string(1, name[0]) + "@example.com"});
            deck.writeTo(w.dir.path() / name);
            w.add(name);
        }
        auto* stop = w.form.pushButton(8)->findChild<QAction*>(QStringLiteral("StopAction"));
        QVERIFY(stop != nullptr && !stop->isVisible());
        bool shownDuringRun = false;
        w.pump.at[1] = [&] { shownDuringRun = stop->isVisible(); };
        w.pump.at[2] = [&] { stop->trigger(); }; // while the first file is read
        w.form.PushButton8_Click();
        QVERIFY(shownDuringRun);
        QVERIFY(!stop->isVisible());
        QCOMPARE(RowTexts(*w.form.ListView2()), QStringList{"a@example.com"});
        QCOMPARE(w.interaction.texts(), QStringList{"Done."});
    }

    // Files read ahead on the other cores give the rows and boxes of a run
    // that reads each file when it reaches it, in list order, also when rows
    // are dragged while the run goes on.
    void readAheadGivesTheRowsAndBoxesOfAOneCoreRun() {
        NativeWindow w;
        PptxBuilder first, damaged, later;
        first.addSlide().addTextBox({"one@example.com shared@example.com"});
        damaged.addSlide().addTextBox({"lost@example.com"});
        damaged.setPart("ppt/slides/slide1.xml", "<p:sld><unclosed>");
        later.addSlide().addTextBox({"Shared@example.com three@example.com"});
        const std::vector<std::pair<const char*, std::string>> files{
            {"first.pptx", first.bytes()},
            {"damaged.pptx", damaged.bytes()},
            {"notes.pptx", PackageWithEveryPlace([](PptxBuilder& deck) {
                 deck.setPart("ppt/notesSlides/notesSlide1.xml", "<p:notes><p:cSld>");
             })},
            {"later.pptx", later.bytes()},
            {"first again.pptx", first.bytes()},
        };
        for (const auto& [name, bytes] : files)
            w.dir.write(name, bytes);
        Services withReadAhead = w.services();
        withReadAhead.readerHost = [] { return std::make_unique<NativePresentationHost>(); };
        Form1 reading(withReadAhead);
        reading.Form_Load();
        const auto run = [&](Form1& form, bool drag) {
            form.pushButton(8)->findChild<QAction*>(QStringLiteral("AllTextAction"))->setChecked(true);
            form.ListView1()->clearRows();
            form.ListView2()->clearRows();
            for (const auto& file : files)
                form.ListView1()->add(QString::fromStdString((w.dir.path() / file.first).string()));
            w.interaction.messages.clear();
            w.pump.count = 0;
            w.pump.at.clear();
            if (drag) // the second and the fourth row change places as the run starts
                w.pump.at[1] = [&form] {
                    const QString second = form.ListView1()->text(2);
                    form.ListView1()->setText(2, form.ListView1()->text(4));
                    form.ListView1()->setText(4, second);
                };
            form.PushButton8_Click();
            QStringList tips;
            for (int row = 1; row <= form.ListView2()->count(); ++row)
                tips << form.ListView2()->toolTip(row);
            return std::make_tuple(RowTexts(*form.ListView2()), w.interaction.texts(), tips);
        };
        for (const bool drag : {false, true}) {
            const auto oneCore = run(w.form, drag);
            QVERIFY(std::get<0>(oneCore).size() > 20);
            QCOMPARE(std::get<1>(oneCore).size(), 3); // the damaged deck, the notes, "Done."
            const auto ahead = run(reading, drag);
            QCOMPARE(std::get<0>(ahead), std::get<0>(oneCore));
            QCOMPARE(std::get<1>(ahead), std::get<1>(oneCore));
            QCOMPARE(std::get<2>(ahead), std::get<2>(oneCore));
        }
    }

    // One harvest: with "Read All Text" on, the window lists what the
    // command-line tool prints with --all-text, over decks of every format
    // with groups, tables, diagrams, notes, comments and links.
    void allTextRowsAreTheCommandLinesLines() {
        NativeWindow w;
        w.dir.write("package.pptx", PackageWithEveryPlace());
        w.dir.write("binary.ppt", BinaryWithEveryPlace());
        w.dir.write("open.odp", OpenDocumentWithEveryPlace().bytes());
        w.dir.write("flat.fodp", OpenDocumentWithEveryPlace().flatBytes());
        std::vector<std::string> args{"--all-text"};
        for (const char* name : {"package.pptx", "binary.ppt", "open.odp", "flat.fodp"}) {
            w.add(name);
            args.push_back((w.dir.path() / name).string());
        }
        w.form.pushButton(8)->findChild<QAction*>(QStringLiteral("AllTextAction"))->setChecked(true);
        w.form.PushButton8_Click();
        const CliOutcome cli = RunCliInProcess(args, OpenPresentationFile);
        QCOMPARE(cli.status, 0);
        const QStringList lines =
            QString::fromStdString(cli.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY(lines.size() > 10);
        QCOMPARE(RowTexts(*w.form.ListView2()), lines);
    }

    // "Save With Sources..." after a run writes what the command-line tool
    // prints as CSV, byte for byte, also for files whose names a CSV must
    // quote or guard; the rows' tool tips name the same sources.
    void savedSourcesAreTheCommandLinesCsv() {
        NativeWindow w;
        const std::vector<std::string> names{"=sum(1),\"x\".pptx", "-binary\nline.ppt", "@open.odp",
                                             "flat.fodp"};
        w.dir.write(names[0], PackageWithEveryPlace());
        w.dir.write(names[1], BinaryWithEveryPlace());
        w.dir.write(names[2], OpenDocumentWithEveryPlace().bytes());
        w.dir.write(names[3], OpenDocumentWithEveryPlace().flatBytes());
        std::vector<std::string> args{"--all-text", "--format", "csv"};
        for (const std::string& name : names) {
            w.add(name.c_str());
            args.push_back((w.dir.path() / name).string());
        }
        w.form.pushButton(8)->findChild<QAction*>(QStringLiteral("AllTextAction"))->setChecked(true);
        w.form.PushButton8_Click();
        const QString saved = QString::fromStdString((w.dir.path() / "sources.csv").string());
        w.interaction.saveAnswers.push_back(saved);
        w.form.SaveWithSources_Click();
        const CliOutcome cli = RunCliInProcess(args, OpenPresentationFile);
        QCOMPARE(cli.status, 0);
        QVERIFY(w.form.ListView2()->count() > 10);
        QCOMPARE(QByteArray::fromStdString(ReadFileBytes(w.dir.path() / "sources.csv")),
                 QByteArray::fromStdString(cli.out));
        const RowSource* first = w.form.ListView2()->source(1);
        QVERIFY(first);
        QCOMPARE(first->file, (w.dir.path() / names[0]).string());
        QVERIFY(w.form.ListView2()->toolTip(1).contains("\nFile: " + QString::fromStdString(w.dir.str()) +
                                                        "/=sum(1),\"x\".pptx\nSlide: 1\nPlace: "));
    }

    // However many pieces "Read All Text" skips in a file, they share one box
    // at line 110, and the rest of the file is read.
    void theSkippedPiecesOfAFileShareOneBox() {
        NativeWindow w;
        const std::vector<std::string> damaged{"ppt/notesSlides/notesSlide1.xml", "ppt/diagrams/data1.xml",
                                               "ppt/comments/modern1.xml"};
        w.dir.write("three.pptx", PackageWithEveryPlace([&](PptxBuilder& deck) {
                        for (const std::string& part : damaged)
                            deck.setPart(part, "<p:cut><unclosed>");
                    }));
        w.dir.write("one.pptx", PackageWithEveryPlace([&](PptxBuilder& deck) {
                        deck.setPart(damaged[0], "<p:cut><unclosed>");
                    }));
        w.add("three.pptx");
        w.add("one.pptx");
        w.form.pushButton(8)->findChild<QAction*>(QStringLiteral("AllTextAction"))->setChecked(true);
        w.form.PushButton8_Click();
        const QStringList reports = w.interaction.errorReports();
        QCOMPARE(reports.size(), 2);
        const std::vector<std::pair<QString, int>> files{{"three.pptx", 3}, {"one.pptx", 1}};
        for (std::size_t i = 0; i < files.size(); ++i) {
            const QString& report = reports[static_cast<qsizetype>(i)];
            QVERIFY2(
                report.startsWith(
                    QString::fromStdString((w.dir.path() / files[i].first.toStdString()).string()) + ": "),
                qPrintable(report));
            QVERIFY(report.contains("DoItByFile at line 110"));
            for (int k = 0; k < 3; ++k)
                QCOMPARE(report.count(QString::fromStdString(damaged[k]) + " skipped: "),
                         k < files[i].second ? 1 : 0);
        }
        QVERIFY(RowTexts(*w.form.ListView2()).contains("shape1@example.com"));
        QCOMPARE(w.interaction.texts().last(), QStringLiteral("Done."));
    }

    // The right-click menu of "Start Extracting", while open, is the button's
    // accessible child, its item a checkable menu item; the button tells which
    // reading modes are on.
    void theReadingModesMenuIsThereForAScreenReader() {
        FormFixture f;
        f.form->show();
        QPushButton* start = f.form->pushButton(8);
        auto* action = start->findChild<QAction*>(QStringLiteral("AllTextAction"));
        auto* menu = start->findChild<QMenu*>(QStringLiteral("StartExtractingMenu"));
        QVERIFY(menu != nullptr);
        QAccessibleInterface* button = QAccessible::queryAccessibleInterface(start);
        QCOMPARE(button->role(), QAccessible::PushButton);
        QCOMPARE(button->text(QAccessible::Name), QStringLiteral("Start Extracting"));
        QVERIFY(button->state().hasPopup);
        QCOMPARE(button->childCount(), 0); // closed

        button->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
        QVERIFY(menu->isVisible());
        QCOMPARE(button->childCount(), 1);
        QAccessibleInterface* open = button->child(0);
        QCOMPARE(open->object(), menu);
        QCOMPARE(button->indexOfChild(open), 0);
        QCOMPARE(open->role(), QAccessible::PopupMenu);
        QCOMPARE(open->text(QAccessible::Name), QStringLiteral("Reading modes"));
        const QStringList items{action->text(), "Read PDF Files", "Read Pictures", "Remember Read Files",
                                "Stop"};
        QCOMPARE(open->childCount(), items.size());
        for (int k = 0; k < items.size(); ++k)
            QCOMPARE(open->child(k)->text(QAccessible::Name), items[k]);
        QVERIFY(open->child(4)->state().invisible); // no run goes on
        auto* pdf = start->findChild<QAction*>(QStringLiteral("ReadPdfAction"));
        auto* pictures = start->findChild<QAction*>(QStringLiteral("ReadPicturesAction"));
        // Each reading mode a checkable item; the button names those on.
        const struct {
            bool allText;
            bool pdf;
            bool pictures;
            const char* on;
        } modes[] = {{false, false, false, "none"},
                     {true, false, false, "Read All Text"},
                     {true, true, true, "Read All Text, Read PDF Files, Read Pictures"},
                     {false, true, false, "Read PDF Files"},
                     {false, false, true, "Read Pictures"},
                     {false, false, false, "none"}};
        for (const auto& mode : modes) {
            action->setChecked(mode.allText);
            pdf->setChecked(mode.pdf);
            pictures->setChecked(mode.pictures);
            for (int k = 0; k < 4; ++k)
                QVERIFY(open->child(k)->state().checkable);
            QCOMPARE(open->child(0)->role(), QAccessible::MenuItem);
            QCOMPARE(bool(open->child(0)->state().checked), mode.allText);
            QCOMPARE(bool(open->child(1)->state().checked), mode.pdf);
            QCOMPARE(bool(open->child(2)->state().checked), mode.pictures);
            QCOMPARE(button->text(QAccessible::Description),
                     QStringLiteral("Reading modes on: %1. The context menu turns them on and off.")
                         .arg(QString::fromUtf8(mode.on)));
        }
        menu->hide();
        QCOMPARE(button->childCount(), 0);
    }

    // "Read PDF Files", off at first: a PDF is refused with a box that says
    // how to read it; checked (and kept), it is read, each page a slide.
    void readPdfFilesReadsThemOnRequest() {
        test::UseBuiltReaders();
        NativeWindow w;
        w.dir.write("links.pdf", test::ReadFileBytes(ORVANDEL_SOURCE_DIR "/tests/data/pdf/links.pdf"));
        auto* readPdf = w.form.pushButton(8)->findChild<QAction*>(QStringLiteral("ReadPdfAction"));
        QVERIFY(readPdf != nullptr && readPdf->isCheckable() && !readPdf->isChecked());
        w.add("links.pdf");
        QTest::mouseClick(w.form.pushButton(8), Qt::LeftButton);
        QVERIFY(RowTexts(*w.form.ListView2()).isEmpty());
        const auto reports = w.interaction.errorReports();
        QCOMPARE(reports.size(), 1);
        QVERIFY(reports[0].contains("\"Read PDF Files\""));

        readPdf->trigger();
        QCOMPARE(w.settings.read(QStringLiteral("ReadPdf"), {}), QStringLiteral("1"));
        QTest::mouseClick(w.form.pushButton(8), Qt::LeftButton);
        QCOMPARE(RowTexts(*w.form.ListView2()), QStringList{"shown@example.com"});
        QCOMPARE(w.interaction.errorReports().size(), 1);
        Form1 next(w.services()); // a later start finds it on
        QVERIFY(next.pushButton(8)->findChild<QAction*>(QStringLiteral("ReadPdfAction"))->isChecked());
    }

    // "Read Pictures", off at first and kept: each run then reads the
    // pictures with a recognition run of its own; the help box says so.
    void readPicturesGivesEachRunItsOwnRecognition() {
        FormFixture f;
        f.host.files["/a.pptx"] = SlidesOfText({{"a@b.cc"}});
        f.files().add("/a.pptx");
        auto* readPictures = f.form->pushButton(8)->findChild<QAction*>(QStringLiteral("ReadPicturesAction"));
        QVERIFY(readPictures != nullptr && readPictures->isCheckable() && !readPictures->isChecked());
        f.form->PushButton8_Click();
        QVERIFY(!f.host.pictureRun);
        f.form->PushButton7_Click();
        QVERIFY(!f.interaction.texts().last().contains("Read Pictures"));

        readPictures->trigger();
        QCOMPARE(f.settings.read(QStringLiteral("ReadPictures"), {}), QStringLiteral("1"));
        f.form->PushButton8_Click();
        const std::shared_ptr<PictureRun> first = f.host.pictureRun;
        QVERIFY(std::dynamic_pointer_cast<ocr::RecognitionRun>(first));
        f.form->PushButton8_Click();
        QVERIFY(f.host.pictureRun && f.host.pictureRun != first);
        f.form->PushButton7_Click();
        QVERIFY(f.interaction.texts().last().contains("Pictures are read too, by text recognition, while "
                                                      "\"Read Pictures\" is checked."));
    }

    // While the window waits for a file whose pictures are being recognised,
    // the caption counts its pictures; Esc then ends the run at once: that
    // file gives nothing, the rows before it stay, and the caption says the
    // run was stopped until "Done." is answered.
    void escEndsARunWhileAPictureIsRecognised() {
        FormFixture f;
        f.clock.step = 100;
        f.host.files["/a.pptx"] = SlidesOfText({{"a@x.org"}});
        f.host.files["/pictures.pptx"] = SlidesOfText({{"lost@x.org"}});
        f.host.files["/c.pptx"] = SlidesOfText({{"c@x.org"}});
        std::mutex mutex;
        std::condition_variable changed;
        bool recognising = false;
        bool released = false;
        std::shared_ptr<ocr::RecognitionRun> run;
        Services services{f.interaction,
                          f.pump,
                          f.clipboard,
                          f.random,
                          f.host,
                          f.settings,
                          {},
                          [] {},
                          [&] { return f.clock.read(); }};
        services.pictureRun = [&] {
            run = std::make_shared<ocr::RecognitionRun>([&](std::span<const std::uint8_t>, std::uint32_t) {
                std::unique_lock lock(mutex);
                recognising = true;
                changed.wait(lock, [&] { return released; });
                return std::vector<ocr::RecognisedWord>{{"seen@x.org", 99, true}};
            });
            return run;
        };
        services.readerHost = [&] {
            auto host = std::make_unique<FakeHost>();
            host->files = f.host.files;
            host->onOpen = [opened = host.get()](const std::string& path) {
                if (path != "/pictures.pptx" || !opened->pictureRun)
                    return;
                const std::shared_ptr<PictureReader> reader = opened->pictureRun->readerFor(path);
                reader->expect(2);
                const std::string png =
                    std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x40\0\0\0\x20", 24) +
                    std::string(9, '\0');
                reader->read("ppt/media/image1.png",
                             {reinterpret_cast<const std::uint8_t*>(png.data()), png.size()});
            };
            return host;
        };
        Form1 form(services);
        form.Form_Load();
        form.pushButton(8)->findChild<QAction*>(QStringLiteral("ReadPicturesAction"))->setChecked(true);
        for (const char* path : {"/a.pptx", "/pictures.pptx", "/c.pptx"})
            form.ListView1()->add(QString::fromUtf8(path));
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto* stop = form.pushButton(8)->findChild<QAction*>(QStringLiteral("StopAction"));
        QSignalSpy stops(stop, &QAction::triggered);
        QTest::keyClick(&form, Qt::Key_Escape); // no run: Esc is left alone
        QCOMPARE(stops.count(), 0);
        QString captionMidPicture;
        int pumpsMidPicture = 0;
        f.pump.each = [&] {
            {
                const std::lock_guard lock(mutex);
                if (!recognising || released || ++pumpsMidPicture < 5)
                    return;
            }
            captionMidPicture = form.windowTitle();
            QTest::keyClick(&form, Qt::Key_Escape);
            const std::lock_guard lock(mutex);
            released = true;
            changed.notify_all();
        };
        QString captionAtDone;
        f.interaction.onMessage = [&](const ScriptedInteraction::Message&) {
            captionAtDone = form.windowTitle();
        };
        form.PushButton8_Click();
        QCOMPARE(captionMidPicture,
                 QStringLiteral("Reading pictures: file 2 of 3, picture 1 of 2 \u2014 Orvandel"));
        QVERIFY(run && run->stopped());
        QCOMPARE(RowTexts(*form.ListView2()), QStringList{"a@x.org"});
        QCOMPARE(f.interaction.texts(), QStringList{"Done."});
        QCOMPARE(captionAtDone, QStringLiteral("Stopped: file 2 of 3, 1 addresses found \u2014 Orvandel"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Orvandel"));
        QVERIFY(!form.extractRunning());
        QCOMPARE(stops.count(), 1);
    }

    void endToEndOverRealPackagesWithTheNativeReader() {
        NativeWindow w;
        PptxBuilder deck;
        deck.addSlide()
            .addPlaceholder({"Contact"}, "title")
            .addTextBox(
                {"Write to Sales@Example.com,", "or (help@example.org).", "not at.the.end@example.org."});
        deck.addSlide().addTable({{"tbl@example.com"}}).addTextBox({"Second slide: team@example.net"});
        deck.setSlideOrder({2, 1});
        deck.writeTo(w.dir.path() / "deck.pptx");
        w.dir.write("broken.pptx", "PK\x03\x04 this is not really a zip");
        QVERIFY(w.interaction.messages.isEmpty()); // the native reader is always there
        for (const char* name : {"deck.pptx", "broken.pptx", "deck.pptx"})
            w.add(name);
        QTest::mouseClick(w.form.pushButton(8), Qt::LeftButton);
        QCOMPARE(RowTexts(*w.form.ListView2()),
                 (QStringList{"team@example.net", "Sales@Example.com", "help@example.org"}));
        const auto reports = w.interaction.errorReports();
        QCOMPARE(reports.size(), 1); // the damaged file, once, and the run went on
        QVERIFY(reports[0].contains("DoItByFile at line 106"));
        QCOMPARE(w.interaction.texts().last(), QStringLiteral("Done."));
    }
};

QTEST_MAIN(RunTest)
#include "Run_test.moc"
