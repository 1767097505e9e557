#include "zarn_core/Caesura.h"
#include "zarn_core/ChangeLogFile.h"
#include "zarn_core/ChangeLogFormatError.h"
#include "zarn_core/ChangeLogVersionError.h"
#include "zarn_core/Click.h"
#include "zarn_core/Cut.h"
#include "zarn_core/Marker.h"
#include "zarn_core/Osc.h"
#include "zarn_core/Repeat.h"
#include "zarn_core/TempoScale.h"
#include "zarn_core/Vamp.h"

#include <QtTest>

#include <random>

// Feeds the reader thousands of damaged change logs from a fixed seed. Each must either
// read (and then save and read back the same) or fail with the reader's own exception.
class TestZarnCoreChangeLogFuzz : public QObject
{
    Q_OBJECT

private slots:
    void malformedInputNeverCrashes();

private:
    std::string Mutate(const std::string& base, std::mt19937& random);
};

namespace {

std::string BaseDocument()
{
    CL::ChangeLogData data;
    data.version = cmn::ZARNVersion(2, 7);
    data.modified = 1666893600;
    data.networks.push_back(CL::NetworkPath("NETWORK0", "QLab", "127.0.0.1", 53000, 0));
    data.outputPaths.push_back(CL::OutputPath("p1", "Main", "", ""));
    for (const char* song : {"1", "2", "5A"}) {
        CL::SongLog& log = data.songs[song];
        const std::string s = song;
        log.Insert(CL::Marker(960, "Letter A", "E" + s + ".1"));
        log.Insert(CL::Caesura(1440, "N" + s + ".1", 0));
        log.Insert(CL::Osc(1440, "S" + s + ".1", {"/cue/1/go", "NETWORK0"}));
        log.Insert(CL::Cut(1920, 3840, "B" + s + ".1", 0));
        log.Insert(CL::Vamp(3840, 5760, "V" + s + ".1", 2));
        log.Insert(CL::Repeat(5760, 7680, "A" + s + ".1", 2));
        log.Insert(CL::Click(0, 1920, "L" + s + ".1", 8));
        log.Insert(CL::TempoScale(4000, 6000, "T" + s + ".1", 1.25));
    }
    return CL::ChangeLogFile::Serialize(data);
}

const char* kReplacements[] = {
    "\"x\"", "\"\"", "[]", "{}", "null", "true", "-1", "0", "1.5", "1e400", "-1e400", "99999999999999999999",
    "4294967296", "4294967295", "2147483648", "-2147483649", "\"\\u0000\"", "\"\\ud800\"", "[[[[", "}", "\"1.0\"",
    "\"2.0\"", "\"1.9\"", "\"@\"", "\"Z\"", "\"EE\"", "256", "65536", "NaN", "Infinity", "0.0000001",
};

} // namespace

std::string TestZarnCoreChangeLogFuzz::Mutate(const std::string& base, std::mt19937& random)
{
    auto pick = [&random](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    std::string doc = base;
    const int kind = static_cast<int>(pick(7));
    switch (kind) {
    case 0: // truncated
        doc.resize(pick(doc.size()));
        break;
    case 1: { // random bytes overwritten
        const std::size_t n = 1 + pick(8);
        for (std::size_t i = 0; i < n; ++i)
            doc[pick(doc.size())] = static_cast<char>(pick(256));
        break;
    }
    case 2: // deep nesting at a value position
    case 3: { // a value of the wrong type or size
        std::vector<std::size_t> colons;
        for (std::size_t i = 0; i < doc.size(); ++i) {
            if (doc[i] == ':')
                colons.push_back(i);
        }
        std::size_t at = colons[pick(colons.size())] + 1;
        while (at < doc.size() && doc[at] == ' ')
            ++at;
        std::size_t end = at;
        if (doc[at] == '"') {
            end = doc.find('"', at + 1) + 1;
        } else if (doc[at] == '{' || doc[at] == '[') {
            end = at + 1; // replace only the opening bracket: a shape error
        } else {
            while (end < doc.size() && doc[end] != ',' && doc[end] != '}' && doc[end] != '\n')
                ++end;
        }
        std::string replacement;
        if (kind == 2) {
            const std::size_t depth = 1 + pick(3000);
            replacement = std::string(depth, pick(2) ? '[' : '{');
            if (pick(2))
                replacement += std::string(depth, replacement[0] == '[' ? ']' : '}');
        } else {
            replacement = kReplacements[pick(std::size(kReplacements))];
        }
        doc.replace(at, end - at, replacement);
        break;
    }
    case 4: { // a slice deleted
        const std::size_t from = pick(doc.size());
        doc.erase(from, pick(64));
        break;
    }
    case 5: { // a slice duplicated
        const std::size_t from = pick(doc.size());
        const std::string slice = doc.substr(from, pick(128));
        doc.insert(pick(doc.size()), slice);
        break;
    }
    default: { // several value swaps at once
        for (int i = 0; i < 4; ++i) {
            const std::size_t at = doc.find(": ", pick(doc.size()));
            if (at == std::string::npos)
                continue;
            const std::size_t end = doc.find_first_of(",\n", at);
            doc.replace(at + 2, end - at - 2, kReplacements[pick(std::size(kReplacements))]);
        }
        break;
    }
    }
    return doc;
}

void TestZarnCoreChangeLogFuzz::malformedInputNeverCrashes()
{
    const std::string base = BaseDocument();
    QVERIFY(CL::ChangeLogFile::Parse(base).repairs.empty());
    std::mt19937 random(20261210);
    int read = 0;
    int refused = 0;
    for (int i = 0; i < 4000; ++i) {
        const std::string doc = Mutate(base, random);
        try {
            const auto result = CL::ChangeLogFile::Parse(doc);
            // Whatever was read saves and reads back as itself.
            const std::string saved = CL::ChangeLogFile::Serialize(result.data);
            const auto again = CL::ChangeLogFile::Parse(saved);
            QVERIFY2(again.data == result.data, ("case " + std::to_string(i)).c_str());
            QCOMPARE(CL::ChangeLogFile::Serialize(again.data), saved);
            ++read;
        } catch (const CL::ChangeLogFormatError& e) {
            QVERIFY(std::string(e.what()).size() > 20);
            ++refused;
        } catch (const CL::ChangeLogVersionError&) {
            ++refused;
        } catch (const std::exception& e) {
            QFAIL(("case " + std::to_string(i) + ": unexpected exception: " + e.what()).c_str());
        }
    }
    qInfo("%d read, %d refused", read, refused);
    QVERIFY(refused > 1000);
    QVERIFY(read > 50);
}

QTEST_GUILESS_MAIN(TestZarnCoreChangeLogFuzz)
#include "tst_zarn_core_changelog_fuzz.moc"
