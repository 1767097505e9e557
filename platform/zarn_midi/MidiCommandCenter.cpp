#include "MidiCommandCenter.h"

#include "zarn_core/AtomicFile.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zarn::midi {

namespace {

bool IsAllowedStatus(int status)
{
    const auto allowed = MidiCommandCenter::AllowedStatuses();
    return std::find(allowed.begin(), allowed.end(), status) != allowed.end();
}

} // namespace

const std::map<uint8_t, std::string>& MidiCommandCenter::CommandNames()
{
    static const std::map<uint8_t, std::string> names{
        {1, "Play"},      {2, "Pause"},          {3, "Stop"},           {4, "Continue"},     {5, "Exit Vamp"},
        {6, "Next Song"}, {7, "Previous Song"}, {8, "Next Marker"}, {9, "Previous Marker"},
    };
    return names;
}

std::vector<int> MidiCommandCenter::AllowedStatuses()
{
    return {0x90, 0xB0, 0xC0};
}

int MidiCommandCenter::Pack(uint8_t id, const MidiCommandRecord& r)
{
    return (int(id) << 16) | (int((r.status & 0xF0) | (r.channel & 0x0F)) << 8) | int(r.note & 0x7F);
}

MidiCommandCenter::MidiCommandCenter(std::unique_ptr<MidiInputBackend> backend, std::string settingsFile,
                                     Handlers handlers)
    : backend_(std::move(backend))
    , settingsFile_(std::move(settingsFile))
    , handlers_(std::move(handlers))
{
    Load();
}

MidiCommandCenter::~MidiCommandCenter()
{
    Shutdown();
}

void MidiCommandCenter::Shutdown()
{
    if (backend_)
        backend_->Close();
    std::lock_guard lock(mutex_);
    shutDown_ = true;
    connected_ = -1;
}

std::string MidiCommandCenter::InputProblem() const
{
    return backend_ ? backend_->Problem() : std::string();
}

std::vector<MidiEndPoint> MidiCommandCenter::GetSources()
{
    std::vector<MidiEndPoint> sources;
    if (!backend_)
        return sources;
    for (auto& name : backend_->SourceNames())
        sources.emplace_back(std::move(name));
    return sources;
}

void MidiCommandCenter::SetSource(int index)
{
    if (!backend_ || index < 0)
        return;
    const auto names = backend_->SourceNames();
    if (static_cast<size_t>(index) >= names.size())
        return;
    {
        std::lock_guard lock(mutex_);
        if (shutDown_)
            return;
        connected_ = -1;
    }
    const bool opened = backend_->Open(static_cast<unsigned>(index),
                                       [this](const std::vector<uint8_t>& m) { HandleMessage(m); });
    std::lock_guard lock(mutex_);
    connected_ = opened ? index : -1;
}

bool MidiCommandCenter::HasSource() const
{
    std::lock_guard lock(mutex_);
    return connected_ >= 0;
}

uint8_t MidiCommandCenter::ConnectedIndex() const
{
    std::lock_guard lock(mutex_);
    return connected_ >= 0 ? static_cast<uint8_t>(connected_) : 0;
}

std::map<uint8_t, MidiCommandRecord> MidiCommandCenter::Learned() const
{
    std::lock_guard lock(mutex_);
    return learned_;
}

bool MidiCommandCenter::IsLearning(uint8_t id) const
{
    std::lock_guard lock(mutex_);
    return learning_ && *learning_ == id;
}

std::vector<uint8_t> MidiCommandCenter::TakeOverLocked(uint8_t id, const MidiCommandRecord& record)
{
    // One message triggers one command: whoever had it loses it.
    std::vector<uint8_t> lost;
    for (auto it = learned_.begin(); it != learned_.end();) {
        if (it->first != id && it->second == record) {
            lost.push_back(it->first);
            it = learned_.erase(it);
        } else {
            ++it;
        }
    }
    learned_[id] = record;
    return lost;
}

void MidiCommandCenter::SetCommand(uint8_t id, uint8_t status, uint8_t channel, uint8_t note)
{
    if (!CommandNames().count(id))
        throw std::invalid_argument("There is no MIDI command " + std::to_string(id) + ".");
    if (!IsAllowedStatus(status & 0xF0) || (status & 0x0F) != 0)
        throw std::invalid_argument("MIDI status " + std::to_string(status) + " cannot trigger a command.");
    if (channel > 15 || note > 127)
        throw std::invalid_argument("MIDI channel " + std::to_string(channel) + " or note " + std::to_string(note)
                                    + " is out of range.");
    std::vector<uint8_t> lost;
    {
        std::lock_guard lock(mutex_);
        lost = TakeOverLocked(id, {status, channel, note});
        SaveLocked();
    }
    for (uint8_t other : lost) {
        if (handlers_.canceled)
            handlers_.canceled(other);
    }
}

