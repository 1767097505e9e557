#pragma once

#include "QmlController.h"

#include <QString>

namespace zarn::qt {

// One bar or beat line of the timeline (TimeBar.qml). Beat lines give way below view
// scale 1.0; bar lines stay whatever the scale.
class BarController : public QmlController
{
public:
    BarController(const QString& label, int basePos, bool isBar, double viewScale,
                  QQmlEngine* engine, QObject* parent);

    void SetViewScale(double scale, bool immediate);
    void FadeIn();
    void FadeOut();
    bool IsBar() const { return isBar_; }
    void SetEndBar(bool endBar);
    double GetViewScale() const { return viewScale_; }
    const QString& GetLabel() const { return label_; }

private:
    double viewScale_ = 1.0;
    bool isBar_ = true;
    QString label_;
    double beatThreshold_ = 1.0;
};

} // namespace zarn::qt
