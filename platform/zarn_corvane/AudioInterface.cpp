#include "AudioInterface.h"

#include "CueScheduler.h"
#include "DeviceControlWin32.h"
#include "EngineOutputQueue.h"
#include "FlowSnapshot.h"
#include "FrameRing.h"
#include "MidiCommandCenter.h"
#include "NullOutput.h"
#include "OutputPathDevices.h"
#include "PulseDevices.h"
#include "PulseOutput.h"
#include "RtMidiInputBackend.h"
#include "ShowRender.h"
#include "SteadyClock.h"
#include "zarn_core/ChangeLogFile.h"
#include "zarn_core/ChangeLogName.h"
#include "zarn_core/CopyZarnEvent.h"
#include "zarn_core/Directories.h"
#include "zarn_core/EngineEventHub.h"
#include "zarn_core/MakeDirectoryIfNeeded.h"
#include "zarn_core/ShowCredential.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <stdexcept>

namespace fs = std::filesystem;
using zarn::player::EngineEventKind;
using zarn::player::FlowEvent;
using zarn::player::PlaybackCore;

namespace {

std::atomic<int> g_liveEngineThreads{0};

notify::EngineEvent ToHubKind(EngineEventKind kind)
{
    switch (kind) {
    case EngineEventKind::PlaybackStarted: return notify::EngineEvent::PlaybackStarted;
    case EngineEventKind::PlaybackStopped: return notify::EngineEvent::PlaybackStopped;
    case EngineEventKind::PlaybackPaused: return notify::EngineEvent::PlaybackPaused;
    case EngineEventKind::PlaybackFading: return notify::EngineEvent::PlaybackFading;
    case EngineEventKind::StatusFlowControl: return notify::EngineEvent::StatusFlowControl;
    case EngineEventKind::Key: return notify::EngineEvent::Key;
    case EngineEventKind::Tempo: return notify::EngineEvent::Tempo;
    case EngineEventKind::Meter: return notify::EngineEvent::Meter;
    case EngineEventKind::Transposition: return notify::EngineEvent::Transposition;
    case EngineEventKind::TempoScale: return notify::EngineEvent::TempoScale;
    case EngineEventKind::BarBeat: return notify::EngineEvent::BarBeat;
    case EngineEventKind::Marker: return notify::EngineEvent::Marker;
    case EngineEventKind::PageNum: return notify::EngineEvent::PageNum;
    case EngineEventKind::Playhead: return notify::EngineEvent::Playhead;
    case EngineEventKind::SongTitle: return notify::EngineEvent::SongTitle;
    case EngineEventKind::SongLoaded: return notify::EngineEvent::SongLoaded;
    case EngineEventKind::LearnedMidiCommand: return notify::EngineEvent::LearnedMIDICommand;
    case EngineEventKind::MidiCommandCanceled: return notify::EngineEvent::MIDICommandCanceled;
    case EngineEventKind::MidiNotification: return notify::EngineEvent::MidiNotification;
    case EngineEventKind::VampOn: return notify::EngineEvent::VampOn;
    case EngineEventKind::VampOff: return notify::EngineEvent::VampOff;
    case EngineEventKind::StatusVolume: return notify::EngineEvent::StatusVolume;
    }
    return notify::EngineEvent::Playhead;
}

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string StripLeadingZeros(const std::string& text)
{
    const auto first = text.find_first_not_of('0');
    return first == std::string::npos ? (text.empty() ? text : "0") : text.substr(first);
}

FlowEvent ToFlowEvent(const cmn::ZarnEvent& e)
{
    FlowEvent f;
    f.code = e.code();
    f.id = e.EventId();
    f.start = e.start();
    f.end = e.end();
    f.intValue = e.int_value();
    f.floatValue = e.double_value();
    f.text = e.value();
    f.oscMessage = e.osc_properties().Message();
    f.oscNetworkId = e.osc_properties().NetworkId();
    return f;
}

class ThreadCount
{
public:
    ThreadCount() { ++g_liveEngineThreads; }
    ~ThreadCount() { --g_liveEngineThreads; }
};

} // namespace

template <class F> auto AudioInterface::Locked(F&& f)
{
    std::lock_guard lock(mutex_);
    const uint64_t generation = core_->PositionGeneration();
    const auto after = [&] {
        // A command that moved the position (a seek, a stop, another song) leaves no cue
        // timed for the old place.
        if (cueScheduler_ && core_->PositionGeneration() != generation)
            cueScheduler_->CancelAll();
        PrepareSoundLocked();
        QueueOutputLocked();
    };
    if constexpr (std::is_void_v<decltype(f())>) {
        f();
        after();
    } else {
        auto result = f();
        after();
        return result;
    }
}

AudioInterface::AudioInterface(const std::string& showFolder, const std::string& dataFolder,
                               std::shared_ptr<zarn::PlayerOscCallback> oscCallback, Options options)
    : showFolder_(showFolder)
    , dataFolder_(dataFolder)
    , clock_(options.clock ? options.clock : std::make_shared<zarn::player::SteadyClock>())
    , osc_(std::move(oscCallback))
    , pendingMidiInput_(std::move(options.midiInput))
    , sound_(options.sound)
    , clockDriven_(options.clock != nullptr)
    , renderTap_(std::move(options.renderTap))
    , lossTap_(std::move(options.lossTap))
    , cueTap_(std::move(options.cueTap))
{
    show_ = std::make_shared<const zarn::player::ShowDefinition>(
        zarn::player::ShowDefinition::LoadFromFile((fs::path(showFolder_) / kShowFileName).string()));
    directories.SetShowDirectory(showFolder_);
    pathDevices_ = zarn::player::OutputPathDevices::Read(showFolder_, &pathDevicesProblem_);
    LoadNewestChangeLog();
    core_ = std::make_unique<PlaybackCore>(show_);
    SnapshotFlowLocked();
    zarn::audio::ShowRenderSettings settings;
    settings.sampleRate = kSampleRate;
    settings.maxBlockFrames = zarn::audio::AudioOutput::kMaxBlockFrames;
    // Stepped by hand, what is rendered must not depend on how fast the disk is.
    settings.waitForDisk = clockDriven_;
    render_ = std::make_unique<zarn::audio::ShowRender>(*core_, showFolder_, settings);
    if (!clockDriven_) {
        // The manual clock's steps hand cues to the callback with their delays instead, so
        // that what a test sees does not depend on real time.
        cueSlots_ = std::make_unique<CueSlot[]>(kCueSlots);
        for (int i = 0; i < kCueSlots; ++i) {
            // Room enough that filling a slot on the render thread does not allocate.
            cueSlots_[i].id.reserve(64);
            cueSlots_[i].message.reserve(256);
            cueSlots_[i].networkId.reserve(64);
        }
        cueScheduler_ = std::make_unique<zarn::audio::CueScheduler>();
        cueScheduler_->SetSendCallback(
            [this](const zarn::audio::CueScheduler::Cue& cue) { SendCue(cue.payload, cue.id); });
        cueScheduler_->SetThreadCallbacks(nullptr, [this] {
            if (osc_)
                osc_->CueThreadFinished();
        });
        render_->SetPieceHook(&AudioInterface::OnRenderPiece, this);
        cueScheduler_->Start();
    }
    stepBuffer_.assign(static_cast<size_t>(zarn::audio::AudioOutput::kMaxBlockFrames) * 2, 0.0f);
    {
        std::lock_guard lock(mutex_);
        PrepareSoundLocked();
        QueueOutputLocked();
    }
    try {
        StartThreads(std::move(options.startupHook));
        OpenOutputs(true);
    } catch (...) {
        CloseOutput();
        StopThreads();
        throw;
    }
}

AudioInterface::~AudioInterface()
{
    try {
        Shutdown();
    } catch (...) {
    }
    StopThreads();
}

int AudioInterface::LiveEngineThreads()
{
    return g_liveEngineThreads.load();
}

