#pragma once

namespace zarn::audio {

// Sound inside the engine is 32-bit float, interleaved stereo, at the output's rate.
inline constexpr int kChannels = 2;

} // namespace zarn::audio
