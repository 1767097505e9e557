#include "BarController.h"

#include <QQuickItem>
#include <QUrl>

namespace zarn::qt {

BarController::BarController(const QString& label, int basePos, bool isBar, double viewScale,
                             QQmlEngine* engine, QObject* parent)
    : QmlController(engine,
                    QUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/TimeBar.qml")),
                    qobject_cast<QQuickItem*>(parent), true, {}),
      isBar_(isBar), label_(label)
{
    if (!qmlObject_)
        return;
    qmlObject_->setProperty("basePos", basePos);
    qmlObject_->setProperty("barLabel", label);
    qmlObject_->setProperty("isBar", isBar);
    SetViewScale(viewScale, true);
}

void BarController::SetViewScale(double scale, bool immediate)
{
    if (scale == viewScale_ || !qmlObject_)
        return;
    viewScale_ = scale;
    qmlObject_->setProperty("viewScale", scale);
    if (isBar_)
        return;
    const bool shown = scale >= beatThreshold_;
    if (immediate)
        SetVisible(shown);
    else if (shown)
        FadeIn();
    else
        FadeOut();
}

void BarController::FadeIn()
{
    if (qmlObject_ && (viewScale_ >= beatThreshold_ || isBar_))
        QMetaObject::invokeMethod(qmlObject_, "fadeInMethod");
}

void BarController::FadeOut()
{
    if (qmlObject_)
        QMetaObject::invokeMethod(qmlObject_, "fadeOutMethod");
}

void BarController::SetEndBar(bool endBar)
{
    if (qmlObject_)
        qmlObject_->setProperty("isEndBar", endBar);
}

} // namespace zarn::qt