void AudioInterface::StartThreads(std::function<void()> startupHook)
{
    deliveryThread_ = std::thread([this] {
        ThreadCount count;
        DeliveryLoop();
    });
    clockThread_ = std::thread([this, hook = std::move(startupHook)] {
        ThreadCount count;
        try {
            zarn::MakeDirectoryIfNeeded(dataFolder_);
            auto input = std::move(pendingMidiInput_);
            if (!input)
                input = std::make_unique<zarn::midi::RtMidiInputBackend>();
            zarn::midi::MidiCommandCenter::Handlers handlers;
            handlers.anyInput = [this] { QueueNotice(EngineEventKind::MidiNotification, 0); };
            handlers.learned = [this](uint8_t, int packed) { QueueNotice(EngineEventKind::LearnedMidiCommand, packed); };
            handlers.canceled = [this](uint8_t id) { QueueNotice(EngineEventKind::MidiCommandCanceled, id); };
            handlers.command = [this](uint8_t id) { RunMidiCommand(id); };
            auto midi = std::make_unique<zarn::midi::MidiCommandCenter>(
                std::move(input), (fs::path(dataFolder_) / kMidiSettingsFileName).string(), std::move(handlers));
            {
                std::lock_guard lock(mutex_);
                midi_ = std::move(midi);
            }
            if (hook)
                hook();
        } catch (...) {
            // Start-up failed: the clock is never read, so nobody waits on it.
            std::lock_guard lock(startupMutex_);
            startupError_ = std::current_exception();
            started_ = true;
            startupDone_.notify_all();
            return;
        }
        // Attached before the constructor returns, so no step a caller takes is missed.
        const auto startTime = clock_->Attach();
        {
            std::lock_guard lock(startupMutex_);
            started_ = true;
        }
        startupDone_.notify_all();
        ClockLoop(startTime);
    });
    std::unique_lock lock(startupMutex_);
    startupDone_.wait(lock, [this] { return started_; });
}

void AudioInterface::ThrowIfThreadExceptions()
{
    std::exception_ptr error;
    {
        std::lock_guard lock(startupMutex_);
        error = startupError_;
    }
    if (error)
        std::rethrow_exception(error);
}

void AudioInterface::StopThreads()
{
    stopping_ = true;
    if (clock_)
        clock_->Wake();
    {
        std::lock_guard lock(queueMutex_);
        for (; popped_ < pushed_; ++popped_)
            QueuedAt(popped_) = Delivery{};
    }
    queueChanged_.notify_all();
    queueIdle_.notify_all();
    const auto self = std::this_thread::get_id();
    for (std::thread* t : {&clockThread_, &deliveryThread_}) {
        if (!t->joinable())
            continue;
        if (t->get_id() == self)
            t->detach(); // shut down from one of our own callbacks: it ends on its own
        else
            t->join();
    }
}

void AudioInterface::Shutdown()
{
    if (shutDown_.exchange(true))
        return;
    {
        std::lock_guard lock(mutex_);
        core_->InvalidateCompletions();
    }
    // MIDI first: its thread feeds the queue.
    std::unique_ptr<zarn::midi::MidiCommandCenter> midi;
    {
        std::lock_guard lock(mutex_);
        midi = std::move(midi_);
    }
    if (midi)
        midi->Shutdown();
    // The output first: its render thread feeds the queue and reads the core.
    CloseOutput();
    // Then the cue thread, which calls the OSC callback.
    if (cueScheduler_)
        cueScheduler_->Stop();
    StopThreads();
    midi.reset();
    std::lock_guard lock(mutex_);
    osc_.reset();
}

double AudioInterface::ClockSeconds() const
{
    return std::chrono::duration<double>(clock_->Now()).count();
}

void AudioInterface::ClockLoop(zarn::player::Clock::Duration last)
{
    // Without a clock of its own the output renders; this thread only keeps the next songs'
    // streams ready (a song that follows by itself needs the one after it).
    constexpr auto kPrepareInterval = std::chrono::milliseconds(50);
    auto lastPrepare = last;
    while (!stopping_) {
        const auto now = clock_->WaitForNextStep(last);
        if (stopping_)
            break;
        const double seconds = std::chrono::duration<double>(now - last).count();
        last = now;
        bool queued = false;
        if (clockDriven_) {
            std::lock_guard lock(mutex_);
            RenderStepLocked(seconds);
            PrepareSoundLocked();
            queued = QueueOutputLocked();
        } else if (outputLost_.exchange(false)) {
            PlayOnAfterLoss();
        } else if (pathOutputLost_.exchange(false)) {
            DropLostPathOutputs();
        } else if (deviceAdded_.exchange(false)) {
            ReopenReturnedDevices();
        } else if (defaultChanged_.exchange(false)) {
            FollowDefault();
        } else if (now - lastPrepare >= kPrepareInterval) {
            lastPrepare = now;
            std::lock_guard lock(mutex_);
            PrepareSoundLocked();
            QueueOutputLocked();
        }
        if (auto* midi = Midi())
            midi->ExpireLearning(std::chrono::duration<double>(now).count());
        // A step is done once what it produced has been handed out (a manual clock's
        // Advance returns then); steps that produced nothing need no hand-over.
        if (queued)
            WaitForDeliveries();
        clock_->StepDone(now);
    }
    clock_->Detach();
}

void AudioInterface::RenderStepLocked(double seconds)
{
    // Whole frames only, the rest carried to the next step, so the position is the frames
    // rendered however the steps fall.
    carryFrames_ += seconds * kSampleRate;
    int64_t frames = std::llround(carryFrames_);
    if (std::abs(carryFrames_ - double(frames)) > 1e-6)
        frames = static_cast<int64_t>(std::floor(carryFrames_));
    carryFrames_ -= double(frames);
    float* buffer = stepBuffer_.data();
    zarn::audio::RenderTargets targets;
    targets.click = buffer;
    targets.stems.fill(buffer);
    while (frames > 0) {
        const int n = static_cast<int>(std::min<int64_t>(frames, zarn::audio::AudioOutput::kMaxBlockFrames));
        std::fill(buffer, buffer + 2 * n, 0.0f);
        render_->Render(n, targets);
        framesRendered_.fetch_add(n, std::memory_order_relaxed);
        if (renderTap_)
            renderTap_(buffer, n);
        frames -= n;
    }
}

void AudioInterface::RenderDeviceBlock(float* out, int frames, double latencySeconds)
{
    const auto now = std::chrono::steady_clock::now();
    outputLatency_.store(latencySeconds, std::memory_order_relaxed);
    std::unique_lock lock(mutex_, std::try_to_lock);
    // The other threads hold the lock for microseconds at a time: a short, bounded retry
    // spares the block; a wait without a bound could outlast the device's buffer.
    const auto giveUp = now + kLockPatience;
    while (!lock.owns_lock() && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::yield();
        lock.try_lock();
    }
    if (!lock.owns_lock()) {
        // The block plays silent; the core is caught up by these frames at the next block,
        // so a jump among them is not lost and the position stays what the device played.
        owedFrames_.fetch_add(frames, std::memory_order_relaxed);
        silentBlocks_.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    if (stopping_)
        return;
    const int64_t owed = owedFrames_.exchange(0, std::memory_order_relaxed);
    blockLatency_ = latencySeconds;
    if (owed > 0) {
        // These frames were played (silent) before this block.
        blockStartFrame_ = framesRendered_.load(std::memory_order_relaxed);
        blockTime_ = now - std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                               std::chrono::duration<double>(double(owed) / kSampleRate));
        render_->Render(owed, zarn::audio::RenderTargets{});
        framesRendered_.fetch_add(owed, std::memory_order_relaxed);
    }
    blockStartFrame_ = framesRendered_.load(std::memory_order_relaxed);
    blockTime_ = now;
    zarn::audio::RenderTargets targets;
    targets.click = out;
    targets.stems.fill(out);
    Routing* routing = routing_.get();
    if (routing) {
        for (auto& staging : routing->staging)
            std::fill(staging.begin(), staging.begin() + 2 * frames, 0.0f);
        // The song current at the block's start decides; a block that runs into the next
        // song plays that song's first frames the same way.
        const int song = core_->CurrentSongIndex();
        if (song >= 0 && size_t(song) < routing->stemLanes.size()) {
            const auto& lanes = routing->stemLanes[size_t(song)];
            for (size_t i = 0; i < lanes.size() && i < targets.stems.size(); ++i) {
                if (lanes[i] > 0)
                    targets.stems[i] = routing->staging[size_t(lanes[i] - 1)].data();
            }
        }
    }
    render_->Render(frames, targets);
    framesRendered_.fetch_add(frames, std::memory_order_relaxed);
    if (routing) {
        for (size_t k = 0; k < routing->rings.size(); ++k)
            routing->rings[k]->Write(routing->staging[k].data(), frames);
    }
    QueueOutputLocked();
    lock.unlock();
    if (renderTap_)
        renderTap_(out, frames);
}

