#include "TimelineEditController.h"
