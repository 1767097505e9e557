// Cue lateness through the whole engine: a show whose song holds an OSC cue every 0.3 s of
// music (the middle of it under a tempo scale of 0.8) plays on the null output; the engine
// times each cue to its frame and the program's OSC callback sends it from the cue thread to
// a loopback socket, whose kernel receive stamp is compared with the moment the cue was due.
//   taskset -c 0,1 bench_engine_cues [cues=100] [loads=idle,busy]
// "busy" runs two busy processes beside the engine, as a build started from another shell.
#include "AudioInterface.h"
#include "BusyLoad.h"
#include "CueReceiver.h"
#include "Percentiles.h"
#include "ZarnPlayerOscCallback.h"
#include "zarn_core/ChangeLogData.h"
#include "zarn_core/ChangeLogFile.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

constexpr int kTicksPerCue = 288; // 0.3 s at 120 BPM, 480 to the quarter

void WriteShow(const std::string& folder, int cues, uint16_t port)
{
    const int length = (cues + 4) * kTicksPerCue;
    std::ofstream(folder + "/show.json")
        << R"({"format":"1.0","showId":"cues","ppq":480,"songs":[{"number":"1","title":"Cues","startTick":0,)"
        << R"("lengthTicks":)" << length
        << R"(,"meters":[{"tick":0,"num":4,"den":4}],"tempos":[{"tick":0,"bpm":120}]}],)"
        << R"("outputPaths":[{"id":"main","name":"Main"}]})";
    CL::ChangeLogData data;
    data.version = cmn::ZARNVersion(1, 0);
    data.networks.push_back(CL::NetworkPath("NETWORK0", "Receiver", "127.0.0.1", port, 0));
    auto& song = data.songs["1"];
    for (int k = 1; k <= cues; ++k)
        song.Insert(CL::Osc(uint32_t(k * kTicksPerCue), "S" + std::to_string(k) + ".1",
                            CL::OscProperties("/cue/" + std::to_string(k), "NETWORK0")));
    song.Insert(CL::TempoScale(uint32_t(cues / 3 * kTicksPerCue), uint32_t(2 * cues / 3 * kTicksPerCue), "T1.1", 0.8));
    CL::ChangeLogFile::Save(data, folder + "/cues-1.0.logdata");
}

struct Result
{
    std::vector<double> lateMs;
    int missing = 0;
};

Result Run(int cues)
{
    zarn::audio::test::CueReceiver receiver;
    QTemporaryDir dir;
    const std::string show = (dir.path() + "/show").toStdString();
    std::filesystem::create_directories(show);
    WriteShow(show, cues, receiver.Port());

    std::mutex mutex;
    std::map<std::string, Clock::time_point> due; // by message
    AudioInterface::Options options;
    options.sound = false;
    options.cueTap = [&](const CL::Osc& cue, Clock::time_point when) {
        std::lock_guard lock(mutex);
        due[cue.osc_properties().Message()] = when;
    };
    auto osc = std::make_shared<zarn::ZarnPlayerOscCallback>(0);
    Result result;
    {
        AudioInterface engine(show, (dir.path() + "/data").toStdString(), osc, std::move(options));
        engine.DoOscProcessing(true);
        engine.Play();
        const auto deadline = Clock::now() + std::chrono::seconds(cues); // far more than the music lasts
        while (Clock::now() < deadline) {
            {
                std::lock_guard lock(mutex);
                if (int(due.size()) >= cues)
                    break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        // The last datagram's way through loopback.
        const auto settle = Clock::now() + std::chrono::seconds(2);
        while (int(receiver.Arrivals().size()) < int(due.size()) && Clock::now() < settle)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        engine.Shutdown();
    }
    std::lock_guard lock(mutex);
    int arrived = 0;
    for (const auto& arrival : receiver.Arrivals()) {
        const int64_t number = zarn::audio::test::CueReceiver::CueNumber(arrival.datagram);
        const auto it = due.find("/cue/" + std::to_string(number));
        if (it == due.end())
            continue;
        ++arrived;
        result.lateMs.push_back(std::chrono::duration<double, std::milli>(arrival.time - it->second).count());
    }
    result.missing = cues - arrived;
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int cues = argc > 1 ? std::max(10, std::atoi(argv[1])) : 100;
    std::string loads = argc > 2 ? argv[2] : "idle,busy";
    std::printf("%-6s %6s %8s %8s %8s %8s\n", "load", "cues", "missing", "p50 ms", "p99 ms", "max ms");
    std::stringstream list(loads);
    for (std::string load; std::getline(list, load, ',');) {
        std::unique_ptr<zarn::audio::test::BusyLoad> busy;
        if (load == "busy")
            busy = std::make_unique<zarn::audio::test::BusyLoad>(2);
        const Result r = Run(cues);
        busy.reset();
        const double worst = r.lateMs.empty() ? 0.0 : *std::max_element(r.lateMs.begin(), r.lateMs.end());
        std::printf("%-6s %6d %8d %8.3f %8.3f %8.3f\n", load.c_str(), cues, r.missing, percentile(r.lateMs, 0.5),
                    percentile(r.lateMs, 0.99), worst);
        std::fflush(stdout);
    }
    return 0;
}
