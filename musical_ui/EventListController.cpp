#include "EventListController.h"
