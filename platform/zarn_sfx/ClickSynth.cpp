#include "ClickSynth.h"

#include <algorithm>
#include <cmath>

namespace zarn::audio {

namespace {

// Beats closer to a frame than this (in frames) count as on it: ticks divided by a step that
// is not exact in binary must not push an onset a whole frame late.
constexpr double kOnsetSlack = 1e-6;

// A click: a sharp rise over half a millisecond, an exponential decay, and a short taper so
// the tone ends at zero rather than on a step.
std::vector<float> MakeTone(int sampleRate, double hz, float level)
{
    const auto length = static_cast<int64_t>(std::lround(ClickSynth::kClickSeconds * sampleRate));
    const double attack = std::max(1.0, 0.0005 * sampleRate);
    const double decay = 0.006 * sampleRate;
    const double taper = std::max(1.0, 0.002 * sampleRate);
    std::vector<float> tone(static_cast<size_t>(std::max<int64_t>(length, 1)));
    for (int64_t i = 0; i < static_cast<int64_t>(tone.size()); ++i) {
        double env = i < attack ? (i + 1) / attack : std::exp(-(i - attack) / decay);
        const double intoTaper = i - (static_cast<double>(tone.size()) - taper);
        if (intoTaper >= 0)
            env *= 0.5 * (1.0 + std::cos(M_PI * (intoTaper + 1) / taper));
        // Cosine phase: the onset frame itself is already non-zero.
        tone[static_cast<size_t>(i)] = static_cast<float>(level * env * std::cos(2.0 * M_PI * hz * i / sampleRate));
    }
    return tone;
}

} // namespace

ClickSynth::ClickSynth(int sampleRate)
    : sampleRate_(std::max(sampleRate, 1000))
    , releaseFrames_(std::max<int64_t>(1, std::lround(0.002 * sampleRate_)))
    , accentTone_(MakeTone(sampleRate_, kAccentHz, kAccentLevel))
    , beatTone_(MakeTone(sampleRate_, kBeatHz, kBeatLevel))
{
}

ClickSynth::~ClickSynth()
{
    delete grid_;
    delete pending_.load();
    FreeList(retired_.load());
}

void ClickSynth::FreeList(Grid* grid)
{
    while (grid) {
        Grid* next = grid->next;
        delete grid;
        grid = next;
    }
}

std::vector<ClickBeat> ClickSynth::BeatsOf(const std::vector<player::GridEntry>& grid)
{
    std::vector<ClickBeat> beats;
    beats.reserve(grid.size());
    for (const auto& entry : grid)
        beats.push_back({entry.tick, entry.beat == 1});
    return beats;
}

std::vector<ClickBeat> ClickSynth::BeatsOf(const player::SongTimeMap& map, const std::vector<player::ClickRange>& clicks)
{
    return BeatsOf(map.BuildGrid(clicks));
}

void ClickSynth::SetGrid(std::vector<ClickBeat> beats)
{
    FreeList(retired_.exchange(nullptr, std::memory_order_acquire));
    std::stable_sort(beats.begin(), beats.end(), [](const ClickBeat& a, const ClickBeat& b) { return a.tick < b.tick; });
    auto* grid = new Grid{std::move(beats), nullptr};
    // A grid the render thread never took up is still ours to free.
    delete pending_.exchange(grid, std::memory_order_acq_rel);
}

void ClickSynth::TakeUpNewGrid()
{
    Grid* fresh = pending_.exchange(nullptr, std::memory_order_acquire);
    if (!fresh)
        return;
    if (Grid* old = grid_) {
        old->next = retired_.load(std::memory_order_relaxed);
        while (!retired_.compare_exchange_weak(old->next, old, std::memory_order_release, std::memory_order_relaxed)) {
        }
    }
    grid_ = fresh;
}

void ClickSynth::Reset()
{
    continuing_ = false;
    for (auto& voice : voices_) {
        if (voice.tone && voice.releaseLeft < 0)
            voice.releaseLeft = releaseFrames_;
    }
}

void ClickSynth::StartVoice(const std::vector<float>& tone)
{
    Voice* slot = nullptr;
    for (auto& voice : voices_) {
        if (!voice.tone) {
            slot = &voice;
            break;
        }
    }
    if (!slot) {
        // All busy (clicks closer than a click lasts): the one furthest into its tone gives way.
        slot = &*std::max_element(std::begin(voices_), std::end(voices_),
                                  [](const Voice& a, const Voice& b) { return a.position < b.position; });
    }
    *slot = Voice{tone.data(), static_cast<int64_t>(tone.size()), 0, -1};
}

void ClickSynth::RenderVoices(float* out, int64_t frames, float gain)
{
    for (auto& voice : voices_) {
        for (int64_t i = 0; voice.tone && i < frames; ++i) {
            float level = gain;
            if (voice.releaseLeft >= 0) {
                level *= static_cast<float>(voice.releaseLeft) / static_cast<float>(releaseFrames_);
                if (--voice.releaseLeft < 0)
                    voice.tone = nullptr;
            }
            const float s = voice.tone ? voice.tone[voice.position] * level : 0.0f;
            out[2 * i] += s;
            out[2 * i + 1] += s;
            if (++voice.position >= voice.length)
                voice.tone = nullptr;
        }
    }
}

void ClickSynth::Render(float* out, int64_t frames, double fromTick, double ticksPerFrame, float gain)
{
    TakeUpNewGrid();
    if (frames <= 0)
        return;
    const double step = ticksPerFrame > 0 ? ticksPerFrame : 0.0; // also a NaN step: time held
    // The musical time of this block's last frame, with the slack that counts a beat on it.
    const double lastTick = fromTick + (static_cast<double>(frames - 1) + kOnsetSlack) * step;

    // A block that picks up where the last one left off (within about a frame: the caller
    // may split blocks at tempo changes that fall between frames) goes on from the last
    // block's end, exclusive, so no beat sounds twice or is lost in between.
    const bool continues = continuing_ && std::abs(fromTick - (lastTick_ + lastStep_)) <= std::max(lastStep_, step) + 1e-6;

    int64_t rendered = 0;
    if (grid_ && !grid_->beats.empty()) {
        const auto& beats = grid_->beats;
        auto it = continues
            ? std::upper_bound(beats.begin(), beats.end(), lastTick_, [](double t, const ClickBeat& b) { return t < b.tick; })
            : std::lower_bound(beats.begin(), beats.end(), fromTick, [](const ClickBeat& b, double t) { return b.tick < t; });
        for (; it != beats.end() && it->tick <= lastTick; ++it) {
            int64_t offset = 0;
            if (step > 0) {
                const double at = std::ceil((it->tick - fromTick) / step - kOnsetSlack);
                offset = std::clamp<int64_t>(static_cast<int64_t>(at), 0, frames - 1);
            }
            // What rings before the onset first, so a click that ends there frees its voice.
            RenderVoices(out + 2 * rendered, offset - rendered, gain);
            rendered = offset;
            StartVoice(it->accent ? accentTone_ : beatTone_);
        }
    }
    RenderVoices(out + 2 * rendered, frames - rendered, gain);

    continuing_ = true;
    lastTick_ = lastTick;
    lastStep_ = step;
}

} // namespace zarn::audio
