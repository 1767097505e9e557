#include "InShift.h"

#include "BarListModel.h"

#include <QObject>
#include <QVariant>

#include <cmath>
#include <limits>

namespace zarn::qt {

PickedInBeat ReadPickedInBeat(const QObject* window, const BarListModel& model)
{
    PickedInBeat picked;
    if (!window)
        return picked;
    const auto* barPicker = window->findChild<QObject*>(QStringLiteral("inBarInput"));
    const auto* beatPicker = window->findChild<QObject*>(QStringLiteral("inBeatInput"));
    if (!barPicker || !beatPicker)
        return picked;
    const int row = barPicker->property("currentIndex").toInt();
    const int position = beatPicker->property("currentIndex").toInt();
    if (row < 0 || position < 0 || row >= model.rowCount())
        return picked;
    const auto beats = model.getBeats(row).value<QList<uint>>();
    if (position >= beats.size()) {
        picked.state = PickedInBeat::State::StaleBeats;
        return picked;
    }
    picked.state = PickedInBeat::State::Picked;
    picked.bar = model.bars.at(row);
    picked.beat = static_cast<int>(beats.at(position));
    picked.tick = model.getTime(picked.bar.toStdString(), picked.beat).toUInt();
    return picked;
}

std::int32_t InShiftFloor(const BarListModel& model, const QString& bar, int beat, std::uint32_t minStartTick)
{
    if (model.frontBar.isEmpty() || bar != model.frontBar || beat != model.frontBeat)
        return 0;
    if (minStartTick <= model.frontTick)
        return 0;
    const std::uint32_t floor = minStartTick - model.frontTick;
    return floor > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())
        ? std::numeric_limits<std::int32_t>::max()
        : static_cast<std::int32_t>(floor);
}

std::uint32_t ShiftedTick(std::uint32_t tick, double shift)
{
    if (!std::isfinite(shift))
        return tick;
    const double shifted = std::trunc(static_cast<double>(tick) + shift);
    if (shifted <= 0)
        return 0;
    if (shifted >= static_cast<double>(std::numeric_limits<std::uint32_t>::max()))
        return std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(shifted);
}

} // namespace zarn::qt
