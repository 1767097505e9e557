#include "Stretcher.h"

#include <rubberband/RubberBandStretcher.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace zarn::audio {

namespace {

// Frames per piece of work: per call into Rubber Band, and per piece a block is split into.
constexpr int kChunk = 1024;
// Fractions of a frame this small count as on the frame (positions are sums of doubles).
constexpr double kSlack = 1e-6;

// Rubber Band reports to the standard error stream, which may block, from inside process();
// what it has to say at the quiet level (a buffer it had to grow) is no news for an operator.
struct QuietLog : RubberBand::RubberBandStretcher::Logger
{
    void log(const char*) override {}
    void log(const char*, double) override {}
    void log(const char*, double, double) override {}
};

} // namespace

Stretcher::Stretcher(int sampleRate)
    : sampleRate_(std::max(sampleRate, 1000))
    , fadeFrames_(std::max(1, sampleRate_ / 200))
    , preRollFrames_(sampleRate_ / 10)
    , ringFrames_(int64_t{1} << 16)
{
    using RB = RubberBand::RubberBandStretcher;
    // Mixed transients: with crisp ones (the default) a sustained note flutters in real-time
    // mode, its level dipping by a third every 60-70 ms.
    engine_ = std::make_unique<RB>(static_cast<size_t>(sampleRate_), kChannels, std::make_shared<QuietLog>(),
                                   RB::OptionProcessRealTime | RB::OptionEngineFaster | RB::OptionFormantPreserved |
                                       RB::OptionTransientsMixed);
    engine_->setMaxProcessSize(kChunk);
    ring_.assign(static_cast<size_t>(ringFrames_ * kChannels), 0.0f);
    for (auto* buffer : {&inLeft_, &inRight_, &outLeft_, &outRight_})
        buffer->assign(kChunk, 0.0f);
    stretchedBuf_.assign(kChunk * kChannels, 0.0f);
    rawBuf_.assign(kChunk * kChannels, 0.0f);
    feedBuf_.assign(kChunk * kChannels, 0.0f);
}

Stretcher::~Stretcher() = default;

Stretcher::Setting Stretcher::Clamped(double factor, double semitones)
{
    Setting s;
    s.factor = std::isfinite(factor) ? std::clamp(factor, kMinTempo, kMaxTempo) : 1.0;
    s.semitones = std::isfinite(semitones) ? std::clamp(semitones, -kMaxSemitones, kMaxSemitones) : 0.0;
    // Products of scales (0.8 * 1.25) land a hair off 1; they mean no change.
    if (std::abs(s.factor - 1.0) < 1e-9)
        s.factor = 1.0;
    if (std::abs(s.semitones) < 1e-9)
        s.semitones = 0.0;
    return s;
}

double Stretcher::InputPosition() const
{
    return stretched_ ? heard_ : static_cast<double>(rawPos_);
}

// The first input frame a change can still apply to: what the stretcher has not taken in
// while it plays, else the next frame the raw path plays.
int64_t Stretcher::FeedFloor() const
{
    return running_ && stretched_ ? fed_ : rawPos_;
}

// The setting in force from `frame` on, by the changes not yet applied.
Stretcher::Setting Stretcher::SettingAt(int64_t frame) const
{
    const int first = running_ ? feedIdx_ : outIdx_;
    Setting s = first > 0 ? changes_[first - 1].setting : outSetting_;
    for (int i = first; i < changeCount_ && changes_[i].frame <= frame; ++i)
        s = changes_[i].setting;
    return s;
}

// Primed early for a change ahead, and now another comes before the stretcher's input
// position: it primes again when the time comes.
void Stretcher::DropPreRoll()
{
    if (running_ && !stretched_) {
        running_ = false;
        feedIdx_ = outIdx_;
    }
}

bool Stretcher::Insert(int64_t frame, Setting setting)
{
    if (frame < fed_)
        DropPreRoll();
    frame = std::max(frame, FeedFloor());
    if (changeCount_ == kMaxScheduledChanges)
        return false;
    int at = running_ ? feedIdx_ : outIdx_;
    while (at < changeCount_ && changes_[at].frame <= frame)
        ++at;
    for (int i = changeCount_; i > at; --i)
        changes_[i] = changes_[i - 1];
    changes_[at] = {frame, setting};
    ++changeCount_;
    return true;
}

bool Stretcher::ScheduleChange(int64_t inputFrame, double factor, double semitones)
{
    return Insert(inputFrame, Clamped(factor, semitones));
}

void Stretcher::SetTempo(double factor)
{
    SetNow(factor, std::nullopt);
}

void Stretcher::SetPitch(double semitones)
{
    SetNow(std::nullopt, semitones);
}

