#include "ChangeLogFile.h"

#include "AtomicFile.h"
#include "FileBytes.h"
#include "ChangeLogFormatError.h"
#include "ChangeLogVersionError.h"
#include "EventRules.h"
#include "FileVersion.h"
#include "ZarnEventCode.h"

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <set>
#include <sstream>
#include <system_error>

namespace CL {
namespace {

using rapidjson::Value;

constexpr unsigned kParseFlags = rapidjson::kParseIterativeFlag | rapidjson::kParseValidateEncodingFlag
    | rapidjson::kParseFullPrecisionFlag;

[[noreturn]] void Fail(const std::string& where, const std::string& what)
{
    throw ChangeLogFormatError("The change log is damaged: " + where + " " + what + ".");
}

std::string Str(const Value& v)
{
    return std::string(v.GetString(), v.GetStringLength());
}

std::string SongPlace(const std::string& song)
{
    return "song \"" + song + "\"";
}

// Stops deeply nested input before any recursive code sees it.
void CheckNesting(std::string_view json)
{
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (char c : json) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > ChangeLogFile::kMaxNesting)
                throw ChangeLogFormatError("The change log is damaged: it is nested more than "
                                           + std::to_string(ChangeLogFile::kMaxNesting) + " levels deep.");
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
}

std::string ToJson(const Value& value)
{
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    value.Accept(writer);
    return std::string(buffer.GetString(), buffer.GetSize());
}

// A known member holding an object whose own unknown members are kept too.
struct Nested
{
    const char* name;
    std::initializer_list<const char*> known;
};

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names)
{
    return std::any_of(names.begin(), names.end(), [&name](const char* k) { return name == k; });
}

// The members of `object` not named in `known`, as one JSON object text ("" when none).
// For a nested object, its unknown members are kept under its own name.
std::string UnknownMembers(const Value& object, std::initializer_list<const char*> known,
                           std::initializer_list<Nested> nested = {})
{
    rapidjson::Document extras(rapidjson::kObjectType);
    auto& allocator = extras.GetAllocator();
    bool any = false;
    for (auto it = object.MemberBegin(); it != object.MemberEnd(); ++it) {
        const std::string name = Str(it->name);
        if (IsOneOf(name, known)) {
            for (const Nested& n : nested) {
                if (name != n.name || !it->value.IsObject())
                    continue;
                Value inner(rapidjson::kObjectType);
                for (auto m = it->value.MemberBegin(); m != it->value.MemberEnd(); ++m) {
                    if (!IsOneOf(Str(m->name), n.known))
                        inner.AddMember(Value(m->name, allocator), Value(m->value, allocator), allocator);
                }
                if (inner.MemberCount() > 0) {
                    extras.AddMember(Value(it->name, allocator), inner, allocator);
                    any = true;
                }
            }
            continue;
        }
        extras.AddMember(Value(it->name, allocator), Value(it->value, allocator), allocator);
        any = true;
    }
    return any ? ToJson(extras) : std::string();
}

const Value* Member(const Value& object, const char* name)
{
    const auto it = object.FindMember(name);
    return it == object.MemberEnd() ? nullptr : &it->value;
}

std::string RequireString(const Value& object, const char* name, const std::string& where, bool required = true)
{
    const Value* v = Member(object, name);
    if (!v) {
        if (required)
            Fail(where, std::string("has no \"") + name + "\"");
        return std::string();
    }
    if (!v->IsString())
        Fail(where, std::string("has a \"") + name + "\" that is not a text");
    return Str(*v);
}

std::uint32_t RequireUint32(const Value& object, const char* name, const std::string& where, bool required,
                            std::uint32_t fallback = 0)
{
    const Value* v = Member(object, name);
    if (!v) {
        if (required)
            Fail(where, std::string("has no \"") + name + "\"");
        return fallback;
    }
    if (!v->IsUint())
        Fail(where, std::string("has a \"") + name + "\" that is not a whole number from 0 to 4294967295");
    return v->GetUint();
}

