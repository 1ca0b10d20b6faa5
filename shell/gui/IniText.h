#pragma once

#include <QByteArray>
#include <QString>

namespace orv {

// One text value as the settings file's INI lines hold it, in the format that
// QSettings reads and writes: UTF-8, control characters, quotes and
// backslashes escaped, quotes around a value with ";", "," or "=" or with a
// blank at either end, and a leading "@" doubled.
QByteArray IniEscaped(const QString& value);

// The text of a value as written after "key=" on one line. Reads the escapes
// and quotes above; an unquoted ";" starts a comment.
QString IniUnescaped(const QByteArray& raw);

} // namespace orv
