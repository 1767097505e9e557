#include "SongListModel.h"

#include <algorithm>
#include <utility>

namespace zarn::qt {

SongListModel::SongListModel(std::vector<SongListRow> rows)
    : QAbstractListModel(nullptr), rows_(std::move(rows))
{
}

int SongListModel::rowCount(const QModelIndex& /*parent*/) const
{
    return static_cast<int>(rows_.size());
}

QVariant SongListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount())
        return {};
    const SongListRow& row = rows_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case SongNumberRole:
        return QString::fromStdString(row.songNumber);
    case StatusRole: {
        const QString status = StatusText(row.attacca);
        return status.isEmpty() ? QVariant() : QVariant(status);
    }
    case SongNameRole:
        return QString::fromStdString(row.songName);
    default:
        return {};
    }
}

QHash<int, QByteArray> SongListModel::roleNames() const
{
    return {{SongNumberRole, "song_number"}, {StatusRole, "status"}, {SongNameRole, "song_name"}};
}

int SongListModel::FindSongRow(const std::string& songNumber) const
{
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (rows_[row].songNumber == songNumber)
            return static_cast<int>(row);
    }
    return rowCount();
}

std::string SongListModel::GetSongNumber(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return rows_[static_cast<std::size_t>(row)].songNumber;
}

UInt8 SongListModel::CycleAttaccaState(const std::string& songNumber)
{
    const int row = FindSongRow(songNumber);
    if (row == rowCount())
        return 0;
    UInt8& state = rows_[static_cast<std::size_t>(row)].attacca;
    state = static_cast<UInt8>((state + 1) % 3);
    AnnounceRow(row);
    return state;
}

void SongListModel::SetAttaccaStates(const std::vector<UInt8>& states)
{
    const std::size_t count = std::min(states.size(), rows_.size());
    for (std::size_t row = 0; row < count; ++row) {
        if (rows_[row].attacca == states[row])
            continue;
        rows_[row].attacca = states[row];
        AnnounceRow(static_cast<int>(row));
    }
}

QString SongListModel::StatusText(UInt8 state)
{
    switch (state) {
    case 0:
        return QStringLiteral("plays");
    case 1:
        return QStringLiteral("continue");
    case 2:
        return QStringLiteral("x");
    default:
        return {};
    }
}

void SongListModel::AnnounceRow(int row)
{
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed);
}

} // namespace zarn::qt
