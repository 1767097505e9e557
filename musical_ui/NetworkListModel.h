#pragma once

#include "DualRoledListModel.h"
#include "NetworkItem.h"
#include "NetworkPathMetaType.h"
#include "zarn_core/NetworkPath.h"

#include <QString>

#include <memory>

namespace zarn {

// The change log's OSC network destinations as an editable list: one NetworkItem per row.
// A snapshot: built from the engine's list, linked to nothing afterwards; edits reach the
// log only when the owner turns the rows back into paths and hands them on. It has no Qt
// parent: its creator owns it. GUI thread only.
class NetworkListModel : public DualRoledListModel
{
    Q_OBJECT

public:
    enum NetworkRoles { NameRole = 260, IpAddressRole = 261, NetworkIdRole = 262, ModeRole = 263, PortRole = 264 };

    // One row per path, in the list's order.
    explicit NetworkListModel(const CL::NetworkPathVectorT& paths);
    ~NetworkListModel() override;

    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QHash<int, QByteArray> roleNames() const override;

    // Every row of this model is a NetworkItem: only those are appended.
    void append(std::shared_ptr<NetworkItem> item);
    // Tells the views that every role of the row changed; a row outside the model does nothing.
    void rowChanged(int row);
    // "NETWORK" and a number, counting up from the row count, that no row uses as its id.
    QString nextFreeNetworkId() const;
    // The rows as the log's paths, in row order; nothing is checked.
    CL::NetworkPathVectorT ToNetworkPaths() const;

private:
    NetworkItem* Item(int row) const;
};

} // namespace zarn