void AudioInterface::OnRenderPiece(void* self, int64_t frame)
{
    static_cast<AudioInterface*>(self)->ScheduleCuesLocked(frame);
}

void AudioInterface::ScheduleCuesLocked(int64_t frame)
{
    if (!cueScheduler_)
        return;
    const auto& cues = core_->PendingCues();
    for (; cuesTimed_ < cues.size(); ++cuesTimed_) {
        const PlaybackCore::CueDispatch& dispatch = cues[cuesTimed_];
        if (!dispatch.execute)
            continue;
        std::chrono::steady_clock::time_point due;
        if (frame >= 0) {
            // Inside a block: the core stands at `frame` of it, the cue that many seconds on.
            const int64_t cueFrame = blockStartFrame_ + frame + std::llround(dispatch.delaySeconds * kSampleRate);
            due = zarn::audio::CueDeadline(cueFrame, blockStartFrame_, blockTime_, blockLatency_, kSampleRate);
        } else {
            // A command's: the position is the next frame the output renders.
            due = std::chrono::steady_clock::now()
                + std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(
                    outputLatency_.load(std::memory_order_relaxed) + dispatch.delaySeconds));
        }
        const uint32_t generation = cueScheduler_->Generation();
        CueSlot* slot = nullptr;
        for (int i = 0; i < kCueSlots && !slot; ++i) {
            CueSlot& candidate = cueSlots_[(cueSequence_ + uint64_t(i)) % kCueSlots];
            int state = candidate.state.load(std::memory_order_acquire);
            // A scheduled cue of an older generation was cancelled: its slot is free again.
            if ((state == 0 || (state == 1 && candidate.generation != generation))
                && candidate.state.compare_exchange_strong(state, 3, std::memory_order_acquire))
                slot = &candidate;
        }
        if (!slot)
            continue; // more cues in flight than slots: this one is not sent
        const FlowEvent& e = dispatch.cue;
        slot->sequence = ++cueSequence_;
        slot->generation = generation;
        slot->start = e.start;
        slot->id.assign(e.id);
        slot->message.assign(e.oscMessage);
        slot->networkId.assign(e.oscNetworkId);
        slot->state.store(1, std::memory_order_release);
        zarn::audio::CueScheduler::Cue cue;
        cue.id = slot->sequence;
        cue.payload = static_cast<uint32_t>(slot - cueSlots_.get());
        cue.generation = generation;
        cue.deadline = due;
        if (!cueScheduler_->Schedule(cue))
            slot->state.store(0, std::memory_order_release);
    }
}

void AudioInterface::SendCue(uint32_t index, uint64_t sequence)
{
    CueSlot& slot = cueSlots_[index];
    int expected = 1;
    if (!slot.state.compare_exchange_strong(expected, 2, std::memory_order_acquire))
        return;
    if (slot.sequence != sequence) {
        slot.state.store(1, std::memory_order_release); // another cue's now
        return;
    }
    const CL::Osc cue(slot.start, slot.id, CL::OscProperties(slot.message, slot.networkId));
    slot.state.store(0, std::memory_order_release);
    const auto networks = std::atomic_load(&networks_);
    const CL::NetworkPath* destination = nullptr;
    for (const auto& n : *networks) {
        if (n.NetworkId() == cue.osc_properties().NetworkId()) {
            destination = &n;
            break;
        }
    }
    if (cueTap_)
        cueTap_(cue, std::chrono::steady_clock::now());
    if (osc_)
        osc_->SendCueNow(cue, destination);
}

void AudioInterface::PublishNetworksLocked()
{
    std::atomic_store(&networks_, std::shared_ptr<const std::vector<CL::NetworkPath>>(
                                      std::make_shared<std::vector<CL::NetworkPath>>(editor_->GetNetworks())));
}

void AudioInterface::PrepareSoundLocked()
{
    if (!sound_)
        return;
    render_->Prepare();
    for (auto& problem : render_->TakeProblems()) {
        if (std::find(soundProblems_.begin(), soundProblems_.end(), problem) == soundProblems_.end())
            soundProblems_.push_back(std::move(problem));
    }
}

std::string AudioInterface::DeviceOfPathLocked(const std::string& path) const
{
    // This machine's binding of the path, else the device chosen in the audio settings
    // (empty: the system's default).
    const auto device = pathDevices_.find(path);
    if (device != pathDevices_.end() && !device->second.empty())
        return device->second;
    return outputDeviceUid_;
}

std::string AudioInterface::OutputDeviceLocked() const
{
    // The click's path drives the show: the click is on it whatever the stems do.
    std::string path = show_->clickOutputPath;
    if (path.empty() && !show_->outputPaths.empty())
        path = show_->outputPaths.front().id;
    return DeviceOfPathLocked(path);
}

void AudioInterface::OpenOutputs(bool reopenDriving)
{
    if (clockDriven_ || shutDown_)
        return;
    std::string driving;
    std::vector<std::string> others; // in the order the show's stems first use them
    {
        std::lock_guard lock(mutex_);
        driving = OutputDeviceLocked();
        for (const auto& song : show_->songs) {
            for (const auto& stem : song.stems) {
                const std::string device = DeviceOfPathLocked(stem.outputPath);
                if (device != driving && std::find(others.begin(), others.end(), device) == others.end())
                    others.push_back(device);
            }
        }
    }
    bool same = false;
    {
        std::lock_guard lock(outputMutex_);
        same = output_ && soundActive_ && outputDevice_ == driving;
    }
    if (reopenDriving || !same)
        OpenOutput(driving);
    OpenPathOutputs(sound_ ? others : std::vector<std::string>{});
}

