#include "MarkerListModel.h"
