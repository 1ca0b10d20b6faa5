// "Start Extracting": every file-list row, in list order, through the harvest.
#include "extract/Harvest.h"
#include "extract/PresentationHost.h"
#include "extract/gui/FileReports.h"
#include "shell/gui/ButtonMenu.h"
#include "shell/gui/Form1.h"
#include "shell/gui/Interaction.h"
#include "shell/gui/ListControl.h"
#include "shell/gui/ProgressCaption.h"
#include "shell/gui/Settings.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>

namespace orv {

namespace {

const QString kAllTextKey = QStringLiteral("AllText");

// The reading mode's name, as its menu item begins and as the button's
// accessible description names it.
const QString kAllTextName = QStringLiteral("Read All Text");

// The opt-in lives on the button itself, so that the window needs no member.
QAction* allTextAction(const QPushButton* button) {
    return button->findChild<QAction*>(QStringLiteral("AllTextAction"));
}

// What a screen reader tells about "Start Extracting" beside its name.
void describeReadingModes(QPushButton* button, bool allText) {
    button->setAccessibleDescription(QStringLiteral("Reading modes on: ") +
                                     (allText ? kAllTextName : QStringLiteral("none")) +
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

// A context menu on "Start Extracting" with one checkable item, off until the
// user turns it on, remembered in the settings store as "1" or "0". The menu
// lives as long as the button, so that assistive technology finds it and its
// items, and the button's accessible description names the reading modes that
// are on (the button's text and caption stay as they are).
void Form1::setUpAllTextOption() {
    QPushButton* button = pushButton(8);
    auto* menu = new QMenu(button);
    menu->setObjectName(QStringLiteral("StartExtractingMenu"));
    menu->setAccessibleName(QStringLiteral("Reading modes"));
    auto* action =
        new QAction(kAllTextName + QStringLiteral(" (Groups, Tables, Charts, Alt Text, Diagrams, "
                                                  "Notes, Comments, Links, Masters, Embedded Documents)"),
                    button);
    action->setObjectName(QStringLiteral("AllTextAction"));
    action->setCheckable(true);
    try {
        action->setChecked(m_services.settings.read(kAllTextKey, QStringLiteral("0")) == QStringLiteral("1"));
    } catch (...) {
        action->setChecked(false); // an unreadable store leaves the option off
    }
    menu->addAction(action);
    ExposeContextMenu(*button, *menu);
    describeReadingModes(button, action->isChecked());
    connect(action, &QAction::toggled, this, [this, button](bool on) {
        describeReadingModes(button, on);
        try {
            m_services.settings.write(kAllTextKey, on ? QStringLiteral("1") : QStringLiteral("0"));
        } catch (...) {
            // The choice still holds for this session.
        }
    });
    button->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(button, &QWidget::customContextMenuRequested, menu,
            [button, menu](const QPoint& at) { menu->popup(button->mapToGlobal(at)); });
}

bool Form1::allTextChosen() const {
    return allTextAction(pushButton(8))->isChecked();
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
            harvestFileList();
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
// again when the loop ends.
void Form1::harvestFileList() {
    FirstOccurrences firsts;
    int n = 0;
    int i = 0;
    int found = 0;
    ProgressCaption caption(*this, title(), m_services.clock);
    const auto progress = [&] {
        return QStringLiteral("Extracting: file %1 of %2, %3 addresses found").arg(i).arg(n).arg(found);
    };
    const auto showProgress = [&] { caption.update(progress); };
    RunReporter reporter(m_reporter, [&] { caption.updateNow(progress); });
    const FileRowCallbacks callbacks{[this] { m_services.pump.pump(); },
                                     [&](const std::string& file, const FoundAddress& address) {
                                         m_listView2->add(QString::fromStdString(address.address),
                                                          SourceOf(file, address));
                                         ++found;
                                         showProgress();
                                     }};
    const bool allText = allTextChosen();
    // The loop's own failures are boxes of the run too.
    Steps s(reporter, loc::PushButton8);
    s.run(114, [&] { n = m_listView1->count(); });
    for (i = 1; i <= n; ++i) {
        showProgress();
        // Let the window repaint and answer between files, also when a file
        // holds no candidate address at all.
        m_services.pump.pump();
        QString path;
        if (!s.run(116, [&] { path = m_listView1->text(i); }))
            continue; // the row is gone; its harvest would add nothing
        s.run(118,
              [&] { DoItByFile(path.toStdString(), m_services.host, reporter, firsts, callbacks, allText); });
    }
}

} // namespace orv
