#include "Clock.h"

zarn::player::Clock::~Clock() = default;
