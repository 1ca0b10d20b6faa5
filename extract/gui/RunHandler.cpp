// "Start Extracting": every file-list row, in list order, through the harvest.
#include "base/SafeText.h"
#include "extract/Harvest.h"
#include "extract/PresentationHost.h"
#include "extract/gui/FileReports.h"
#include "extract/ocr/OcrReader.h"
#include "extract/ocr/PictureRun.h"
#include "extract/run/ReadAhead.h"
#include "extract/run/ResultCache.h"
#include "shell/gui/ButtonMenu.h"
#include "shell/gui/Form1.h"
#include "shell/gui/Interaction.h"
#include "shell/gui/ListControl.h"
#include "shell/gui/ProgressCaption.h"
#include "shell/gui/Settings.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace orv {

namespace {

const QString kAllTextKey = QStringLiteral("AllText");
const QString kRememberKey = QStringLiteral("RememberReadFiles");
const QString kReadPdfKey = QStringLiteral("ReadPdf");
const QString kReadPicturesKey = QStringLiteral("ReadPictures");

// The reading mode's name, as its menu item begins and as the button's
// accessible description names it.
const QString kAllTextName = QStringLiteral("Read All Text");
const QString kReadPdfName = QStringLiteral("Read PDF Files");
const QString kReadPicturesName = QStringLiteral("Read Pictures");

// The opt-ins live on the button itself, so that the window needs no member.
QAction* allTextAction(const QPushButton* button) {
    return button->findChild<QAction*>(QStringLiteral("AllTextAction"));
}
QAction* readPdfAction(const QPushButton* button) {
    return button->findChild<QAction*>(QStringLiteral("ReadPdfAction"));
}
QAction* readPicturesAction(const QPushButton* button) {
    return button->findChild<QAction*>(QStringLiteral("ReadPicturesAction"));
}
QAction* rememberAction(const QPushButton* button) {
    return button->findChild<QAction*>(QStringLiteral("RememberAction"));
}

// The box that names what went wrong with the file of remembered results.
QString cacheProblemText(const ResultCache::Problem& problem) {
    return QStringLiteral("The file of remembered results could not be used (%1). %2")
        .arg(QString::fromStdString(PrintableDescription(problem.reason)),
             problem.setAsideAs.empty() ? QStringLiteral("The files are read without it.")
                                        : QStringLiteral("It was set aside and the files are read again."));
}

// What a screen reader tells about "Start Extracting" beside its name.
void describeReadingModes(QPushButton* button) {
    QStringList on;
    if (allTextAction(button)->isChecked())
        on << kAllTextName;
    if (readPdfAction(button)->isChecked())
        on << kReadPdfName;
    if (readPicturesAction(button)->isChecked())
        on << kReadPicturesName;
    button->setAccessibleDescription(QStringLiteral("Reading modes on: ") +
                                     (on.isEmpty() ? QStringLiteral("none") : on.join(QStringLiteral(", "))) +
                                     QStringLiteral(". The context menu turns them on and off."));
}

// Reports of a run: the caption's progress is brought up to date before each
// box, so that it names the file the box is about.
class RunReporter final : public ErrorReporter {
public:
    RunReporter(ErrorReporter& reporter, std::function<void()> beforeBox)
        : m_reporter(reporter), m_beforeBox(std::move(beforeBox)) {}
    void report(std::string_view location, std::int32_t step, const std::string& description) override {
        m_beforeBox();
        m_reporter.report(location, step, description);
    }

private:
    ErrorReporter& m_reporter;
    std::function<void()> m_beforeBox;
};

} // namespace

