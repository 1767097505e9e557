#include "PlayerOscCallback.h"

zarn::PlayerOscCallback::~PlayerOscCallback() = default;
