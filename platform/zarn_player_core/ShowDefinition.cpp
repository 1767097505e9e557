#include "ShowDefinition.h"

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>
#include <stdexcept>

namespace zarn::player {

namespace {

class Reader
{
public:
    explicit Reader(std::string origin)
        : origin_(std::move(origin))
    {
    }

    [[noreturn]] void Fail(const std::string& what) const
    {
        throw std::runtime_error("The show file " + origin_ + " is not valid: " + what + ".");
    }

    const rapidjson::Value& Member(const rapidjson::Value& object, const char* name, const std::string& where) const
    {
        auto it = object.FindMember(name);
        if (it == object.MemberEnd())
            Fail(where + " has no \"" + name + "\"");
        return it->value;
    }

    std::string String(const rapidjson::Value& object, const char* name, const std::string& where) const
    {
        const auto& v = Member(object, name, where);
        if (!v.IsString())
            Fail(where + ": \"" + name + "\" must be a text");
        return {v.GetString(), v.GetStringLength()};
    }

    std::string OptionalString(const rapidjson::Value& object, const char* name, const std::string& where) const
    {
        if (!object.HasMember(name))
            return {};
        return String(object, name, where);
    }

    int64_t Integer(const rapidjson::Value& object, const char* name, const std::string& where, int64_t min,
                    int64_t max) const
    {
        const auto& v = Member(object, name, where);
        if (!v.IsInt64())
            Fail(where + ": \"" + name + "\" must be a whole number");
        const int64_t n = v.GetInt64();
        if (n < min || n > max)
            Fail(where + ": \"" + name + "\" is " + std::to_string(n) + ", outside " + std::to_string(min) + ".."
                 + std::to_string(max));
        return n;
    }

    uint32_t Tick(const rapidjson::Value& object, const char* name, const std::string& where) const
    {
        return static_cast<uint32_t>(Integer(object, name, where, 0, std::numeric_limits<int32_t>::max()));
    }

    double Real(const rapidjson::Value& object, const char* name, const std::string& where, double min,
                double max) const
    {
        const auto& v = Member(object, name, where);
        if (!v.IsNumber())
            Fail(where + ": \"" + name + "\" must be a number");
        const double d = v.GetDouble();
        if (!std::isfinite(d) || d < min || d > max)
            Fail(where + ": \"" + name + "\" is out of range");
        return d;
    }

    const rapidjson::Value::ConstArray Array(const rapidjson::Value& object, const char* name,
                                             const std::string& where) const
    {
        const auto& v = Member(object, name, where);
        if (!v.IsArray())
            Fail(where + ": \"" + name + "\" must be a list");
        return v.GetArray();
    }

