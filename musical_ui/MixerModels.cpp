#include "MixerModels.h"

#include "StringValueListModel.h"

#include <QSet>

#include <cmath>

namespace zarn::qt {

MixerSectionItem::MixerSectionItem(QString name, QString tooltip, MixerTracksModel* tracksModel, QObject* parent)
    : QObject(parent), name_(std::move(name)), tooltip_(std::move(tooltip)), tracksModel_(tracksModel)
{
}

MixerTrackItem::MixerTrackItem(QString name, int trackId, QObject* parent)
    : QObject(parent), name(std::move(name)), trackId(trackId)
{
}

// --- sections ---

MixerModel::MixerModel(QObject* parent) : QAbstractListModel(parent)
{
}

bool MixerModel::HasRow(const QModelIndex& index) const
{
    return index.isValid() && index.model() == this && index.column() == 0 && index.row() >= 0
           && static_cast<std::size_t>(index.row()) < sections_.size();
}

int MixerModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(sections_.size());
}

QVariant MixerModel::data(const QModelIndex& index, int role) const
{
    if (!HasRow(index))
        return {};
    const MixerSectionItem* section = sections_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case NameRole:
        return section->name();
    case IsMutedRole:
        return section->isMuted();
    case IsSoloRole:
        return section->isSolo();
    case TracksModelRole:
        // As an object, which a repeater takes for its model.
        return QVariant::fromValue(static_cast<QObject*>(section->tracksModel()));
    case TooltipRole:
        return section->tooltip();
    default:
        return {};
    }
}

bool MixerModel::Store(int row, int role, const QVariant& value)
{
    MixerSectionItem* section = sections_[static_cast<std::size_t>(row)];
    switch (role) {
    case NameRole:
        section->setName(value.toString());
        return true;
    case IsMutedRole:
        section->setIsMuted(value.toBool());
        return true;
    case IsSoloRole:
        section->setIsSolo(value.toBool());
        return true;
    default:
        return false;
    }
}

bool MixerModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!HasRow(index) || !Store(index.row(), role, value))
        return false;
    if (role == IsMutedRole)
        emit muteSectionRequested(index.row(), value.toBool());
    else if (role == IsSoloRole)
        emit soloSectionRequested(index.row(), value.toBool());
    emit dataChanged(index, index, {role});
    return true;
}

QHash<int, QByteArray> MixerModel::roleNames() const
{
    return {{NameRole, "name"},
            {IsMutedRole, "isMuted"},
            {IsSoloRole, "isSolo"},
            {TracksModelRole, "tracksModel"},
            {TooltipRole, "tooltip"}};
}

void MixerModel::AppendSection(MixerSectionItem* section)
{
    if (!section)
        return;
    const int row = static_cast<int>(sections_.size());
    beginInsertRows(QModelIndex(), row, row);
    sections_.push_back(section);
    endInsertRows();
}

void MixerModel::Clear()
{
    beginResetModel();
    sections_.clear();
    endResetModel();
}

bool MixerModel::UpdateShown(int row, int role, const QVariant& value)
{
    const QModelIndex changed = index(row);
    if (!HasRow(changed) || !Store(row, role, value))
        return false;
    emit dataChanged(changed, changed, {role});
    return true;
}

MixerSectionItem* MixerModel::Section(int row) const
{
    return row >= 0 && static_cast<std::size_t>(row) < sections_.size() ? sections_[static_cast<std::size_t>(row)]
                                                                         : nullptr;
}

// --- tracks ---

MixerTracksModel::MixerTracksModel(QObject* parent) : QAbstractListModel(parent)
{
}

MixerTracksModel::~MixerTracksModel() = default;

bool MixerTracksModel::HasRow(const QModelIndex& index) const
{
    return index.isValid() && index.model() == this && index.column() == 0 && index.row() >= 0
           && static_cast<std::size_t>(index.row()) < tracks_.size();
}

int MixerTracksModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(tracks_.size());
}

QVariant MixerTracksModel::data(const QModelIndex& index, int role) const
{
    if (!HasRow(index))
        return {};
    const MixerTrackItem& track = *tracks_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case IsMutedRole:
        return track.isMuted;
    case IsSoloRole:
        return track.isSolo;
    case VolumeScaledDbRole:
        return track.volumeScaledDb;
    case PanRole:
        return track.pan;
    case EnableMuteRole:
        return track.enableMute;
    case EnableSoloRole:
        return track.enableSolo;
    case InstrumentRole:
        return track.instrument;
    case NameRole:
        return track.name;
    case InstrumentModelRole:
        return QVariant::fromValue(static_cast<QObject*>(track.instrumentModel));
    default:
        return {};
    }
}