// A context menu on "Start Extracting": the checked items "Read All Text",
// "Read PDF Files", "Read Pictures" and "Remember Read Files", each off until
// the user turns it on and remembered in the settings store, and "Stop" (Esc)
// while a run goes on. The menu lives as long as the button, so that
// assistive technology finds it and its items, and the button's accessible
// description names the reading modes that are on (the button's text and
// caption stay as they are).
void Form1::setUpAllTextOption() {
    QPushButton* button = pushButton(8);
    auto* menu = new QMenu(button);
    menu->setObjectName(QStringLiteral("StartExtractingMenu"));
    menu->setAccessibleName(QStringLiteral("Reading modes"));
    QAction* allText = settingItem(*menu,
                                   kAllTextName + QStringLiteral(" (Groups, Tables, Charts, Alt Text, "
                                                                 "Diagrams, Notes, Comments, Links, "
                                                                 "Masters, Embedded Documents)"),
                                   QStringLiteral("AllTextAction"), kAllTextKey);
    // PDF documents (exported decks) are read only when asked for: the
    // program is no PDF reader of the desktop's.
    QAction* readPdf = settingItem(*menu, kReadPdfName, QStringLiteral("ReadPdfAction"), kReadPdfKey);
    // Text recognition is slow, so the pictures are read only when asked for.
    QAction* readPictures =
        settingItem(*menu, kReadPicturesName, QStringLiteral("ReadPicturesAction"), kReadPicturesKey);
    // Results kept from run to run: a file as it was is not read again.
    settingItem(*menu, QStringLiteral("Remember Read Files"), QStringLiteral("RememberAction"), kRememberKey);
    // Shown only while a run goes on: it ends the run, as if the list ended
    // at the file it is at (harvestFileList). Esc is its key while the window
    // has the focus; hidden, the action leaves Esc to the rest of the window.
    auto* stop = new QAction(QStringLiteral("Stop"), button);
    stop->setObjectName(QStringLiteral("StopAction"));
    stop->setShortcut(QKeySequence(Qt::Key_Escape));
    stop->setShortcutContext(Qt::WindowShortcut);
    stop->setVisible(false);
    menu->addAction(stop);
    addAction(stop);
    ExposeContextMenu(*button, *menu);
    describeReadingModes(button);
    for (QAction* mode : {allText, readPdf, readPictures})
        connect(mode, &QAction::toggled, this, [button] { describeReadingModes(button); });
    button->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(button, &QWidget::customContextMenuRequested, menu,
            [button, menu](const QPoint& at) { menu->popup(button->mapToGlobal(at)); });
}

// A checked item of `menu`, its action a child of the menu's button, kept in
// the settings store under `key` as "1" or "0": an unreadable store leaves it
// off, and one that cannot be written keeps the choice for this session.
QAction* Form1::settingItem(QMenu& menu, const QString& text, const QString& objectName, const QString& key) {
    auto* action = new QAction(text, menu.parentWidget());
    action->setObjectName(objectName);
    action->setCheckable(true);
    try {
        action->setChecked(m_services.settings.read(key, QStringLiteral("0")) == QStringLiteral("1"));
    } catch (...) {
        action->setChecked(false);
    }
    connect(action, &QAction::toggled, this, [this, key](bool on) {
        try {
            m_services.settings.write(key, on ? QStringLiteral("1") : QStringLiteral("0"));
        } catch (...) {
            // The choice still holds for this session.
        }
    });
    menu.addAction(action);
    return action;
}

bool Form1::allTextChosen() const {
    return allTextAction(pushButton(8))->isChecked();
}

bool Form1::readPdfChosen() const {
    return readPdfAction(pushButton(8))->isChecked();
}

bool Form1::readPicturesChosen() const {
    return readPicturesAction(pushButton(8))->isChecked();
}

ReadOptions Form1::readOptionsChosen() const {
    ReadOptions options{allTextChosen()};
    options.pdf = readPdfChosen();
    options.pictures = readPicturesChosen();
    return options;
}

