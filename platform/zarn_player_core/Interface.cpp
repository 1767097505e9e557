#include "Interface.h"

Interface::~Interface() = default;