int RequireInt(const Value& object, const char* name, const std::string& where, int low, int high, int fallback)
{
    const Value* v = Member(object, name);
    if (!v)
        return fallback;
    if (!v->IsInt() || v->GetInt() < low || v->GetInt() > high)
        Fail(where, std::string("has a \"") + name + "\" that is not a whole number from " + std::to_string(low)
                        + " to " + std::to_string(high));
    return v->GetInt();
}

const Value& RequireObject(const Value& object, const char* name, const std::string& where)
{
    const Value* v = Member(object, name);
    if (!v)
        Fail(where, std::string("has no \"") + name + "\"");
    if (!v->IsObject())
        Fail(where, std::string("has a \"") + name + "\" that is not an object");
    return *v;
}

void ParseFormat(const Value& root, std::string& format, bool& readOnly)
{
    format = RequireString(root, "format", "the file");
    unsigned major = 0;
    unsigned minor = 0;
    try {
        cmn::FileVersion::Parse(format, major, minor);
    } catch (const std::exception&) {
        Fail("the file", "has the format \"" + format + "\", which is not a version");
    }
    if (static_cast<int>(major) > ChangeLogFile::kFormatMajor)
        throw ChangeLogVersionError("This change log has format " + format
                                    + " and needs a newer version of the application.");
    if (static_cast<int>(major) < ChangeLogFile::kFormatMajor)
        Fail("the file", "has the unsupported format \"" + format + "\"");
    readOnly = static_cast<int>(minor) > ChangeLogFile::kFormatMinor;
}

cmn::ZARNVersion ParseVersion(const Value& root)
{
    const Value& v = RequireObject(root, "version", "the file");
    const int major = RequireInt(v, "major", "the version", 0, 255, -1);
    const int minor = RequireInt(v, "minor", "the version", 0, 255, -1);
    if (major < 0 || minor < 0)
        Fail("the version", "lacks its major or minor number");
    return cmn::ZARNVersion(static_cast<std::uint16_t>(major), static_cast<std::uint16_t>(minor));
}

void ParseNetworks(const Value& root, ChangeLogData& data)
{
    const Value* list = Member(root, "networks");
    if (!list)
        return;
    if (!list->IsArray())
        Fail("the file", "has \"networks\" that are not a list");
    for (rapidjson::SizeType i = 0; i < list->Size(); ++i) {
        const Value& n = (*list)[i];
        const std::string where = "network destination " + std::to_string(i + 1);
        if (!n.IsObject())
            Fail(where, "is not an object");
        NetworkPath path(RequireString(n, "id", where), RequireString(n, "name", where, false),
                         RequireString(n, "ip", where, false), RequireInt(n, "port", where, 0, 65535, 0),
                         RequireInt(n, "tcp", where, 0, 1, 0));
        if (auto extras = UnknownMembers(n, {"id", "name", "ip", "port", "tcp"}); !extras.empty())
            data.networkUnknownMembersJson[path.NetworkId()] = std::move(extras);
        data.networks.push_back(std::move(path));
    }
}

void ParseOutputPaths(const Value& root, ChangeLogData& data)
{
    const Value* list = Member(root, "outputPaths");
    if (!list)
        return;
    if (!list->IsArray())
        Fail("the file", "has \"outputPaths\" that are not a list");
    for (rapidjson::SizeType i = 0; i < list->Size(); ++i) {
        const Value& p = (*list)[i];
        const std::string where = "output path " + std::to_string(i + 1);
        if (!p.IsObject())
            Fail(where, "is not an object");
        OutputPath path(RequireString(p, "id", where), RequireString(p, "name", where, false),
                        RequireString(p, "deviceId", where, false), RequireString(p, "deviceName", where, false));
        if (auto extras = UnknownMembers(p, {"id", "name", "deviceId", "deviceName"}); !extras.empty())
            data.outputPathUnknownMembersJson[path.GetId()] = std::move(extras);
        data.outputPaths.push_back(std::move(path));
    }
}

