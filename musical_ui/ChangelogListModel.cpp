#include "ChangelogListModel.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>

namespace zarn::qt {

ChangelogListModel::ChangelogListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

int ChangelogListModel::rowCount(const QModelIndex& parent) const
{
    // A row has no children: counting rows under one would make each row a copy of the list
    // to a view that walks the tree.
    if (parent.isValid())
        return 0;
    return static_cast<int>(rows_.size());
}

bool ChangelogListModel::HasRow(int row) const
{
    return row >= 0 && static_cast<std::size_t>(row) < rows_.size();
}

QVariant ChangelogListModel::data(const QModelIndex& index, int role) const
{
    const int row = index.row();
    if (!HasRow(row))
        return {};
    switch (role) {
    case VersionRole:
        return VersionString(row);
    case ModifiedRole:
        return ModifiedString(row);
    default:
        return {};
    }
}

QHash<int, QByteArray> ChangelogListModel::roleNames() const
{
    return {{VersionRole, "version"}, {ModifiedRole, "modified"}};
}

void ChangelogListModel::Append(const CL::ChangeLog& log)
{
    if (std::find(rows_.begin(), rows_.end(), log) != rows_.end())
        return;
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    rows_.push_back(log);
    endInsertRows();
}

void ChangelogListModel::RemoveRow(int row)
{
    if (!HasRow(row))
        return;
    beginRemoveRows(QModelIndex(), row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

void ChangelogListModel::Clear()
{
    while (rowCount() > 0)
        RemoveRow(0);
}

void ChangelogListModel::SortByVersion()
{
    std::stable_sort(rows_.begin(), rows_.end(),
                     [](const CL::ChangeLog& a, const CL::ChangeLog& b) { return a.version < b.version; });
}

void ChangelogListModel::NotifyAllRowsChanged()
{
    // An empty list has no rows to name.
    if (rows_.empty())
        return;
    emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {});
}

QString ChangelogListModel::VersionString(int row) const
{
    if (!HasRow(row))
        return {};
    return QString::fromStdString(rows_[static_cast<std::size_t>(row)].version.GetAsString());
}

QString ChangelogListModel::ModifiedString(int row) const
{
    if (!HasRow(row))
        return {};
    return ModifiedText(rows_[static_cast<std::size_t>(row)].modified);
}

QString ChangelogListModel::FilePath(int row) const
{
    if (!HasRow(row))
        return {};
    return QString::fromStdString(rows_[static_cast<std::size_t>(row)].Path());
}

QString ChangelogListModel::ModifiedText(std::uint32_t secondsSinceEpoch)
{
    QDateTime time;
    time.setSecsSinceEpoch(static_cast<qint64>(secondsSinceEpoch));
    // English month names and AM/PM whatever the machine's language.
    return QLocale::c().toString(time.toLocalTime(), QStringLiteral("MMM dd yyyy hh:mm AP"));
}

} // namespace zarn::qt
