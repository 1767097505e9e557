#include "ShowRender.h"

#include "ClickSynth.h"
#include "Stretcher.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace zarn::audio {

namespace {

// Scale and transposition changes are scheduled this far ahead (seconds of the tempo map):
// past the stretcher's read-ahead and the 100 ms over which it primes before a change.
constexpr double kScheduleAheadSeconds = 0.5;
// A jump whose tick falls between two frames lands this many frames past its cue point at most.
constexpr int64_t kCueSlack = 2;
// A boundary this close past a whole frame counts as on it (positions are sums of doubles).
constexpr double kFrameSlack = 1e-6;
// Offline, how long to wait for the disk reader before playing silence after all.
constexpr auto kDiskPatience = std::chrono::seconds(10);

void Silence(float* out, int64_t frames)
{
    std::memset(out, 0, sizeof(float) * static_cast<size_t>(frames * kChannels));
}

} // namespace

// What a song needs to sound, made ready on the control thread: its stems' streams, its click,
// its tempo map as file time and the file frames of its jump targets.
struct ShowRender::SongAudio
{
    struct Segment
    {
        double tick = 0.0;
        double seconds = 0.0; // from tick 0
        double ticksPerSecond = 960.0;
    };

    int index = -1;
    std::string number;
    int rate = 48000;
    std::vector<std::shared_ptr<StemStream>> stems;
    std::vector<std::string> reported; // per stem: the problem last reported
    std::unique_ptr<ClickSynth> click;
    std::vector<Segment> segments;
    double audioStartSeconds = 0.0;
    std::vector<int64_t> cueFrames; // sorted; the render thread reads them at a jump
    uint64_t flowGeneration = ~uint64_t(0);
    bool hasPositionCue = false;
    int64_t positionCue = 0;

    double Seconds(double tick) const
    {
        auto it = std::upper_bound(segments.begin(), segments.end(), tick,
                                   [](double t, const Segment& s) { return t < s.tick; });
        const Segment& s = it == segments.begin() ? segments.front() : *std::prev(it);
        return s.seconds + (tick - s.tick) / s.ticksPerSecond;
    }
    // The frame of the song's files (at the output rate) that plays at a tick.
    int64_t FileFrame(double tick) const
    {
        return static_cast<int64_t>(std::llround((Seconds(tick) - audioStartSeconds) * rate));
    }
};

// One stem's way to the output: its stretcher and buffers, kept across songs.
struct ShowRender::Lane
{
    struct Source
    {
        Lane* lane;
        void operator()(float* out, int frames) const { lane->render.PullStem(*lane, out, frames); }
    };

    Lane(ShowRender& owner, int rate, int maxBlock, int fade)
        : render(owner)
        , stretcher(rate)
        , buffer(static_cast<size_t>(maxBlock) * kChannels)
        , old(static_cast<size_t>(fade) * kChannels)
        , scratch(static_cast<size_t>(std::max(maxBlock, fade)) * kChannels)
        , resumeDone(fade)
    {
    }

    ShowRender& render;
    Stretcher stretcher;
    StemStream* stream = nullptr;
    std::vector<float> buffer;  // this piece's sound
    std::vector<float> old;     // what the crossfade fades out
    std::vector<float> scratch;
    int64_t resumeDone;         // frames into the fade-in after the disk caught up
    Source source{this};
};

ShowRender::ShowRender(player::PlaybackCore& core, std::string showFolder, ShowRenderSettings settings)
    : core_(core)
    , folder_(std::move(showFolder))
    , settings_(settings)
    , rate_(settings.sampleRate)
    , fadeFrames_(std::max(1, static_cast<int>(std::lround(settings.crossfadeSeconds * settings.sampleRate))))
{
    if (rate_ < 1000)
        throw std::invalid_argument("Cannot render the show at " + std::to_string(rate_) + " Hz");
    if (settings_.maxBlockFrames < 1)
        throw std::invalid_argument("Cannot render blocks of " + std::to_string(settings_.maxBlockFrames) + " frames");
    reader_ = std::make_unique<DiskReader>(settings_.stream);
    songs_.resize(core_.Show().songs.size());
    clickScratch_.assign(static_cast<size_t>(settings_.maxBlockFrames) * kChannels, 0.0f);
    rampIn_.resize(static_cast<size_t>(fadeFrames_) + 1);
    for (int j = 0; j <= fadeFrames_; ++j)
        rampIn_[static_cast<size_t>(j)] = static_cast<float>(std::sin(M_PI / 2 * j / fadeFrames_));
    rampPos_ = fadeFrames_;
    seenGeneration_ = core_.PositionGeneration();
    gain_ = core_.OutputGain();
}