    const rapidjson::Value& Object(const rapidjson::Value& v, const std::string& where) const
    {
        if (!v.IsObject())
            Fail(where + " must be an object");
        return v;
    }

private:
    std::string origin_;
};

bool IsAllowedDenominator(int64_t d)
{
    return d == 1 || d == 2 || d == 4 || d == 8 || d == 16 || d == 32;
}

// An audio path must stay inside the show folder.
bool IsSafeRelativePath(const std::string& p)
{
    if (p.empty() || p.front() == '/' || p.front() == '\\' || p.find(':') != std::string::npos)
        return false;
    std::stringstream parts(p);
    std::string part;
    while (std::getline(parts, part, '/')) {
        if (part == ".." || part.find('\\') != std::string::npos)
            return false;
    }
    return true;
}

template <typename T> void CheckAscending(const Reader& r, const std::vector<T>& points, const std::string& where)
{
    if (points.empty())
        r.Fail(where + " is empty");
    if (points.front().tick != 0)
        r.Fail(where + " must begin at tick 0");
    for (size_t i = 1; i < points.size(); ++i) {
        if (points[i].tick <= points[i - 1].tick)
            r.Fail(where + " must be in strictly ascending tick order");
    }
}

// Stems without a path, or on one the show does not define, play on the first path; so does
// the click. A show without paths leaves them all empty.
void ResolveOutputPaths(const Reader& r, const rapidjson::Value& doc, ShowDefinition& show)
{
    const std::string first = show.outputPaths.empty() ? std::string() : show.outputPaths.front().id;
    const auto known = [&show](const std::string& id) {
        for (const OutputPathDefinition& path : show.outputPaths) {
            if (path.id == id)
                return true;
        }
        return false;
    };
    const auto fallback = [&](const std::string& what, const std::string& id) {
        show.warnings.push_back(what + " names the unknown output path \"" + id + "\" and plays on " +
                                (first.empty() ? std::string("the default device") : "the first path (\"" + first + "\")") +
                                ".");
    };
    for (SongDefinition& song : show.songs) {
        for (StemDefinition& stem : song.stems) {
            if (!stem.outputPath.empty() && !known(stem.outputPath)) {
                fallback("Song \"" + song.number + "\": the stem \"" + stem.file + "\"", stem.outputPath);
                stem.outputPath.clear();
            }
            if (stem.outputPath.empty())
                stem.outputPath = first;
        }
    }
    show.clickOutputPath = r.OptionalString(doc, "clickOutputPath", "the top level");
    if (!show.clickOutputPath.empty() && !known(show.clickOutputPath)) {
        fallback("The click", show.clickOutputPath);
        show.clickOutputPath.clear();
    }
    if (show.clickOutputPath.empty())
        show.clickOutputPath = first;
}

SongDefinition ParseSong(const Reader& r, const rapidjson::Value& v, size_t index)
{
    std::string where = "song " + std::to_string(index + 1);
    r.Object(v, where);
    SongDefinition s;
    s.number = r.String(v, "number", where);
    if (s.number.empty())
        r.Fail(where + " has an empty number");
    where = "song \"" + s.number + "\"";
    s.title = r.String(v, "title", where);
    s.startTick = r.Tick(v, "startTick", where);
    s.lengthTicks = r.Tick(v, "lengthTicks", where);
    if (s.lengthTicks <= s.startTick)
        r.Fail(where + ": \"lengthTicks\" must lie after \"startTick\"");
    s.audioStartTick = v.HasMember("audioStartTick") ? r.Tick(v, "audioStartTick", where) : s.startTick;
    s.audioEndTick = v.HasMember("audioEndTick") ? r.Tick(v, "audioEndTick", where) : s.lengthTicks;
    if (s.audioEndTick < s.audioStartTick)
        r.Fail(where + ": \"audioEndTick\" lies before \"audioStartTick\"");
    s.audio = r.OptionalString(v, "audio", where);
    if (!s.audio.empty() && !IsSafeRelativePath(s.audio))
        r.Fail(where + ": the audio path \"" + s.audio + "\" leaves the show folder");
    if (v.HasMember("stems")) {
        for (const auto& stem : r.Array(v, "stems", where)) {
            r.Object(stem, where + " stem");
            StemDefinition d;
            d.file = r.String(stem, "file", where + " stem");
            if (d.file.empty() || !IsSafeRelativePath(d.file))
                r.Fail(where + ": the stem path \"" + d.file + "\" leaves the show folder");
            d.outputPath = r.OptionalString(stem, "outputPath", where + " stem");
            s.stems.push_back(std::move(d));
        }
        if (s.audio.empty() && !s.stems.empty())
            s.audio = s.stems.front().file;
    } else if (!s.audio.empty()) {
        s.stems.push_back({s.audio, {}});
    }
    s.firstBarNumber = v.HasMember("firstBarNumber")
        ? static_cast<int>(r.Integer(v, "firstBarNumber", where, -9999, 99999))
        : 1;

    if (v.HasMember("meters")) {
        for (const auto& m : r.Array(v, "meters", where)) {
            r.Object(m, where + " meter");
            MeterPoint p;
            p.tick = r.Tick(m, "tick", where + " meter");
            p.numerator = static_cast<uint8_t>(r.Integer(m, "num", where + " meter", 1, 64));
            const auto den = r.Integer(m, "den", where + " meter", 1, 32);
            if (!IsAllowedDenominator(den))
                r.Fail(where + ": a meter's \"den\" must be 1, 2, 4, 8, 16 or 32");
            p.denominator = static_cast<uint8_t>(den);
            s.meters.push_back(p);
        }
    } else {
        s.meters.push_back({});
    }
    CheckAscending(r, s.meters, where + " meters");

    if (v.HasMember("tempos")) {
        for (const auto& t : r.Array(v, "tempos", where)) {
            r.Object(t, where + " tempo");
            s.tempos.push_back({r.Tick(t, "tick", where + " tempo"), r.Real(t, "bpm", where + " tempo", 1.0, 1000.0)});
        }
    } else {
        s.tempos.push_back({});
    }
    CheckAscending(r, s.tempos, where + " tempos");

    if (v.HasMember("keys")) {
        for (const auto& k : r.Array(v, "keys", where)) {
            r.Object(k, where + " key");
            KeyPoint p;
            p.tick = r.Tick(k, "tick", where + " key");
            p.sharpsFlats = static_cast<int16_t>(r.Integer(k, "sf", where + " key", -7, 7));
            p.minor = static_cast<int16_t>(r.Integer(k, "mi", where + " key", 0, 1));
            s.keys.push_back(p);
        }
    } else {
        s.keys.push_back({});
    }
    CheckAscending(r, s.keys, where + " keys");

    if (v.HasMember("bars")) {
        for (const auto& b : r.Array(v, "bars", where)) {
            r.Object(b, where + " bar");
            BarLabel l{r.Tick(b, "tick", where + " bar"), r.String(b, "number", where + " bar")};
            if (l.number.empty() || l.number.size() > 16)
                r.Fail(where + ": a bar number must have 1 to 16 characters");
            s.bars.push_back(std::move(l));
        }
        std::stable_sort(s.bars.begin(), s.bars.end(),
                         [](const BarLabel& a, const BarLabel& b) { return a.tick < b.tick; });
    }
    return s;
}

} // namespace

ShowDefinition ShowDefinition::LoadFromFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("The show file " + path + " cannot be read.");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        throw std::runtime_error("The show file " + path + " cannot be read.");
    return Parse(text.str(), path);
}

