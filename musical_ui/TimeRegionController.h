#pragma once

#include "ZarnEventController.h"

#include <QString>

#include <map>

namespace zarn::qt {

// Range colours by region kind: 0 Cut, 1 Skip, 2 Repeat, 3 Vamp, 4 Tempo Scale,
// 5 Transpose, 6 Click, 8 none of the timeline's ranges. A kind without an entry is
// drawn "#cccccc".
extern const std::map<int, QString> RegionColors;

// A range of the timeline: a cut, skip, repeat, vamp, tempo scale, transposition or
// click change (TimeRegion.qml).
class TimeRegionController : public ZarnEventController
{
    Q_OBJECT

public:
    TimeRegionController(const cmn::ZarnEvent* event, bool editable, const QString& name,
                         int position, int width, int kind, QQmlEngine* engine, QObject* parent);

    void SetRegionViewScale(double scale);
    int GetKind() const { return kind_; }
    const QString& GetName() const { return name_; }

signals:
    void SetBasePosition(int);
    void SetViewScale(double);

private:
    int kind_ = 0;
    QString name_;
};

} // namespace zarn::qt
