#pragma once

#include "AudioDevice.h"

#include <QStringList>

#include <vector>

namespace zarn::qt {

// The choices of an output-device box: "(default)" (the empty device id), then every device's
// name in the library's order, so that entry i + 1 is device i. Names need not be unique (two
// interfaces of one model, every PulseAudio null sink): a choice is known by its position.
QStringList OutputDeviceChoices(const std::vector<zarn::audio::AudioDevice>& devices);

// The same for this machine's devices as the audio-device library lists them now.
QStringList OutputDeviceChoices();

} // namespace zarn::qt
