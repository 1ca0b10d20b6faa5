#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace orv {

class ListControl;
class EventPump;
class Clipboard;

// One row of a list as the clipboard copy sees it: its cells (column 1 first)
// and whether it is ticked.
struct CopiedRow {
    QStringList cells;
    bool checked = false;
};

// Lays the rows out as a table: each column padded with blanks to its widest
// cell over all rows (ticked or not), tabs between columns, the last column
// unpadded, trailing blanks removed, CR LF after every copied row. Only ticked
// rows are copied; when none is ticked, every row is.
QString ClipboardTableText(const QVector<CopiedRow>& rows, int columnCount);

} // namespace orv

namespace orv {

// Reads the list's cells (letting the event loop run once per row), then puts
// their table text on the clipboard. A list without rows leaves the clipboard
// as it was and gives false, so that the caller does not claim a copy. Throws
// orv::Failure when a row is gone before it was read (rows removed while the
// event loop ran); the clipboard then keeps what it held.
bool CopyListViewToClipboard(ListControl& list, EventPump& pump, Clipboard& clipboard);

// Retried up to 1000 times, stopping at the first success.
void ClearClipboard(Clipboard& clipboard);
bool SetClipboardText(Clipboard& clipboard, const QString& text, int format = 0);

} // namespace orv
