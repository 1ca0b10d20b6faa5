#include "shell/gui/ProgressCaption.h"

#include <QWidget>

namespace orv {

ProgressCaption::ProgressCaption(QWidget& window, QString title, std::function<std::int64_t()> clock)
    : m_window(window), m_title(std::move(title)), m_clock(std::move(clock)), m_start(m_clock()) {}

ProgressCaption::~ProgressCaption() {
    if (m_shown)
        m_window.setWindowTitle(m_title);
}

void ProgressCaption::update(const std::function<QString()>& progress) {
    const std::int64_t now = m_clock();
    if (now - m_start < kDelayMs || (m_shown && now - m_lastShown < kRefreshMs))
        return;
    show(now, progress);
}

void ProgressCaption::updateNow(const std::function<QString()>& progress) {
    show(m_clock(), progress);
}

void ProgressCaption::show(std::int64_t now, const std::function<QString()>& progress) {
    m_window.setWindowTitle(Caption(progress(), m_title));
    m_lastShown = now;
    m_shown = true;
}

QString ProgressCaption::Caption(const QString& progress, const QString& title) {
    return progress + QStringLiteral(" \u2014 ") + title;
}

} // namespace orv
