#pragma once

#include "ZarnEventController.h"

namespace zarn::qt {

// A caesura of the timeline (TimeLineCaesura.qml).
class TimeLineCaesuraController : public ZarnEventController
{
    Q_OBJECT

public:
    TimeLineCaesuraController(const cmn::ZarnEvent* event, bool editable, int position,
                              QQmlEngine* engine, QObject* parent);
};

} // namespace zarn::qt