ShowRender::~ShowRender()
{
    // Lanes point into the songs' streams; the streams go before the reader that fills them.
    lanes_.clear();
    songs_.clear();
}

std::unique_ptr<ShowRender::SongAudio> ShowRender::MakeSong(int index)
{
    const player::SongDefinition& def = core_.Show().songs[static_cast<size_t>(index)];
    const player::SongTimeMap& map = core_.TimeMapOf(def.number);
    auto song = std::make_unique<SongAudio>();
    song->index = index;
    song->number = def.number;
    song->rate = rate_;
    song->click = std::make_unique<ClickSynth>(rate_);
    song->segments.push_back({0.0, 0.0, map.TicksPerSecondAt(0)});
    for (const auto& tempo : def.tempos) {
        if (tempo.tick == 0)
            continue;
        const SongAudio::Segment& last = song->segments.back();
        song->segments.push_back({double(tempo.tick), last.seconds + (tempo.tick - last.tick) / last.ticksPerSecond,
                                  map.TicksPerSecondAt(tempo.tick)});
    }
    song->audioStartSeconds = song->Seconds(def.audioStartTick);
    if (def.stems.size() > size_t(RenderTargets::kMaxStems))
        problems_.push_back("Song " + def.number + " has " + std::to_string(def.stems.size()) + " audio files; only the first "
                            + std::to_string(RenderTargets::kMaxStems) + " play.");
    for (size_t i = 0; i < def.stems.size() && i < size_t(RenderTargets::kMaxStems); ++i)
        song->stems.push_back(reader_->Open(folder_ + "/" + def.stems[i].file, rate_));
    song->reported.resize(song->stems.size());
    while (lanes_.size() < song->stems.size() && lanes_.size() < size_t(RenderTargets::kMaxStems))
        lanes_.push_back(std::make_unique<Lane>(*this, rate_, settings_.maxBlockFrames, fadeFrames_));
    return song;
}

void ShowRender::UpdateSong(SongAudio& song, bool current)
{
    const uint64_t flowGeneration = core_.FlowGeneration();
    const bool flowChanged = song.flowGeneration != flowGeneration;
    if (flowChanged) {
        song.click->SetGrid(core_.GridOf(song.number, true));
        song.flowGeneration = flowGeneration;
    }
    // Where playback will start from (a load, a seek, a pause) is a jump target too.
    const bool positionCue = current && !core_.AudioShouldSound();
    const int64_t cue = positionCue ? song.FileFrame(core_.Position()) : 0;
    if (!flowChanged && positionCue == song.hasPositionCue && cue == song.positionCue)
        return;
    song.hasPositionCue = positionCue;
    song.positionCue = cue;

    std::vector<int64_t> frames{song.FileFrame(core_.StartTickOf(song.number))};
    if (positionCue)
        frames.push_back(cue);
    if (const player::SongFlow* flow = core_.Flow().Find(song.number)) {
        for (const auto& e : flow->events) {
            switch (e.code) {
            case player::flow_code::kVamp:
            case player::flow_code::kRepeat:
            case player::flow_code::kCaesura: // resumes there after the hold
                frames.push_back(song.FileFrame(e.start));
                break;
            case player::flow_code::kCut:
            case player::flow_code::kSkip:
                frames.push_back(song.FileFrame(e.end));
                break;
            default:
                break;
            }
        }
    }
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    if (frames == song.cueFrames)
        return;
    song.cueFrames = frames;
    for (const auto& stem : song.stems)
        stem->SetCuePoints(frames);
}

bool ShowRender::InUse(const SongAudio* song) const
{
    return song == stemSong_ || song == clickSong_ || (song == tailSong_ && tailLeft_ > 0);
}

void ShowRender::Prepare()
{
    const int current = core_.CurrentSongIndex();
    const int next = core_.NextSongIndex();
    for (size_t i = 0; i < songs_.size(); ++i) {
        auto& song = songs_[i];
        const bool wanted = int(i) == current || int(i) == next;
        if (!wanted) {
            if (song && !InUse(song.get()))
                song.reset();
            continue;
        }
        if (!song)
            song = MakeSong(int(i));
        UpdateSong(*song, int(i) == current);
    }
}

