#include "TimeLineMarkerController.h"

namespace zarn::qt {

TimeLineMarkerController::TimeLineMarkerController(const cmn::ZarnEvent* event, bool editable,
                                                   const QString& label, int position,
                                                   QQmlEngine* engine, QObject* parent)
    : ZarnEventController(event, editable, engine,
                          QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/TimeLineMarker.qml"),
                          parent)
{
    if (!qmlObject_)
        return;
    qmlObject_->setProperty("labelText", label);
    qmlObject_->setProperty("basePosition", position);
    ConnectPointItem();
}

void TimeLineMarkerController::SetLabelVisible(bool visible)
{
    if (qmlObject_)
        qmlObject_->setProperty("visibleLabel", visible);
}

} // namespace zarn::qt
