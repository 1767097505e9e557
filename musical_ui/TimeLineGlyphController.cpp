#include "TimeLineGlyphController.h"

namespace zarn::qt {

TimeLineGlyphController::TimeLineGlyphController(const cmn::ZarnEvent* event, bool editable,
                                                 int position, QQmlEngine* engine, QObject* parent,
                                                 const QString& glyph, bool enableOsc)
    : ZarnEventController(event, editable, engine,
                          QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/TimeLineGlyph.qml"),
                          parent)
{
    if (!qmlObject_)
        return;
    ConnectPointItem();
    qmlObject_->setProperty("basePosition", position);
    qmlObject_->setProperty("enableOsc", enableOsc);
    // An empty path keeps the image the item declares.
    if (!glyph.isEmpty())
        SetGlyphPath(glyph);
}

void TimeLineGlyphController::SetGlyphPath(const QString& path)
{
    if (qmlObject_)
        qmlObject_->setProperty("glyphPath", path);
}

} // namespace zarn::qt
