// From Play to the first non-silent frame the engine hands to the device, with the demo
// show on a private PulseAudio null sink: the engine's output renders, the render tap sees
// each block as it goes to the device. The device's own buffer (about 10 ms) comes on top.
// Also how long a newly opened stream takes to pull half a second of frames (the engine's
// clock stands while it does not pull), at start and after choosing the device again.
//   bench_play_to_sound [trials=30]   (BENCH_VERBOSE=1: each trial)
#include "AudioInterface.h"
#include "FakeMidiInputBackend.h"
#include "PulseNullSink.h"

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;

int main(int argc, char** argv)
{
    PulseNullSink sink;
    QCoreApplication app(argc, argv);
    const int trials = argc > 1 ? std::max(1, atoi(argv[1])) : 30;
    if (!sink.Started()) {
        std::fprintf(stderr, "PulseAudio cannot run here: %s\n", qPrintable(sink.Problem()));
        return 1;
    }
    std::atomic<bool> armed{false};
    std::atomic<int64_t> heardAt{0};
    AudioInterface::Options options;
    options.midiInput = std::make_unique<zarn::midi::FakeMidiInputBackend>(std::vector<std::string>{});
    options.renderTap = [&](const float* block, int frames) {
        if (!armed.load())
            return;
        for (int i = 0; i < 2 * frames; ++i) {
            if (std::abs(block[i]) > 1e-3f) {
                heardAt = Clock::now().time_since_epoch().count();
                armed = false;
                return;
            }
        }
    };
    const std::string data = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/bench_play_to_sound";
    AudioInterface engine(CORVANE_DEMO_SHOW, data, nullptr, std::move(options));
    engine.ThrowIfThreadExceptions();
    if (!engine.IsSoundActive()) {
        std::fprintf(stderr, "No sound: %s\n", engine.GetSoundProblem().c_str());
        return 1;
    }
    {
        // The stream's start-up is not a Play's: wait until the device pulls at its pace.
        const auto made = Clock::now();
        while (engine.FramesRendered() < AudioInterface::kSampleRate / 2 && Clock::now() - made < std::chrono::seconds(10))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::printf("Half a second of frames pulled %.1f ms after the engine was made\n",
                    std::chrono::duration<double, std::milli>(Clock::now() - made).count());
    }
    const auto songs = engine.GetSongNamesBySongNumber();
    std::vector<double> ms;
    for (int t = 0; t < trials; ++t) {
        auto song = songs.begin();
        std::advance(song, t % int(songs.size()));
        engine.LoadSong(song->first);
        std::this_thread::sleep_for(std::chrono::milliseconds(300)); // the song's streams are read
        heardAt = 0;
        armed = true;
        const auto play = Clock::now();
        engine.Play();
        while (heardAt.load() == 0 && Clock::now() - play < std::chrono::seconds(2))
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        if (heardAt.load() == 0) {
            std::fprintf(stderr, "trial %d: no sound within 2 s\n", t);
            continue;
        }
        ms.push_back(double(heardAt.load() - play.time_since_epoch().count()) / 1e6);
        if (std::getenv("BENCH_VERBOSE"))
            std::printf("song %s: %.2f ms, tick %u\n", song->first.c_str(), ms.back(), engine.GetTickIndex());
        engine.Stop();
    }
    {
        // A device chosen again opens a new stream on the running server.
        const int64_t before = engine.FramesRendered();
        const auto reopened = Clock::now();
        engine.SetOutputDeviceUid("");
        while (engine.FramesRendered() < before + AudioInterface::kSampleRate / 2
               && Clock::now() - reopened < std::chrono::seconds(10))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::printf("Reopened: half a second of frames pulled %.1f ms after choosing the device\n",
                    std::chrono::duration<double, std::milli>(Clock::now() - reopened).count());
    }
    engine.Shutdown();
    if (ms.empty())
        return 1;
    std::sort(ms.begin(), ms.end());
    std::printf("Play to the first non-silent frame handed to the device, %zu trials: median %.2f ms, min %.2f, max %.2f\n",
                ms.size(), ms[ms.size() / 2], ms.front(), ms.back());
    return 0;
}
