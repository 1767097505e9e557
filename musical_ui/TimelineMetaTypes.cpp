#include "TimelineMetaTypes.h"

#include "BarListModel.h"
#include "EventInfoItem.h"
#include "MarkerInfoItem.h"
#include "zarn_core/ZarnEvent.h"

#include <QMetaType>

namespace zarn::qt {

void RegisterTimelineMetaTypes()
{
    qRegisterMetaType<EventInfoItem>();
    qRegisterMetaType<EventInfoItem>("EventInfoItem");
    qRegisterMetaType<MarkerInfoItem>();
    qRegisterMetaType<MarkerInfoItem>("MarkerInfoItem");
    qRegisterMetaType<BarListModel*>();
    qRegisterMetaType<const cmn::ZarnEvent*>("const cmn::ZarnEvent*");
}

} // namespace zarn::qt