void MidiCommandCenter::Learn(uint8_t id, double nowSeconds)
{
    std::optional<uint8_t> replaced;
    bool unknown = false;
    {
        std::lock_guard lock(mutex_);
        if (shutDown_)
            return;
        if (learning_ && *learning_ != id)
            replaced = learning_;
        unknown = !CommandNames().count(id);
        if (unknown) {
            learning_.reset();
        } else {
            learning_ = id;
            learnStarted_ = nowSeconds;
        }
    }
    if (replaced && handlers_.canceled)
        handlers_.canceled(*replaced);
    if (unknown && handlers_.canceled)
        handlers_.canceled(id);
}

void MidiCommandCenter::ExpireLearning(double nowSeconds)
{
    std::optional<uint8_t> expired;
    {
        std::lock_guard lock(mutex_);
        if (learning_ && nowSeconds - learnStarted_ >= kLearnTimeoutSeconds) {
            expired = learning_;
            learning_.reset();
        }
    }
    if (expired && handlers_.canceled)
        handlers_.canceled(*expired);
}

void MidiCommandCenter::HandleMessage(const std::vector<uint8_t>& message)
{
    if (message.empty())
        return;
    {
        std::lock_guard lock(mutex_);
        if (shutDown_)
            return;
    }
    if (handlers_.anyInput)
        handlers_.anyInput();
    const uint8_t status = message[0] & 0xF0;
    const uint8_t channel = message[0] & 0x0F;
    const uint8_t data1 = message.size() > 1 ? (message[1] & 0x7F) : 0;
    const uint8_t data2 = message.size() > 2 ? (message[2] & 0x7F) : 0;
    if (!IsAllowedStatus(status))
        return;
    // A note-on of velocity 0 is a release, as is a controller going to 0.
    if ((status == 0x90 || status == 0xB0) && data2 == 0)
        return;
    const MidiCommandRecord record{status, channel, data1};

    std::optional<uint8_t> learnedId;
    std::vector<uint8_t> lost;
    std::optional<uint8_t> matched;
    {
        std::lock_guard lock(mutex_);
        if (learning_) {
            learnedId = learning_;
            learning_.reset();
            lost = TakeOverLocked(*learnedId, record);
            SaveLocked();
        } else {
            for (const auto& [id, r] : learned_) {
                if (r == record) {
                    matched = id;
                    break;
                }
            }
        }
    }
    for (uint8_t other : lost) {
        if (handlers_.canceled)
            handlers_.canceled(other);
    }
    if (learnedId && handlers_.learned)
        handlers_.learned(*learnedId, Pack(*learnedId, record));
    if (matched && handlers_.command)
        handlers_.command(*matched);
}

std::string MidiCommandCenter::LastStorageProblem() const
{
    std::lock_guard lock(mutex_);
    return storageProblem_;
}

void MidiCommandCenter::Load()
{
    std::ifstream in(settingsFile_, std::ios::binary);
    if (!in)
        return;
    std::ostringstream text;
    text << in.rdbuf();
    rapidjson::Document doc;
    doc.Parse(text.str().c_str());
    if (doc.HasParseError() || !doc.IsObject() || !doc.HasMember("commands") || !doc["commands"].IsArray()) {
        storageProblem_ = "The MIDI assignments in " + settingsFile_ + " cannot be read; none are in use.";
        return;
    }
    for (const auto& c : doc["commands"].GetArray()) {
        if (!c.IsObject() || !c.HasMember("id") || !c.HasMember("status") || !c.HasMember("channel")
            || !c.HasMember("note") || !c["id"].IsUint() || !c["status"].IsUint() || !c["channel"].IsUint()
            || !c["note"].IsUint())
            continue;
        const unsigned id = c["id"].GetUint(), status = c["status"].GetUint(), channel = c["channel"].GetUint(),
                       note = c["note"].GetUint();
        if (id > 255 || !CommandNames().count(static_cast<uint8_t>(id)) || !IsAllowedStatus(static_cast<int>(status))
            || channel > 15 || note > 127)
            continue;
        learned_[static_cast<uint8_t>(id)] = {static_cast<uint8_t>(status), static_cast<uint8_t>(channel),
                                              static_cast<uint8_t>(note)};
    }
}

void MidiCommandCenter::SaveLocked()
{
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> w(buffer);
    w.StartObject();
    w.Key("format");
    w.String("1.0");
    w.Key("commands");
    w.StartArray();
    for (const auto& [id, r] : learned_) {
        w.StartObject();
        w.Key("id");
        w.Uint(id);
        w.Key("status");
        w.Uint(r.status);
        w.Key("channel");
        w.Uint(r.channel);
        w.Key("note");
        w.Uint(r.note);
        w.EndObject();
    }
    w.EndArray();
    w.EndObject();
    try {
        zarn::AtomicFile::Write(settingsFile_, std::string_view(buffer.GetString(), buffer.GetSize()));
        storageProblem_.clear();
    } catch (const std::exception& e) {
        storageProblem_ = e.what();
    }
}

} // namespace zarn::midi
