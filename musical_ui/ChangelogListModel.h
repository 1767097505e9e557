#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QMetaType>
#include <QString>

// After Qt's headers: the moc reads the standard library's <compare> only once they are in.
#include "zarn_core/ChangeLog.h"

#include <vector>

namespace zarn::qt {

// The change logs of one pane of the "Event Log Manager": the files in the show folder or the
// versions shared on the server, each shown by its version ("version") and its modification
// time in local time ("modified", e.g. "Oct 27 2022 06:00 PM"). Rows are held by value; a log
// equal to a listed one (same version and time) is not listed twice.
//
// Sorting sends no notice of its own: a holder whose view shows the rows follows it with
// NotifyAllRowsChanged. Made without a Qt parent and owned by the change-log manager, which
// hands the pointer to its window.
class ChangelogListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Roles { VersionRole = Qt::UserRole + 1, ModifiedRole = Qt::UserRole + 2 };

    explicit ChangelogListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // Only the index's row is read; a row outside the list gives an invalid value.
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void Append(const CL::ChangeLog& log);
    void RemoveRow(int row);
    // One removal notice per row.
    void Clear();
    // Ascending by version; rows of one version keep the order they were appended in.
    void SortByVersion();
    void NotifyAllRowsChanged();

    // The row's texts, empty for a row outside the list.
    QString VersionString(int row) const;
    QString ModifiedString(int row) const;
    // The file a local row was read from; empty for a server row and for a row outside the list.
    QString FilePath(int row) const;

    const std::vector<CL::ChangeLog>& Rows() const { return rows_; }

    static QString ModifiedText(std::uint32_t secondsSinceEpoch);

private:
    bool HasRow(int row) const;

    std::vector<CL::ChangeLog> rows_;
};

} // namespace zarn::qt

Q_DECLARE_METATYPE(zarn::qt::ChangelogListModel*)
