#include "RateConverter.h"

#include <samplerate.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <stdexcept>
#include <string>
#include <utility>

namespace zarn::audio {

namespace {

// Input before a start point that the sinc filter reaches back over (its half length is
// well under 100 frames at these qualities, more when reducing the rate).
constexpr int64_t kHistoryFrames = 1024;

int ConverterType(RateConverter::Quality quality)
{
    switch (quality) {
    case RateConverter::Quality::Fastest: return SRC_SINC_FASTEST;
    case RateConverter::Quality::Best: return SRC_SINC_BEST_QUALITY;
    case RateConverter::Quality::Medium: break;
    }
    return SRC_SINC_MEDIUM_QUALITY;
}

} // namespace

RateConverter::RateConverter(int fromRate, int toRate, Quality quality)
    : from_(fromRate)
    , to_(toRate)
{
    const std::string what = "Cannot convert audio from " + std::to_string(fromRate) + " Hz to " + std::to_string(toRate)
                             + " Hz";
    if (fromRate < 1 || toRate < 1)
        throw std::invalid_argument(what + ": a sample rate must be positive");
    if (!src_is_valid_ratio(double(toRate) / fromRate))
        throw std::invalid_argument(what + ": the rates are too far apart");
    const int64_t gcd = std::gcd(int64_t(fromRate), int64_t(toRate));
    inputStep_ = fromRate / gcd;
    outputStep_ = toRate / gcd;
    if (IsIdentity())
        return;
    int error = 0;
    state_ = src_new(ConverterType(quality), kChannels, &error);
    if (!state_)
        throw std::invalid_argument(what + ": " + src_strerror(error));
}

RateConverter::~RateConverter()
{
    if (state_)
        src_delete(state_);
}

RateConverter::RateConverter(RateConverter&& other) noexcept
    : from_(other.from_)
    , to_(other.to_)
    , inputStep_(other.inputStep_)
    , outputStep_(other.outputStep_)
    , state_(std::exchange(other.state_, nullptr))
{
}

RateConverter& RateConverter::operator=(RateConverter&& other) noexcept
{
    if (this != &other) {
        if (state_)
            src_delete(state_);
        from_ = other.from_;
        to_ = other.to_;
        inputStep_ = other.inputStep_;
        outputStep_ = other.outputStep_;
        state_ = std::exchange(other.state_, nullptr);
    }
    return *this;
}

RateConverter::Result RateConverter::Process(const float* in, int64_t inFrames, float* out, int64_t outFrames,
                                             bool endOfInput)
{
    if (IsIdentity()) {
        const int64_t n = std::min(inFrames, outFrames);
        if (n > 0)
            std::memcpy(out, in, size_t(n) * kChannels * sizeof(float));
        return {n, n};
    }
    if (outFrames <= 0)
        return {};
    SRC_DATA data{};
    data.data_in = in;
    data.input_frames = long(std::max<int64_t>(inFrames, 0));
    data.data_out = out;
    data.output_frames = long(outFrames);
    data.end_of_input = endOfInput ? 1 : 0;
    data.src_ratio = double(to_) / from_;
    if (src_process(state_, &data) != 0)
        return {};
    return {data.input_frames_used, data.output_frames_gen};
}

void RateConverter::Reset()
{
    if (state_)
        src_reset(state_);
}

int64_t RateConverter::OutputFrames(int64_t inputFrames) const
{
    return (inputFrames * to_ + from_ / 2) / from_;
}

int64_t RateConverter::InputFrame(int64_t outputFrame) const
{
    return outputFrame * from_ / to_;
}

RateConverter::Start RateConverter::StartFor(int64_t outputFrame) const
{
    if (IsIdentity() || outputFrame <= 0)
        return {std::max<int64_t>(outputFrame, 0), 0};
    // Output position k * outputStep_ stands exactly at input frame k * inputStep_, so a
    // conversion restarted there has the same phase as one that ran from the start.
    const int64_t k = std::max<int64_t>(InputFrame(outputFrame) - kHistoryFrames, 0) / inputStep_;
    return {k * inputStep_, outputFrame - k * outputStep_};
}

} // namespace zarn::audio
