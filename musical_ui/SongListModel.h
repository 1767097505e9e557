#pragma once

#include "IntAliases.h"

#include <QAbstractListModel>
#include <QHash>

#include <string>
#include <vector>

// One song of the show as the song list shows it.
struct SongListRow
{
    // The engine's name for the song: a text (numbers like "12a" exist), and the song's
    // identity in every engine call.
    std::string songNumber;
    std::string songName;
    // 0 plays when cued, 1 continues into the next song (attacca), 2 skips the song.
    UInt8 attacca = 0;
};

namespace zarn::qt {

// The show's songs in the engine's order, with their attacca states. The rows are fixed
// once made; only the states change afterwards.
class SongListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Roles { SongNumberRole = Qt::UserRole + 1, StatusRole, SongNameRole };

    explicit SongListModel(std::vector<SongListRow> rows = {});

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The first row with exactly this number; rowCount() when there is none.
    int FindSongRow(const std::string& songNumber) const;
    // Empty for a row outside the list.
    std::string GetSongNumber(int row) const;
    // Moves the song on to its next state (plays, continue, skip, plays) and returns it; a
    // number not in the list changes nothing and gives 0.
    UInt8 CycleAttaccaState(const std::string& songNumber);
    // One state per row, in row order; only the rows whose state differs are announced, so
    // the view redraws just those.
    void SetAttaccaStates(const std::vector<UInt8>& states);

    const std::vector<SongListRow>& Rows() const { return rows_; }

    // "plays", "continue" or "x"; empty for a state outside 0..2.
    static QString StatusText(UInt8 state);

private:
    void AnnounceRow(int row);

    std::vector<SongListRow> rows_;
};

} // namespace zarn::qt

Q_DECLARE_METATYPE(zarn::qt::SongListModel*)
