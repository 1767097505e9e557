#include "StringValueListModel.h"

StringValueListModel::StringValueListModel(QObject* parent) : QAbstractListModel(parent) {}

void StringValueListModel::append(const StringValueItem& item)
{
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    items_.append(item);
    endInsertRows();
}

int StringValueListModel::rowCount(const QModelIndex& parent) const
{
    // A row has no children; counting the rows under one would make every row a tree of the
    // whole list to any view that walks it.
    if (parent.isValid())
        return 0;
    return static_cast<int>(items_.size());
}

QVariant StringValueListModel::data(const QModelIndex& index, int role) const
{
    const int row = index.row();
    if (row < 0 || row >= rowCount())
        return {};
    const StringValueItem& item = items_.at(row);
    switch (role) {
    case Qt::DisplayRole:
    case DisplayNameRole:
        return item.displayName;
    case ValueRole:
        return static_cast<int>(item.value);
    default:
        return {};
    }
}

QHash<int, QByteArray> StringValueListModel::roleNames() const
{
    return {{ValueRole, "value"}, {DisplayNameRole, "displayname"}};
}
