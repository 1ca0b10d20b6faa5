#include "shell/gui/SkinSheet.h"

#include "base/Failure.h"

#include <QStringDecoder>
#include <QWidget>

namespace orv {

namespace {

bool isText(const QByteArray& bytes, QString& text) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    text = utf8.decode(bytes);
    if (utf8.hasError())
        return false;
    for (const QChar ch : text)
        if (ch.unicode() < 32 && ch != u'\t' && ch != u'\n' && ch != u'\r' && ch != u'\f')
            return false;
    return true;
}

// Qt has no public call that checks a style sheet; it says so, as a warning,
// when a widget with a sheet it cannot parse is polished. The warning is
// caught here while a throwaway widget is polished, and passed on otherwise.
QtMessageHandler g_previousHandler = nullptr;
bool g_unparsable = false;

void catchParseWarning(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QLatin1String("Could not parse")))
        g_unparsable = true;
    else if (g_previousHandler)
        g_previousHandler(type, context, message);
}

bool qtCanParse(const QString& sheet) {
    g_unparsable = false;
    g_previousHandler = qInstallMessageHandler(catchParseWarning);
    {
        QWidget probe;
        probe.setStyleSheet(sheet);
        probe.ensurePolished();
    }
    qInstallMessageHandler(g_previousHandler);
    return !g_unparsable;
}

} // namespace

QString StyleSheetText(const QByteArray& bytes, const QString& path) {
    QString sheet;
    if (!isText(bytes, sheet))
        throw Failure("The skin file " + path.toStdString() + " is not text.");
    if (!qtCanParse(sheet))
        throw Failure("The skin file " + path.toStdString() + " is not a style sheet that can be read.");
    return sheet;
}

} // namespace orv
