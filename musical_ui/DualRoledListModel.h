#pragma once

#include "DualRoleItem.h"

#include <QAbstractListModel>
#include <QList>

#include <memory>

// A list model of shared items, each offering two texts and a value under the roles
// "first", "second" and "value". Derived models add roles from 260 up and hand the
// others to this one.
class DualRoledListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Roles { ValueRole = 257, FirstRole = 258, SecondRole = 259 };

    explicit DualRoledListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Q_INVOKABLE bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    QHash<int, QByteArray> roleNames() const override;

    void append(std::shared_ptr<DualRoleItem> item);
    Q_INVOKABLE QVariant dataStr(int index, QString role);

protected:
    QList<std::shared_ptr<DualRoleItem>> items_;
};
