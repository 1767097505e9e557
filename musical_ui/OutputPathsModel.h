#pragma once

#include "OutputPathMetaTypes.h"
#include "zarn_core/OutputPath.h"

#include <QAbstractListModel>
#include <QHash>
#include <QString>

#include <vector>

namespace zarn::qt {

// The show's output paths with the device each is bound to on this machine, one row per path,
// for the output paths window. Every addition, change and removal is announced through the two
// signals, which the manager passes on to the engine's owner.
//
// A list model by Qt's contract: a valid parent has no rows and a row outside the list gives an
// invalid index; data and the invokables answer such a row with empty texts.
class OutputPathsModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Roles {
        PathNameRole = Qt::UserRole + 1,
        PathIdRole,
        PathDeviceNameRole,
        PathDeviceIdRole,
    };

    explicit OutputPathsModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Replaces the row by the CL::OutputPath the value holds (the role is not looked at) and
    // emits AddOutputPathSignal with it; no dataChanged, its caller emits one when it needs it.
    // False, with nothing changed, for a row outside the list or a value that holds no path.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QHash<int, QByteArray> roleNames() const override;

    // Replaces the row with the path's id (dataChanged, no signal) or appends it
    // (AddOutputPathSignal).
    void AddOutputPath(const CL::OutputPath& path);
    // Announces the removal while the row still exists, then removes it. A row outside the
    // list changes nothing.
    void RemoveOutputPath(int row);
    // An empty path for a row outside the list.
    CL::OutputPath GetOutputPath(int row) const;

    Q_INVOKABLE QString PathName(int row) const;
    Q_INVOKABLE QString PathId(int row) const;
    Q_INVOKABLE QString PathDeviceName(int row) const;
    Q_INVOKABLE QString PathDeviceId(int row) const;

signals:
    void AddOutputPathSignal(const CL::OutputPath& path);
    void RemoveOutputPathSignal(const CL::OutputPath& path);

private:
    bool HasRow(int row) const { return row >= 0 && static_cast<std::size_t>(row) < paths_.size(); }

    std::vector<CL::OutputPath> paths_;
};

} // namespace zarn::qt

Q_DECLARE_METATYPE(zarn::qt::OutputPathsModel*)
