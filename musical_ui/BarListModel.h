#pragma once

#include "zarn_core/BarsBeats.h"
#include "zarn_core/TimelineSequence.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QStringList>

#include <cstdint>
#include <string>

namespace zarn::qt {

// The bar and beat pickers of the event tools: from a start tick on, one row per bar text
// with its beat numbers and their ticks. Filled once by the constructor, never changed.
class BarListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Roles { BarRole = Qt::UserRole + 1, BeatsRole, TimesRole };

    explicit BarListModel(QObject* parent = nullptr,
                          const TL::TimelineSequence<TL::BarsBeats>* sequence = nullptr,
                          std::uint32_t startTick = 0);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // A row outside the model gives an empty list.
    Q_INVOKABLE QVariant getBeats(int index) const;
    // The tick of beat number `beat` in bar `bar`; a beat the bar lacks gives the bar's first
    // tick, a bar the model lacks gives 0.
    Q_INVOKABLE QVariant getTime(const QString& bar, int beat) const;
    QVariant getTime(const std::string& bar, int beat) const;

    // The beat in which the start tick lies when no entry lies on it (empty otherwise).
    std::uint32_t frontTick = 0;
    QString frontBar;
    std::int32_t frontBeat = 0;

    QStringList bars;
    QList<QList<uint>> barBeats;
    QHash<QString, QList<uint>> barTimes;

private:
    void Append(const QString& bar, uint beat, uint tick);
};

} // namespace zarn::qt

Q_DECLARE_METATYPE(zarn::qt::BarListModel*)
