#include "shell/gui/ListControl.h"

#include "base/Failure.h"
#include "shell/gui/ListModel.h"

#include <QHeaderView>
#include <QTreeView>
#include <cmath>

namespace orv {

int TwipsToPixels(int twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

ListControl::ListControl(QWidget* parent, const QString& name)
    : m_view(new QTreeView(parent)), m_model(new ListModel(m_view)) {
    m_view->setObjectName(name);
    m_view->setModel(m_model);
    m_view->setRootIsDecorated(false);
    m_view->setItemsExpandable(false);
    m_view->setUniformRowHeights(true);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->header()->setStretchLastSection(false);
}

// The view and the model belong to the parent window and go with it.
ListControl::~ListControl() = default;

QWidget* ListControl::widget() const {
    return m_view;
}

QWidget* ListControl::viewport() const {
    return m_view->viewport();
}

int ListControl::row(int index) const {
    if (index < 1 || index > m_model->size())
        throw Failure("Index out of bounds");
    return index - 1;
}

int ListControl::checkedColumn(int column) const {
    if (column < 1 || column > m_model->columns())
        throw Failure("Index out of bounds");
    return column - 1;
}

void ListControl::addColumn(const QString& heading) {
    m_model->addColumn(heading);
}

void ListControl::setColumnWidthTwips(int column, int twips) {
    m_view->setColumnWidth(checkedColumn(column), TwipsToPixels(twips, m_view->logicalDpiX()));
}

int ListControl::columnWidthTwips(int column) const {
    return static_cast<int>(
        std::lround(m_view->columnWidth(checkedColumn(column)) * 1440.0 / m_view->logicalDpiX()));
}

QString ListControl::heading(int column) const {
    return m_model->heading(checkedColumn(column));
}

int ListControl::columnCount() const {
    return m_model->columns();
}

int ListControl::count() const {
    return m_model->size();
}

QString ListControl::text(int index) const {
    return m_model->textAt(row(index));
}

void ListControl::setText(int index, const QString& text) {
    m_model->setTextAt(row(index), text);
}

void ListControl::add(const QString& text) {
    m_model->append(text);
}

void ListControl::add(const QString& text, RowSource source) {
    m_model->append(text, std::make_unique<const RowSource>(std::move(source)));
}

const RowSource* ListControl::source(int index) const {
    return m_model->sourceAt(row(index));
}

void ListControl::setSourceToolTip(std::function<QString(const RowSource&)> tip) {
    m_model->setSourceToolTip(std::move(tip));
}

QString ListControl::toolTip(int index) const {
    const int r = row(index);
    m_model->announce();
    const QVariant own = m_model->data(m_model->index(r, 0), Qt::ToolTipRole);
    return own.isValid() ? own.toString() : m_view->toolTip();
}

void ListControl::remove(int index) {
    m_model->removeAt(row(index));
}

void ListControl::clearRows() {
    m_model->removeAll();
}

int ListControl::selectedIndex() const {
    const QModelIndexList selected = m_view->selectionModel()->selectedRows();
    return selected.isEmpty() ? 0 : selected.first().row() + 1;
}

void ListControl::select(int index) {
    const int r = row(index);
    m_model->announce();
    const QModelIndex at = m_model->index(r, 0);
    m_view->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
}

int ListControl::hitTest(const QPoint& viewportPos) const {
    m_model->announce();
    const QModelIndex at = m_view->indexAt(viewportPos);
    return at.isValid() ? at.row() + 1 : 0;
}

QRect ListControl::rowRect(int index) const {
    const int r = row(index);
    m_model->announce();
    return m_view->visualRect(m_model->index(r, 0));
}

void ListControl::ensureVisible(int index) {
    const int r = row(index);
    m_model->announce();
    m_view->scrollTo(m_model->index(r, 0));
}

QString ListControl::cell(int index, int column) const {
    const int c = checkedColumn(column);
    const int r = row(index);
    return c == 0 ? m_model->textAt(r) : QString(); // sub-items are never set
}

void ListControl::setCheckable(bool on) {
    m_model->setCheckable(on);
}

bool ListControl::checked(int index) const {
    return m_model->checkedAt(row(index));
}

void ListControl::setChecked(int index, bool on) {
    m_model->setCheckedAt(row(index), on);
}

void ListControl::setPointer(const std::optional<QCursor>& picture) {
    if (picture)
        m_view->viewport()->setCursor(*picture);
    else
        m_view->viewport()->setCursor(Qt::ArrowCursor);
}

void ListControl::setDragOut(bool on) {
    m_view->setDragEnabled(on);
}

void ListControl::onRowDoubleClicked(std::function<void()> handler) {
    QObject::connect(m_view, &QAbstractItemView::doubleClicked, m_view,
                     [handler = std::move(handler)](const QModelIndex&) { handler(); });
}

void ListControl::onRowPressed(std::function<void()> handler) {
    QObject::connect(m_view, &QAbstractItemView::pressed, m_view,
                     [handler = std::move(handler)](const QModelIndex&) { handler(); });
}

} // namespace orv
