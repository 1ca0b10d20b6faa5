#pragma once

#include "shell/gui/Interaction.h"
#include "shell/gui/Platform.h"

#include <random>

class QWidget;

namespace orv {

// The real dialogs, message boxes and desktop launches.
class QtInteraction final : public Interaction {
public:
    void setParentWindow(QWidget* parent) { m_parent = parent; }

    Answer messageBox(const QString& text, const QString& caption, Buttons buttons, Icon icon) override;
    QString inputBox(const QString& prompt, const QString& caption, const QString& defaultText) override;
    QStringList openFiles(const QString& title, const QString& filter) override;
    QString saveFile(const QString& title, const QString& filter) override;
    QString browseForFolder(const QString& title, const QString& startFolder) override;
    void openUrl(const QString& url) override;

private:
    QWidget* m_parent = nullptr;
};

// Runs the event loop at most once a frame: a call that comes sooner than
// kIntervalMs after the last processing returns at once, so a long operation
// that pumps after every small piece of work spends its time working rather
// than repainting, and the window still answers within a frame or two.
class QtEventPump final : public EventPump {
public:
    static constexpr std::int64_t kIntervalMs = 15;
    explicit QtEventPump(std::function<std::int64_t()> clock = SteadyMilliseconds);
    void pump() override;

private:
    std::function<std::int64_t()> m_clock;
    std::int64_t m_last = 0;
    bool m_ranOnce = false;
};

class QtClipboard final : public Clipboard {
public:
    bool clear() override;
    bool setText(const QString& text) override;
};

// Seeded from the seconds since midnight, as the start-up draw wants.
class TimerSeededRandom final : public RandomSource {
public:
    TimerSeededRandom();
    double next() override;

private:
    std::mt19937 m_engine;
};

// Message texts break lines with CR, CR LF or LF; the dialogs want LF.
QString DisplayText(const QString& text);

// "Desc|pattern|Desc|pattern|" as a Qt name-filter list. On this platform
// "*.*" must also list names without a dot, so it becomes "*".
QString QtNameFilters(const QString& filter);

} // namespace orv
