#pragma once

#include "shell/RowSource.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace orv {

// The rows of one list: a text per row, an optional check state, an optional
// source (where a result was found, shown in the row's tool tip), and the
// column headings. Rows are appended to the store at once but announced to
// the view in batches, the next time the event loop runs (or when another
// operation needs the view to know them), so a long run of appends costs the
// view one layout per batch instead of one per row. Indices here are 0-based;
// ListControl offers the 1-based operations.
class ListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ListModel(QObject* parent = nullptr);

    // Every row held, announced or not.
    int size() const { return static_cast<int>(m_texts.size()); }
    const QString& textAt(int row) const { return m_texts[static_cast<std::size_t>(row)]; }
    void setTextAt(int row, const QString& text);
    bool checkedAt(int row) const { return m_checked[static_cast<std::size_t>(row)] != 0; }
    void setCheckedAt(int row, bool on);

    // Null for a row without a source.
    const RowSource* sourceAt(int row) const { return m_sources[static_cast<std::size_t>(row)].get(); }
    // The tool tip of a row with a source; rows without one have none of their own.
    void setSourceToolTip(std::function<QString(const RowSource&)> tip) { m_sourceToolTip = std::move(tip); }

    void append(const QString& text, std::unique_ptr<const RowSource> source = nullptr);
    void removeAt(int row);
    void removeAll();
    // Tells the view about rows appended since the last batch.
    void announce();

    void addColumn(const QString& heading);
    int columns() const { return static_cast<int>(m_headings.size()); }
    const QString& heading(int column) const { return m_headings[column]; }
    // Rows show a check box the user can tick.
    void setCheckable(bool on) { m_checkable = on; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void rowChanged(int row, int role);

    std::vector<QString> m_texts;
    std::vector<char> m_checked;                             // one per row; char, not the packed vector<bool>
    std::vector<std::unique_ptr<const RowSource>> m_sources; // one per row, null for none
    std::function<QString(const RowSource&)> m_sourceToolTip;
    QStringList m_headings;
    int m_announced = 0; // rows the view knows about: the first m_announced
    bool m_announceQueued = false;
    bool m_checkable = false;
};

} // namespace orv
