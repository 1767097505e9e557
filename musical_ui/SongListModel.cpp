#include "SongListModel.h"