void AudioInterface::OpenPathOutputs(const std::vector<std::string>& devices)
{
    // A device's paths start once a little sound is waiting, so that its output does not
    // run dry at every block the driving device renders a moment later.
    constexpr int kRingFrames = 8 * zarn::audio::AudioOutput::kMaxBlockFrames;
    constexpr int kPrimeFrames = 3 * zarn::audio::AudioOutput::kMaxBlockFrames;
    std::vector<std::pair<std::string, std::string>> lost;
    {
        std::lock_guard lock(lostMutex_);
        lost = lostDevices_;
    }
    std::vector<std::string> opened;
    std::vector<std::shared_ptr<zarn::audio::FrameRing>> rings;
    {
        std::lock_guard lock(outputMutex_);
        for (auto& p : pathOutputs_)
            p.output->Stop();
        pathOutputs_.clear();
        pathOutputProblems_.clear();
        for (const std::string& device : devices) {
            const auto gone = std::find_if(lost.begin(), lost.end(), [&](const auto& l) { return l.first == device; });
            if (gone != lost.end()) {
                pathOutputProblems_.push_back(gone->second + ". Its output paths play on the show's device until it returns or another device is chosen.");
                continue;
            }
            PathOutput p;
            p.device = device;
            p.ring = std::make_shared<zarn::audio::FrameRing>(kRingFrames);
            auto output = std::make_unique<zarn::audio::PulseOutput>(device, kSampleRate);
            output->SetRenderCallback([ring = p.ring, primed = false](float* out, int frames) mutable {
                if (!primed && ring->Available() < kPrimeFrames) {
                    std::fill(out, out + 2 * frames, 0.0f);
                    return;
                }
                primed = ring->Read(out, frames) == frames;
            });
            output->SetLostCallback([this, device](const std::string& message) {
                {
                    std::lock_guard lock(lostMutex_);
                    lostDevices_.emplace_back(device, message);
                }
                std::cerr << message << ". Its output paths play on the show's device." << std::endl;
                pathOutputLost_ = true;
                clock_->Wake();
            });
            if (!output->Start()) {
                pathOutputProblems_.push_back(output->Problem() + " Its output paths play on the show's device.");
                continue;
            }
            if (!output->Notice().empty())
                pathOutputProblems_.push_back(output->Notice());
            p.output = std::move(output);
            opened.push_back(device);
            rings.push_back(p.ring);
            pathOutputs_.push_back(std::move(p));
        }
    }
    std::unique_ptr<Routing> routing;
    if (!rings.empty()) {
        routing = std::make_unique<Routing>();
        routing->rings = std::move(rings);
        routing->staging.assign(routing->rings.size(),
                                std::vector<float>(size_t(2 * zarn::audio::AudioOutput::kMaxBlockFrames), 0.0f));
    }
    std::lock_guard lock(mutex_);
    if (routing) {
        for (const auto& song : show_->songs) {
            std::vector<int> lanes;
            for (const auto& stem : song.stems) {
                const auto at = std::find(opened.begin(), opened.end(), DeviceOfPathLocked(stem.outputPath));
                lanes.push_back(at == opened.end() ? 0 : int(at - opened.begin()) + 1);
            }
            routing->stemLanes.push_back(std::move(lanes));
        }
    }
    // The old routing goes when this scope ends, after the lock (its rings may still be in
    // the hands of outputs that were just stopped: they share them).
    std::swap(routing_, routing);
}

void AudioInterface::DropLostPathOutputs()
{
    std::vector<std::string> devices;
    {
        std::lock_guard lock(outputMutex_);
        for (const auto& p : pathOutputs_)
            devices.push_back(p.device);
        WatchForReturnLocked();
    }
    OpenPathOutputs(devices);
}

void AudioInterface::WatchForReturnLocked()
{
    // PulseAudio says when a sink comes (back); the control thread then reopens what waits
    // for it. Made at the first loss (or when playing on the default device began): a show
    // that never loses a device never watches.
    if (devicesWatch_ || !sound_)
        return;
    if (lossTap_)
        lossTap_();
    if (!WatchDevicesLocked())
        return;
    // A device that came back between its loss and the subscription is listed, never
    // announced: one look at the list as it stands now. Only a new watch looks, as its list
    // was read after the loss; a running one already heard of every sink since it began.
    deviceAdded_ = true;
    clock_->Wake();
}

bool AudioInterface::WatchDevicesLocked()
{
    if (devicesWatch_ || !sound_)
        return false;
    devicesWatch_ = std::make_unique<zarn::audio::PulseDevices>(
        [this](zarn::audio::PulseDevices::Change change, const zarn::audio::AudioDevice&) {
            if (change == zarn::audio::PulseDevices::Change::Added)
                deviceAdded_ = true;
            else if (change == zarn::audio::PulseDevices::Change::DefaultChanged)
                defaultChanged_ = true;
            else
                return;
            clock_->Wake();
        });
    return true;
}

void AudioInterface::FollowDefault()
{
    // A show that plays on the system's default device goes where the default goes, as the
    // operator who chose "(default)" expects; a show bound to a device stays with it.
    {
        std::lock_guard lock(outputMutex_);
        if (!sound_ || !outputDevice_.empty() || (!output_ && !drivingLost_))
            return;
    }
    OpenOutputs(true);
}

void AudioInterface::ReopenReturnedDevices()
{
    std::vector<std::string> listed;
    bool drivingLost = false;
    std::string lostDriving;
    {
        std::lock_guard lock(outputMutex_);
        if (!devicesWatch_)
            return;
        for (const auto& d : devicesWatch_->Sinks())
            listed.push_back(d.uid);
        drivingLost = drivingLost_;
        lostDriving = outputDevice_;
    }
    const auto isListed = [&](const std::string& uid) {
        return uid.empty() || std::find(listed.begin(), listed.end(), uid) != listed.end();
    };
    bool pathsBack = false;
    {
        std::lock_guard lock(lostMutex_);
        const auto before = lostDevices_.size();
        lostDevices_.erase(std::remove_if(lostDevices_.begin(), lostDevices_.end(),
                                          [&](const auto& l) { return isListed(l.first); }),
                           lostDevices_.end());
        pathsBack = lostDevices_.size() != before;
    }
    const bool drivingBack = drivingLost && isListed(lostDriving);
    if (drivingBack || pathsBack)
        OpenOutputs(drivingBack);
}

void AudioInterface::OpenOutput(const std::string& device)
{
    std::lock_guard lock(outputMutex_);
    if (output_) {
        output_->Stop();
        output_.reset();
    }
    soundActive_ = false;
    drivingLost_ = false;
    outputProblem_.clear();
    outputDevice_ = device;
    std::unique_ptr<zarn::audio::AudioOutput> output;
    if (sound_) {
        output = std::make_unique<zarn::audio::PulseOutput>(device, kSampleRate);
        output->SetRenderCallback(
        [this, o = output.get()](float* out, int frames) { RenderDeviceBlock(out, frames, o->LatencySeconds()); });
        output->SetLostCallback([this, which = output.get()](const std::string& message) {
            {
                std::lock_guard lock(lostMutex_);
                lostMessage_ = message;
                lostOutput_ = which;
            }
            outputLost_ = true;
            clock_->Wake();
        });
        if (output->Start()) {
            soundActive_ = true;
            outputProblem_ = output->Notice();
            output_ = std::move(output);
            if (device.empty())
                WatchDevicesLocked();
            return;
        }
        outputProblem_ = output->Problem() + " Playing without sound.";
        output.reset();
    }
    output = std::make_unique<zarn::audio::NullOutput>(kSampleRate);
    output->SetRenderCallback(
        [this, o = output.get()](float* out, int frames) { RenderDeviceBlock(out, frames, o->LatencySeconds()); });
    if (!output->Start())
        throw std::runtime_error("The engine's clock cannot start: " + output->Problem());
    output_ = std::move(output);
}

void AudioInterface::PlayOnAfterLoss()
{
    // The core keeps its position: the null output renders on from where the device stopped,
    // until a device is chosen again.
    std::string message;
    const void* which = nullptr;
    {
        std::lock_guard lock(lostMutex_);
        message = lostMessage_;
        which = lostOutput_;
    }
    std::lock_guard lock(outputMutex_);
    if (output_.get() != which)
        return; // the device was switched meanwhile
    if (output_)
        output_->Stop();
    output_.reset();
    soundActive_ = false;
    outputProblem_ = message + kLostSuffix;
    drivingLost_ = true;
    std::cerr << outputProblem_ << std::endl;
    WatchForReturnLocked();
    auto output = std::make_unique<zarn::audio::NullOutput>(kSampleRate);
    output->SetRenderCallback(
        [this, o = output.get()](float* out, int frames) { RenderDeviceBlock(out, frames, o->LatencySeconds()); });
    if (output->Start())
        output_ = std::move(output);
    else
        outputProblem_ += "\nThe engine's clock cannot start: " + output->Problem();
}

void AudioInterface::CloseOutput()
{
    std::lock_guard lock(outputMutex_);
    if (output_)
        output_->Stop();
    output_.reset();
    for (auto& p : pathOutputs_)
        p.output->Stop();
    pathOutputs_.clear();
    soundActive_ = false;
    devicesWatch_.reset();
}

