#include "BarListModel.h"

#include <optional>

namespace zarn::qt {

BarListModel::BarListModel(QObject* parent, const TL::TimelineSequence<TL::BarsBeats>* sequence,
                           std::uint32_t startTick)
    : QAbstractListModel(parent)
{
    if (!sequence)
        return;

    std::optional<TL::BarsBeats> before;
    bool onStart = false;
    for (const TL::BarsBeats& entry : *sequence) {
        if (entry.tick() < startTick) {
            before = entry;
            continue;
        }
        if (entry.tick() == startTick)
            onStart = true;
        Append(QString::fromStdString(entry.bar_number()), static_cast<uint>(entry.beat()),
               entry.tick());
    }

    if (onStart || !before)
        return;
    frontTick = before->tick();
    frontBar = QString::fromStdString(before->bar_number());
    frontBeat = before->beat();
    if (!bars.contains(frontBar)) {
        bars.prepend(frontBar);
        barBeats.prepend(QList<uint>());
        barTimes.insert(frontBar, QList<uint>());
    }
    // Into the row of its own text, so the beat and its tick keep the same position.
    barBeats[bars.indexOf(frontBar)].prepend(static_cast<uint>(frontBeat));
    barTimes[frontBar].prepend(frontTick);
}

void BarListModel::Append(const QString& bar, uint beat, uint tick)
{
    if (!bars.contains(bar)) {
        bars.append(bar);
        barBeats.append(QList<uint>());
        barTimes.insert(bar, QList<uint>());
    }
    // A text that returns after another bar's entries joins its own row, not the last one:
    // otherwise its beat numbers and its ticks would drift apart.
    barBeats[bars.indexOf(bar)].append(beat);
    barTimes[bar].append(tick);
}

int BarListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return static_cast<int>(bars.size());
}

QVariant BarListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= bars.size())
        return {};
    const int row = index.row();
    switch (role) {
    case BarRole:
        return bars.at(row);
    case BeatsRole:
        return barBeats.at(row).isEmpty() ? QVariant() : QVariant(barBeats.at(row).first());
    case TimesRole:
        return QVariant::fromValue(barTimes.value(bars.at(row)));
    default:
        return {};
    }
}

QHash<int, QByteArray> BarListModel::roleNames() const
{
    return {{BarRole, "bar"}, {BeatsRole, "beats"}, {TimesRole, "times"}};
}

QVariant BarListModel::getBeats(int index) const
{
    if (index < 0 || index >= barBeats.size())
        return QVariant::fromValue(QList<uint>());
    return QVariant::fromValue(barBeats.at(index));
}

QVariant BarListModel::getTime(const QString& bar, int beat) const
{
    const auto row = bars.indexOf(bar);
    if (row < 0)
        return QVariant::fromValue(0u);
    const QList<uint>& beats = barBeats.at(row);
    const QList<uint>& times = barTimes[bar];
    if (times.isEmpty())
        return QVariant::fromValue(0u);
    const auto k = beats.indexOf(static_cast<uint>(beat));
    if (k >= 0 && k < times.size())
        return QVariant::fromValue(times.at(k));
    return QVariant::fromValue(times.first());
}

QVariant BarListModel::getTime(const std::string& bar, int beat) const
{
    return getTime(QString::fromStdString(bar), beat);
}

} // namespace zarn::qt
