#pragma once

#include "AudioFormat.h"

#include <cstdint>
#include <memory>

struct SRC_STATE_tag;

namespace zarn::audio {

// Streaming sample-rate conversion of interleaved stereo float through libsamplerate. Output
// frame k of a conversion that starts at input frame 0 stands at input time k * from / to:
// libsamplerate waits for the input it needs instead of delaying its output, so a converted
// stem stays in step with one that is not. Equal rates copy, bit-exact. Not thread-safe.
class RateConverter
{
public:
    enum class Quality
    {
        Fastest, // SRC_SINC_FASTEST
        Medium,  // SRC_SINC_MEDIUM_QUALITY
        Best,    // SRC_SINC_BEST_QUALITY
    };

    struct Result
    {
        int64_t consumed = 0; // input frames taken
        int64_t produced = 0; // output frames written
    };

    // Where to start feeding input so that the output continues as a conversion from the
    // file's first frame would at a given output frame: feed from `inputFrame`, drop the
    // first `discard` output frames.
    struct Start
    {
        int64_t inputFrame = 0;
        int64_t discard = 0;
    };

    // Throws std::invalid_argument for a rate below 1 Hz or a ratio libsamplerate cannot do
    // (beyond 256 either way).
    RateConverter(int fromRate, int toRate, Quality quality = Quality::Medium);
    ~RateConverter();
    RateConverter(RateConverter&& other) noexcept;
    RateConverter& operator=(RateConverter&& other) noexcept;
    RateConverter(const RateConverter&) = delete;
    RateConverter& operator=(const RateConverter&) = delete;

    int FromRate() const { return from_; }
    int ToRate() const { return to_; }
    bool IsIdentity() const { return from_ == to_; }

    // Converts what fits: call again with the input not consumed. With endOfInput the
    // filter's tail is flushed; a call that then produces 0 frames means the conversion is
    // done. Reset() before starting another.
    Result Process(const float* in, int64_t inFrames, float* out, int64_t outFrames, bool endOfInput = false);
    void Reset();

    // Output frames for input frames (rounded to nearest), and the reverse (rounded down).
    int64_t OutputFrames(int64_t inputFrames) const;
    int64_t InputFrame(int64_t outputFrame) const;
    // The start for an output frame >= 0, with a little input before it so the filter has
    // its history.
    Start StartFor(int64_t outputFrame) const;

private:
    int from_ = 0;
    int to_ = 0;
    int64_t inputStep_ = 1;  // input frames per whole-number output position: from / gcd
    int64_t outputStep_ = 1; // to / gcd
    SRC_STATE_tag* state_ = nullptr;
};

} // namespace zarn::audio
