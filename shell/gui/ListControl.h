#pragma once

#include <QTreeWidget>

namespace orv {

// A list in report view with the row operations the handlers use, counted
// from 1 as the handlers count them. An index outside 1..count() throws
// orv::Failure, which the calling handler reports.
class ListControl : public QTreeWidget {
    Q_OBJECT
public:
    explicit ListControl(QWidget* parent = nullptr);

    // Adds a column with `heading`; the width is in twips.
    void addColumn(const QString& heading);
    void setColumnWidthTwips(int column, int twips);

    int count() const { return topLevelItemCount(); }
    QString text(int index) const;
    void setText(int index, const QString& text);
    // Appends a row holding only `text`, unticked.
    void add(const QString& text);
    void remove(int index);
    void clearRows() { clear(); }

    // Index of the selected row, 0 when none is selected.
    int selectedIndex() const;
    void select(int index);
    // The row under a point in viewport coordinates, 0 when none.
    int hitTest(const QPoint& viewportPos) const;
    void ensureVisible(int index);

    int columnCount() const { return QTreeWidget::columnCount(); }
    // Cell of column `column` (1 = the row text, k + 1 = sub-item k).
    QString cell(int index, int column) const;

    // Rows show a check box the user can tick.
    void setCheckable(bool on) { m_checkable = on; }
    bool checked(int index) const;
    void setChecked(int index, bool on);

private:
    QTreeWidgetItem* item(int index) const;
    bool m_checkable = false;
};

int TwipsToPixels(int twips, double dpi);

} // namespace orv
