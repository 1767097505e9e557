#include "EngineFixture.h"

#include "zarn_core/ChangeLogData.h"
#include "zarn_core/ChangeLogFile.h"

#include <QDir>

#include <fstream>

namespace {

const char* kShowJson = R"({"format":"1.0","showId":"fixture","ppq":480,
 "songs":[
  {"number":"1","title":"Opening","startTick":0,"lengthTicks":38400,"audioEndTick":40320,
   "meters":[{"tick":0,"num":4,"den":4}],"tempos":[{"tick":0,"bpm":120}],"keys":[{"tick":0,"sf":0,"mi":0}]},
  {"number":"2","title":"Waltz","startTick":0,"lengthTicks":14400,
   "meters":[{"tick":0,"num":3,"den":4}],"tempos":[{"tick":0,"bpm":120}],"keys":[{"tick":0,"sf":-2,"mi":0}]},
  {"number":"10","title":"Finale","startTick":0,"lengthTicks":7680}],
 "pages":[{"page":1,"song":"1","tick":0},{"page":2,"song":"1","tick":9600}],
 "outputPaths":[{"id":"main","name":"Main"}]})";

} // namespace

void EngineFixture::RecordingOsc::ExecuteEvent(const CL::Osc& cue, uint32_t delayMs)
{
    // The real callback asks the engine back from inside the call.
    const bool playing = fixture->engine->GetIsPlaying();
    CL::NetworkPath network = fixture->engine->GetNetwork(cue.osc_properties().NetworkId());
    std::lock_guard lock(mutex);
    cues.push_back({cue.EventId(), delayMs, true, fixture->Now(), playing, std::move(network)});
}

void EngineFixture::RecordingOsc::EnqueueEvent(const CL::Osc& cue, uint32_t delayMs)
{
    std::lock_guard lock(mutex);
    cues.push_back({cue.EventId(), delayMs, false, fixture->Now(), false});
}

void EngineFixture::RecordingOsc::SetDefaultPort(uint16_t port)
{
    std::lock_guard lock(mutex);
    ports.push_back(port);
}

EngineFixture::EngineFixture()
    : clock(std::make_shared<zarn::player::ManualClock>())
    , osc(std::make_shared<RecordingOsc>())
{
    osc->fixture = this;
    showFolder = (dir.path() + "/show").toStdString();
    dataFolder = (dir.path() + "/data").toStdString();
    QDir().mkpath(QString::fromStdString(showFolder));
    observer_.SetCallbackFunc(
        [this](int id, int value, const char* text, void*) {
            std::lock_guard lock(mutex_);
            notices_.push_back({static_cast<notify::EngineEvent>(id), value, text ? text : "", std::this_thread::get_id()});
        },
        nullptr);
    for (int k = 0; k < notify::kEngineEventCount; ++k)
        observer_.Register(static_cast<notify::EngineEvent>(k), k);
}

EngineFixture::~EngineFixture()
{
    if (engine)
        engine->Shutdown();
    engine.reset();
}

void EngineFixture::WriteShow(bool changeLog)
{
    std::ofstream(showFolder + "/show.json") << kShowJson;
    if (!changeLog)
        return;
    CL::ChangeLogData data;
    data.version = cmn::ZARNVersion(1, 0);
    data.networks.push_back(CL::NetworkPath("NETWORK0", "Lights", "127.0.0.1", 53000, 0));
    auto& s1 = data.songs["1"];
    s1.Insert(CL::Marker(1920, "Letter A", "E2.1"));
    s1.Insert(CL::Osc(3840, "S3.1", CL::OscProperties("/cue/1/go", "NETWORK0")));
    s1.Insert(CL::Cut(5760, 7680, "B4.1", 0));
    s1.Insert(CL::Vamp(7680, 9600, "V5.1", 2));
    s1.Insert(CL::Caesura(11520, "N7.1", 0));
    s1.Insert(CL::Repeat(13440, 15360, "A8.1", 2));
    s1.Insert(CL::Fermata(17280, 19200, "M10.1", 0));
    s1.Insert(CL::TempoScale(21120, 23040, "T12.1", 1.5));
    s1.Insert(CL::Transpose(24960, 26880, "C14.1", -2));
    s1.Insert(CL::Click(28800, 30720, "L16.1", 8));
    s1.Insert(CL::Marker(32640, "Letter B", "E18.1"));
    data.songs["2"].SetAttacca(1);
    CL::ChangeLogFile::Save(data, showFolder + "/fixture-1.0.logdata");
}

std::unique_ptr<AudioInterface> EngineFixture::MakeEngine(AudioInterface::Options options)
{
    if (!options.clock && manualClock)
        options.clock = clock;
    if (!options.midiInput) {
        auto fake = std::make_unique<zarn::midi::FakeMidiInputBackend>(std::vector<std::string>{"Pad", "Keys"});
        midi = fake.get();
        options.midiInput = std::move(fake);
    }
    options.sound = sound;
    auto e = std::make_unique<AudioInterface>(showFolder, dataFolder, osc, std::move(options));
    e->ThrowIfThreadExceptions();
    return e;
}

void EngineFixture::Start()
{
    WriteShow();
    engine = MakeEngine();
    engine->WaitForDeliveries();
}

void EngineFixture::Advance(double seconds)
{
    clock->AdvanceMs(seconds * 1000.0);
}

double EngineFixture::Now() const
{
    return std::chrono::duration<double>(clock->Now()).count();
}

std::vector<EngineFixture::Notice> EngineFixture::Notices()
{
    if (engine)
        engine->WaitForDeliveries();
    std::lock_guard lock(mutex_);
    return notices_;
}

std::vector<EngineFixture::Notice> EngineFixture::Of(notify::EngineEvent kind)
{
    std::vector<Notice> r;
    for (auto& n : Notices()) {
        if (n.kind == kind)
            r.push_back(n);
    }
    return r;
}

void EngineFixture::ClearNotices()
{
    if (engine)
        engine->WaitForDeliveries();
    std::lock_guard lock(mutex_);
    notices_.clear();
}

std::vector<EngineFixture::Cue> EngineFixture::Cues()
{
    if (engine)
        engine->WaitForDeliveries();
    std::lock_guard lock(osc->mutex);
    return osc->cues;
}