void Form1::PushButton8_Click() {
    if (m_extractRunning) // step 100: a run is already going
        return;
    m_extractRunning = true; // step 102
    Steps s(m_reporter, loc::PushButton8);
    if (s.test(106, [&] { return m_listView1->count() > 0; })) {
        bool abort = false;
        s.run(108, [&] {
            abort = AbortIfPowerPointOpen(m_services.host, [&](const std::string& prompt) {
                return message(QString::fromStdString(prompt), Interaction::Buttons::YesNo) ==
                       Interaction::Answer::Yes;
            });
        });
        if (!abort) {
            s.run(110, [&] { setMousePointer(PointerHourglass); });
            // A stopped run's caption says so until "Done." is answered.
            const std::unique_ptr<ProgressCaption> stoppedCaption = harvestFileList();
            s.run(124, [&] { setMousePointer(PointerDefault); });
            s.run(126, [&] { message(QStringLiteral("Done.")); });
        }
    } else {
        s.run(130, [&] { message(QStringLiteral("No files added.")); });
    }
    m_extractRunning = false; // step 132
}

// Steps 112 to 122: a new seen set, then each row counted at the start. The
// caption tells how far the run is while it takes long, and shows the title
// again when the loop ends; after a stop it says so, and that caption is
// handed back to stay until "Done." is answered.
// "Stop" (or Esc) ends the run at once, also while the window waits for a
// file read ahead: that file gives nothing, the rows found so far stay, and
// the recognitions of the run's pictures under way are ended. A file being
// read on the window's own thread is finished first (a file gives all its
// addresses or none), unless its pictures were cut short.
std::unique_ptr<ProgressCaption> Form1::harvestFileList() {
    FirstOccurrences firsts;
    int n = 0;
    int i = 0;
    int found = 0;
    ReadOptions options = readOptionsChosen();
    // With pictures, the run gets a recognition run of its own (the
    // program's, or the one tests give): a picture met again in the run is
    // recognised once, and a stop ends this run's recognitions. Without the
    // engine's data no picture can be read: said once, and the run reads
    // the rest.
    std::shared_ptr<ocr::RecognitionRun> pictures;
    if (options.pictures) {
        if (m_services.pictureRun) {
            pictures = m_services.pictureRun();
        } else if (const std::optional<std::string> why = ocr::RecognitionUnavailable()) {
            message(QString::fromStdString(PrintableDescription(*why)) +
                    QStringLiteral(" The pictures are not read in this run."));
            options.pictures = false;
        } else {
            pictures = std::make_shared<ocr::RecognitionRun>();
        }
        options.pictureRun = pictures;
    }
    std::string reading; // the file the window reads or waits for
    auto caption = std::make_unique<ProgressCaption>(*this, title(), m_services.clock);
    const auto progress = [&] {
        if (pictures && !reading.empty()) {
            const ocr::PictureProgress read = pictures->progress(reading);
            if (read.total > 0)
                return QStringLiteral("Reading pictures: file %1 of %2, picture %3 of %4")
                    .arg(i)
                    .arg(n)
                    .arg(read.read)
                    .arg(read.total);
        }
        return QStringLiteral("Extracting: file %1 of %2, %3 addresses found").arg(i).arg(n).arg(found);
    };
    const auto showProgress = [&] { caption->update(progress); };
    RunReporter reporter(m_reporter, [&] { caption->updateNow(progress); });
    const FileRowCallbacks callbacks{[this] { m_services.pump.pump(); },
                                     [&](const std::string& file, const FoundAddress& address) {
                                         m_listView2->add(QString::fromStdString(address.address),
                                                          SourceOf(file, address));
                                         ++found;
                                         showProgress();
                                     }};
    // The file of remembered results: its trouble is told once, in a box of
    // its own, and the run goes on reading what it cannot take from it.
    std::optional<ResultCache::Problem> cacheProblem;
    const auto tellCacheProblem = [&] {
        if (!cacheProblem)
            return;
        caption->updateNow(progress);
        message(cacheProblemText(*cacheProblem));
        cacheProblem.reset();
    };
    std::unique_ptr<ResultCache> cache;
    if (rememberAction(pushButton(8))->isChecked() && !m_services.resultCacheFile.isEmpty()) {
        cache = ResultCache::open(m_services.resultCacheFile.toStdString(), cacheProblem);
        tellCacheProblem();
    }
    // The loop's own failures are boxes of the run too.
    Steps s(reporter, loc::PushButton8);
    s.run(114, [&] { n = m_listView1->count(); });
    std::unique_ptr<ReadAhead> ahead = readAhead(n, options, cache.get());
    QAction* stopAction = pushButton(8)->findChild<QAction*>(QStringLiteral("StopAction"));
    bool stopped = false;
    const QMetaObject::Connection stopping = connect(stopAction, &QAction::triggered, this, [&] {
        stopped = true;
        if (pictures)
            pictures->stop();
    });
    stopAction->setVisible(true);
    for (i = 1; i <= n; ++i) {
        reading.clear();
        showProgress();
        // Let the window repaint and answer between files, also when a file
        // holds no candidate address at all.
        m_services.pump.pump();
        if (stopped)
            break;
        QString path;
        if (!s.run(116, [&] { path = m_listView1->text(i); }))
            continue; // the row is gone; its harvest would add nothing
        reading = path.toStdString();
        s.run(118, [&] {
            std::optional<CachedRead> read =
                takeReadAhead(ahead.get(), i - 1, reading, stopped, showProgress);
            if (stopped)
                return;
            if (!read) {
                read = ReadThroughCache(reading, m_services.host, options, cache.get(), callbacks.pumpEvents);
                if (stopped && pictures)
                    return;
            }
            DoItByFile(reading, m_services.host, reporter, firsts, callbacks, options, cache.get(),
                       &cacheProblem, &*read);
        });
        tellCacheProblem();
        if (stopped)
            break;
    }
    stopAction->setVisible(false);
    disconnect(stopping);
    // The workers end before the cache is written: one at a file finishes it
    // (a stop has ended its recognitions), the others read no more.
    ahead.reset();
    if (cache && !cache->flush(cacheProblem))
        tellCacheProblem();
    if (!stopped)
        return nullptr; // the title comes back
    caption->updateNow([&] {
        return QStringLiteral("Stopped: file %1 of %2, %3 addresses found").arg(i).arg(n).arg(found);
    });
    return caption;
}

