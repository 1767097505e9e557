#pragma once

#include "ZarnEventController.h"

#include <QString>

namespace zarn::qt {

// A labelled point of the timeline (TimeLineMarker.qml): a change-log marker, or a key,
// tempo or meter change of the song, which has no event and is not editable.
class TimeLineMarkerController : public ZarnEventController
{
public:
    TimeLineMarkerController(const cmn::ZarnEvent* event, bool editable, const QString& label,
                             int position, QQmlEngine* engine, QObject* parent);

    void SetLabelVisible(bool visible);
};

} // namespace zarn::qt
