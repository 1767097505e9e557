#include "EventListModel.h"

#include "EditModel.h"
#include "zarn_core/EditNames.h"

#include <cstddef>

namespace zarn::qt {

EventListModel::EventListModel(const std::vector<EventInfoItem>& rows, EditModel* editModel)
    : rows_(rows)
    , editModel_(editModel)
{
}

EventListModel::~EventListModel() = default;

int EventListModel::rowCount(const QModelIndex& parent) const
{
    // A flat list: rows have no children.
    if (parent.isValid())
        return 0;
    return static_cast<int>(rows_.size());
}

QVariant EventListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || static_cast<std::size_t>(index.row()) >= rows_.size())
        return {};
    const EventInfoItem& row = rows_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case InRole:
        return editModel_ ? QString::fromStdString(editModel_->GetBarString(row.startTick)) : QString();
    case OutRole:
        if (!row.paired)
            return QStringLiteral("-");
        return editModel_ ? QString::fromStdString(editModel_->GetBarString(row.endTick)) : QString();
    case TypeRole:
        return TypeText(row.code);
    case CountRole:
        return row.text;
    default:
        return {};
    }
}

QHash<int, QByteArray> EventListModel::roleNames() const
{
    return {
        {InRole, QByteArrayLiteral("in")},
        {OutRole, QByteArrayLiteral("out")},
        {TypeRole, QByteArrayLiteral("type")},
        {CountRole, QByteArrayLiteral("count")},
    };
}

EventInfoItem EventListModel::GetItem(int row) const
{
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size())
        return {};
    return rows_[static_cast<std::size_t>(row)];
}

int EventListModel::IndexOf(const EventInfoItem& item) const
{
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i] == item)
            return static_cast<int>(i);
    }
    return -1;
}

void EventListModel::SetItems(const std::vector<EventInfoItem>& rows)
{
    beginResetModel();
    rows_ = rows;
    endResetModel();
}

QString EventListModel::TypeText(unsigned char code)
{
    const auto found = codes::editNameByZarnEventCode.find(code);
    if (found == codes::editNameByZarnEventCode.end())
        return {};
    if (found->second == "Fermata")
        return QStringLiteral("Skip");
    return QString::fromStdString(found->second);
}

} // namespace zarn::qt
