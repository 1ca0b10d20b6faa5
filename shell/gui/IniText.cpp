#include "shell/gui/IniText.h"

namespace orv {

namespace {

bool isHexDigit(char16_t ch) {
    return (ch >= u'0' && ch <= u'9') || (ch >= u'a' && ch <= u'f') || (ch >= u'A' && ch <= u'F');
}

int digitValue(char ch, int base) {
    int value = base;
    if (ch >= '0' && ch <= '9')
        value = ch - '0';
    else if (ch >= 'a' && ch <= 'f')
        value = ch - 'a' + 10;
    else if (ch >= 'A' && ch <= 'F')
        value = ch - 'A' + 10;
    return value < base ? value : -1;
}

char simpleEscape(char16_t ch) {
    switch (ch) {
    case u'\a':
        return 'a';
    case u'\b':
        return 'b';
    case u'\f':
        return 'f';
    case u'\n':
        return 'n';
    case u'\r':
        return 'r';
    case u'\t':
        return 't';
    case u'\v':
        return 'v';
    case u'"':
        return '"';
    case u'\\':
        return '\\';
    default:
        return 0;
    }
}

char16_t simpleUnescape(char ch) {
    switch (ch) {
    case 'a':
        return u'\a';
    case 'b':
        return u'\b';
    case 'f':
        return u'\f';
    case 'n':
        return u'\n';
    case 'r':
        return u'\r';
    case 't':
        return u'\t';
    case 'v':
        return u'\v';
    default:
        return static_cast<char16_t>(static_cast<unsigned char>(ch)); // \" \\ \' \? \; \, \=
    }
}

} // namespace

QByteArray IniEscaped(const QString& value) {
    const QString text = value.startsWith(QLatin1Char('@')) ? QLatin1Char('@') + value : value;
    QByteArray out;
    QString plain; // characters written as UTF-8, encoded together so surrogate pairs stay whole
    const auto flush = [&] {
        out += plain.toUtf8();
        plain.clear();
    };
    bool needsQuotes = false;
    bool escapeNextIfDigit = false; // a hex escape swallows the hex digits after it
    for (const QChar qch : text) {
        const char16_t ch = qch.unicode();
        if (ch == u';' || ch == u',' || ch == u'=')
            needsQuotes = true;
        if (escapeNextIfDigit && isHexDigit(ch)) {
            flush();
            out += "\\x" + QByteArray::number(ch, 16);
            continue;
        }
        escapeNextIfDigit = false;
        if (const char e = simpleEscape(ch)) {
            flush();
            out += '\\';
            out += e;
        } else if (ch == 0 || ch <= 0x1F) {
            flush();
            out += ch == 0 ? QByteArray("\\0") : "\\x" + QByteArray::number(ch, 16);
            escapeNextIfDigit = true;
        } else {
            plain += qch;
        }
    }
    flush();
    if (needsQuotes || out.startsWith(' ') || out.endsWith(' '))
        out = '"' + out + '"';
    return out;
}

QString IniUnescaped(const QByteArray& raw) {
    QString result;
    QByteArray pending; // plain bytes, decoded as UTF-8 together
    const auto flush = [&] {
        result += QString::fromUtf8(pending);
        pending.clear();
    };
    qsizetype keep = 0; // blanks up to here came from quotes or escapes and stay
    bool quoted = false;
    qsizetype i = 0;
    while (i < raw.size() && (raw[i] == ' ' || raw[i] == '\t'))
        ++i;
    for (; i < raw.size(); ++i) {
        const char ch = raw[i];
        if (ch == '"') {
            flush();
            quoted = !quoted;
            keep = result.size();
        } else if (ch == ';' && !quoted) {
            break;
        } else if (ch == '\\' && i + 1 < raw.size()) {
            flush();
            const char e = raw[++i];
            const int base = e == 'x' ? 16 : (e >= '0' && e <= '7' ? 8 : 0);
            if (base == 0) {
                result += QChar(simpleUnescape(e));
            } else {
                if (base == 16)
                    ++i;
                char32_t code = 0;
                int digits = 0;
                for (; i < raw.size() && digitValue(raw[i], base) >= 0; ++i, ++digits)
                    code = (code * static_cast<char32_t>(base) +
                            static_cast<char32_t>(digitValue(raw[i], base))) &
                           0xFFFF;
                --i;
                if (digits > 0)
                    result += QChar(static_cast<char16_t>(code));
            }
            keep = result.size();
        } else {
            pending += ch;
        }
    }
    flush();
    while (result.size() > keep && (result.endsWith(QLatin1Char(' ')) || result.endsWith(QLatin1Char('\t'))))
        result.chop(1);
    if (result.startsWith(QStringLiteral("@@")))
        result.remove(0, 1);
    else if (result == QStringLiteral("@Invalid()"))
        result.clear();
    return result;
}

} // namespace orv
