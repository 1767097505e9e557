#include "TimelineMetaTypes.h"

#include "BarListModel.h"
#include "EventInfoItem.h"
#include "EventListModel.h"
#include "IntAliases.h"
#include "MarkerInfoItem.h"
#include "MarkerListModel.h"
#include "SongListModel.h"
#include "zarn_core/ZarnEvent.h"

#include <QMetaType>

#include <string>

namespace zarn::qt {

void RegisterTimelineMetaTypes()
{
    qRegisterMetaType<EventInfoItem>();
    qRegisterMetaType<EventInfoItem>("EventInfoItem");
    qRegisterMetaType<MarkerInfoItem>();
    qRegisterMetaType<MarkerInfoItem>("MarkerInfoItem");
    qRegisterMetaType<BarListModel*>();
    qRegisterMetaType<SongListModel*>();
    qRegisterMetaType<MarkerListModel*>();
    qRegisterMetaType<EventListModel*>();
    qRegisterMetaType<const cmn::ZarnEvent*>("const cmn::ZarnEvent*");
    qRegisterMetaType<cmn::ZarnEvent*>("cmn::ZarnEvent*");
    qRegisterMetaType<std::string>("std::string");
    qRegisterMetaType<UInt8>("UInt8");
    qRegisterMetaType<UInt32>("UInt32");
}

} // namespace zarn::qt
