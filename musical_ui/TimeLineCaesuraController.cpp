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
    connect(qmlObject_, SIGNAL(doubleClicked()), this, SLOT(DoubleClicked_()));
    connect(qmlObject_, SIGNAL(dragged(int, int)), this, SLOT(Dragged_(int, int)));
    qmlObject_->setProperty("basePosition", position);
}

} // namespace zarn::qt