std::vector<std::string> ShowRender::TakeProblems()
{
    std::vector<std::string> problems;
    problems.swap(problems_);
    for (const auto& song : songs_) {
        if (!song)
            continue;
        for (size_t i = 0; i < song->stems.size(); ++i) {
            if (!song->stems[i]->HasProblem())
                continue;
            std::string text = song->stems[i]->Problem();
            if (text == song->reported[i])
                continue;
            song->reported[i] = text;
            problems.push_back(std::move(text));
        }
    }
    return problems;
}

bool ShowRender::Ready() const
{
    const int current = core_.CurrentSongIndex();
    const SongAudio* song = current >= 0 ? songs_[size_t(current)].get() : nullptr;
    if (!song)
        return false;
    for (const auto& stem : song->stems) {
        if (stem->Length() < 0)
            return false;
        for (const int64_t frame : song->cueFrames) {
            if (!stem->Failed() && frame < stem->Length() && !stem->IsCueReady(frame))
                return false;
        }
    }
    return true;
}

void ShowRender::Render(int64_t frames, const RenderTargets& targets)
{
    for (int64_t done = 0; done < frames;) {
        Sync();
        Schedule();
        int64_t n = std::min<int64_t>(frames - done, settings_.maxBlockFrames);
        // Split where the core's next boundary falls: the frames before it play the old place,
        // the core lands on it exactly, and a jump there shows in the next piece.
        const double toBoundary = core_.SecondsToNextBoundary();
        bool boundaryInside = false;
        if (std::isfinite(toBoundary)) {
            const auto framesToIt = std::max<int64_t>(1, static_cast<int64_t>(std::ceil(toBoundary * rate_ - kFrameSlack)));
            if (framesToIt <= n) {
                n = framesToIt;
                boundaryInside = true;
            }
        }
        pieceStart_ = core_.Position();

        RenderStems(n);
        float* click = targets.click ? targets.click + done * kChannels : clickScratch_.data();
        if (!targets.click)
            Silence(click, n);
        RenderClick(n, click);

        const double seconds = double(n) / rate_;
        if (boundaryInside) {
            core_.Advance(toBoundary);
            if (seconds > toBoundary)
                core_.Advance(seconds - toBoundary);
        } else {
            core_.Advance(seconds);
        }
        if (hook_)
            hook_(hookContext_, done + n);

        // The output gain (volume and fade) moves smoothly over the piece.
        const double g0 = gain_;
        const double g1 = core_.OutputGain();
        gain_ = g1;
        if (stemsAudible_) {
            for (size_t i = 0; i < lanes_.size() && i < targets.stems.size(); ++i) {
                float* out = targets.stems[i];
                if (!out)
                    continue;
                out += done * kChannels;
                const float* in = lanes_[i]->buffer.data();
                for (int64_t k = 0; k < n; ++k) {
                    const auto g = static_cast<float>(g0 + (g1 - g0) * double(k + 1) / double(n));
                    out[2 * k] += in[2 * k] * g;
                    out[2 * k + 1] += in[2 * k + 1] * g;
                }
            }
        }
        done += n;
    }
}

void ShowRender::Sync()
{
    const int index = core_.CurrentSongIndex();
    SongAudio* song = index >= 0 && size_t(index) < songs_.size() ? songs_[size_t(index)].get() : nullptr;
    const uint64_t generation = core_.PositionGeneration();
    moved_ = generation != seenGeneration_;
    seenGeneration_ = generation;
    const bool sound = song && core_.AudioShouldSound();

    if (stemsSounding_ && !sound) {
        Capture(true);
        stemsSounding_ = false;
    } else if (sound && (!stemsSounding_ || moved_ || song != stemSong_)) {
        Capture(stemsSounding_);
        StartStems(song);
        stemsSounding_ = true;
    } else if (sound) {
        const double scale = core_.CurrentScaleFactor();
        const int semitones = core_.CurrentTransposition();
        if (scale != scale_ || semitones != semitones_) {
            // Scheduled at its frame when it was seen coming; else (the flow was edited) as
            // soon as the stretchers can.
            bool foreseen = false;
            for (int i = 0; i < scheduledCount_; ++i) {
                const Scheduled& s = scheduled_[i];
                foreseen = foreseen
                    || (s.tick > pieceStart_ && s.tick <= core_.Position() && s.scale == scale && s.semitones == semitones);
            }
            scale_ = scale;
            semitones_ = semitones;
            if (!foreseen) {
                // What was scheduled assumed the old flow; Schedule looks ahead afresh.
                scheduledCount_ = 0;
                for (auto& lane : lanes_) {
                    lane->stretcher.CancelScheduledChanges();
                    lane->stretcher.SetTempo(scale);
                    lane->stretcher.SetPitch(semitones);
                }
            }
        }
    }
    stemsAudible_ = stemsSounding_ || rampPos_ < fadeFrames_;
}

