#include "SongListController.h"