void Stretcher::SetNow(std::optional<double> factor, std::optional<double> semitones)
{
    DropPreRoll();
    const int64_t at = FeedFloor();
    const Setting base = SettingAt(at);
    const Setting s = Clamped(factor.value_or(base.factor), semitones.value_or(base.semitones));
    if (!Insert(at, s)) {
        CancelScheduledChanges();
        Insert(at, s);
    }
}

void Stretcher::CancelScheduledChanges()
{
    changeCount_ = running_ ? feedIdx_ : outIdx_;
}

void Stretcher::Reset()
{
    // The setting in force goes on at the new place; what was scheduled was for the old one.
    changeCount_ = outIdx_ = feedIdx_ = 0;
    ringEnd_ = 0;
    fresh_ = true;
    stretched_ = false;
    running_ = false;
    heard_ = 0.0;
    rawPos_ = 0;
    fed_ = 0;
    drop_ = 0;
    mix_ = mixTarget_ = 0.0;
}

void Stretcher::ApplyToEngine(const Setting& setting)
{
    // Rubber Band's faster pitch method clicks when a transposition changes while it runs;
    // the consistent one does not, at a higher cost. Tempo alone keeps the faster one, and
    // the switch away from it, made while there is no transposition yet, is smooth.
    if (setting.semitones != 0.0 && !consistentPitch_) {
        engine_->setPitchOption(RubberBand::RubberBandStretcher::OptionPitchHighConsistency);
        consistentPitch_ = true;
    }
    engine_->setTimeRatio(1.0 / setting.factor);
    engine_->setPitchScale(std::pow(2.0, setting.semitones / 12.0));
}

void Stretcher::Process(float* out, int frames, FrameSource source)
{
    if (fresh_)
        Start();
    while (frames > 0) {
        const int n = std::min(frames, kChunk);
        ProcessPiece(out, n, source);
        out += static_cast<ptrdiff_t>(n) * kChannels;
        frames -= n;
    }
    Compact();
}

// The first block since Reset: what is due at frame 0 simply holds, without a crossfade.
void Stretcher::Start()
{
    fresh_ = false;
    while (outIdx_ < changeCount_ && changes_[outIdx_].frame <= 0)
        outSetting_ = changes_[outIdx_++].setting;
    feedIdx_ = outIdx_;
    stretched_ = !outSetting_.Identity();
    mix_ = mixTarget_ = stretched_ ? 1.0 : 0.0;
}

void Stretcher::ProcessPiece(float* out, int frames, FrameSource& source)
{
    int done = 0;
    while (done < frames) {
        ApplyDueOutputChanges(source);
        if (stretched_ && !running_)
            Prime(static_cast<int64_t>(std::llround(heard_)), outSetting_, outIdx_, source);
        MaybePreRoll(source);
        const int n = FramesToNextEvent(frames - done);
        float* dst = out + static_cast<ptrdiff_t>(done) * kChannels;
        if (stretched_)
            StretchedOut(dst, n, source);
        else
            RawOut(dst, n, source);
        done += n;
    }
}

bool Stretcher::OutputChangeDue() const
{
    if (outIdx_ >= changeCount_)
        return false;
    const int64_t frame = changes_[outIdx_].frame;
    return stretched_ ? heard_ >= static_cast<double>(frame) - kSlack : rawPos_ >= frame;
}

// The last of the changes from `index` on that share its frame: they apply as one.
int Stretcher::LastAtSameFrame(int index) const
{
    while (index + 1 < changeCount_ && changes_[index + 1].frame == changes_[index].frame)
        ++index;
    return index;
}

void Stretcher::ApplyDueOutputChanges(FrameSource& source)
{
    if (!OutputChangeDue())
        return;
    int64_t frame = 0;
    while (OutputChangeDue()) {
        frame = changes_[outIdx_].frame;
        outSetting_ = changes_[outIdx_++].setting;
    }
    if (!running_)
        feedIdx_ = outIdx_;
    if (!stretched_) {
        if (outSetting_.Identity())
            return;
        // Into stretching, exactly at this frame: the raw path plays on under a crossfade.
        if (!running_ || fed_ < frame)
            Prime(frame, outSetting_, outIdx_, source);
        stretched_ = true;
        heard_ = static_cast<double>(frame);
        mix_ = 0.0;
        mixTarget_ = 1.0;
    } else if (outSetting_.Identity()) {
        // Out of stretching: the raw path takes over from this input frame, or, fading in
        // still, goes on from where it is.
        if (mix_ == 1.0)
            rawPos_ = frame;
        mixTarget_ = 0.0;
    } else {
        mixTarget_ = 1.0;
    }
}