void ParseRemovedOutputPaths(const Value& root, ChangeLogData& data)
{
    const Value* list = Member(root, "removedOutputPaths");
    if (!list)
        return;
    if (!list->IsArray())
        Fail("the file", "has \"removedOutputPaths\" that are not a list");
    for (rapidjson::SizeType i = 0; i < list->Size(); ++i) {
        const Value& id = (*list)[i];
        if (!id.IsString())
            Fail("removed output path " + std::to_string(i + 1), "is not a text");
        std::string text(id.GetString(), id.GetStringLength());
        if (std::find(data.removedOutputPaths.begin(), data.removedOutputPaths.end(), text) == data.removedOutputPaths.end())
            data.removedOutputPaths.push_back(std::move(text));
    }
}

cmn::ZarnEvent ParseEvent(const Value& e, const std::string& where)
{
    const std::string code = RequireString(e, "code", where);
    cmn::ZarnEvent event(code[0], RequireUint32(e, "start", where, true), RequireUint32(e, "end", where, false),
                         RequireString(e, "id", where, false));
    event.value(RequireString(e, "text", where, false));
    event.int_value(RequireInt(e, "int", where, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), 0));
    if (const Value* f = Member(e, "float")) {
        if (!f->IsNumber() || !std::isfinite(f->GetDouble()))
            Fail(where, "has a \"float\" that is not a number");
        event.float_value(f->GetDouble());
    }
    if (const Value* osc = Member(e, "osc")) {
        if (!osc->IsObject())
            Fail(where, "has an \"osc\" that is not an object");
        event.osc_properties(OscProperties(RequireString(*osc, "message", where + " (osc)", false),
                                           RequireString(*osc, "networkId", where + " (osc)", false)));
    }
    if (const Value* sfx = Member(e, "sfx")) {
        if (!sfx->IsObject())
            Fail(where, "has an \"sfx\" that is not an object");
        event.sfx_properties(SfxProperties(RequireString(*sfx, "name", where + " (sfx)", false)));
    }
    event.UnknownMembersJson(UnknownMembers(e, {"code", "id", "start", "end", "text", "int", "float", "osc", "sfx"},
                                            {{"osc", {"message", "networkId"}}, {"sfx", {"name"}}}));
    return event;
}

void ParseSongs(const Value& root, ChangeLogData& data, std::vector<std::pair<std::string, cmn::ZarnEvent>>& events)
{
    const Value* songs = Member(root, "songs");
    if (!songs)
        return;
    if (!songs->IsObject())
        Fail("the file", "has \"songs\" that are not an object");
    for (auto it = songs->MemberBegin(); it != songs->MemberEnd(); ++it) {
        const std::string number = Str(it->name);
        const std::string where = SongPlace(number);
        if (number.empty())
            Fail("a song", "has an empty number");
        if (data.songs.count(number) != 0)
            Fail(where, "is listed twice");
        const Value& s = it->value;
        if (!s.IsObject())
            Fail(where, "is not an object");
        SongLog& log = data.songs[number];
        log.SetAttacca(static_cast<std::uint8_t>(RequireInt(s, "attacca", where, 0, 2, 0)));
        log.UnknownMembersJson(UnknownMembers(s, {"attacca", "events"}));
        const Value* list = Member(s, "events");
        if (!list)
            continue;
        if (!list->IsArray())
            Fail(where, "has \"events\" that are not a list");
        for (rapidjson::SizeType i = 0; i < list->Size(); ++i) {
            const Value& e = (*list)[i];
            const std::string eventWhere = where + ", event " + std::to_string(i + 1);
            if (!e.IsObject())
                Fail(eventWhere, "is not an object");
            const std::string code = RequireString(e, "code", eventWhere);
            if (code.size() != 1 || !codes::IsKnownEventCode(code[0])) {
                // A kind of a newer application: kept as it is.
                log.UnknownEventsJson().push_back(ToJson(e));
                continue;
            }
            events.emplace_back(number, ParseEvent(e, eventWhere));
        }
    }
}

std::string Percent(double factor)
{
    return std::to_string(std::llround(factor * 100.0)) + "%";
}

// "Vamp V3.1", or "Vamp at tick 1920" for an event without an id.
std::string Label(const cmn::ZarnEvent& e)
{
    const std::string name = EventRules::KindName(e.code());
    return e.EventId().empty() ? name + " at tick " + std::to_string(e.start()) : name + " " + e.EventId();
}

