#include "shell/gui/QtPlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QTime>
#include <QUrl>

#include <chrono>

namespace orv {

QString DisplayText(const QString& text) {
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

QString QtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            continue;
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (auto& p : patterns)
            if (p == QStringLiteral("*.*"))
                p = QStringLiteral("*");
        // The description keeps its own "(*.x)"; the pattern list in the last
        // parentheses is what the dialog matches (and hides from view).
        filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

Interaction::Answer QtInteraction::messageBox(const QString& text, const QString& caption, Buttons buttons,
                                              Icon icon) {
    QMessageBox box(
        icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, caption, DisplayText(text),
        buttons == Buttons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, m_parent);
    box.setTextFormat(Qt::PlainText);
    const int result = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

QString QtInteraction::inputBox(const QString& prompt, const QString& caption, const QString& defaultText) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(m_parent, caption, DisplayText(prompt), QLineEdit::Normal, defaultText, &ok);
    return ok ? answer : QString();
}

QStringList QtInteraction::openFiles(const QString& title, const QString& filter) {
    return QFileDialog::getOpenFileNames(m_parent, title, QString(), QtNameFilters(filter), nullptr,
                                         QFileDialog::HideNameFilterDetails);
}

QString QtInteraction::saveFile(const QString& title, const QString& filter) {
    // The handlers ask about overwriting themselves.
    return QFileDialog::getSaveFileName(m_parent, title, QString(), QtNameFilters(filter), nullptr,
                                        QFileDialog::HideNameFilterDetails |
                                            QFileDialog::DontConfirmOverwrite);
}

QString QtInteraction::browseForFolder(const QString& title, const QString& startFolder) {
    return QFileDialog::getExistingDirectory(m_parent, title, startFolder, QFileDialog::ShowDirsOnly);
}

void QtInteraction::openUrl(const QString& url) {
    QDesktopServices::openUrl(QUrl(url));
}

std::int64_t SteadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QtEventPump::QtEventPump(std::function<std::int64_t()> clock) : m_clock(std::move(clock)) {}

void QtEventPump::pump() {
    if (m_ranOnce && m_clock() - m_last < kIntervalMs)
        return;
    QCoreApplication::processEvents();
    // Counted from the end of the processing, so a slow repaint still leaves
    // the work a whole interval.
    m_last = m_clock();
    m_ranOnce = true;
}

bool QtClipboard::clear() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->clear();
    return true;
}

bool QtClipboard::setText(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setText(text);
    return clipboard->text() == text;
}

TimerSeededRandom::TimerSeededRandom()
    : m_engine(static_cast<std::mt19937::result_type>(QTime(0, 0).secsTo(QTime::currentTime()))) {}

double TimerSeededRandom::next() {
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_engine);
}

} // namespace orv
