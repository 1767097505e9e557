#pragma once

#include "zarn_core/NetworkPath.h"

#include <QMetaType>

// The change log's destinations travel in the OSC manager's signal and in QVariants under this
// one name. The core library stays free of Qt, so the declaration lives on this side.
Q_DECLARE_METATYPE(CL::NetworkPathVectorT)