// A change into stretching that is close ahead gets its stretcher primed, and its start delay
// worked off a piece of input at a time, while the raw path still plays: the cost of the
// stretcher's first chunks is spread over the blocks before the change.
void Stretcher::MaybePreRoll(FrameSource& source)
{
    if (stretched_ || outIdx_ >= changeCount_)
        return;
    if (running_) {
        const int available = engine_->available();
        if (available > 0 && drop_ > 0) {
            const int n = static_cast<int>(std::min<int64_t>({available, drop_, kChunk}));
            float* channels[kChannels] = {outLeft_.data(), outRight_.data()};
            engine_->retrieve(channels, static_cast<size_t>(n));
            drop_ -= n;
        } else if (available <= 0) {
            Feed(source);
        }
        return;
    }
    const int last = LastAtSameFrame(outIdx_);
    const Change& c = changes_[last];
    if (c.setting.Identity() || c.frame - rawPos_ > preRollFrames_)
        return;
    Prime(c.frame, c.setting, last + 1, source);
}

// Frames until the next output change or the end of a crossfade, at most `want`.
int Stretcher::FramesToNextEvent(int want) const
{
    int64_t n = want;
    if (outIdx_ < changeCount_) {
        const Change& c = changes_[outIdx_];
        if (stretched_) {
            const double frames = std::ceil((static_cast<double>(c.frame) - heard_) / outSetting_.factor - kSlack);
            n = std::min<int64_t>(n, static_cast<int64_t>(std::max(1.0, frames)));
        } else {
            n = std::min<int64_t>(n, std::max<int64_t>(1, c.frame - rawPos_));
        }
    }
    if (stretched_ && mix_ != mixTarget_) {
        const auto left = static_cast<int64_t>(std::ceil(std::abs(mixTarget_ - mix_) * fadeFrames_ - kSlack));
        n = std::min<int64_t>(n, std::max<int64_t>(1, left));
    }
    return static_cast<int>(n);
}

void Stretcher::RawOut(float* out, int frames, FrameSource& source)
{
    // Input already read ahead comes from the ring, the rest straight from the source into
    // the output: either way the samples are the input's own.
    const int fromRing = static_cast<int>(std::clamp<int64_t>(ringEnd_ - rawPos_, 0, frames));
    if (fromRing > 0) {
        ReadRing(rawPos_, fromRing, out);
        rawPos_ += fromRing;
    }
    const int direct = frames - fromRing;
    if (direct > 0) {
        float* dst = out + static_cast<ptrdiff_t>(fromRing) * kChannels;
        source(dst, direct);
        // Kept as history, to prime the stretcher with what precedes a change.
        for (int done = 0; done < direct;) {
            const int64_t at = ringEnd_ % ringFrames_;
            const int n = static_cast<int>(std::min<int64_t>(direct - done, ringFrames_ - at));
            std::memcpy(&ring_[static_cast<size_t>(at * kChannels)], dst + static_cast<ptrdiff_t>(done) * kChannels,
                        sizeof(float) * static_cast<size_t>(n * kChannels));
            ringEnd_ += n;
            done += n;
        }
        rawPos_ += direct;
    }
    heard_ = static_cast<double>(rawPos_);
}

void Stretcher::StretchedOut(float* out, int frames, FrameSource& source)
{
    Produce(frames, source);
    heard_ += frames * outSetting_.factor;
    if (mix_ == 1.0 && mixTarget_ == 1.0) {
        std::memcpy(out, stretchedBuf_.data(), sizeof(float) * static_cast<size_t>(frames * kChannels));
        return;
    }
    // Equal-gain raised-cosine crossfade: the two paths carry the same music, nearly in phase.
    EnsureInput(rawPos_ + frames, source);
    ReadRing(rawPos_, frames, rawBuf_.data());
    rawPos_ += frames;
    const double step = (mixTarget_ > mix_ ? 1.0 : -1.0) / fadeFrames_;
    for (int i = 0; i < frames; ++i) {
        mix_ = mixTarget_ > mix_ ? std::min(mixTarget_, mix_ + step) : std::max(mixTarget_, mix_ + step);
        const float g = static_cast<float>(0.5 - 0.5 * std::cos(M_PI * mix_));
        for (int c = 0; c < kChannels; ++c) {
            const size_t k = static_cast<size_t>(i * kChannels + c);
            out[k] = rawBuf_[k] * (1.0f - g) + stretchedBuf_[k] * g;
        }
    }
    if (mix_ == 0.0 && mixTarget_ == 0.0) {
        stretched_ = false;
        running_ = false;
        feedIdx_ = outIdx_;
        heard_ = static_cast<double>(rawPos_);
    }
}

