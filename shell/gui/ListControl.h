#pragma once

#include "shell/RowSource.h"

#include <QCursor>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>

class QTreeView;
class QWidget;

namespace orv {

class ListModel;

// A list in report view with the row operations the handlers use, counted
// from 1 as the handlers count them. An index outside 1..count() throws
// orv::Failure, which the calling handler reports. The rows live in a model
// of their own; the view shows what is visible of them.
class ListControl {
public:
    // Creates the control as a child of `parent`, named `name`.
    ListControl(QWidget* parent, const QString& name);
    ListControl(const ListControl&) = delete;
    ListControl& operator=(const ListControl&) = delete;
    ~ListControl();

    // The control as placed in its window (geometry, font, tool tip, focus).
    QWidget* widget() const;
    // The area that shows the rows: mouse, pointer and drops happen here.
    QWidget* viewport() const;

    // Adds a column with `heading`; widths are in twips.
    void addColumn(const QString& heading);
    void setColumnWidthTwips(int column, int twips);
    int columnWidthTwips(int column) const;
    QString heading(int column) const;
    int columnCount() const;

    int count() const;
    QString text(int index) const;
    void setText(int index, const QString& text);
    // Appends a row holding only `text`, unticked.
    void add(const QString& text);
    // Appends a row holding `text`, unticked, that keeps where it was found:
    // not a sub-item, so nothing that reads the cells sees it. The source
    // goes wherever the row goes, and with it.
    void add(const QString& text, RowSource source);
    // Where row `index` was found; null for a row added without a source.
    const RowSource* source(int index) const;
    // What a row with a source shows as its tool tip; other rows show the
    // list's own.
    void setSourceToolTip(std::function<QString(const RowSource&)> tip);
    // The tool tip shown over row `index`.
    QString toolTip(int index) const;
    void remove(int index);
    void clearRows();

    // Index of the selected row, 0 when none is selected.
    int selectedIndex() const;
    void select(int index);
    // The row under a point in viewport coordinates, 0 when none.
    int hitTest(const QPoint& viewportPos) const;
    // Where row `index` is shown, in viewport coordinates.
    QRect rowRect(int index) const;
    void ensureVisible(int index);

    // Cell of column `column` (1 = the row text, k + 1 = sub-item k).
    QString cell(int index, int column) const;

    // Rows show a check box the user can tick.
    void setCheckable(bool on);
    bool checked(int index) const;
    void setChecked(int index, bool on);

    // The pointer over the rows: a picture of its own, or the arrow.
    void setPointer(const std::optional<QCursor>& picture);
    // Whether pressing on a row and moving can drag it out of the list.
    void setDragOut(bool on);

    // Called when the user double-clicks a row, or presses a mouse button on one.
    void onRowDoubleClicked(std::function<void()> handler);
    void onRowPressed(std::function<void()> handler);

private:
    // Throws unless 1 <= index <= count(); the 0-based row otherwise.
    int row(int index) const;
    int checkedColumn(int column) const;

    QTreeView* m_view;
    ListModel* m_model;
};

int TwipsToPixels(int twips, double dpi);

} // namespace orv