ShowDefinition ShowDefinition::Parse(const std::string& json, const std::string& origin)
{
    const Reader r(origin);
    rapidjson::Document doc;
    doc.Parse(json.c_str(), json.size());
    if (doc.HasParseError()) {
        r.Fail(std::string("JSON error at offset ") + std::to_string(doc.GetErrorOffset()) + ": "
               + rapidjson::GetParseError_En(doc.GetParseError()));
    }
    r.Object(doc, "the top level");

    ShowDefinition show;
    show.format = r.String(doc, "format", "the top level");
    if (show.format.rfind("1.", 0) != 0)
        r.Fail("format \"" + show.format + "\" is not supported (1.x expected)");
    show.showId = r.String(doc, "showId", "the top level");
    if (doc.HasMember("ppq") && r.Integer(doc, "ppq", "the top level", 1, 100000) != kTicksPerQuarter)
        r.Fail("\"ppq\" must be 480");

    std::set<std::string> numbers;
    const auto songs = r.Array(doc, "songs", "the top level");
    for (rapidjson::SizeType i = 0; i < songs.Size(); ++i) {
        auto song = ParseSong(r, songs[i], i);
        if (!numbers.insert(song.number).second)
            r.Fail("song number \"" + song.number + "\" appears twice");
        show.songs.push_back(std::move(song));
    }
    if (show.songs.empty())
        r.Fail("it lists no song");

    if (doc.HasMember("pages")) {
        for (const auto& p : r.Array(doc, "pages", "the top level")) {
            r.Object(p, "a page");
            PageDefinition page;
            page.page = static_cast<unsigned>(r.Integer(p, "page", "a page", 1, 100000));
            page.song = r.String(p, "song", "page " + std::to_string(page.page));
            page.tick = r.Tick(p, "tick", "page " + std::to_string(page.page));
            if (!numbers.count(page.song))
                r.Fail("page " + std::to_string(page.page) + " names the unknown song \"" + page.song + "\"");
            show.pages.push_back(std::move(page));
        }
    }
    if (doc.HasMember("outputPaths")) {
        for (const auto& o : r.Array(doc, "outputPaths", "the top level")) {
            r.Object(o, "an output path");
            show.outputPaths.push_back({r.String(o, "id", "an output path"), r.String(o, "name", "an output path")});
        }
    }
    ResolveOutputPaths(r, doc, show);
    return show;
}

int ShowDefinition::IndexOfSong(const std::string& number) const
{
    for (size_t i = 0; i < songs.size(); ++i) {
        if (songs[i].number == number)
            return static_cast<int>(i);
    }
    return -1;
}

const SongDefinition* ShowDefinition::FindSong(const std::string& number) const
{
    const int i = IndexOfSong(number);
    return i < 0 ? nullptr : &songs[static_cast<size_t>(i)];
}

} // namespace zarn::player
