#pragma once

#include "zarn_core/OutputPath.h"

#include <QMetaType>

// An output path travels in QVariants and in the signals the main window connects by signature;
// the model goes to its window as an object property. Either header may be included first.
Q_DECLARE_METATYPE(CL::OutputPath)

#include "OutputPathsModel.h"