bool AudioInterface::QueueOutputLocked()
{
    ScheduleCuesLocked(-1);
    cuesTimed_ = 0;
    core_->SwapOutput(taken_);
    auto& out = taken_;
    if (cueScheduler_) {
        // Timed and sent by the cue thread; those held back for playback go on below.
        out.cues.erase(std::remove_if(out.cues.begin(), out.cues.end(),
                                      [](const PlaybackCore::CueDispatch& c) { return c.execute; }),
                       out.cues.end());
    }
    if (out.Empty())
        return false;
    {
        std::lock_guard lock(queueMutex_);
        if (stopping_)
            return false;
        for (auto& n : out.notices)
            PushNoticeQueued(std::move(n));
        for (auto& c : out.cues) {
            Delivery d;
            d.type = Delivery::Type::Cue;
            d.cue = std::move(c);
            PushQueued(std::move(d));
        }
        for (auto& c : out.completions) {
            Delivery d;
            d.type = Delivery::Type::Completion;
            d.completion = std::move(c);
            PushQueued(std::move(d));
        }
    }
    queueChanged_.notify_all();
    return true;
}

void AudioInterface::QueueNotice(EngineEventKind kind, int value)
{
    // Under the engine lock, so it keeps its place among the playback notices.
    std::lock_guard engineLock(mutex_);
    {
        std::lock_guard lock(queueMutex_);
        if (stopping_)
            return;
        PushNoticeQueued({kind, value, {}});
    }
    queueChanged_.notify_all();
}

AudioInterface::Delivery& AudioInterface::QueuedAt(uint64_t index)
{
    return queued_[size_t(index & (queued_.size() - 1))];
}

void AudioInterface::Append(Delivery&& d)
{
    if (pushed_ - popped_ == queued_.size()) {
        // Only a receiver stalled for a long time fills it: grow (the one allocation) rather
        // than lose what must arrive.
        std::vector<Delivery> larger(queued_.size() * 2);
        for (uint64_t i = popped_; i < pushed_; ++i)
            larger[size_t(i & (larger.size() - 1))] = std::move(QueuedAt(i));
        queued_.swap(larger);
    }
    QueuedAt(pushed_) = std::move(d);
    ++pushed_;
}

void AudioInterface::PushQueued(Delivery&& d)
{
    Append(std::move(d));
    segmentStart_ = pushed_;
}

void AudioInterface::PushNoticeQueued(zarn::player::EngineNotice&& notice)
{
    // A value that only matters as the latest (the playhead, bar and beat, volume, ...)
    // replaces one of its kind still waiting, as long as nothing that must arrive in order
    // was queued after that one: a stalled receiver then gets the latest value late, and
    // the queue holds at most one of each such kind between two ordered items.
    if (zarn::player::EngineOutputQueue::IsCoalesced(notice.kind)) {
        uint64_t& slot = latestOfKind_[static_cast<size_t>(notice.kind)];
        if (slot > 0 && slot - 1 >= segmentStart_ && slot - 1 >= popped_) {
            QueuedAt(slot - 1).notice = std::move(notice);
            return;
        }
        Delivery d;
        d.notice = std::move(notice);
        Append(std::move(d));
        slot = pushed_; // one past its index, so 0 is none
        return;
    }
    Delivery d;
    d.notice = std::move(notice);
    PushQueued(std::move(d));
}

void AudioInterface::WaitForDeliveries()
{
    std::unique_lock lock(queueMutex_);
    if (std::this_thread::get_id() == deliveryThread_.get_id())
        return;
    queueIdle_.wait(lock, [this] { return (pushed_ == popped_ && !delivering_) || stopping_; });
}

void AudioInterface::DeliveryLoop()
{
    while (true) {
        Delivery d;
        {
            std::unique_lock lock(queueMutex_);
            queueChanged_.wait(lock, [this] { return stopping_ || pushed_ != popped_; });
            if (stopping_)
                break;
            d = std::move(QueuedAt(popped_));
            ++popped_;
            delivering_ = true;
        }
        try {
            Deliver(d);
        } catch (...) {
            // A failing receiver must not take the engine down; the next delivery goes on.
        }
        {
            std::lock_guard lock(queueMutex_);
            delivering_ = false;
        }
        queueIdle_.notify_all();
    }
    {
        std::lock_guard lock(queueMutex_);
        delivering_ = false;
    }
    queueIdle_.notify_all();
}

void AudioInterface::Deliver(Delivery& d)
{
    switch (d.type) {
    case Delivery::Type::Notice:
        notify::EngineEventHub::Post(ToHubKind(d.notice.kind), d.notice.value, d.notice.text);
        break;
    case Delivery::Type::Cue: {
        std::shared_ptr<zarn::PlayerOscCallback> osc;
        {
            std::lock_guard lock(mutex_);
            osc = osc_;
        }
        if (!osc)
            return;
        const CL::Osc cue(d.cue.cue.start, d.cue.cue.id,
                          CL::OscProperties(d.cue.cue.oscMessage, d.cue.cue.oscNetworkId));
        if (d.cue.execute)
            osc->ExecuteEvent(cue, d.cue.delayMs);
        else
            osc->EnqueueEvent(cue, d.cue.delayMs);
        break;
    }
    case Delivery::Type::Completion: {
        bool current = false;
        {
            std::lock_guard lock(mutex_);
            current = !shutDown_ && core_->FadeGeneration() == d.completion.generation;
        }
        if (current && d.completion.function)
            d.completion.function();
        break;
    }
    }
}

// --- change log -------------------------------------------------------------------------

std::unique_ptr<CL::Editor> AudioInterface::MakeEditor(CL::ChangeLogData data, bool readOnly)
{
    CL::Editor::ShowInfo info;
    auto show = show_;
    info.barBeatAt = [show](const std::string& song, std::uint32_t tick) {
        const zarn::player::SongDefinition* def = show->FindSong(song);
        if (!def)
            return TL::BarsBeats(tick, 1, "1");
        const zarn::player::SongTimeMap map(*def);
        const auto grid = map.BuildGrid({});
        if (grid.empty())
            return TL::BarsBeats(tick, 1, "1");
        const auto& e = grid[zarn::player::SongTimeMap::IndexAtOrBefore(grid, tick)];
        return TL::BarsBeats(e.tick, e.beat, e.bar);
    };
    info.clickValues = [show](const std::string& song, std::uint32_t start, std::uint32_t end) {
        const zarn::player::SongDefinition* def = show->FindSong(song);
        return def ? zarn::player::SongTimeMap(*def).ClickValues(start, end) : CL::ChangeLogFile::DefaultClickValues();
    };
    info.songRange = [show](const std::string& song) -> std::optional<std::pair<std::uint32_t, std::uint32_t>> {
        const zarn::player::SongDefinition* def = show->FindSong(song);
        if (!def)
            return std::nullopt;
        return std::make_pair(std::uint32_t(0), def->EndOfMaterial());
    };
    return std::make_unique<CL::Editor>(std::move(data), readOnly, std::move(info));
}

void AudioInterface::ReplaceEditorLocked(CL::Editor&& replacement)
{
    const std::string selected = editor_->GetSelectedSong();
    *editor_ = std::move(replacement);
    if (!selected.empty())
        editor_->SelectSongLogForEditing(selected);
}

void AudioInterface::LoadNewestChangeLog()
{
    // The newest local log by version; equal versions go by the newest write.
    fs::path best;
    cmn::ZARNVersion bestVersion;
    fs::file_time_type bestTime{};
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(showFolder_, ec)) {
        if (!entry.is_regular_file(ec))
            continue;
        const auto version = CL::ChangeLogName::VersionOf(entry.path().filename().string());
        if (!version)
            continue;
        const auto time = entry.last_write_time(ec);
        if (best.empty() || bestVersion < *version || (!(*version < bestVersion) && time > bestTime)) {
            best = entry.path();
            bestVersion = *version;
            bestTime = time;
        }
    }
    if (best.empty()) {
        editor_ = MakeEditor(CL::ChangeLogData{}, false);
        return;
    }
    auto show = show_;
    auto result = CL::ChangeLogFile::Load(best, [show](const std::string& song, std::uint32_t s, std::uint32_t e) {
        const zarn::player::SongDefinition* def = show->FindSong(song);
        return def ? zarn::player::SongTimeMap(*def).ClickValues(s, e) : CL::ChangeLogFile::DefaultClickValues();
    });
    editor_ = MakeEditor(std::move(result.data), result.readOnly);
    repairs_ = std::move(result.repairs);
    changelogPath_ = fs::absolute(best).lexically_normal().string();
}

