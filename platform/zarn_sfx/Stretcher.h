#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

namespace RubberBand {
class RubberBandStretcher;
}

namespace zarn::audio {

// A reference to a callable `void(float* interleaved, int frames)` that fills exactly
// `frames` stereo frames (silence past its end): what the Stretcher pulls its input through.
// It refers to the callable without copying it, so it must not outlive the call it is
// handed to.
class FrameSource
{
public:
    template <typename F, typename = std::enable_if_t<!std::is_same_v<std::decay_t<F>, FrameSource>>>
    FrameSource(F&& pull) noexcept // NOLINT: converts from any such callable
        : object_(const_cast<void*>(static_cast<const void*>(std::addressof(pull))))
        , call_([](void* object, float* out, int frames) {
            (*static_cast<std::remove_reference_t<F>*>(object))(out, frames);
        })
    {
    }

    void operator()(float* out, int frames) const { call_(object_, out, frames); }

private:
    void* object_;
    void (*call_)(void*, float*, int);
};

// Tempo and pitch for one interleaved stereo stream: Rubber Band's R2 engine in real-time
// mode, formants preserved, transients mixed. At tempo 1 and no transposition the input
// passes through bit for bit and the stretcher costs nothing.
//
// Positions are input frames counted from the last Reset: InputPosition() is the input frame
// that the next output frame plays, and it advances by exactly the tempo factor per output
// frame, so the output of a tempo of 0.8 lasts 1.25 times as long as its input and musical
// time can follow it to the frame. The stretcher reads ahead of that position (its window);
// InputPulled() says how far.
//
// Changing between bypass and stretching crossfades over 5 ms. Entering stretching primes the
// stretcher with the input that preceded the change (silence after a Reset) and drops its
// start delay, so the first stretched frame is on time; a change scheduled ahead with
// ScheduleChange is primed up to 100 ms early, so its first blocks' cost does not land on
// one render block.
//
// Everything here runs on the render thread and allocates nothing after construction, with
// one exception inside Rubber Band: a change of tempo or pitch, or priming, may make it
// resize a few of its internal buffers (its resampler's filter and its onset detector's
// spectrum). A block with no change allocates nothing.
class Stretcher
{
public:
    static constexpr int kChannels = 2;
    static constexpr double kMinTempo = 0.25;
    static constexpr double kMaxTempo = 4.0;
    static constexpr double kMaxSemitones = 12.0;
    static constexpr int kMaxScheduledChanges = 32;

    explicit Stretcher(int sampleRate);
    ~Stretcher();
    Stretcher(const Stretcher&) = delete;
    Stretcher& operator=(const Stretcher&) = delete;

    // The musical rate (0.8: slower; clamped to kMinTempo..kMaxTempo) and the transposition
    // (clamped to +-kMaxSemitones), from the next input frame the stretcher takes in. While
    // it stretches, that is heard after the input it has already read ahead (some 30-50 ms);
    // while bypassed, from the next output frame. Changes scheduled for later input stay as
    // they are.
    void SetTempo(double factor);
    void SetPitch(double semitones);

    // Tempo and pitch from an exact input frame on (one already taken in: from the next
    // one). False when kMaxScheduledChanges are already waiting.
    bool ScheduleChange(int64_t inputFrame, double factor, double semitones);
    // Drops the changes the stretcher has not taken in yet.
    void CancelScheduledChanges();

    // After a jump: forgets the input, the read-ahead and the scheduled changes; keeps the
    // tempo and pitch in force. The next input frame pulled is input frame 0, and when
    // stretching, the stretcher is primed with silence so the first output frame plays it.
    void Reset();

    // Writes exactly `frames` interleaved stereo frames to `out`, pulling input from `source`
    // as needed.
    void Process(float* out, int frames, FrameSource source);

    // The input frame the next output frame plays (fractional while stretching), and the
    // input frames pulled from the source, both since Reset.
    double InputPosition() const;
    int64_t InputPulled() const { return ringEnd_; }
    // The output is the input, bit for bit (no stretching, no crossfade in progress).
    bool Bypassed() const { return !stretched_; }
    // The tempo and pitch the output is playing at.
    double Tempo() const { return outSetting_.factor; }
    double Pitch() const { return outSetting_.semitones; }
    int SampleRate() const { return sampleRate_; }

private:
    struct Setting
    {
        double factor = 1.0;
        double semitones = 0.0;
        bool Identity() const { return factor == 1.0 && semitones == 0.0; }
    };
    struct Change
    {
        int64_t frame = 0;
        Setting setting;
    };

    static Setting Clamped(double factor, double semitones);
    void DropPreRoll();
    bool Insert(int64_t frame, Setting setting);
    void SetNow(std::optional<double> factor, std::optional<double> semitones);
    bool OutputChangeDue() const;
    int LastAtSameFrame(int index) const;
    int64_t FeedFloor() const;
    Setting SettingAt(int64_t frame) const;
    void ApplyToEngine(const Setting& setting);

    void ProcessPiece(float* out, int frames, FrameSource& source);
    void Start();
    void ApplyDueOutputChanges(FrameSource& source);
    void MaybePreRoll(FrameSource& source);
    int FramesToNextEvent(int want) const;
    void RawOut(float* out, int frames, FrameSource& source);
    void StretchedOut(float* out, int frames, FrameSource& source);
    void Prime(int64_t at, const Setting& setting, int nextFeedChange, FrameSource& source);
    void Produce(int frames, FrameSource& source);
    void Feed(FrameSource& source);
    void FeedFromRing(int64_t from, int frames);
    void EnsureInput(int64_t end, FrameSource& source);
    void ReadRing(int64_t from, int frames, float* out) const;
    void Compact();

    int sampleRate_;
    int fadeFrames_;
    int64_t preRollFrames_;
    std::unique_ptr<RubberBand::RubberBandStretcher> engine_;

    // Input pulled since Reset, kept around the play position: the history that primes the
    // stretcher, the read-ahead it has taken in, and what the raw path plays.
    std::vector<float> ring_;
    int64_t ringFrames_;
    int64_t ringEnd_ = 0;

    // The output side.
    bool fresh_ = true; // nothing played since Reset
    Setting outSetting_;
    bool stretched_ = false; // the stretcher's output is (part of) what is heard
    double heard_ = 0.0; // input frame of the next stretched output frame
    int64_t rawPos_ = 0; // input frame of the next raw output frame
    double mix_ = 0.0; // 0: raw only, 1: stretched only
    double mixTarget_ = 0.0;

    // The feed side.
    bool running_ = false; // primed and taking input
    bool consistentPitch_ = false; // the engine's pitch method for changing transpositions
    int64_t fed_ = 0;
    int64_t drop_ = 0;

    // Changes in input-frame order; outIdx_ is the next the output applies, feedIdx_ (never
    // before it) the next the stretcher's input applies.
    Change changes_[kMaxScheduledChanges];
    int changeCount_ = 0;
    int outIdx_ = 0;
    int feedIdx_ = 0;

    std::vector<float> inLeft_, inRight_, outLeft_, outRight_, stretchedBuf_, rawBuf_, feedBuf_;
};

} // namespace zarn::audio