std::string Line(const std::string& song, const std::string& text)
{
    return "Song " + song + ": " + text + "\n";
}

// Repairs what an older or careless writer left, and says so.
void Repair(std::vector<std::pair<std::string, cmn::ZarnEvent>>& events, const ChangeLogFile::ClickValuesFn& clickValues,
            ChangeLogRepairs& repairs)
{
    std::set<std::string> usedIds;
    for (const auto& [song, e] : events) {
        if (EventRules::IsValidEventId(e.EventId()))
            usedIds.insert(e.EventId());
    }
    std::set<std::string> seenIds;
    for (auto& [song, e] : events) {
        const std::string name = EventRules::KindName(e.code());
        if (!e.IsPairedEvent()) {
            e.end(0);
        } else if (e.start() > e.end()) {
            const auto start = e.start();
            e.start(e.end());
            e.end(start);
            ++repairs.fixedEventCount;
            repairs.fixedEventDescription += Line(song, Label(e) + " ran backwards, from "
                                                            + std::to_string(start) + " to " + std::to_string(e.start())
                                                            + "; its start and end were swapped.");
        }

        const std::string id = e.EventId();
        if (!id.empty()) {
            std::string fixed = EventRules::IsValidEventId(id) ? id : EventRules::SanitizeEventId(id);
            if (seenIds.count(fixed) != 0 || (fixed != id && usedIds.count(fixed) != 0)) {
                fixed = EventRules::WithFreeSuffix(fixed, [&](const std::string& candidate) {
                    return usedIds.count(candidate) != 0 || seenIds.count(candidate) != 0;
                });
            }
            if (fixed != id) {
                ++repairs.fixedEventCount;
                repairs.fixedEventDescription += Line(song, name + " \"" + id
                                                                + "\" had an event id that was unusable or already in use; it is now \""
                                                                + fixed + "\".");
                e.EventId(fixed);
                usedIds.insert(fixed);
            }
            seenIds.insert(fixed);
        }

        if (e.code() == codes::TempoScale) {
            const double factor = e.double_value();
            const double clamped = std::clamp(factor, EventRules::kMinTempoScale, EventRules::kMaxTempoScale);
            if (clamped != factor) {
                e.float_value(clamped);
                repairs.tempoScaleWarnings += Line(song, Label(e) + " had a scale of " + Percent(factor)
                                                             + ", outside 50% to 200%; it is now " + Percent(clamped)
                                                             + ".");
            }
        } else if (e.code() == codes::Click) {
            const auto allowed = clickValues ? clickValues(song, e.start(), e.end()) : EventRules::DefaultClickValues();
            if (!allowed.empty() && std::find(allowed.begin(), allowed.end(), e.int_value()) == allowed.end()) {
                const int nearest = EventRules::NearestAllowed(e.int_value(), allowed);
                repairs.modifiedClickEditLog += Line(song, Label(e) + " had the click value "
                                                               + std::to_string(e.int_value())
                                                               + ", which is not allowed there; it is now "
                                                               + std::to_string(nearest) + ".");
                e.int_value(nearest);
            }
        }
    }
}

// --- Writing ---

using Writer = rapidjson::PrettyWriter<rapidjson::StringBuffer>;

void String(Writer& w, const std::string& s)
{
    w.String(s.data(), static_cast<rapidjson::SizeType>(s.size()));
}

void Key(Writer& w, const char* name)
{
    w.Key(name);
}

// Unknown members kept from the file, written back into the objects being written.
class ExtraMembers
{
public:
    explicit ExtraMembers(const std::string& json)
    {
        if (json.empty())
            return;
        doc_.Parse<kParseFlags>(json.data(), json.size());
        ok_ = !doc_.HasParseError() && doc_.IsObject();
    }

    bool HasNested(const char* name) const
    {
        if (!ok_)
            return false;
        const auto it = doc_.FindMember(name);
        return it != doc_.MemberEnd() && it->value.IsObject();
    }

    // The members kept for a nested object, into the object being written.
    void WriteNested(Writer& w, const char* name) const
    {
        if (!HasNested(name))
            return;
        const Value& inner = doc_[name];
        for (auto it = inner.MemberBegin(); it != inner.MemberEnd(); ++it) {
            w.Key(it->name.GetString(), it->name.GetStringLength());
            it->value.Accept(w);
        }
    }