void AudioInterface::SnapshotFlowLocked()
{
    std::map<std::string, std::vector<FlowEvent>> events;
    std::map<std::string, uint8_t> attacca;
    for (const auto& song : show_->songs) {
        const CL::SongLog* log = editor_->GetSongLog(song.number);
        if (!log)
            continue;
        attacca[song.number] = log->GetAttacca();
        auto& list = events[song.number];
        for (const cmn::ZarnEvent* e : log->GetAllEvents())
            list.push_back(ToFlowEvent(*e));
    }
    core_->SetFlow(zarn::player::FlowSnapshot::Build(*show_, std::move(events), attacca));
    PublishNetworksLocked();
}

CL::Editor* AudioInterface::GetChangeLogEditor()
{
    std::lock_guard lock(mutex_);
    return editor_.get();
}

void AudioInterface::SetChangelogFilename(const std::string& fileName)
{
    fs::path path(fileName);
    if (path.is_relative()) {
        CL::ChangeLogName::RequirePlainName(path.string());
        path = fs::path(showFolder_) / path;
    }
    auto show = show_;
    auto result = CL::ChangeLogFile::Load(path, [show](const std::string& song, std::uint32_t s, std::uint32_t e) {
        const zarn::player::SongDefinition* def = show->FindSong(song);
        return def ? zarn::player::SongTimeMap(*def).ClickValues(s, e) : CL::ChangeLogFile::DefaultClickValues();
    });
    auto editor = MakeEditor(std::move(result.data), result.readOnly);
    Locked([&] {
        ReplaceEditorLocked(std::move(*editor));
        repairs_ = std::move(result.repairs);
        changelogPath_ = fs::absolute(path).lexically_normal().string();
        SnapshotFlowLocked();
    });
}

void AudioInterface::LoadNewChangeLog()
{
    Locked([&] { SnapshotFlowLocked(); });
}

std::string AudioInterface::SaveChangelog(int major, int minor)
{
    if (major < 0 || major > 255 || minor < 0 || minor > 255)
        throw std::out_of_range("Change-log version " + std::to_string(major) + "." + std::to_string(minor)
                                + " is outside 0.0 to 255.255; nothing was saved.");
    std::lock_guard lock(mutex_);
    std::string stem = show_->showId;
    if (!changelogPath_.empty()) {
        const std::string name = fs::path(changelogPath_).filename().string();
        const auto dash = name.rfind('-');
        if (dash != std::string::npos && dash > 0)
            stem = name.substr(0, dash);
    }
    const std::string fileName = CL::ChangeLogName::Compose(stem, static_cast<unsigned>(major), static_cast<unsigned>(minor));
    const fs::path path = fs::path(showFolder_) / fileName;
    CL::ChangeLogData data = editor_->Data();
    data.version = cmn::ZARNVersion(static_cast<uint16_t>(major), static_cast<uint16_t>(minor));
    data.modified = static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count());
    CL::ChangeLogFile::Save(data, path);
    // Only the label changed: the program's editor keeps its undo history, its selection
    // and its events, and playback has nothing new to take up.
    editor_->MarkSaved(data.version, data.modified);
    changelogPath_ = fs::absolute(path).lexically_normal().string();
    return changelogPath_;
}

std::string AudioInterface::GetChangelogFilename()
{
    std::lock_guard lock(mutex_);
    return changelogPath_;
}

std::string AudioInterface::GetLogVersion()
{
    std::lock_guard lock(mutex_);
    return editor_->GetVersion().GetAsString();
}

const CL::SongLog* AudioInterface::GetSongLog()
{
    std::lock_guard lock(mutex_);
    return editor_->GetSongLog(core_->CurrentSong());
}

TL::Timeline AudioInterface::GetTimeline()
{
    std::lock_guard lock(mutex_);
    const auto* def = FindSongLocked(core_->CurrentSong());
    TL::Timeline timeline;
    if (!def)
        return timeline;
    for (const auto& k : def->keys)
        timeline.MutableKeys().push_back(TL::KeySignature{k.tick, k.minor, k.sharpsFlats});
    for (const auto& t : def->tempos)
        timeline.MutableTempos().push_back(TL::TempoChange{t.tick, TL::Tempo(t.bpm)});
    for (const auto& m : def->meters)
        timeline.MutableMeters().push_back(TL::MeterChange{m.tick, m.numerator, m.denominator});
    return timeline;
}

std::vector<cmn::ZarnEvent*> AudioInterface::GetMarkers()
{
    std::lock_guard lock(mutex_);
    std::vector<cmn::ZarnEvent*> markers;
    const CL::SongLog* log = editor_->GetSongLog(core_->CurrentSong());
    if (!log)
        return markers;
    for (const auto& m : log->GetMarkers())
        markers.push_back(const_cast<CL::Marker*>(&m)); // the song log keeps them in ascending, stable order
    std::stable_sort(markers.begin(), markers.end(),
                     [](const cmn::ZarnEvent* a, const cmn::ZarnEvent* b) { return a->start() < b->start(); });
    return markers;
}

std::vector<std::unique_ptr<cmn::ZarnEvent>> AudioInterface::GetChangeLogPanelEvents()
{
    std::lock_guard lock(mutex_);
    std::vector<std::unique_ptr<cmn::ZarnEvent>> events;
    const CL::SongLog* log = editor_->GetSongLog(core_->CurrentSong());
    if (!log)
        return events;
    for (const cmn::ZarnEvent* e : log->GetAllEvents()) {
        if (e->code() != zarn::player::flow_code::kMarker)
            events.push_back(CL::CopyZarnEvent(*e));
    }
    return events;
}

std::string AudioInterface::GetModifiedClickEditLog()
{
    std::lock_guard lock(mutex_);
    return repairs_.modifiedClickEditLog;
}

std::string AudioInterface::GetTempoScaleWarnings()
{
    std::lock_guard lock(mutex_);
    return repairs_.tempoScaleWarnings;
}

unsigned AudioInterface::GetInvertedLoopEventCount()
{
    std::lock_guard lock(mutex_);
    return repairs_.fixedEventCount;
}

std::string AudioInterface::GetInvertedLoopEventDescription()
{
    std::lock_guard lock(mutex_);
    return repairs_.fixedEventDescription;
}

const std::vector<CL::NetworkPath>& AudioInterface::GetNetworks()
{
    std::lock_guard lock(mutex_);
    return editor_->GetNetworks();
}

CL::NetworkPath AudioInterface::GetNetwork(const std::string& networkId)
{
    std::lock_guard lock(mutex_);
    return editor_->GetNetwork(networkId);
}

void AudioInterface::UpdateNetworks(const std::vector<CL::NetworkPath>& networks)
{
    // The delivery thread resolves cue destinations under this lock, in the OSC callback.
    std::lock_guard lock(mutex_);
    editor_->UpdateNetworks(networks);
    PublishNetworksLocked();
}

const std::map<std::string, CL::OutputPath>& AudioInterface::GetOutputPathMap()
{
    std::lock_guard lock(mutex_);
    outputPathMap_.clear();
    const auto& removed = editor_->GetRemovedOutputPaths();
    for (const auto& p : show_->outputPaths) {
        // A show path the log deleted stays deleted.
        if (std::find(removed.begin(), removed.end(), p.id) == removed.end())
            outputPathMap_[p.id] = CL::OutputPath(p.id, p.name, "");
    }
    for (const auto& p : editor_->GetOutputPaths())
        outputPathMap_[p.GetId()] = p;
    // The device is this machine's choice, not the shared log's.
    for (auto& [id, path] : outputPathMap_) {
        const auto device = pathDevices_.find(id);
        if (device != pathDevices_.end() && device->second != path.GetDeviceId())
            path = CL::OutputPath(path.GetId(), path.GetName(), device->second);
    }
    return outputPathMap_;
}