// The rows' files read ahead on the other cores while the window tells the
// results in list order; none when the window has no hosts to spare.
std::unique_ptr<ReadAhead> Form1::readAhead(int n, const ReadOptions& options, ResultCache* cache) {
    if (!m_services.readerHost || n <= 0)
        return nullptr;
    std::vector<std::string> paths;
    for (int k = 1; k <= n; ++k) {
        try {
            paths.push_back(m_listView1->text(k).toStdString());
        } catch (...) {
            paths.emplace_back(); // read when reached, as any row that changed
        }
    }
    const unsigned workers = std::max(1u, std::thread::hardware_concurrency());
    return std::make_unique<ReadAhead>(std::move(paths), workers,
                                       ReadingWith(m_services.readerHost, options, cache));
}

// File `index`'s result read ahead, waited for while the window answers
// (`waiting` runs at each turn); none when the row no longer holds the file
// that was read (a row dragged during the run), which is then read now, or
// when the run is stopped while the window waits. The event loop runs once
// per candidate address the file held, as it would have while the window
// read it.
std::optional<CachedRead> Form1::takeReadAhead(ReadAhead* ahead, int index, const std::string& path,
                                               const bool& stopped, const std::function<void()>& waiting) {
    if (!ahead)
        return std::nullopt;
    std::optional<CachedRead> read;
    while (!(read = ahead->tryTake(static_cast<std::size_t>(index), std::chrono::milliseconds(20)))) {
        waiting();
        m_services.pump.pump();
        if (stopped)
            return std::nullopt;
    }
    if (ahead->path(static_cast<std::size_t>(index)) != path)
        return std::nullopt;
    for (std::size_t k = 0; k < read->result.candidates; ++k)
        m_services.pump.pump();
    return read;
}

} // namespace orv