// Keeps what is to be faded out: what still fades from an earlier crossfade, and (at a jump or
// a stop) the old place's continuation as it would have sounded.
void ShowRender::Capture(bool withContinuation)
{
    const int f = fadeFrames_;
    for (auto& lanePtr : lanes_) {
        Lane& lane = *lanePtr;
        const bool continues = withContinuation && lane.stream;
        if (continues)
            lane.stretcher.Process(lane.scratch.data(), f, lane.source);
        for (int k = 0; k < f; ++k) {
            const int64_t j = rampPos_ + k;
            const float fadeOut = j < f ? rampIn_[size_t(f - j)] : 0.0f;
            const float fadeIn = j < f ? rampIn_[size_t(j)] : 1.0f;
            for (int c = 0; c < kChannels; ++c) {
                const size_t at = size_t(k * kChannels + c);
                float v = j < f ? lane.old[size_t(j * kChannels + c)] * fadeOut : 0.0f;
                if (continues)
                    v += lane.scratch[at] * fadeIn;
                lane.old[at] = v;
            }
        }
    }
    rampPos_ = 0;
}

void ShowRender::StartStems(SongAudio* song)
{
    stemSong_ = song;
    const int64_t frame = song->FileFrame(core_.Position());
    base_ = frame;
    scale_ = core_.CurrentScaleFactor();
    semitones_ = core_.CurrentTransposition();
    scheduledCount_ = 0;
    for (size_t i = 0; i < lanes_.size(); ++i) {
        Lane& lane = *lanes_[i];
        lane.stream = i < song->stems.size() ? song->stems[i].get() : nullptr;
        lane.resumeDone = fadeFrames_;
        lane.stretcher.Reset();
        lane.stretcher.SetTempo(scale_);
        lane.stretcher.SetPitch(semitones_);
        if (lane.stream)
            JumpLane(lane, frame);
    }
}

void ShowRender::JumpLane(Lane& lane, int64_t frame)
{
    // A jump whose tick falls between frames lands just past its cue point: start from the
    // cue's ready frames and skip to the exact one.
    const auto& cues = stemSong_->cueFrames;
    auto it = std::upper_bound(cues.begin(), cues.end(), frame);
    int64_t target = frame;
    if (it != cues.begin() && frame - *std::prev(it) <= kCueSlack)
        target = *std::prev(it);
    if (!lane.stream->Jump(target))
        unreadyJumps_.fetch_add(1, std::memory_order_relaxed);
    for (int64_t skip = frame - target; skip > 0;) {
        const int n = static_cast<int>(std::min<int64_t>(skip, settings_.maxBlockFrames));
        PullStem(lane, lane.scratch.data(), n);
        skip -= n;
    }
}

void ShowRender::Schedule()
{
    if (!stemsSounding_ || lanes_.empty())
        return;
    const double position = core_.Position();
    int kept = 0;
    for (int i = 0; i < scheduledCount_; ++i) {
        if (scheduled_[i].tick > position)
            scheduled_[kept++] = scheduled_[i];
    }
    scheduledCount_ = kept;
    const double unscaled = core_.TicksPerSecond() / core_.CurrentScaleFactor();
    const int n = core_.UpcomingSoundChanges(position + kScheduleAheadSeconds * unscaled, upcoming_, kMaxScheduled);
    bool prefix = scheduledCount_ <= n;
    for (int i = 0; prefix && i < scheduledCount_; ++i) {
        prefix = scheduled_[i].tick == upcoming_[i].tick && scheduled_[i].scale == upcoming_[i].scale
            && scheduled_[i].semitones == upcoming_[i].semitones;
    }
    if (!prefix) {
        // The flow changed what lies ahead.
        for (auto& lane : lanes_)
            lane->stretcher.CancelScheduledChanges();
        scheduledCount_ = 0;
    }
    for (int i = scheduledCount_; i < n; ++i) {
        const auto& change = upcoming_[i];
        const int64_t inputFrame = stemSong_->FileFrame(change.tick) - base_;
        for (auto& lane : lanes_) {
            if (lane->stream)
                lane->stretcher.ScheduleChange(inputFrame, change.scale, change.semitones);
        }
        scheduled_[scheduledCount_++] = {change.tick, change.scale, change.semitones};
    }
}

