#include "results/gui/ClipboardText.h"

#include "shell/gui/ListControl.h"
#include "shell/gui/Platform.h"

namespace orv {

namespace {
constexpr int kClipboardAttempts = 1000;
}

QString ClipboardTableText(const QVector<CopiedRow>& rows, int columnCount) {
    QVector<qsizetype> widths(columnCount, 0);
    for (const auto& row : rows)
        for (int c = 0; c < columnCount && c < row.cells.size(); ++c)
            widths[c] = std::max(widths[c], row.cells[c].size());

    const bool anyTicked =
        std::any_of(rows.begin(), rows.end(), [](const CopiedRow& r) { return r.checked; });
    QString out;
    for (const auto& row : rows) {
        if (anyTicked && !row.checked)
            continue;
        QString line;
        for (int c = 0; c < columnCount; ++c) {
            const QString cell = c < row.cells.size() ? row.cells[c] : QString();
            line += cell;
            line += QString(std::max<qsizetype>(0, widths[c] - cell.size()), QLatin1Char(' '));
            line += QLatin1Char('\t');
        }
        line.chop(1); // the tab after the last column
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        out += line;
        out += QStringLiteral("\r\n");
    }
    return out;
}

bool CopyListViewToClipboard(ListControl& list, EventPump& pump, Clipboard& clipboard) {
    if (list.count() <= 0)
        return false;
    const int columns = list.columnCount();
    // The count is taken once: a row removed while the event loop runs makes
    // its read fail, and the failure ends the copy before the clipboard is touched.
    const int count = list.count();
    QVector<CopiedRow> rows;
    for (int r = 1; r <= count; ++r) {
        pump.pump();
        CopiedRow row;
        row.checked = list.checked(r);
        for (int c = 1; c <= columns; ++c)
            row.cells << list.cell(r, c);
        rows << row;
    }
    const QString text = ClipboardTableText(rows, columns);
    ClearClipboard(clipboard);
    SetClipboardText(clipboard, text, 0);
    return true;
}

void ClearClipboard(Clipboard& clipboard) {
    for (int attempt = 0; attempt < kClipboardAttempts; ++attempt)
        if (clipboard.clear())
            return;
}

bool SetClipboardText(Clipboard& clipboard, const QString& text,
                      int /*format: plain text is the only one used*/) {
    for (int attempt = 0; attempt < kClipboardAttempts; ++attempt)
        if (clipboard.setText(text))
            return true;
    return false;
}

} // namespace orv
