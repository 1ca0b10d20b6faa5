#pragma once

#include <QString>

#include <cstdint>
#include <functional>

class QWidget;

namespace orv {

// While a long operation works, the window's caption tells how far it is:
// nothing for the first half second, then the progress text, refreshed a few
// times a second; the title comes back when the operation ends (this object
// goes out of scope).
class ProgressCaption {
public:
    static constexpr std::int64_t kDelayMs = 500;
    static constexpr std::int64_t kRefreshMs = 200;

    ProgressCaption(QWidget& window, QString title, std::function<std::int64_t()> clock);
    ProgressCaption(const ProgressCaption&) = delete;
    ProgressCaption& operator=(const ProgressCaption&) = delete;
    ~ProgressCaption();

    // `progress` is asked for its text only when the caption is due for a
    // refresh, so calling this after every small piece of work costs a clock read.
    void update(const std::function<QString()>& progress);
    // The progress at once, however soon after the start or the last
    // refresh: before a box, so that the caption names what the box is about
    // even when the operation has only just begun.
    void updateNow(const std::function<QString()>& progress);

    // "<progress> — <title>": the title stays last, where the desktop shows
    // the application's name.
    static QString Caption(const QString& progress, const QString& title);

private:
    void show(std::int64_t now, const std::function<QString()>& progress);

    QWidget& m_window;
    QString m_title;
    std::function<std::int64_t()> m_clock;
    std::int64_t m_start;
    std::int64_t m_lastShown = 0;
    bool m_shown = false;
};

} // namespace orv
