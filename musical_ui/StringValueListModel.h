#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QString>

// One choice of a combo box: the text it shows and the number it reports.
struct StringValueItem
{
    QString displayName;
    qint32 value = 0;
};

// A read-only list of choices for a QML combo box, whose textRole is "displayname" and whose
// valueRole is "value". Rows stay in the order they were appended; equal texts or values are
// kept. Choices that change get a new model rather than edits to this one. The controller that
// makes it owns it (no Qt parent); QML only borrows the pointer.
class StringValueListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Roles { ValueRole = Qt::UserRole + 1, DisplayNameRole = Qt::UserRole + 2 };

    explicit StringValueListModel(QObject* parent = nullptr);

    void append(const StringValueItem& item);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // Only the index's row is read: a view may ask with any column.
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QList<StringValueItem> items_;
};

Q_DECLARE_METATYPE(StringValueListModel*)
