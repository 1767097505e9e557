#pragma once

#include "MusicalApp.h"

namespace zarn::qt {

// Picks this edition: the run itself is MusicalApp's.
class CorvaneApp : public MusicalApp
{
    Q_OBJECT

public:
    CorvaneApp(int argc, char** argv);
};

} // namespace zarn::qt