    // The object's own members, leaving out those kept for nested objects.
    void Write(Writer& w, std::initializer_list<const char*> nestedNames = {}) const
    {
        if (!ok_)
            return;
        for (auto it = doc_.MemberBegin(); it != doc_.MemberEnd(); ++it) {
            if (IsOneOf(Str(it->name), nestedNames))
                continue;
            w.Key(it->name.GetString(), it->name.GetStringLength());
            it->value.Accept(w);
        }
    }

private:
    rapidjson::Document doc_;
    bool ok_ = false;
};

void WriteUnknownMembers(Writer& w, const std::string& json)
{
    ExtraMembers(json).Write(w);
}

void WriteRaw(Writer& w, const std::string& json)
{
    rapidjson::Document doc;
    doc.Parse<kParseFlags>(json.data(), json.size());
    if (!doc.HasParseError())
        doc.Accept(w);
}

void WriteEvent(Writer& w, const cmn::ZarnEvent& e)
{
    const ExtraMembers extras(e.UnknownMembersJson());
    w.StartObject();
    Key(w, "code");
    const char code[2] = {e.code(), '\0'};
    w.String(code, 1);
    Key(w, "id");
    String(w, e.EventId());
    Key(w, "start");
    w.Uint(e.start());
    Key(w, "end");
    w.Uint(e.end());
    if (EventRules::CarriesText(e.code()) || !e.value().empty()) {
        Key(w, "text");
        String(w, e.value());
    }
    if (EventRules::CarriesInt(e.code()) || e.int_value() != 0) {
        Key(w, "int");
        w.Int(e.int_value());
    }
    if (EventRules::CarriesReal(e.code()) || e.double_value() != 0.0) {
        Key(w, "float");
        // JSON has no infinities: a value that is not finite cannot have come from a file.
        w.Double(std::isfinite(e.double_value()) ? e.double_value() : 0.0);
    }
    if (EventRules::CarriesOsc(e.code()) || !e.osc_properties().empty() || extras.HasNested("osc")) {
        Key(w, "osc");
        w.StartObject();
        Key(w, "message");
        String(w, e.osc_properties().Message());
        Key(w, "networkId");
        String(w, e.osc_properties().NetworkId());
        extras.WriteNested(w, "osc");
        w.EndObject();
    }
    if (EventRules::CarriesSfx(e.code()) || !e.sfx_properties().empty() || extras.HasNested("sfx")) {
        Key(w, "sfx");
        w.StartObject();
        Key(w, "name");
        String(w, e.sfx_properties().name());
        extras.WriteNested(w, "sfx");
        w.EndObject();
    }
    extras.Write(w, {"osc", "sfx"});
    w.EndObject();
}

} // namespace

std::vector<int> ChangeLogFile::DefaultClickValues()
{
    return EventRules::DefaultClickValues();
}

ChangeLogFile::LoadResult ChangeLogFile::Parse(std::string_view json, const ClickValuesFn& clickValues)
{
    if (json.size() > kMaxFileBytes)
        throw ChangeLogFormatError("The change log is too large (" + std::to_string(json.size()) + " bytes).");
    CheckNesting(json);
    rapidjson::Document doc;
    doc.Parse<kParseFlags>(json.data(), json.size());
    if (doc.HasParseError())
        throw ChangeLogFormatError(std::string("The change log is not valid JSON: ")
                                   + rapidjson::GetParseError_En(doc.GetParseError()) + " (at byte "
                                   + std::to_string(doc.GetErrorOffset()) + ").");
    if (!doc.IsObject())
        Fail("the file", "is not a JSON object");

    LoadResult result;
    ChangeLogData& data = result.data;
    ParseFormat(doc, data.format, result.readOnly);
    data.version = ParseVersion(doc);
    data.modified = RequireUint32(doc, "modified", "the file", false);
    ParseNetworks(doc, data);
    ParseOutputPaths(doc, data);
    ParseRemovedOutputPaths(doc, data);
    std::vector<std::pair<std::string, cmn::ZarnEvent>> events;
    ParseSongs(doc, data, events);
    data.unknownMembersJson =
        UnknownMembers(doc, {"format", "version", "modified", "networks", "outputPaths", "removedOutputPaths", "songs"},
                       {{"version", {"major", "minor"}}});

    Repair(events, clickValues, result.repairs);
    for (const auto& [song, event] : events)
        data.songs[song].Insert(event);
    return result;
}

