#pragma once

#include "MarkerInfoItem.h"

#include <QAbstractListModel>
#include <QHash>

#include <cstdint>
#include <vector>

namespace zarn::qt {

// The rows of the marker list: the current song's markers in ascending tick order, with a
// separate tick list so that the marker last passed by playback is found by halving.
class MarkerListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Roles { NameRole = Qt::UserRole + 1, LocationRole };

    explicit MarkerListModel(std::vector<MarkerInfoItem> rows = {}, QObject* parent = nullptr);
    ~MarkerListModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The empty record for a row outside the list.
    MarkerInfoItem GetItem(int row) const;
    // The first row with the record's text and tick (the location is not compared), or -1.
    int IndexOf(const MarkerInfoItem& item) const;
    // Replaces every row in one reset; equal ticks keep the order they came in.
    void SetItems(const std::vector<MarkerInfoItem>& items);
    // The last row at or before the tick (of several at that tick, the last), or -1.
    int GetPassedIndex(unsigned tick) const;

    std::vector<MarkerInfoItem> rows;
    std::vector<std::uint32_t> ticks;
};

} // namespace zarn::qt
