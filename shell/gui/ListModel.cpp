#include "shell/gui/ListModel.h"

namespace orv {

ListModel::ListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ListModel::rowChanged(int row, int role) {
    if (row < m_announced) {
        const QModelIndex at = index(row, 0);
        emit dataChanged(at, at, {role});
    }
}

void ListModel::setTextAt(int row, const QString& text) {
    m_texts[static_cast<std::size_t>(row)] = text;
    rowChanged(row, Qt::DisplayRole);
}

void ListModel::setCheckedAt(int row, bool on) {
    m_checked[static_cast<std::size_t>(row)] = on ? 1 : 0;
    rowChanged(row, Qt::CheckStateRole);
}

void ListModel::append(const QString& text, std::unique_ptr<const RowSource> source) {
    m_texts.push_back(text);
    m_checked.push_back(0);
    m_sources.push_back(std::move(source));
    if (!m_announceQueued) {
        m_announceQueued = true;
        QMetaObject::invokeMethod(this, &ListModel::announce, Qt::QueuedConnection);
    }
}

void ListModel::announce() {
    m_announceQueued = false;
    if (m_announced >= size())
        return;
    beginInsertRows(QModelIndex(), m_announced, size() - 1);
    m_announced = size();
    endInsertRows();
}

void ListModel::removeAt(int row) {
    announce();
    beginRemoveRows(QModelIndex(), row, row);
    m_texts.erase(m_texts.begin() + row);
    m_checked.erase(m_checked.begin() + row);
    m_sources.erase(m_sources.begin() + row);
    m_announced = size();
    endRemoveRows();
}

void ListModel::removeAll() {
    beginResetModel();
    m_texts.clear();
    m_checked.clear();
    m_sources.clear();
    m_announced = 0;
    endResetModel();
}

void ListModel::addColumn(const QString& heading) {
    const int at = columns();
    beginInsertColumns(QModelIndex(), at, at);
    m_headings << heading;
    endInsertColumns();
}

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_announced;
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns();
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_announced || index.column() != 0)
        return {}; // sub-items are never set: every other column is empty
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return textAt(index.row());
    case Qt::CheckStateRole:
        if (m_checkable)
            return checkedAt(index.row()) ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::ToolTipRole:
        if (const RowSource* source = sourceAt(index.row()); source && m_sourceToolTip)
            return m_sourceToolTip(*source);
        return {};
    default:
        return {};
    }
}

bool ListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!m_checkable || role != Qt::CheckStateRole || !index.isValid() || index.column() != 0 ||
        index.row() >= m_announced)
        return false;
    setCheckedAt(index.row(), static_cast<Qt::CheckState>(value.toInt()) == Qt::Checked);
    return true;
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_checkable && index.column() == 0)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columns())
        return heading(section);
    return {};
}

} // namespace orv
