#include "MarkerListController.h"
