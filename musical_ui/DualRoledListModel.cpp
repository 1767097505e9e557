#include "DualRoledListModel.h"

DualRoledListModel::DualRoledListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

int DualRoledListModel::rowCount(const QModelIndex&) const
{
    return static_cast<int>(items_.size());
}

QVariant DualRoledListModel::data(const QModelIndex& index, int role) const
{
    const int row = index.row();
    if (row < 0 || row >= items_.size())
        return {};
    const auto& item = items_[row];
    switch (role) {
    case Qt::DisplayRole:
    case FirstRole:
        return item->first();
    case ValueRole:
        return item->value;
    case SecondRole:
        return item->second();
    default:
        return {};
    }
}

bool DualRoledListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const int row = index.row();
    if (row < 0 || row >= items_.size())
        return false;
    // The stored members are written directly: an item that computes its texts keeps
    // showing what it computes.
    const auto& item = items_[row];
    switch (role) {
    case FirstRole:
        item->firstText = value.toString();
        break;
    case SecondRole:
        item->secondText = value.toString();
        break;
    case ValueRole:
        item->value = value.toInt();
        break;
    default:
        return false;
    }
    emit dataChanged(index, index, {role});
    return true;
}

bool DualRoledListModel::removeRows(int row, int count, const QModelIndex&)
{
    // Reachable from QML: a range outside the rows changes nothing and says so, rather
    // than corrupting the model's bookkeeping.
    if (row < 0 || count <= 0 || row > items_.size() - count)
        return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    items_.remove(row, count);
    endRemoveRows();
    return true;
}

QHash<int, QByteArray> DualRoledListModel::roleNames() const
{
    return {{ValueRole, "value"}, {FirstRole, "first"}, {SecondRole, "second"}};
}

void DualRoledListModel::append(std::shared_ptr<DualRoleItem> item)
{
    const int n = static_cast<int>(items_.size());
    beginInsertRows(QModelIndex(), n, n);
    items_.append(std::move(item));
    endInsertRows();
}

QVariant DualRoledListModel::dataStr(int index, QString role)
{
    const QByteArray name = role.toUtf8();
    int roleNumber = 0;
    const QHash<int, QByteArray> names = roleNames();
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        if (it.value() == name) {
            roleNumber = it.key();
            break;
        }
    }
    return data(this->index(index, 0), roleNumber);
}
