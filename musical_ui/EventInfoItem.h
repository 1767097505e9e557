#pragma once

#include "zarn_core/ZarnEvent.h"

#include <QMetaType>
#include <QString>

#include <cstdint>
#include <string>

namespace zarn::qt {

// One row of the event list, and the key by which the timeline finds the item of a chosen
// row. Travels as a signal argument, so it is a registered value type.
struct EventInfoItem
{
    std::uint32_t startTick = 0;
    std::uint32_t endTick = 0;
    unsigned char code = 0;
    QString text;
    bool paired = false;

    bool operator==(const EventInfoItem& other) const = default;
};

EventInfoItem MakeEventInfoItem(const cmn::ZarnEvent& event);
// The value text of an OSC cue's message: "/zarn/sfx/<name>/<command> ..." becomes
// "<Command> <name>", with play, stop and fadeto shown as symbols or a word.
QString MakeOscDisplayText(const std::string& message);

} // namespace zarn::qt

Q_DECLARE_METATYPE(zarn::qt::EventInfoItem)
