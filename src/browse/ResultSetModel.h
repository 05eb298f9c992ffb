#pragma once

#include "browse/QueryThreads.h"
#include "browse/ResultSet.h"

#include <QAbstractTableModel>

#include <memory>

// A read-only table over one result set, shared with whoever produced it, never copied. A new set
// replaces the old one with a model reset, the lists' signal that their rows have changed. Main
// thread only.
class TResultSetModel : public QAbstractTableModel, public IQueryTarget {
    Q_OBJECT

public:
    explicit TResultSetModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Null shows an empty list without columns.
    void SetResultSet(std::shared_ptr<const TResultSet> rows);
    void Attach(std::shared_ptr<const TResultSet> rows) override { SetResultSet(std::move(rows)); }
    const std::shared_ptr<const TResultSet>& ResultSet() const { return Rows; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::shared_ptr<const TResultSet> Rows;
};
