#include "NetworkListModel.h"

namespace zarn {

NetworkListModel::NetworkListModel(const CL::NetworkPathVectorT& paths)
    : DualRoledListModel(nullptr)
{
    for (const CL::NetworkPath& path : paths) {
        auto item = std::make_shared<NetworkItem>();
        item->name = QString::fromStdString(path.Name());
        item->ipAddress = QString::fromStdString(path.IpAddress());
        item->port = path.port;
        item->networkId = QString::fromStdString(path.NetworkId());
        item->mode = path.tcp ? QStringLiteral("tcp") : QStringLiteral("udp");
        append(std::move(item));
    }
}

NetworkListModel::~NetworkListModel() = default;

NetworkItem* NetworkListModel::Item(int row) const
{
    if (row < 0 || row >= items_.size())
        return nullptr;
    return dynamic_cast<NetworkItem*>(items_[row].get());
}

QVariant NetworkListModel::data(const QModelIndex& index, int role) const
{
    const int row = index.row();
    if (row < 0 || row >= items_.size())
        return {};
    NetworkItem* item = Item(row);
    switch (role) {
    case NameRole:
        return item ? QVariant(item->name) : QVariant();
    case IpAddressRole:
        return item ? QVariant(item->ipAddress) : QVariant();
    case NetworkIdRole:
        return item ? QVariant(item->networkId) : QVariant();
    case ModeRole:
        return item ? QVariant(item->mode) : QVariant();
    case PortRole:
        return item ? QVariant(item->port) : QVariant();
    default:
        return DualRoledListModel::data(index, role);
    }
}

bool NetworkListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const int row = index.row();
    if (row < 0 || row >= items_.size())
        return false;
    if (role < NameRole || role > PortRole)
        return DualRoledListModel::setData(index, value, role);
    NetworkItem* item = Item(row);
    if (!item)
        return false;
    switch (role) {
    case NameRole:
        item->name = value.toString();
        break;
    case IpAddressRole:
        item->ipAddress = value.toString();
        break;
    case NetworkIdRole:
        item->networkId = value.toString();
        break;
    case ModeRole:
        item->mode = value.toString();
        break;
    default:
        item->port = value.toInt();
        break;
    }
    emit dataChanged(index, index, {role});
    return true;
}

QHash<int, QByteArray> NetworkListModel::roleNames() const
{
    QHash<int, QByteArray> names = DualRoledListModel::roleNames();
    names.insert(NameRole, "name");
    names.insert(IpAddressRole, "ipAddress");
    names.insert(NetworkIdRole, "networkId");
    names.insert(ModeRole, "mode");
    names.insert(PortRole, "port");
    return names;
}

void NetworkListModel::append(std::shared_ptr<NetworkItem> item)
{
    DualRoledListModel::append(std::move(item));
}

void NetworkListModel::rowChanged(int row)
{
    if (row < 0 || row >= items_.size())
        return;
    const QModelIndex changed = index(row, 0);
    emit dataChanged(changed, changed, {});
}

QString NetworkListModel::nextFreeNetworkId() const
{
    auto taken = [this](const QString& id) {
        for (int row = 0; row < items_.size(); ++row) {
            if (const NetworkItem* item = Item(row); item && item->networkId == id)
                return true;
        }
        return false;
    };
    for (qsizetype n = items_.size();; ++n) {
        const QString candidate = QStringLiteral("NETWORK") + QString::number(n);
        if (!taken(candidate))
            return candidate;
    }
}

CL::NetworkPathVectorT NetworkListModel::ToNetworkPaths() const
{
    CL::NetworkPathVectorT paths;
    paths.reserve(static_cast<std::size_t>(items_.size()));
    for (int row = 0; row < items_.size(); ++row) {
        const NetworkItem* item = Item(row);
        if (!item)
            continue;
        CL::NetworkPath path;
        path.Name(item->name.toStdString());
        path.NetworkId(item->networkId.toStdString());
        path.IpAddress(item->ipAddress.toStdString());
        path.port = item->port;
        path.tcp = item->mode == QLatin1String("tcp") ? 1 : 0;
        paths.push_back(std::move(path));
    }
    return paths;
}

} // namespace zarn
