#pragma once

#include "EventInfoItem.h"

#include <QAbstractListModel>
#include <QByteArray>
#include <QHash>
#include <QVariant>

#include <vector>

namespace zarn::qt {

class EditModel;

// The rows of the edit panel's event list. The bar texts are asked from the engine (through
// the edit model) whenever the view reads a cell, so they follow the song's bars and beats
// without a rebuild; only the records themselves are held.
class EventListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role
    {
        InRole = Qt::UserRole + 1, // 257
        OutRole,
        TypeRole,
        CountRole,
    };

    EventListModel(const std::vector<EventInfoItem>& rows, EditModel* editModel);
    ~EventListModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The empty record for a row outside the list.
    EventInfoItem GetItem(int row) const;
    // The first row equal to the record, or -1.
    int IndexOf(const EventInfoItem& item) const;
    // Replaces every row in one reset.
    void SetItems(const std::vector<EventInfoItem>& rows);

    // The kind's display name as the list shows it: the skip is stored under "Fermata".
    static QString TypeText(unsigned char code);

private:
    std::vector<EventInfoItem> rows_;
    EditModel* editModel_ = nullptr; // not owned
};

} // namespace zarn::qt
