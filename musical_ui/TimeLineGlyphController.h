#pragma once

#include "ZarnEventController.h"

#include <QString>

namespace zarn::qt {

// An OSC cue of the timeline (TimeLineGlyph.qml), faded when the edition sends no OSC.
class TimeLineGlyphController : public ZarnEventController
{
public:
    TimeLineGlyphController(const cmn::ZarnEvent* event, bool editable, int position,
                            QQmlEngine* engine, QObject* parent, const QString& glyph,
                            bool enableOsc);

    void SetGlyphPath(const QString& path);
};

} // namespace zarn::qt
