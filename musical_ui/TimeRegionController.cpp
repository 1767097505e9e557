#include "TimeRegionController.h"

namespace zarn::qt {

const std::map<int, QString> RegionColors = {
    {0, QStringLiteral("#DC143C")}, {1, QStringLiteral("#6e3493")}, {2, QStringLiteral("#DAA520")},
    {3, QStringLiteral("#00BFFF")}, {4, QStringLiteral("#0d6d97")}, {5, QStringLiteral("#FFFF00")},
    {6, QStringLiteral("#3da893")}, {8, QStringLiteral("#FF66CC")},
};

TimeRegionController::TimeRegionController(const cmn::ZarnEvent* event, bool editable,
                                           const QString& name, int position, int width, int kind,
                                           QQmlEngine* engine, QObject* parent)
    : ZarnEventController(event, editable, engine,
                          QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/TimeRegion.qml"),
                          parent),
      kind_(kind), name_(name)
{
    if (!qmlObject_)
        return;
    connect(qmlObject_, SIGNAL(dragged(int, int, bool, bool)), this,
            SLOT(Dragged_(int, int, bool, bool)));
    connect(qmlObject_, SIGNAL(doubleClicked()), this, SLOT(DoubleClicked_()));
    connect(this, SIGNAL(SetBasePosition(int)), qmlObject_, SIGNAL(basePositionSet(int)));
    connect(this, SIGNAL(SetViewScale(double)), qmlObject_, SIGNAL(viewScaleSet(double)));
    // The width goes first: the item places its right handle when it gets its position.
    qmlObject_->setProperty("baseWidth", width);
    emit SetBasePosition(position);
    const auto colour = RegionColors.find(kind);
    qmlObject_->setProperty("baseColor", colour != RegionColors.end() ? colour->second
                                                                      : QStringLiteral("#cccccc"));
}

void TimeRegionController::SetRegionViewScale(double scale)
{
    emit SetViewScale(scale);
}

} // namespace zarn::qt
