#include "AudioOutput.h"

#include <algorithm>

namespace zarn::audio {

void AudioOutput::RenderBlock(float* out, int frames)
{
    std::fill_n(out, static_cast<size_t>(frames) * kChannels, 0.0f);
    if (render_)
        render_(out, frames);
    framesRendered_.fetch_add(frames, std::memory_order_acq_rel);
}

void AudioOutput::ReportLost(const std::string& message)
{
    if (lostReported_.exchange(true, std::memory_order_acq_rel))
        return;
    if (lost_)
        lost_(message);
}

} // namespace zarn::audio
