#include "MarkerListModel.h"

#include <QString>

#include <algorithm>
#include <utility>

namespace zarn::qt {

MarkerListModel::MarkerListModel(std::vector<MarkerInfoItem> items, QObject* parent)
    : QAbstractListModel(parent), rows(std::move(items))
{
}

MarkerListModel::~MarkerListModel() = default;

int MarkerListModel::rowCount(const QModelIndex&) const
{
    return static_cast<int>(rows.size());
}

QVariant MarkerListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount())
        return {};
    const MarkerInfoItem& row = rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case NameRole:
        return QString::fromStdString(row.name);
    case LocationRole:
        return QString::fromStdString(row.location);
    default:
        return {};
    }
}

QHash<int, QByteArray> MarkerListModel::roleNames() const
{
    return {{NameRole, "name"}, {LocationRole, "location"}};
}

MarkerInfoItem MarkerListModel::GetItem(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return rows[static_cast<std::size_t>(row)];
}

int MarkerListModel::IndexOf(const MarkerInfoItem& item) const
{
    const auto found = std::find_if(rows.begin(), rows.end(), [&item](const MarkerInfoItem& row) {
        return row.tick == item.tick && row.name == item.name;
    });
    return found == rows.end() ? -1 : static_cast<int>(found - rows.begin());
}

void MarkerListModel::SetItems(const std::vector<MarkerInfoItem>& items)
{
    beginResetModel();
    rows = items;
    // Stable: two markers at one tick keep the edit model's order, so a row number names the
    // same marker on both sides.
    std::stable_sort(rows.begin(), rows.end(),
                     [](const MarkerInfoItem& a, const MarkerInfoItem& b) { return a.tick < b.tick; });
    ticks.resize(rows.size());
    std::transform(rows.begin(), rows.end(), ticks.begin(), [](const MarkerInfoItem& row) { return row.tick; });
    endResetModel();
}

int MarkerListModel::GetPassedIndex(unsigned tick) const
{
    // Runs on every marker notification during playback: halving over the plain tick list.
    if (rows.empty() || ticks.empty())
        return -1;
    const auto after = std::upper_bound(ticks.begin(), ticks.end(), static_cast<std::uint32_t>(tick));
    return static_cast<int>(after - ticks.begin()) - 1;
}

} // namespace zarn::qt
