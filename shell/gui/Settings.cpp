#include "shell/gui/Settings.h"

#include "base/Failure.h"
#include "shell/AppTitle.h"
#include "shell/gui/IniText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QStringDecoder>

namespace orv {

namespace {

// Far more than the three values ever need; a larger file is not ours.
constexpr qint64 kMaxSettingsBytes = 16 << 20;
// Another copy holds the lock only while it rewrites the file.
constexpr int kLockWaitMs = 5000;

QString section() {
    return QString::fromUtf8(kSettingsSection.data(), static_cast<qsizetype>(kSettingsSection.size()));
}

Failure damaged(const QString& path, const char* why) {
    return Failure(FailureKind::Damaged, "The settings file " + path.toStdString() +
                                             " is damaged and cannot be read (" + why + ").");
}

// The file's lines without their line ends; a missing file has none.
QList<QByteArray> readLines(const QString& path) {
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(FailureKind::InputOutput, "The settings file " + path.toStdString() +
                                                    " cannot be read: " + file.errorString().toStdString());
    if (file.size() > kMaxSettingsBytes)
        throw damaged(path, "far too large");
    const QByteArray bytes = file.read(kMaxSettingsBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw Failure(FailureKind::InputOutput, "The settings file " + path.toStdString() +
                                                    " cannot be read: " + file.errorString().toStdString());
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (auto& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    return lines;
}

// The lines of one section: [first, end) after its header; first = -1 when absent.
struct SectionSpan {
    qsizetype first = -1;
    qsizetype end = -1;
};

bool isHeader(const QByteArray& line) {
    return line.trimmed().startsWith('[');
}

SectionSpan findSection(const QList<QByteArray>& lines, const QString& name) {
    const QByteArray header = '[' + name.toUtf8() + ']';
    SectionSpan span;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (span.first >= 0 && isHeader(lines[i]))
            return {span.first, i};
        if (span.first < 0 && lines[i].trimmed() == header)
            span.first = i + 1;
    }
    if (span.first >= 0)
        span.end = lines.size();
    return span;
}

// The index of the line "key=..." within the span, -1 when absent.
qsizetype findKey(const QList<QByteArray>& lines, SectionSpan span, const QString& key) {
    const QByteArray name = key.toUtf8();
    for (qsizetype i = span.first; i >= 0 && i < span.end; ++i) {
        const auto equals = lines[i].indexOf('=');
        if (equals > 0 && lines[i].left(equals).trimmed() == name)
            return i;
    }
    return -1;
}

void checkText(const QString& path, const QList<QByteArray>& lines) {
    for (const auto& line : lines) {
        if (line.contains('\0'))
            throw damaged(path, "it is not text");
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString decoded = utf8.decode(line); // decoding is lazy until assigned
        if (utf8.hasError())
            throw damaged(path, "it is not UTF-8 text");
        if (isHeader(line) && !line.trimmed().endsWith(']'))
            throw damaged(path, "a section header is not closed");
    }
}

} // namespace

Settings::Settings()
    : m_path(QSettings(QSettings::IniFormat, QSettings::UserScope,
                       QString::fromUtf8(kSettingsApplication.data(),
                                         static_cast<qsizetype>(kSettingsApplication.size())))
                 .fileName()) {}

Settings::Settings(const QString& iniPath) : m_path(iniPath) {}

QString Settings::read(const QString& key, const QString& defaultValue) const {
    const QList<QByteArray> lines = readLines(m_path);
    checkText(m_path, lines);
    const qsizetype at = findKey(lines, findSection(lines, section()), key);
    if (at < 0)
        return defaultValue;
    const QByteArray& line = lines[at];
    return IniUnescaped(line.mid(line.indexOf('=') + 1));
}

void Settings::write(const QString& key, const QString& value) {
    const auto refused = [&](const QString& why) {
        return Failure(FailureKind::InputOutput, "The setting " + key.toStdString() +
                                                     " could not be saved to " + m_path.toStdString() + ": " +
                                                     why.toStdString());
    };
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath()))
        throw refused(QStringLiteral("its folder cannot be created."));
    // The same lock file QSettings takes, so that copies never interleave their rewrites.
    QLockFile lock(m_path + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockWaitMs))
        throw refused(QStringLiteral("the file is locked."));

    QList<QByteArray> lines = readLines(m_path);
    const QByteArray entry = key.toUtf8() + '=' + IniEscaped(value);
    SectionSpan span = findSection(lines, section());
    if (const qsizetype at = findKey(lines, span, key); at >= 0) {
        lines[at] = entry;
    } else if (span.first >= 0) {
        qsizetype after = span.end;
        while (after > span.first && lines[after - 1].trimmed().isEmpty())
            --after;
        lines.insert(after, entry);
    } else {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines << QByteArray();
        lines << '[' + section().toUtf8() + ']' << entry;
    }

    QSaveFile file(m_path);
    file.setDirectWriteFallback(true);
    const bool created = !info.exists();
    if (!file.open(QIODevice::WriteOnly))
        throw refused(file.errorString() + QLatin1Char('.'));
    for (const auto& line : lines)
        file.write(line + '\n');
    if (!file.commit())
        throw refused(file.errorString() + QLatin1Char('.'));
    if (created) // the user's settings are the user's own
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace orv
