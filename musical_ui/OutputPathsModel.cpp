#include "OutputPathsModel.h"

namespace zarn::qt {

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

OutputPathsModel::OutputPathsModel(QObject* parent) : QAbstractListModel(parent)
{
    static const int registered = [] {
        qRegisterMetaType<CL::OutputPath>();
        qRegisterMetaType<OutputPathsModel*>();
        return 0;
    }();
    (void)registered;
}

int OutputPathsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(paths_.size());
}

QVariant OutputPathsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.model() != this || !HasRow(index.row()))
        return {};
    const CL::OutputPath& path = paths_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case PathNameRole:
        return Text(path.GetName());
    case PathIdRole:
        return Text(path.GetId());
    case PathDeviceNameRole:
        return Text(path.GetDeviceName());
    case PathDeviceIdRole:
        return Text(path.GetDeviceId());
    default:
        return {};
    }
}

bool OutputPathsModel::setData(const QModelIndex& index, const QVariant& value, int)
{
    if (!index.isValid() || index.model() != this || !HasRow(index.row()))
        return false;
    if (value.metaType() != QMetaType::fromType<CL::OutputPath>())
        return false;
    CL::OutputPath& row = paths_[static_cast<std::size_t>(index.row())];
    row = value.value<CL::OutputPath>();
    emit AddOutputPathSignal(row);
    return true;
}

QHash<int, QByteArray> OutputPathsModel::roleNames() const
{
    return {{PathNameRole, "path_name"},
            {PathIdRole, "path_id"},
            {PathDeviceNameRole, "path_device_name"},
            {PathDeviceIdRole, "path_device_id"}};
}

void OutputPathsModel::AddOutputPath(const CL::OutputPath& path)
{
    for (std::size_t row = 0; row < paths_.size(); ++row) {
        if (paths_[row].GetId() == path.GetId()) {
            paths_[row] = path;
            const QModelIndex changed = index(static_cast<int>(row));
            emit dataChanged(changed, changed, {});
            return;
        }
    }
    const int row = static_cast<int>(paths_.size());
    beginInsertRows(QModelIndex(), row, row);
    paths_.push_back(path);
    endInsertRows();
    emit AddOutputPathSignal(path);
}

void OutputPathsModel::RemoveOutputPath(int row)
{
    if (!HasRow(row))
        return;
    // A copy: a receiver may change the model before it is done with the path.
    const CL::OutputPath removed = paths_[static_cast<std::size_t>(row)];
    emit RemoveOutputPathSignal(removed);
    if (!HasRow(row))
        return;
    beginRemoveRows(QModelIndex(), row, row);
    paths_.erase(paths_.begin() + row);
    endRemoveRows();
}

CL::OutputPath OutputPathsModel::GetOutputPath(int row) const
{
    return HasRow(row) ? paths_[static_cast<std::size_t>(row)] : CL::OutputPath();
}

QString OutputPathsModel::PathName(int row) const
{
    return HasRow(row) ? Text(paths_[static_cast<std::size_t>(row)].GetName()) : QString();
}

QString OutputPathsModel::PathId(int row) const
{
    return HasRow(row) ? Text(paths_[static_cast<std::size_t>(row)].GetId()) : QString();
}

QString OutputPathsModel::PathDeviceName(int row) const
{
    return HasRow(row) ? Text(paths_[static_cast<std::size_t>(row)].GetDeviceName()) : QString();
}

QString OutputPathsModel::PathDeviceId(int row) const
{
    return HasRow(row) ? Text(paths_[static_cast<std::size_t>(row)].GetDeviceId()) : QString();
}

} // namespace zarn::qt