void AudioInterface::onAddOutputhPath(const CL::OutputPath& path)
{
    {
        std::lock_guard lock(mutex_);
        editor_->AddOrReplaceOutputPath(path);
        editor_->SetOutputPathRemoved(path.GetId(), false);
        pathDevices_[path.GetId()] = path.GetDeviceId();
    }
    ForgetLostDevices();
    OpenOutputs(false);
}

void AudioInterface::onRemoveOutputhPath(const CL::OutputPath& path)
{
    {
        std::lock_guard lock(mutex_);
        editor_->RemoveOutputPath(path.GetId());
        // A path of the show's own is recorded as deleted, or the show would offer it again.
        const bool showPath = std::any_of(show_->outputPaths.begin(), show_->outputPaths.end(),
                                          [&path](const auto& p) { return p.id == path.GetId(); });
        if (showPath)
            editor_->SetOutputPathRemoved(path.GetId(), true);
        pathDevices_.erase(path.GetId());
    }
    OpenOutputs(false);
}

std::string AudioInterface::GetAccountData()
{
    const auto credential = cmn::ShowCredential::TryReadFromFolder(showFolder_);
    return credential ? credential->accountData : std::string();
}

// --- transport ----------------------------------------------------------------------------

bool AudioInterface::IsStopped()
{
    std::lock_guard lock(mutex_);
    return core_->IsStopped();
}

void AudioInterface::Play()
{
    Locked([&] { core_->Play(); });
}

void AudioInterface::Stop()
{
    Locked([&] { core_->Stop(); });
}

void AudioInterface::Pause(bool)
{
    Locked([&] { core_->Pause(); });
}

void AudioInterface::Continue()
{
    Locked([&] { core_->Continue(); });
}

void AudioInterface::FlowControlExit()
{
    Locked([&] { core_->FlowControlExit(); });
}

void AudioInterface::NextSong()
{
    Locked([&] { core_->NextSong(); });
}

void AudioInterface::PrevSong()
{
    Locked([&] { core_->PrevSong(); });
}

void AudioInterface::LoadSong(const std::string& song)
{
    Locked([&] { core_->LoadSong(song); });
}

void AudioInterface::LoadSongAtTime(const std::string& song, uint32_t tick)
{
    Locked([&] { core_->LoadSongAtTime(song, tick); });
}

void AudioInterface::Seek(uint32_t tick)
{
    Locked([&] { core_->Seek(tick); });
}

bool AudioInterface::SeekToBar(const std::string& barText)
{
    return Locked([&] { return core_->SeekToBar(barText); });
}

void AudioInterface::SeekToNextMeasure()
{
    Locked([&] { core_->SeekToNextMeasure(); });
}

void AudioInterface::SeekToPreviousMeasure()
{
    Locked([&] { core_->SeekToPreviousMeasure(); });
}

void AudioInterface::SeekRight()
{
    Locked([&] { core_->SeekRight(); });
}

void AudioInterface::SeekLeft()
{
    Locked([&] { core_->SeekLeft(); });
}

bool AudioInterface::GetIsPlaying()
{
    std::lock_guard lock(mutex_);
    return core_->IsPlaying();
}

bool AudioInterface::GetIsPaused()
{
    std::lock_guard lock(mutex_);
    return core_->IsPaused();
}

bool AudioInterface::GetIsFaded()
{
    std::lock_guard lock(mutex_);
    return core_->IsFaded();
}

void AudioInterface::Fade(std::function<void()> completion, float seconds)
{
    Locked([&] { core_->Fade(std::move(completion), seconds); });
}

void AudioInterface::FadeTo(std::function<void()> completion, float seconds, float target)
{
    Locked([&] { core_->FadeTo(std::move(completion), seconds, target); });
}

void AudioInterface::CancelFade()
{
    Locked([&] { core_->CancelFade(); });
}

void AudioInterface::RunMidiCommand(uint8_t id)
{
    Locked([&] {
        switch (id) {
        case 1: core_->Play(); break;
        case 2:
            if (core_->IsPaused() || core_->IsStopped())
                core_->Play();
            else
                core_->Pause();
            break;
        case 3: core_->Stop(); break;
        case 4: core_->Continue(); break;
        case 5: core_->FlowControlExit(); break;
        case 6: core_->NextSong(); break;
        case 7: core_->PrevSong(); break;
        case 8: core_->SeekRight(); break;
        case 9: core_->SeekLeft(); break;
        default: break;
        }
    });
}

// --- songs ----------------------------------------------------------------------------------

const zarn::player::SongDefinition* AudioInterface::FindSongLocked(const std::string& song) const
{
    return show_->FindSong(song);
}

Interface::SongNameMap AudioInterface::GetSongNamesBySongNumber()
{
    SongNameMap names;
    for (const auto& s : show_->songs)
        names.emplace(s.number, s.title);
    return names;
}

std::string AudioInterface::GetCurrentSongNumber()
{
    std::lock_guard lock(mutex_);
    return core_->CurrentSong();
}

std::string AudioInterface::GetActualSongNumber(const std::string& song)
{
    const std::string wanted = Trim(song);
    if (show_->FindSong(wanted))
        return wanted;
    for (const auto& s : show_->songs) {
        if (Lower(s.number) == Lower(wanted) || StripLeadingZeros(Lower(s.number)) == StripLeadingZeros(Lower(wanted)))
            return s.number;
    }
    return {};
}

bool AudioInterface::SongExists(const std::string& song)
{
    return !Trim(song).empty() && !GetActualSongNumber(song).empty();
}

uint8_t AudioInterface::GetAttacca(const std::string& song)
{
    std::lock_guard lock(mutex_);
    return show_->FindSong(song) ? editor_->GetAttacca(song) : 0;
}

void AudioInterface::SetAttacca(const std::string& song, uint8_t state)
{
    std::lock_guard lock(mutex_);
    if (!show_->FindSong(song))
        throw std::invalid_argument("The show has no song \"" + song + "\".");
    editor_->SetAttacca(song, state);
    core_->SetAttacca(song, state);
}

uint32_t AudioInterface::GetSongLength(const std::string& song)
{
    const auto* def = show_->FindSong(song);
    return def ? def->lengthTicks : 0;
}

uint32_t AudioInterface::GetSongStartTickIndex(const std::string& song)
{
    const auto* def = show_->FindSong(song);
    return def ? def->startTick : 0;
}

uint32_t AudioInterface::GetSongAudioStartTick(const std::string& song)
{
    const auto* def = show_->FindSong(song);
    return def ? def->audioStartTick : 0;
}

uint32_t AudioInterface::GetSongAudioEndTick(const std::string& song)
{
    const auto* def = show_->FindSong(song);
    return def ? def->audioEndTick : 0;
}

uint32_t AudioInterface::GetMinStartTickIndex()
{
    return GetCurrentStartTickIndex();
}

uint32_t AudioInterface::GetCurrentStartTickIndex()
{
    std::lock_guard lock(mutex_);
    return core_->CurrentStartTick();
}

uint32_t AudioInterface::GetTickIndex()
{
    std::lock_guard lock(mutex_);
    return core_->Tick();
}

std::string AudioInterface::GetBarString(uint32_t tick)
{
    std::lock_guard lock(mutex_);
    return zarn::player::SongTimeMap::BarString(core_->CurrentGrid(), tick);
}

TL::TimelineSequence<TL::BarsBeats> AudioInterface::ToSequence(const std::vector<zarn::player::GridEntry>& grid) const
{
    TL::TimelineSequence<TL::BarsBeats> seq;
    seq.entries().reserve(grid.size());
    for (const auto& e : grid)
        seq.push_back(TL::BarsBeats(e.tick, e.beat, e.bar));
    return seq;
}