bool MixerTracksModel::Store(int row, int role, const QVariant& value)
{
    MixerTrackItem& track = *tracks_[static_cast<std::size_t>(row)];
    switch (role) {
    case IsMutedRole:
        track.isMuted = value.toBool();
        return true;
    case IsSoloRole:
        track.isSolo = value.toBool();
        return true;
    case VolumeScaledDbRole:
        track.volumeScaledDb = value.toFloat();
        return true;
    case PanRole:
        track.pan = value.toFloat();
        return true;
    case EnableMuteRole:
        track.enableMute = value.toBool();
        return true;
    case EnableSoloRole:
        track.enableSolo = value.toBool();
        return true;
    case InstrumentRole:
        track.instrument = value.toInt();
        return true;
    case NameRole:
        track.name = value.toString();
        return true;
    default:
        return false;
    }
}

double MixerTracksModel::LinearGain(float volumeScaledDb)
{
    const float ln = std::log(volumeScaledDb);
    return std::pow(10.0, 25.0 * static_cast<double>(ln) / 20.0);
}

bool MixerTracksModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!HasRow(index) || !Store(index.row(), role, value))
        return false;
    const MixerTrackItem& track = *tracks_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case IsMutedRole:
        emit muteTrackRequested(track.trackId, track.isMuted);
        // The whole row: a host may change the track's other roles as it mutes.
        emit dataChanged(index, index, {});
        break;
    case IsSoloRole:
        emit soloTrackRequested(track.trackId, track.isSolo);
        break;
    case VolumeScaledDbRole:
        emit volumeTrackRequested(track.trackId, LinearGain(track.volumeScaledDb));
        break;
    case PanRole:
        emit panTrackRequested(track.trackId, static_cast<double>(track.pan));
        break;
    case InstrumentRole:
        emit instrumentTrackRequested(track.trackId, track.instrument);
        break;
    default:
        break;
    }
    emit dataChanged(index, index, {role});
    return true;
}

QHash<int, QByteArray> MixerTracksModel::roleNames() const
{
    return {{IsMutedRole, "isMuted"},
            {IsSoloRole, "isSolo"},
            {VolumeScaledDbRole, "volumeScaledDb"},
            {PanRole, "pan"},
            {EnableMuteRole, "enableMute"},
            {EnableSoloRole, "enableSolo"},
            {InstrumentRole, "instrument"},
            {NameRole, "name"},
            {InstrumentModelRole, "instrumentModel"}};
}

void MixerTracksModel::AppendTrack(std::unique_ptr<MixerTrackItem> track)
{
    if (!track)
        return;
    const int row = static_cast<int>(tracks_.size());
    beginInsertRows(QModelIndex(), row, row);
    tracks_.push_back(std::move(track));
    endInsertRows();
}

void MixerTracksModel::Clear()
{
    beginResetModel();
    tracks_.clear();
    endResetModel();
}

bool MixerTracksModel::UpdateShown(int row, int role, const QVariant& value)
{
    const QModelIndex changed = index(row);
    if (!HasRow(changed) || !Store(row, role, value))
        return false;
    emit dataChanged(changed, changed, {role});
    return true;
}

bool MixerTracksModel::UpdateShown(int row, const QList<QPair<int, QVariant>>& values)
{
    const QModelIndex changed = index(row);
    if (!HasRow(changed))
        return false;
    static const QSet<int> writable = {IsMutedRole, IsSoloRole, VolumeScaledDbRole, PanRole, EnableMuteRole,
                                       EnableSoloRole, InstrumentRole, NameRole};
    QList<int> roles;
    for (const auto& [role, value] : values) {
        if (!writable.contains(role))
            return false;
        roles << role;
    }
    for (const auto& [role, value] : values)
        Store(row, role, value);
    emit dataChanged(changed, changed, roles);
    return true;
}

MixerTrackItem* MixerTracksModel::Track(int row) const
{
    return row >= 0 && static_cast<std::size_t>(row) < tracks_.size() ? tracks_[static_cast<std::size_t>(row)].get()
                                                                       : nullptr;
}

int MixerTracksModel::RowOfTrack(int trackId) const
{
    for (std::size_t row = 0; row < tracks_.size(); ++row) {
        if (tracks_[row]->trackId == trackId)
            return static_cast<int>(row);
    }
    return -1;
}

} // namespace zarn::qt