// Starts the stretcher at input frame `at`: the input before it (silence where there is none)
// fills its start pad, and its start delay is dropped, so its next output plays `at`.
void Stretcher::Prime(int64_t at, const Setting& setting, int nextFeedChange, FrameSource& source)
{
    consistentPitch_ = false;
    engine_->setPitchOption(RubberBand::RubberBandStretcher::OptionPitchHighSpeed);
    engine_->reset();
    ApplyToEngine(setting);
    const auto pad = static_cast<int64_t>(engine_->getPreferredStartPad());
    drop_ = static_cast<int64_t>(engine_->getStartDelay());
    EnsureInput(at, source);
    const int64_t oldest = std::max<int64_t>(0, ringEnd_ - ringFrames_);
    const int64_t historyFrom = std::clamp(at - pad, oldest, at);
    int64_t silence = pad - (at - historyFrom);

    std::fill(inLeft_.begin(), inLeft_.end(), 0.0f);
    std::fill(inRight_.begin(), inRight_.end(), 0.0f);
    const float* input[kChannels] = {inLeft_.data(), inRight_.data()};
    while (silence > 0) {
        const auto n = static_cast<size_t>(std::min<int64_t>(silence, kChunk));
        engine_->process(input, n, false);
        silence -= static_cast<int64_t>(n);
    }
    for (int64_t from = historyFrom; from < at;) {
        const int n = static_cast<int>(std::min<int64_t>(at - from, kChunk));
        FeedFromRing(from, n);
        from += n;
    }
    fed_ = at;
    feedIdx_ = nextFeedChange;
    running_ = true;
}

// The next `frames` frames of the stretcher's output into stretchedBuf_.
void Stretcher::Produce(int frames, FrameSource& source)
{
    float* channels[kChannels] = {outLeft_.data(), outRight_.data()};
    int got = 0;
    while (got < frames) {
        const int available = engine_->available();
        if (available <= 0) {
            Feed(source);
            continue;
        }
        if (drop_ > 0) {
            const int n = static_cast<int>(std::min<int64_t>({available, drop_, kChunk}));
            engine_->retrieve(channels, static_cast<size_t>(n));
            drop_ -= n;
            continue;
        }
        const int n = std::min(available, frames - got);
        engine_->retrieve(channels, static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            stretchedBuf_[static_cast<size_t>(2 * (got + i))] = outLeft_[static_cast<size_t>(i)];
            stretchedBuf_[static_cast<size_t>(2 * (got + i) + 1)] = outRight_[static_cast<size_t>(i)];
        }
        got += n;
    }
}

// One piece of input into the stretcher, as much as it asks for, up to the next change,
// which then applies from its exact frame.
void Stretcher::Feed(FrameSource& source)
{
    while (feedIdx_ < changeCount_ && changes_[feedIdx_].frame <= fed_) {
        const Setting& s = changes_[feedIdx_++].setting;
        // Leaving for the raw path: the stretcher plays on as it was through the crossfade
        // (a change of its own right there could click).
        if (!s.Identity())
            ApplyToEngine(s);
    }
    int64_t n = std::clamp<int64_t>(static_cast<int64_t>(engine_->getSamplesRequired()), 1, kChunk);
    if (feedIdx_ < changeCount_)
        n = std::min(n, changes_[feedIdx_].frame - fed_);
    EnsureInput(fed_ + n, source);
    FeedFromRing(fed_, static_cast<int>(n));
    fed_ += n;
}

// Frames [from, from + frames) of the ring into the stretcher (frames <= kChunk).
void Stretcher::FeedFromRing(int64_t from, int frames)
{
    ReadRing(from, frames, feedBuf_.data());
    for (size_t i = 0; i < static_cast<size_t>(frames); ++i) {
        inLeft_[i] = feedBuf_[2 * i];
        inRight_[i] = feedBuf_[2 * i + 1];
    }
    const float* input[kChannels] = {inLeft_.data(), inRight_.data()};
    engine_->process(input, static_cast<size_t>(frames), false);
}

void Stretcher::EnsureInput(int64_t end, FrameSource& source)
{
    while (ringEnd_ < end) {
        const int64_t at = ringEnd_ % ringFrames_;
        const int n = static_cast<int>(std::min(end - ringEnd_, ringFrames_ - at));
        source(&ring_[static_cast<size_t>(at * kChannels)], n);
        ringEnd_ += n;
    }
}

void Stretcher::ReadRing(int64_t from, int frames, float* out) const
{
    for (int done = 0; done < frames;) {
        const int64_t at = (from + done) % ringFrames_;
        const int n = static_cast<int>(std::min<int64_t>(frames - done, ringFrames_ - at));
        std::memcpy(out + static_cast<ptrdiff_t>(done) * kChannels, &ring_[static_cast<size_t>(at * kChannels)],
                    sizeof(float) * static_cast<size_t>(n * kChannels));
        done += n;
    }
}

void Stretcher::Compact()
{
    if (outIdx_ == 0)
        return;
    for (int i = outIdx_; i < changeCount_; ++i)
        changes_[i - outIdx_] = changes_[i];
    changeCount_ -= outIdx_;
    feedIdx_ -= outIdx_;
    outIdx_ = 0;
}

} // namespace zarn::audio