TL::TimelineSequence<TL::BarsBeats> AudioInterface::GetBarsBeats(const std::string& song)
{
    return GetBarsBeats(song, true);
}

TL::TimelineSequence<TL::BarsBeats> AudioInterface::GetBarsBeats(const std::string& song, bool applyClicks)
{
    std::lock_guard lock(mutex_);
    if (!show_->FindSong(song))
        return {};
    return ToSequence(core_->GridOf(song, applyClicks));
}

TL::BarsBeats AudioInterface::GetBarBeatByTick(uint32_t tick)
{
    return GetBarBeatByTick(tick, true, false);
}

TL::BarsBeats AudioInterface::GetBarBeatByTick(uint32_t tick, bool applyClicks, bool atOrBefore)
{
    std::lock_guard lock(mutex_);
    std::vector<zarn::player::GridEntry> plain;
    if (!applyClicks)
        plain = core_->GridOf(core_->CurrentSong(), false);
    const auto& grid = applyClicks ? core_->CurrentGrid() : plain;
    if (grid.empty())
        return TL::BarsBeats(tick, 1, "1");
    const size_t i = atOrBefore ? zarn::player::SongTimeMap::IndexAtOrBefore(grid, tick)
                                : zarn::player::SongTimeMap::NearestIndex(grid, tick);
    return TL::BarsBeats(grid[i].tick, grid[i].beat, grid[i].bar);
}

TL::BarsBeats AudioInterface::GetBarBeatLeftByTick(uint32_t tick)
{
    return GetBarBeatByTick(tick, true, true);
}

uint32_t AudioInterface::GetAvailableShiftAfterBarBeat(uint32_t tick, bool applyClicks)
{
    std::lock_guard lock(mutex_);
    std::vector<zarn::player::GridEntry> plain;
    if (!applyClicks)
        plain = core_->GridOf(core_->CurrentSong(), false);
    const auto& grid = applyClicks ? core_->CurrentGrid() : plain;
    const auto* def = show_->FindSong(core_->CurrentSong());
    if (!def)
        return 0;
    uint32_t next = def->lengthTicks;
    for (const auto& e : grid) {
        if (e.tick > tick) {
            next = std::min(next, e.tick);
            break;
        }
    }
    return next > tick + 1 ? next - tick - 1 : 0;
}

std::vector<int> AudioInterface::GetClickValues(uint32_t start, uint32_t end)
{
    std::lock_guard lock(mutex_);
    return core_->TimeMapOf(core_->CurrentSong()).ClickValues(start, end);
}

std::pair<std::string, uint32_t> AudioInterface::LookupPage(unsigned page)
{
    for (const auto& p : show_->pages) {
        if (p.page == page)
            return {p.song, p.tick};
    }
    throw std::out_of_range("The score has no page " + std::to_string(page) + ".");
}

// --- output -----------------------------------------------------------------------------------

void AudioInterface::SetOutputDeviceUid(const std::string& uid)
{
    if (!uid.empty()) {
        const auto devices = zarn::audio::DeviceControlWin32().GetOutputDevices();
        const bool known = std::any_of(devices.begin(), devices.end(),
                                       [&](const zarn::audio::AudioDevice& d) { return d.uid == uid; });
        if (!known)
            throw std::invalid_argument("Audio output device '" + uid + "' is not available.");
    }
    {
        std::lock_guard lock(mutex_);
        outputDeviceUid_ = uid;
    }
    ForgetLostDevices();
    OpenOutputs(true);
}

void AudioInterface::ForgetLostDevices()
{
    // The operator chose again: every device is worth another try.
    std::lock_guard lock(lostMutex_);
    lostDevices_.clear();
}

std::string AudioInterface::GetOutputDeviceUid()
{
    std::lock_guard lock(mutex_);
    return outputDeviceUid_;
}

void AudioInterface::SetVolume(double gain, int volumeType)
{
    if (volumeType == kClickVolume) {
        // A level that is not a number is no level: the click stays as it was.
        if (std::isfinite(gain))
            render_->SetClickVolume(static_cast<float>(std::max(gain, 0.0)));
        return;
    }
    if (volumeType != kOutputVolume)
        throw std::invalid_argument("Unknown volume type " + std::to_string(volumeType) + ".");
    Locked([&] { core_->SetVolume(gain); });
}

double AudioInterface::GetVolume()
{
    std::lock_guard lock(mutex_);
    return core_->Volume();
}

std::string AudioInterface::GetSoundProblem()
{
    std::vector<std::string> lines;
    {
        std::lock_guard lock(outputMutex_);
        lines.push_back(outputProblem_);
        lines.insert(lines.end(), pathOutputProblems_.begin(), pathOutputProblems_.end());
    }
    {
        std::lock_guard lock(mutex_);
        lines.insert(lines.end(), soundProblems_.begin(), soundProblems_.end());
        lines.insert(lines.end(), show_->warnings.begin(), show_->warnings.end());
        lines.push_back(pathDevicesProblem_);
    }
    std::string text;
    for (const auto& line : lines) {
        if (line.empty())
            continue;
        if (!text.empty())
            text += '\n';
        text += line;
    }
    return text;
}

bool AudioInterface::IsSoundActive()
{
    return soundActive_.load();
}

// --- OSC --------------------------------------------------------------------------------------

void AudioInterface::SetOscControlDefaultPort(uint16_t port)
{
    std::shared_ptr<zarn::PlayerOscCallback> osc;
    {
        std::lock_guard lock(mutex_);
        osc = osc_;
    }
    if (osc)
        osc->SetDefaultPort(port);
}

void AudioInterface::DoOscProcessing(bool on)
{
    Locked([&] { core_->SetOscProcessing(on); });
}

// --- MIDI -------------------------------------------------------------------------------------

// MIDI calls never hold the engine lock: the input thread takes it to report, and
// closing a port waits for that thread.
zarn::midi::MidiCommandCenter* AudioInterface::Midi()
{
    std::lock_guard lock(mutex_);
    return midi_.get();
}

std::string AudioInterface::GetMidiProblem()
{
    auto* midi = Midi();
    return midi ? midi->InputProblem() : std::string();
}

std::vector<MidiEndPoint> AudioInterface::GetMidiSources()
{
    auto* midi = Midi();
    return midi ? midi->GetSources() : std::vector<MidiEndPoint>{};
}

void AudioInterface::SetMidiSource(int index)
{
    if (auto* midi = Midi())
        midi->SetSource(index);
}

bool AudioInterface::HasMidiSource()
{
    auto* midi = Midi();
    return midi && midi->HasSource();
}

uint8_t AudioInterface::GetConnectedSourceIndex()
{
    auto* midi = Midi();
    return midi ? midi->ConnectedIndex() : 0;
}

std::map<uint8_t, std::string> AudioInterface::GetCommandNames()
{
    return zarn::midi::MidiCommandCenter::CommandNames();
}

std::map<uint8_t, Interface::MidiCommandRecord> AudioInterface::GetLearnedCommands()
{
    auto* midi = Midi();
    return midi ? midi->Learned() : std::map<uint8_t, MidiCommandRecord>{};
}

bool AudioInterface::IsMidiCommandLearning(uint8_t id)
{
    auto* midi = Midi();
    return midi && midi->IsLearning(id);
}

std::vector<int> AudioInterface::GetAllowedCommandStatuses()
{
    return zarn::midi::MidiCommandCenter::AllowedStatuses();
}

void AudioInterface::SetMidiCommand(uint8_t id, uint8_t status, uint8_t channel, uint8_t note)
{
    if (auto* midi = Midi())
        midi->SetCommand(id, status, channel, note);
}

void AudioInterface::LearnMidiCommand(uint8_t id)
{
    if (auto* midi = Midi())
        midi->Learn(id, ClockSeconds());
}
