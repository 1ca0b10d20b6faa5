#pragma once

#include "extract/PresentationHost.h"
#include "extract/model/PresentationContent.h"
#include "shell/gui/Interaction.h"
#include "shell/gui/Platform.h"

#include <QList>
#include <QStringList>
#include <QVector>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace orv::test {

// Answers every dialog from a script and records what was asked. Nothing is
// shown and nothing blocks. An unscripted question gets the cancel answer.
class ScriptedInteraction final : public Interaction {
public:
    struct Message {
        QString text;
        QString caption;
        Buttons buttons;
        Icon icon;
    };

    std::deque<Answer> answers;          // for Yes/No boxes
    std::deque<QStringList> openAnswers; // for the file-open dialog
    std::deque<QString> saveAnswers;     // for the save dialog
    std::deque<QString> inputAnswers;    // for the input box
    std::deque<QString> folderAnswers;   // for the folder browser

    QVector<Message> messages;
    QStringList inputPrompts;
    QStringList inputDefaults;
    QStringList dialogTitles;
    QStringList dialogFilters;
    QStringList folderStarts;
    QStringList openedUrls;
    // Runs inside each message box, as if the user did something meanwhile.
    std::function<void(const Message&)> onMessage;

    Answer messageBox(const QString& text, const QString& caption, Buttons buttons, Icon icon) override;
    QString inputBox(const QString& prompt, const QString& caption, const QString& defaultText) override;
    QStringList openFiles(const QString& title, const QString& filter) override;
    QString saveFile(const QString& title, const QString& filter) override;
    QString browseForFolder(const QString& title, const QString& startFolder) override;
    void openUrl(const QString& url) override { openedUrls << url; }

    // The texts of the message boxes so far, in order.
    QStringList texts() const;
    // Message boxes whose caption is "Application Error".
    QStringList errorReports() const;
};

// Counts pumps and can run a step of a test at a given pump, or at every
// pump; with `then` set, each pump also goes on to that pump.
class CountingPump final : public EventPump {
public:
    int count = 0;
    std::map<int, std::function<void()>> at; // pump number (1-based) -> action
    std::function<void()> each;
    EventPump* then = nullptr;
    void pump() override {
        ++count;
        if (auto it = at.find(count); it != at.end())
            it->second();
        if (each)
            each();
        if (then)
            then->pump();
    }
};

// A clock the test moves: each reading first adds `step`.
struct SteppingClock {
    std::int64_t now = 0;
    std::int64_t step = 0;
    std::int64_t read() { return now += step; }
};

// A clipboard that refuses a given number of attempts first.
class FakeClipboard final : public Clipboard {
public:
    QString text = QStringLiteral("previous content");
    int refuseClears = 0;
    int refuseSets = 0;
    int clearAttempts = 0;
    int setAttempts = 0;
    bool clear() override;
    bool setText(const QString& value) override;
};

class FixedRandom final : public RandomSource {
public:
    explicit FixedRandom(double value = 0.5) : value(value) {}
    double value;
    double next() override { return value; }
};

// A presentation host answering from presentations given by path, recording
// every operation it was asked for.
class FakeHost final : public PresentationHost {
public:
    std::map<std::string, PresentationContent> files;
    bool installed = true;
    bool otherInstanceRunning = false;
    std::string name = "Microsoft PowerPoint";
    QStringList calls;
    std::function<void(const std::string& path)> onOpen;
    std::shared_ptr<PictureRun> pictureRun; // what the harvest asked to read pictures with

    void Create() override;
    void Attach() override;
    void Show() override { calls << QStringLiteral("Show"); }
    void Open(const std::string& path) override;
    HarvestDocument& ActivePresentation() override { return m_active; }
    void Quit() override;
    std::string Name() override;
    void Release() override { m_running = false; } // the last reference gone ends it
    void SetReadPictures(std::shared_ptr<PictureRun> run) override { pictureRun = std::move(run); }

private:
    // The presentation Open made active, recording each text read.
    class Document final : public HarvestDocument {
    public:
        explicit Document(FakeHost& host) : m_host(host) {}
        std::optional<PresentationContent> content;
        int SlideCount() override;
        int ShapeCount(int slide) override;
        bool HasTextFrame(int slide, int shape) override;
        std::string Text(int slide, int shape) override;
        std::string ShapeName(int slide, int shape) override;
        int MasterPageCount() override;
        int PlacedTextCount(int slide) override;
        PlacedText PlacedTextAt(int slide, int index) override;
        std::vector<SkippedPart> SkippedParts(int slide) override { return slideAt(slide).skipped; }

    private:
        const SlideContent& slideAt(int slide) const;
        const ShapeContent& shape(int slide, int shape) const;
        FakeHost& m_host;
    };

    bool m_running = false;
    Document m_active{*this};
};

// A presentation of one slide per entry, each slide holding text boxes with the given texts.
PresentationContent SlidesOfText(const std::vector<std::vector<std::string>>& slides);

} // namespace orv::test
