#include "PlaybackCore.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <stdexcept>

namespace zarn::player {

namespace {

const std::vector<FlowEvent> kNoEvents;
constexpr int kMaxJumpsWithoutTime = 64;

const char* FlowLabel(char code)
{
    switch (code) {
    case flow_code::kVamp:
        return "Vamp";
    case flow_code::kRepeat:
        return "Repeat";
    case flow_code::kSkip:
        return "Skip";
    default:
        return "";
    }
}

bool IsFlowLabelKind(char code)
{
    return code == flow_code::kVamp || code == flow_code::kRepeat || code == flow_code::kSkip;
}

} // namespace

PlaybackCore::PlaybackCore(std::shared_ptr<const ShowDefinition> show)
    : show_(std::move(show))
{
    if (!show_ || show_->songs.empty())
        throw std::invalid_argument("A show without songs cannot be played.");
    for (const auto& song : show_->songs)
        maps_.emplace_back(song);
    flow_ = FlowSnapshot::Build(*show_, {}, {});
    EnterSong(0, std::nullopt, false);
}

const SongTimeMap& PlaybackCore::TimeMapOf(const std::string& song) const
{
    const int i = show_->IndexOfSong(song);
    if (i < 0)
        throw std::invalid_argument("The show has no song \"" + song + "\".");
    return maps_[static_cast<size_t>(i)];
}

const std::vector<FlowEvent>& PlaybackCore::Events() const
{
    if (song_ < 0)
        return kNoEvents;
    const SongFlow* flow = flow_.Find(show_->songs[static_cast<size_t>(song_)].number);
    return flow ? flow->events : kNoEvents;
}

void PlaybackCore::SetFlow(FlowSnapshot flow)
{
    std::map<std::string, int> activePasses;
    const auto& old = Events();
    for (size_t i = 0; i < old.size() && i < active_.size(); ++i) {
        if (active_[i])
            activePasses[std::string(1, old[i].code) + old[i].id] = passes_[i];
    }
    flow_ = std::move(flow);
    ++flowGeneration_;
    RebuildSongCaches();
    const auto& now = Events();
    for (size_t i = 0; i < now.size(); ++i) {
        auto it = activePasses.find(std::string(1, now[i].code) + now[i].id);
        if (it != activePasses.end() && now[i].start <= pos_ && pos_ < now[i].end) {
            active_[i] = true;
            passes_[i] = it->second;
        }
    }
    UpdateScale();
    if (!holding_)
        ActivateRangesAt(Tick());
    // Cues already handed out ahead of the playhead are not handed out again.
    if (playing_ && lastCueTick_ >= pos_) {
        const double last = lastCueTick_;
        ResetCueCursor(last, false);
        lastCueTick_ = last;
    } else
        ResetCueCursor(pos_, !playing_);
}

void PlaybackCore::SetAttacca(const std::string& song, uint8_t state)
{
    auto it = flow_.songs.find(song);
    if (it == flow_.songs.end())
        throw std::invalid_argument("The show has no song \"" + song + "\".");
    if (state > 2)
        throw std::out_of_range("Attacca state " + std::to_string(state) + " is not 0, 1 or 2.");
    it->second.attacca = state;
    ++flowGeneration_;
}

const std::string& PlaybackCore::CurrentSong() const
{
    static const std::string none;
    return song_ < 0 ? none : show_->songs[static_cast<size_t>(song_)].number;
}

uint32_t PlaybackCore::Tick() const
{
    return static_cast<uint32_t>(std::floor(std::max(0.0, pos_) + 1e-9));
}

uint32_t PlaybackCore::StartTickOf(const std::string& song) const
{
    const SongDefinition* def = show_->FindSong(song);
    if (!def)
        throw std::invalid_argument("The show has no song \"" + song + "\".");
    uint32_t start = def->startTick;
    if (const SongFlow* flow = flow_.Find(song)) {
        for (bool moved = true; moved;) {
            moved = false;
            for (const auto& e : flow->events) {
                if (e.code == flow_code::kCut && e.start <= start && e.end > start) {
                    start = e.end;
                    moved = true;
                }
            }
        }
    }
    return start;
}

uint32_t PlaybackCore::CurrentStartTick() const
{
    return song_ < 0 ? 0 : StartTickOf(CurrentSong());
}

std::vector<GridEntry> PlaybackCore::GridOf(const std::string& song, bool applyClicks) const
{
    const SongTimeMap& map = TimeMapOf(song);
    std::vector<ClickRange> clicks;
    if (applyClicks) {
        if (const SongFlow* flow = flow_.Find(song)) {
            for (const auto& e : flow->events) {
                if (e.code == flow_code::kClick)
                    clicks.push_back({e.start, e.end, e.intValue});
            }
        }
    }
    return map.BuildGrid(clicks);
}

std::vector<FlowEvent> PlaybackCore::CurrentEvents(char code) const
{
    std::vector<FlowEvent> result;
    for (const auto& e : Events()) {
        if (e.code == code)
            result.push_back(e);
    }
    return result;
}

std::vector<ScaleRange> PlaybackCore::CurrentScales() const
{
    std::vector<ScaleRange> scales;
    for (const auto& e : Events()) {
        if (e.code == flow_code::kTempoScale)
            scales.push_back({e.start, e.end, e.floatValue});
    }
    return scales;
}

PlaybackCore::Output PlaybackCore::TakeOutput()
{
    Output out;
    std::swap(out, out_);
    return out;
}

void PlaybackCore::SwapOutput(Output& into)
{
    into.notices.clear();
    into.cues.clear();
    into.completions.clear();
    std::swap(into, out_);
}

void PlaybackCore::Notify(EngineEventKind kind, int value, std::string text)
{
    out_.notices.push_back({kind, value, std::move(text)});
}

void PlaybackCore::NotifyVolume()
{
    Notify(EngineEventKind::StatusVolume, static_cast<int>(std::lround(volume_ * fadeGain_ * 1000.0)));
    sinceVolumeNotice_ = 0.0;
}

void PlaybackCore::NotifyPlayhead()
{
    Notify(EngineEventKind::Playhead, static_cast<int>(Tick()));
    sincePlayheadNotice_ = 0.0;
}

void PlaybackCore::RebuildSongCaches()
{
    const auto& events = Events();
    active_.assign(events.size(), false);
    passes_.assign(events.size(), 0);
    if (song_ < 0)
        return;
    const std::string& number = CurrentSong();
    grid_ = GridOf(number, true);
    const SongDefinition& def = maps_[static_cast<size_t>(song_)].Song();
    std::vector<uint32_t> b;
    for (const auto& g : grid_)
        b.push_back(g.tick);
    for (const auto& t : def.tempos)
        b.push_back(t.tick);
    for (const auto& m : def.meters)
        b.push_back(m.tick);
    for (const auto& k : def.keys)
        b.push_back(k.tick);
    for (const auto& p : show_->pages) {
        if (p.song == number)
            b.push_back(p.tick);
    }
    for (const auto& e : events) {
        b.push_back(e.start);
        if (e.IsRangeKind())
            b.push_back(e.end);
    }
    b.push_back(def.lengthTicks);
    b.push_back(def.EndOfMaterial());
    std::sort(b.begin(), b.end());
    b.erase(std::unique(b.begin(), b.end()), b.end());
    boundaries_ = std::move(b);
}

void PlaybackCore::AnnounceFlowState()
{
    const auto& events = Events();
    for (size_t i = events.size(); i-- > 0;) {
        if (active_[i] && IsFlowLabelKind(events[i].code)) {
            Notify(EngineEventKind::StatusFlowControl, events[i].code == flow_code::kSkip ? 0 : passes_[i],
                   FlowLabel(events[i].code));
            return;
        }
    }
    Notify(EngineEventKind::StatusFlowControl, 0, "ClearPickupBeat");
}

void PlaybackCore::ResetFlowState(bool announce)
{
    const auto& events = Events();
    bool hadFlow = holding_, hadScale = false, hadTransposition = false, hadVamp = false;
    for (size_t i = 0; i < events.size() && i < active_.size(); ++i) {
        if (!active_[i])
            continue;
        const char c = events[i].code;
        hadFlow = hadFlow || IsFlowLabelKind(c);
        hadVamp = hadVamp || c == flow_code::kVamp;
        hadScale = hadScale || c == flow_code::kTempoScale;
        hadTransposition = hadTransposition || c == flow_code::kTransposition;
    }
    active_.assign(events.size(), false);
    passes_.assign(events.size(), 0);
    exitRequested_ = false;
    holding_ = false;
    UpdateScale();
    if (!announce)
        return;
    if (hadVamp)
        Notify(EngineEventKind::VampOff);
    if (hadScale)
        Notify(EngineEventKind::TempoScale, 0, SongTimeMap::ScaleText(1.0));
    if (hadTransposition)
        Notify(EngineEventKind::Transposition, 0);
    if (hadFlow)
        Notify(EngineEventKind::StatusFlowControl, 0, "ClearPickupBeat");
}

void PlaybackCore::UpdateScale()
{
    const auto& events = Events();
    scale_ = 1.0;
    for (size_t i = 0; i < events.size() && i < active_.size(); ++i) {
        if (active_[i] && events[i].code == flow_code::kTempoScale)
            scale_ = events[i].floatValue; // latest start wins: events are in start order
    }
    if (!(scale_ > 0.0))
        scale_ = 1.0;
}

void PlaybackCore::Activate(size_t i, int pass)
{
    const FlowEvent& e = Events()[i];
    active_[i] = true;
    passes_[i] = pass;
    switch (e.code) {
    case flow_code::kVamp:
        Notify(EngineEventKind::VampOn);
        Notify(EngineEventKind::StatusFlowControl, pass, "Vamp");
        break;
    case flow_code::kRepeat:
        Notify(EngineEventKind::StatusFlowControl, pass, "Repeat");
        break;
    case flow_code::kSkip:
        Notify(EngineEventKind::StatusFlowControl, 0, "Skip");
        break;
    case flow_code::kTempoScale:
        UpdateScale();
        Notify(EngineEventKind::TempoScale, 0, SongTimeMap::ScaleText(scale_));
        break;
    case flow_code::kTransposition:
        Notify(EngineEventKind::Transposition, e.intValue);
        break;
    default:
        break;
    }
}

void PlaybackCore::Deactivate(size_t i)
{
    const auto& events = Events();
    const FlowEvent& e = events[i];
    active_[i] = false;
    passes_[i] = 0;
    switch (e.code) {
    case flow_code::kVamp:
        Notify(EngineEventKind::VampOff);
        AnnounceFlowState();
        break;
    case flow_code::kRepeat:
    case flow_code::kSkip:
        AnnounceFlowState();
        break;
    case flow_code::kTempoScale:
        UpdateScale();
        Notify(EngineEventKind::TempoScale, 0, SongTimeMap::ScaleText(scale_));
        break;
    case flow_code::kTransposition: {
        int value = 0;
        for (size_t j = 0; j < events.size(); ++j) {
            if (active_[j] && events[j].code == flow_code::kTransposition)
                value = events[j].intValue;
        }
        Notify(EngineEventKind::Transposition, value);
        break;
    }
    default:
        break;
    }
}

void PlaybackCore::ActivateRangesAt(uint32_t tick)
{
    const auto& events = Events();
    for (size_t i = 0; i < events.size(); ++i) {
        const FlowEvent& e = events[i];
        if (e.IsRangeKind() && e.code != flow_code::kCut && e.start <= tick && tick < e.end && !active_[i])
            Activate(i, 1);
    }
}

void PlaybackCore::AnnounceTimelineAt(uint32_t tick, bool force)
{
    const SongTimeMap& map = maps_[static_cast<size_t>(song_)];
    const SongDefinition& def = map.Song();
    if (!grid_.empty()) {
        const size_t g = SongTimeMap::IndexAtOrBefore(grid_, tick);
        if (force || grid_[g].tick == tick)
            Notify(EngineEventKind::BarBeat, 0, SongTimeMap::BarBeatText(grid_[g]));
    }
    auto pointHere = [&](const auto& points) {
        return std::any_of(points.begin(), points.end(), [&](const auto& p) { return p.tick == tick; });
    };
    if (force || pointHere(def.keys))
        Notify(EngineEventKind::Key, 0, SongTimeMap::KeyText(map.KeyAt(tick)));
    if (force || pointHere(def.tempos))
        Notify(EngineEventKind::Tempo, 0, SongTimeMap::TempoText(map.TempoAt(tick).bpm));
    if (force || pointHere(def.meters))
        Notify(EngineEventKind::Meter, 0, SongTimeMap::MeterText(map.MeterAt(tick)));
    const PageDefinition* page = nullptr;
    for (const auto& p : show_->pages) {
        if (p.song != def.number)
            continue;
        if (force ? (p.tick <= tick && (!page || p.tick >= page->tick)) : p.tick == tick)
            page = &p;
    }
    if (page)
        Notify(EngineEventKind::PageNum, static_cast<int>(page->page));
}

void PlaybackCore::RestoreGain()
{
    if (fadeGain_ != 1.0) {
        fadeGain_ = 1.0;
        NotifyVolume();
    }
}

void PlaybackCore::StopTransport(bool announce)
{
    playing_ = false;
    paused_ = false;
    faded_ = false;
    fade_.reset();
    ++fadeGeneration_;
    RestoreGain();
    if (announce)
        Notify(EngineEventKind::PlaybackStopped);
}

void PlaybackCore::EnterSong(int index, std::optional<uint32_t> tick, bool keepPlaying)
{
    if (!keepPlaying)
        StopTransport(!IsStopped());
    if (song_ >= 0)
        ResetFlowState(true);
    song_ = index;
    RebuildSongCaches();
    ResetFlowState(false);
    const SongDefinition& def = show_->songs[static_cast<size_t>(index)];
    pos_ = tick ? std::min<uint32_t>(*tick, def.EndOfMaterial()) : CurrentStartTick();
    ++positionGeneration_;
    Notify(EngineEventKind::SongTitle, 0, def.title);
    Notify(EngineEventKind::SongLoaded, 0, def.number);
    AnnounceTimelineAt(Tick(), true);
    ActivateRangesAt(Tick());
    NotifyPlayhead();
    if (keepPlaying && playing_) {
        ResetCueCursor(pos_, true);
        DispatchCues();
    } else {
        EnqueueCuesAt(Tick());
    }
}

int PlaybackCore::NextPlayableSong(int from, int step) const
{
    for (int i = from + step; i >= 0 && i < static_cast<int>(show_->songs.size()); i += step) {
        const SongFlow* flow = flow_.Find(show_->songs[static_cast<size_t>(i)].number);
        if (!flow || flow->attacca != 2)
            return i;
    }
    return -1;
}

void PlaybackCore::Play()
{
    if (playing_)
        return;
    faded_ = false;
    paused_ = false;
    if (!fade_)
        RestoreGain();
    playing_ = true;
    Notify(EngineEventKind::PlaybackStarted);
    NotifyPlayhead();
    ResetCueCursor(pos_, false);
    DispatchCues();
}

void PlaybackCore::Stop()
{
    StopTransport(true);
    ResetFlowState(true);
    pos_ = CurrentStartTick();
    ++positionGeneration_;
    NotifyPlayhead();
    AnnounceTimelineAt(Tick(), true);
    ActivateRangesAt(Tick());
    EnqueueCuesAt(Tick());
}

void PlaybackCore::Pause()
{
    if (paused_ || !(playing_ || faded_))
        return;
    if (faded_) {
        faded_ = false;
        fade_.reset();
        ++fadeGeneration_;
        RestoreGain();
    }
    playing_ = false;
    paused_ = true;
    Notify(EngineEventKind::PlaybackPaused);
}

bool PlaybackCore::ReleaseHold()
{
    if (!holding_)
        return false;
    holding_ = false;
    AnnounceFlowState();
    if (!playing_)
        Play();
    ArriveAt(holdTick_, 1);
    return true;
}

bool PlaybackCore::LeaveSkip()
{
    const auto& events = Events();
    for (size_t i = events.size(); i-- > 0;) {
        if (active_[i] && events[i].code == flow_code::kSkip) {
            const uint32_t end = events[i].end;
            Deactivate(i);
            jumpsWithoutTime_ = 0;
            JumpTo(end);
            return true;
        }
    }
    return false;
}

void PlaybackCore::Continue()
{
    if (ReleaseHold())
        return;
    if (!playing_)
        Play();
    LeaveSkip();
}

void PlaybackCore::FlowControlExit()
{
    if (ReleaseHold() || LeaveSkip())
        return;
    const auto& events = Events();
    for (size_t i = 0; i < events.size(); ++i) {
        if (active_[i] && events[i].IsLoop())
            exitRequested_ = true;
    }
}

void PlaybackCore::NextSong()
{
    const int next = NextPlayableSong(song_, 1);
    if (next < 0) {
        Stop();
        return;
    }
    EnterSong(next, std::nullopt, false);
}

void PlaybackCore::PrevSong()
{
    if (Tick() > CurrentStartTick()) {
        EnterSong(song_, std::nullopt, false);
        return;
    }
    const int prev = NextPlayableSong(song_, -1);
    EnterSong(prev < 0 ? song_ : prev, std::nullopt, false);
}

void PlaybackCore::LoadSong(const std::string& song)
{
    const int i = show_->IndexOfSong(song);
    if (i < 0)
        throw std::invalid_argument("The show has no song \"" + song + "\".");
    EnterSong(i, std::nullopt, false);
}

void PlaybackCore::LoadSongAtTime(const std::string& song, uint32_t tick)
{
    const int i = show_->IndexOfSong(song);
    if (i < 0)
        throw std::invalid_argument("The show has no song \"" + song + "\".");
    EnterSong(i, tick, false);
}

void PlaybackCore::Seek(uint32_t tick)
{
    const SongDefinition& def = show_->songs[static_cast<size_t>(song_)];
    tick = std::min(tick, def.EndOfMaterial());
    ResetFlowState(true);
    pos_ = tick;
    ++positionGeneration_;
    NotifyPlayhead();
    AnnounceTimelineAt(tick, true);
    ActivateRangesAt(tick);
    if (playing_) {
        ResetCueCursor(tick, true);
        DispatchCues();
    } else {
        EnqueueCuesAt(tick);
    }
}

bool PlaybackCore::SeekToBar(const std::string& barText)
{
    const auto first = barText.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return false;
    const auto last = barText.find_last_not_of(" \t\r\n");
    const std::string wanted = barText.substr(first, last - first + 1);
    for (const auto& bar : maps_[static_cast<size_t>(song_)].Bars()) {
        if (bar.number == wanted) {
            Seek(bar.tick);
            return true;
        }
    }
    return false;
}

void PlaybackCore::SeekToNextMeasure()
{
    const auto& map = maps_[static_cast<size_t>(song_)];
    for (const auto& bar : map.Bars()) {
        if (bar.tick > pos_ && bar.tick < map.Song().EndOfMaterial()) {
            Seek(bar.tick);
            return;
        }
    }
}

void PlaybackCore::SeekToPreviousMeasure()
{
    const auto& bars = maps_[static_cast<size_t>(song_)].Bars();
    for (auto it = bars.rbegin(); it != bars.rend(); ++it) {
        if (it->tick < pos_) {
            Seek(it->tick);
            return;
        }
    }
}

std::vector<uint32_t> PlaybackCore::MarkerTicks() const
{
    std::vector<uint32_t> ticks;
    for (const auto& e : Events()) {
        if (e.code == flow_code::kMarker)
            ticks.push_back(e.start);
    }
    std::sort(ticks.begin(), ticks.end());
    return ticks;
}

void PlaybackCore::SeekRight()
{
    for (uint32_t t : MarkerTicks()) {
        if (t > pos_) {
            Seek(t);
            return;
        }
    }
}

void PlaybackCore::SeekLeft()
{
    const auto ticks = MarkerTicks();
    const double here = std::floor(pos_);
    for (auto it = ticks.rbegin(); it != ticks.rend(); ++it) {
        if (*it < here) {
            Seek(*it);
            return;
        }
    }
}

bool PlaybackCore::JumpTo(uint32_t tick)
{
    // A flow that jumps without ever letting time pass (a cut into a loop's end, say)
    // would spin forever; past a limit the jump is not taken and playback moves on.
    if (++jumpsWithoutTime_ > kMaxJumpsWithoutTime)
        return false;
    pos_ = tick;
    ++positionGeneration_;
    NotifyPlayhead();
    ResetCueCursor(tick, true);
    ArriveAt(tick, 0);
    return true;
}

bool PlaybackCore::LoopWouldRepeat(size_t i) const
{
    const FlowEvent& e = Events()[i];
    if (active_[i])
        return !exitRequested_ && (e.intValue <= 0 || passes_[i] < e.intValue);
    return e.intValue <= 0 || e.intValue > 1;
}

void PlaybackCore::ArriveAt(uint32_t tick, int phase)
{
    const auto& events = Events();
    if (phase <= 0) {
        AnnounceTimelineAt(tick, false);
        for (const auto& e : events) {
            if (e.code == flow_code::kMarker && e.start == tick)
                Notify(EngineEventKind::Marker, static_cast<int>(tick));
        }
        for (const auto& e : events) {
            if (e.code == flow_code::kCaesura && e.start == tick) {
                holding_ = true;
                holdTick_ = tick;
                Notify(EngineEventKind::StatusFlowControl, 0, "Caesura");
                return;
            }
        }
    }
    if (phase <= 1) {
        for (size_t i = events.size(); i-- > 0;) {
            const FlowEvent& e = events[i];
            if (!active_[i] || e.end != tick)
                continue;
            if (e.IsLoop() && LoopWouldRepeat(i)) {
                ++passes_[i];
                Notify(EngineEventKind::StatusFlowControl, passes_[i], FlowLabel(e.code));
                if (JumpTo(e.start))
                    return;
            }
            if (e.IsLoop())
                exitRequested_ = false;
            Deactivate(i);
        }
    }
    if (HandleSongEnd(tick))
        return;
    for (size_t i = 0; i < events.size(); ++i) {
        const FlowEvent& e = events[i];
        if (e.start != tick || !e.IsRangeKind() || active_[i])
            continue;
        if (e.code == flow_code::kCut) {
            if (JumpTo(e.end))
                return;
            continue;
        }
        Activate(i, 1);
    }
}

bool PlaybackCore::HandleSongEnd(uint32_t tick)
{
    if (!playing_)
        return false;
    const SongDefinition& def = show_->songs[static_cast<size_t>(song_)];
    const SongFlow* flow = flow_.Find(def.number);
    const int next = NextPlayableSong(song_, 1);
    if (tick == def.lengthTicks && flow && flow->attacca == 1 && next >= 0) {
        EnterSong(next, std::nullopt, true);
        return true;
    }
    if (tick >= def.EndOfMaterial()) {
        if (next >= 0) {
            EnterSong(next, std::nullopt, false);
        } else {
            Stop();
        }
        return true;
    }
    return false;
}

void PlaybackCore::AdvancePosition(double seconds)
{
    double remaining = seconds;
    for (int guard = 0; remaining > 1e-12 && playing_ && !holding_ && guard < 100000; ++guard) {
        const double rate = maps_[static_cast<size_t>(song_)].TicksPerSecondAt(pos_) * scale_;
        auto it = std::upper_bound(boundaries_.begin(), boundaries_.end(), pos_,
                                   [](double p, uint32_t b) { return p < b; });
        if (it == boundaries_.end()) {
            pos_ += remaining * rate;
            return;
        }
        const double need = (*it - pos_) / rate;
        if (need > remaining) {
            pos_ += remaining * rate;
            return;
        }
        remaining -= need;
        if (need > 0)
            jumpsWithoutTime_ = 0;
        pos_ = *it;
        ArriveAt(*it, 0);
    }
}

void PlaybackCore::Advance(double seconds)
{
    if (!(seconds > 0.0))
        return;
    if (fade_) {
        FadeState& f = *fade_;
        f.elapsed += seconds;
        const double fraction = std::min(1.0, f.elapsed / f.duration);
        fadeGain_ = f.from + (f.to - f.from) * fraction;
        sinceVolumeNotice_ += seconds;
        if (fraction >= 1.0) {
            FadeState done = std::move(f);
            fade_.reset();
            if (done.haltAtEnd) {
                playing_ = false;
                faded_ = true;
            }
            NotifyVolume();
            out_.completions.push_back({std::move(done.completion), fadeGeneration_});
        } else if (sinceVolumeNotice_ >= kVolumeInterval - 1e-9) {
            NotifyVolume();
        }
    }
    if (!playing_)
        return;
    jumpsWithoutTime_ = 0;
    if (!holding_)
        AdvancePosition(seconds);
    if (!playing_)
        return;
    sincePlayheadNotice_ += seconds;
    if (sincePlayheadNotice_ >= kPlayheadInterval - 1e-9)
        NotifyPlayhead();
    DispatchCues();
}

void PlaybackCore::ResetCueCursor(double tick, bool inclusive)
{
    const auto& events = Events();
    lastCueTick_ = -1.0;
    cueCursor_ = 0;
    while (cueCursor_ < events.size()
           && (inclusive ? events[cueCursor_].start < tick : events[cueCursor_].start <= tick))
        ++cueCursor_;
}

void PlaybackCore::DispatchCues()
{
    if (!oscOn_ || !playing_ || holding_ || song_ < 0)
        return;
    const auto& events = Events();
    const SongDefinition& def = show_->songs[static_cast<size_t>(song_)];
    // Cues past the next jump, hold or song end are not about to be reached.
    double blocker = def.EndOfMaterial();
    const SongFlow* flow = flow_.Find(def.number);
    if (flow && flow->attacca == 1 && NextPlayableSong(song_, 1) >= 0)
        blocker = std::min<double>(blocker, def.lengthTicks);
    for (size_t i = 0; i < events.size(); ++i) {
        const FlowEvent& e = events[i];
        if ((e.code == flow_code::kCut || e.code == flow_code::kCaesura) && e.start > pos_)
            blocker = std::min<double>(blocker, e.start);
        if (e.IsLoop() && e.end > pos_ && (active_[i] || e.start > pos_) && LoopWouldRepeat(i))
            blocker = std::min<double>(blocker, e.end);
    }
    const auto scales = CurrentScales();
    const SongTimeMap& map = maps_[static_cast<size_t>(song_)];
    for (; cueCursor_ < events.size(); ++cueCursor_) {
        const FlowEvent& e = events[cueCursor_];
        if (e.code != flow_code::kOsc)
            continue;
        if (e.start > blocker)
            break;
        const double seconds = e.start <= pos_ ? 0.0 : map.SecondsBetween(pos_, e.start, scales);
        if (seconds > kCueLookahead)
            break;
        out_.cues.push_back({e, static_cast<uint32_t>(std::lround(seconds * 1000.0)), seconds, true});
        lastCueTick_ = e.start;
    }
}

void PlaybackCore::EnqueueCuesAt(uint32_t tick)
{
    if (!oscOn_)
        return;
    for (const auto& e : Events()) {
        if (e.code == flow_code::kOsc && e.start == tick)
            out_.cues.push_back({e, 0, 0.0, false});
    }
}

void PlaybackCore::SetOscProcessing(bool on)
{
    const bool was = oscOn_;
    oscOn_ = on;
    if (on && !was) {
        if (playing_) {
            ResetCueCursor(pos_, false);
            DispatchCues();
        } else if (pos_ == std::floor(pos_)) {
            EnqueueCuesAt(Tick());
        }
    }
}

void PlaybackCore::Fade(std::function<void()> completion, double seconds)
{
    ++fadeGeneration_;
    fade_.reset();
    Notify(EngineEventKind::PlaybackFading);
    if (!playing_ || !std::isfinite(seconds) || seconds <= 0.0) {
        fadeGain_ = 0.0;
        playing_ = false;
        faded_ = true;
        NotifyVolume();
        out_.completions.push_back({std::move(completion), fadeGeneration_});
        return;
    }
    fade_ = FadeState{fadeGain_, 0.0, seconds, 0.0, true, std::move(completion)};
    sinceVolumeNotice_ = 0.0;
}

void PlaybackCore::FadeTo(std::function<void()> completion, double seconds, double target)
{
    if (!std::isfinite(target))
        throw std::invalid_argument("The fade target level is not a number.");
    target = std::clamp(target, 0.0, 1.0);
    ++fadeGeneration_;
    fade_.reset();
    if (!std::isfinite(seconds) || seconds <= 0.0) {
        fadeGain_ = target;
        NotifyVolume();
        out_.completions.push_back({std::move(completion), fadeGeneration_});
        return;
    }
    fade_ = FadeState{fadeGain_, target, seconds, 0.0, false, std::move(completion)};
    sinceVolumeNotice_ = 0.0;
}

void PlaybackCore::CancelFade()
{
    ++fadeGeneration_;
    fade_.reset();
    faded_ = false;
}

void PlaybackCore::SetVolume(double gain)
{
    if (!std::isfinite(gain))
        throw std::invalid_argument("The volume is not a number.");
    volume_ = std::clamp(gain, 0.0, 4.0);
    NotifyVolume();
}

double PlaybackCore::SecondsToNextBoundary() const
{
    double seconds = std::numeric_limits<double>::infinity();
    if (!playing_)
        return seconds;
    if (fade_ && fade_->haltAtEnd)
        seconds = std::max(0.0, fade_->duration - fade_->elapsed);
    if (holding_ || song_ < 0)
        return seconds;
    auto it = std::upper_bound(boundaries_.begin(), boundaries_.end(), pos_,
                               [](double p, uint32_t b) { return p < b; });
    if (it != boundaries_.end()) {
        // The same rate AdvancePosition uses, so advancing by this lands on the tick.
        const double rate = maps_[static_cast<size_t>(song_)].TicksPerSecondAt(pos_) * scale_;
        seconds = std::min(seconds, (*it - pos_) / rate);
    }
    return seconds;
}

double PlaybackCore::TicksPerSecond() const
{
    return song_ < 0 ? 0.0 : maps_[static_cast<size_t>(song_)].TicksPerSecondAt(pos_) * scale_;
}

int PlaybackCore::CurrentTransposition() const
{
    const auto& events = Events();
    int value = 0;
    for (size_t i = 0; i < events.size() && i < active_.size(); ++i) {
        if (active_[i] && events[i].code == flow_code::kTransposition)
            value = events[i].intValue;
    }
    return value;
}

int PlaybackCore::UpcomingSoundChanges(double untilTick, SoundChange* out, int max) const
{
    if (song_ < 0 || holding_ || max <= 0)
        return 0;
    const auto& events = Events();
    const SongDefinition& def = show_->songs[static_cast<size_t>(song_)];
    const SongFlow* flow = flow_.Find(def.number);
    const bool attaccaAtEnd = flow && flow->attacca == 1 && NextPlayableSong(song_, 1) >= 0;
    double scale = scale_;
    int semitones = CurrentTransposition();
    int count = 0;
    for (auto it = std::upper_bound(boundaries_.begin(), boundaries_.end(), pos_,
                                    [](double p, uint32_t b) { return p < b; });
         it != boundaries_.end() && *it <= untilTick && count < max; ++it) {
        const uint32_t tick = *it;
        bool moves = (tick == def.lengthTicks && attaccaAtEnd) || tick >= def.EndOfMaterial();
        for (size_t i = 0; i < events.size() && !moves; ++i) {
            const FlowEvent& e = events[i];
            if ((e.code == flow_code::kCaesura || e.code == flow_code::kCut) && e.start == tick)
                moves = true;
            else if (e.IsLoop() && e.end == tick && (active_[i] || (e.start > pos_ && e.start < tick)))
                moves = LoopWouldRepeat(i);
        }
        if (moves)
            break;
        // As ArriveAt leaves it: ranges ending here are over, those starting here have begun,
        // and the latest start of each kind is in force.
        double s = 1.0;
        int t = 0;
        for (size_t i = 0; i < events.size(); ++i) {
            const FlowEvent& e = events[i];
            if (e.code != flow_code::kTempoScale && e.code != flow_code::kTransposition)
                continue;
            if (e.end <= tick || !(active_[i] || (e.start > pos_ && e.start <= tick)))
                continue;
            if (e.code == flow_code::kTempoScale)
                s = e.floatValue;
            else
                t = e.intValue;
        }
        if (!(s > 0.0))
            s = 1.0;
        if (s != scale || t != semitones) {
            out[count++] = {tick, s, t};
            scale = s;
            semitones = t;
        }
    }
    return count;
}

} // namespace zarn::player