void ShowRender::RenderStems(int64_t frames)
{
    if (!stemsAudible_)
        return;
    const int f = fadeFrames_;
    for (auto& lanePtr : lanes_) {
        Lane& lane = *lanePtr;
        float* buffer = lane.buffer.data();
        if (stemsSounding_ && lane.stream)
            lane.stretcher.Process(buffer, static_cast<int>(frames), lane.source);
        else
            Silence(buffer, frames);
        for (int64_t k = 0; k < frames && rampPos_ + k < f; ++k) {
            const int64_t j = rampPos_ + k;
            const float in = rampIn_[size_t(j)];
            const float out = rampIn_[size_t(f - j)];
            for (int c = 0; c < kChannels; ++c) {
                float& v = buffer[k * kChannels + c];
                v = v * in + lane.old[size_t(j * kChannels + c)] * out;
            }
        }
    }
    rampPos_ = std::min<int64_t>(f, rampPos_ + frames);
}

void ShowRender::RenderClick(int64_t frames, float* out)
{
    const float volume = clickVolume_.load(std::memory_order_relaxed);
    const int index = core_.CurrentSongIndex();
    SongAudio* song = index >= 0 && size_t(index) < songs_.size() ? songs_[size_t(index)].get() : nullptr;
    const bool play = song && core_.IsPlaying();
    auto ringOut = [&](SongAudio* from) {
        from->click->Reset();
        tailSong_ = from;
        tailLeft_ = 2 * fadeFrames_;
    };
    if (play) {
        const bool fresh = !clickRunning_ || moved_ || song != clickSong_;
        if (fresh) {
            if (clickRunning_ && clickSong_ != song)
                ringOut(clickSong_);
            song->click->Reset();
            clickSong_ = song;
            clickRunning_ = true;
        }
        const double position = core_.Position();
        const double ticksPerFrame = core_.IsHolding() ? 0.0 : core_.TicksPerSecond() / rate_;
        double from = position;
        // A jump between two frames: its target's beat sounds on the first frame.
        if (fresh && ticksPerFrame > 0 && position - std::floor(position) < ticksPerFrame)
            from = std::floor(position);
        song->click->Render(out, frames, from, ticksPerFrame, volume);
    } else if (clickRunning_) {
        ringOut(clickSong_);
        clickRunning_ = false;
    }
    if (tailSong_ && tailLeft_ > 0 && !(clickRunning_ && tailSong_ == clickSong_)) {
        const int64_t n = std::min(frames, tailLeft_);
        tailSong_->click->Render(out, n, -1.0, 0.0, volume); // no beat there: the click rings out
        tailLeft_ -= n;
    }
}

void ShowRender::PullStem(Lane& lane, float* out, int frames)
{
    if (!lane.stream) {
        Silence(out, frames);
        return;
    }
    StemStream& stream = *lane.stream;
    if (settings_.waitForDisk) {
        const auto deadline = std::chrono::steady_clock::now() + kDiskPatience;
        while (std::chrono::steady_clock::now() < deadline) {
            const int64_t length = stream.Length();
            if (length >= 0
                && stream.ReadyFrames() >= std::min<int64_t>(frames, std::max<int64_t>(length - stream.Position(), 0)))
                break;
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    }
    const PullResult result = stream.Pull(out, frames);
    if (result.underrunFrames > 0)
        underrunFrames_.fetch_add(result.underrunFrames, std::memory_order_relaxed);
    // Sound back after the disk caught up: fade it in rather than start on a step.
    int64_t from = 0;
    if (result.resumeAt >= 0) {
        lane.resumeDone = 0;
        from = result.resumeAt;
    }
    for (int64_t k = from; k < frames && lane.resumeDone < fadeFrames_; ++k, ++lane.resumeDone) {
        const float g = rampIn_[size_t(lane.resumeDone)];
        out[k * kChannels] *= g;
        out[k * kChannels + 1] *= g;
    }
}

} // namespace zarn::audio
