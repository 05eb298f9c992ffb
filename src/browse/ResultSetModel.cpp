#include "browse/ResultSetModel.h"

#include <algorithm>
#include <limits>

void TResultSetModel::SetResultSet(std::shared_ptr<const TResultSet> rows) {
    beginResetModel();
    // The old set is freed here, after the views have let go of its rows.
    Rows.swap(rows);
    endResetModel();
}

int TResultSetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !Rows)
        return 0;
    // Item views count rows in int.
    return static_cast<int>(std::min<size_t>(Rows->RowCount(), std::numeric_limits<int>::max()));
}

int TResultSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !Rows ? 0 : Rows->ColumnCount();
}

QVariant TResultSetModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount() ||
        index.column() >= columnCount())
        return {};
    const auto row = static_cast<size_t>(index.row());
    if (Rows->IsNull(row, index.column()))
        return {};
    const std::string_view text = Rows->Cell(row, index.column());
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QVariant TResultSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || !Rows || section < 0 ||
        section >= Rows->ColumnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromStdString(Rows->ColumnName(section));
}