ChangeLogFile::LoadResult ChangeLogFile::Load(const std::filesystem::path& file, const ClickValuesFn& clickValues)
{
    const std::string bytes = zarn::FileBytes::Read(file, kMaxFileBytes);
    try {
        return Parse(bytes, clickValues);
    } catch (const ChangeLogFormatError& e) {
        throw ChangeLogFormatError(std::string(e.what()) + " (" + file.filename().string() + ")");
    }
}

std::string ChangeLogFile::Serialize(const ChangeLogData& data)
{
    const ExtraMembers topExtras(data.unknownMembersJson);
    rapidjson::StringBuffer buffer;
    Writer w(buffer);
    w.SetIndent(' ', 1);
    w.StartObject();
    Key(w, "format");
    String(w, data.format);
    Key(w, "version");
    w.StartObject();
    Key(w, "major");
    w.Uint(data.version.major);
    Key(w, "minor");
    w.Uint(data.version.minor);
    topExtras.WriteNested(w, "version");
    w.EndObject();
    Key(w, "modified");
    w.Uint(data.modified);

    Key(w, "networks");
    w.StartArray();
    for (const auto& n : data.networks) {
        w.StartObject();
        Key(w, "id");
        String(w, n.NetworkId());
        Key(w, "name");
        String(w, n.Name());
        Key(w, "ip");
        String(w, n.IpAddress());
        Key(w, "port");
        w.Int(n.port);
        Key(w, "tcp");
        w.Int(n.tcp);
        if (auto it = data.networkUnknownMembersJson.find(n.NetworkId()); it != data.networkUnknownMembersJson.end())
            WriteUnknownMembers(w, it->second);
        w.EndObject();
    }
    w.EndArray();

    Key(w, "outputPaths");
    w.StartArray();
    for (const auto& p : data.outputPaths) {
        w.StartObject();
        Key(w, "id");
        String(w, p.GetId());
        Key(w, "name");
        String(w, p.GetName());
        Key(w, "deviceId");
        String(w, p.GetDeviceId());
        Key(w, "deviceName");
        String(w, p.GetDeviceName());
        if (auto it = data.outputPathUnknownMembersJson.find(p.GetId());
            it != data.outputPathUnknownMembersJson.end())
            WriteUnknownMembers(w, it->second);
        w.EndObject();
    }
    w.EndArray();

    // Only when there are any: a log without deletions reads as it did before the member existed.
    if (!data.removedOutputPaths.empty()) {
        Key(w, "removedOutputPaths");
        w.StartArray();
        for (const auto& id : data.removedOutputPaths)
            String(w, id);
        w.EndArray();
    }

    Key(w, "songs");
    w.StartObject();
    for (const auto& [number, log] : data.songs) {
        w.Key(number.data(), static_cast<rapidjson::SizeType>(number.size()));
        w.StartObject();
        Key(w, "attacca");
        w.Uint(log.GetAttacca());
        Key(w, "events");
        w.StartArray();
        for (const cmn::ZarnEvent* e : log.GetAllEvents())
            WriteEvent(w, *e);
        for (const auto& raw : log.UnknownEventsJson())
            WriteRaw(w, raw);
        w.EndArray();
        WriteUnknownMembers(w, log.UnknownMembersJson());
        w.EndObject();
    }
    w.EndObject();
    topExtras.Write(w, {"version"});
    w.EndObject();
    std::string text(buffer.GetString(), buffer.GetSize());
    text += '\n';
    return text;
}

void ChangeLogFile::Save(const ChangeLogData& data, const std::filesystem::path& file)
{
    zarn::AtomicFile::Write(file, Serialize(data));
}

} // namespace CL
