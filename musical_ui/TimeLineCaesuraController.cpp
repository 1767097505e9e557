#include "TimeLineCaesuraController.h"

namespace zarn::qt {

TimeLineCaesuraController::TimeLineCaesuraController(const cmn::ZarnEvent* event, bool editable,
                                                     int position, QQmlEngine* engine,
                                                     QObject* parent)
    : ZarnEventController(event, editable, engine,
                          QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/TimeLineCaesura.qml"),
                          parent)
{
    if (!qmlObject_)
        return;
    ConnectPointItem();
    qmlObject_->setProperty("basePosition", position);
}

} // namespace zarn::qt
