#include "EventListModel.h"
