#include "shell/gui/ListControl.h"

#include "shell/Failure.h"

#include <QHeaderView>
#include <cmath>

namespace orv {

int TwipsToPixels(int twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

ListControl::ListControl(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(0);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setStretchLastSection(false);
    setHeaderLabels({});
}

void ListControl::addColumn(const QString& heading) {
    const int n = QTreeWidget::columnCount();
    setColumnCount(n + 1);
    headerItem()->setText(n, heading);
}

void ListControl::setColumnWidthTwips(int column, int twips) {
    if (column < 1 || column > QTreeWidget::columnCount())
        throw Failure("Index out of bounds");
    setColumnWidth(column - 1, TwipsToPixels(twips, logicalDpiX()));
}

QTreeWidgetItem* ListControl::item(int index) const {
    if (index < 1 || index > topLevelItemCount())
        throw Failure("Index out of bounds");
    return topLevelItem(index - 1);
}

QString ListControl::text(int index) const {
    return item(index)->text(0);
}

void ListControl::setText(int index, const QString& text) {
    item(index)->setText(0, text);
}

void ListControl::add(const QString& text) {
    auto* row = new QTreeWidgetItem(QStringList{text});
    if (m_checkable) {
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(0, Qt::Unchecked);
    }
    addTopLevelItem(row);
}

void ListControl::remove(int index) {
    delete item(index);
}

int ListControl::selectedIndex() const {
    const auto selected = selectedItems();
    if (!selected.isEmpty())
        return indexOfTopLevelItem(selected.first()) + 1;
    return 0;
}

void ListControl::select(int index) {
    auto* row = item(index);
    setCurrentItem(row);
    row->setSelected(true);
}

int ListControl::hitTest(const QPoint& viewportPos) const {
    auto* row = itemAt(viewportPos);
    return row ? indexOfTopLevelItem(row) + 1 : 0;
}

void ListControl::ensureVisible(int index) {
    scrollToItem(item(index));
}

QString ListControl::cell(int index, int column) const {
    if (column < 1 || column > QTreeWidget::columnCount())
        throw Failure("Index out of bounds");
    return item(index)->text(column - 1);
}

bool ListControl::checked(int index) const {
    return item(index)->checkState(0) == Qt::Checked;
}

void ListControl::setChecked(int index, bool on) {
    item(index)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
}

} // namespace orv
