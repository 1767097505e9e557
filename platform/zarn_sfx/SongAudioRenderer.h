#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

class QThread;

namespace zarn::audio {

class SongAudioWorker;

// Plays a song's WAV file on an output device, following the position the engine gives it
// (the engine's clock is the master; the sound follows it and resyncs after jumps). Runs
// Qt Multimedia on its own thread. Without an application object or a device it stays
// silent and reports why in LastProblem().
class SongAudioRenderer
{
public:
    struct Shared
    {
        std::atomic<bool> playing{false};
        std::atomic<double> seconds{0.0};
        std::atomic<double> gain{1.0};
        std::atomic<bool> active{false};
        std::atomic<long long> framesRendered{0};
        std::mutex mutex;
        std::string problem;
    };

    SongAudioRenderer();
    ~SongAudioRenderer();
    SongAudioRenderer(const SongAudioRenderer&) = delete;
    SongAudioRenderer& operator=(const SongAudioRenderer&) = delete;

    // Empty id: the default device.
    void SetDevice(const std::string& uid);
    // Empty path: no sound.
    void SetSource(const std::string& wavPath);
    // Called on every clock step: where in the file playback stands, and at what gain.
    void Update(bool playing, double secondsIntoFile, double gain);

    bool IsActive() const;
    long long FramesRendered() const;
    std::string LastProblem() const;
    void Shutdown();

private:
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<QThread> thread_;
    SongAudioWorker* worker_ = nullptr;
};

} // namespace zarn::audio
