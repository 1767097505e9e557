#include "zarn_core/AmbientSfx.h"
#include "zarn_core/Caesura.h"
#include "zarn_core/ChangeLog.h"
#include "zarn_core/ChangeLogFile.h"
#include "zarn_core/ChangeLogFormatError.h"
#include "zarn_core/ChangeLogVersionError.h"
#include "zarn_core/Click.h"
#include "zarn_core/Cut.h"
#include "zarn_core/Editor.h"
#include "zarn_core/Fermata.h"
#include "zarn_core/Marker.h"
#include "zarn_core/Osc.h"
#include "zarn_core/Repeat.h"
#include "zarn_core/Sfx.h"
#include "zarn_core/TempoScale.h"
#include "zarn_core/Transpose.h"
#include "zarn_core/Vamp.h"

#include <QtTest>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

CL::ChangeLogData EveryKind()
{
    CL::ChangeLogData data;
    data.version = cmn::ZARNVersion(3, 2);
    data.modified = 1666893600;
    data.networks.push_back(CL::NetworkPath("NETWORK0", "Lights", "127.0.0.1", 53000, 0));
    data.networks.push_back(CL::NetworkPath("NETWORK1", "Sound \"desk\"", "10.0.0.7", 9000, 1));
    data.outputPaths.push_back(CL::OutputPath("p1", "Main", "", ""));
    data.outputPaths.push_back(CL::OutputPath("p2", "Click", "hw:1", "USB Audio"));
    data.removedOutputPaths = {"stage-left", "booth"};
    CL::SongLog& one = data.songs["1"];
    one.SetAttacca(1);
    one.Insert(CL::Marker(960, "Letter A – ünïcode", "E1.3"));
    one.Insert(CL::Caesura(1440, "N1.4", 2));
    one.Insert(CL::Osc(1440, "S1.4", CL::OscProperties("/cue/1/go", "NETWORK0")));
    one.Insert(CL::Cut(1920, 3840, "B2.1", 0));
    one.Insert(CL::Fermata(3840, 5760, "M3.1", 0));
    one.Insert(CL::Vamp(5760, 7680, "V4.1", 0));
    one.Insert(CL::Repeat(7680, 9600, "A5.1", 3));
    one.Insert(CL::Click(0, 1920, "L1.1", 8));
    one.Insert(CL::Transpose(0, 9600, "C1.1", -2));
    one.Insert(CL::TempoScale(4000, 6000, "T3.2", 1.1));
    one.Insert(CL::Sfx(100, "Q1.1", CL::SfxProperties("Thunder")));
    one.Insert(CL::AmbientSfx(200, "R1.1", CL::SfxProperties("Rain")));
    data.songs["10"].Insert(CL::Marker(0, "", ""));
    data.songs["2"].SetAttacca(2);
    return data;
}

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary);
    out << bytes;
}

const char* kHeader = R"("format":"1.0","version":{"major":3,"minor":2},"modified":1666893600)";

std::string WithSongEvents(const std::string& events)
{
    return std::string("{") + kHeader + R"(,"songs":{"1":{"attacca":0,"events":[)" + events + "]}}}";
}

} // namespace

class TestZarnCoreChangeLog : public QObject
{
    Q_OBJECT

private slots:
    void roundTripIsByteStable();
    void documentedExampleReads();
    void unknownMembersAndKindsSurvive();
    void formatVersions_data();
    void formatVersions();
    void malformedFiles_data();
    void malformedFiles();
    void repairs();
    void repairUsesEngineClickValues();
    void saveIsAtomic();
    void editLoadSave();
    void changeLogRecords();
    void recordTimeFromTheTopLevel_data();
    void recordTimeFromTheTopLevel();
};

void TestZarnCoreChangeLog::roundTripIsByteStable()
{
    const CL::ChangeLogData data = EveryKind();
    const std::string first = CL::ChangeLogFile::Serialize(data);
    const auto loaded = CL::ChangeLogFile::Parse(first);
    QVERIFY(!loaded.readOnly);
    QVERIFY(loaded.repairs.empty());
    QVERIFY(loaded.data == data);
    QCOMPARE(CL::ChangeLogFile::Serialize(loaded.data), first);
    // Songs in numeric order in the file.
    QVERIFY(first.find("\"2\"") < first.find("\"10\""));
    // The tempo factor keeps its exact value.
    QCOMPARE(loaded.data.songs.at("1").GetTempoScales().at(0).double_value(), 1.1);
}

void TestZarnCoreChangeLog::documentedExampleReads()
{
    const std::string json = R"({"format":"1.0","version":{"major":3,"minor":2},"modified":1666893600,
 "networks":[{"id":"NETWORK0","name":"QLab","ip":"127.0.0.1","port":53000,"tcp":0}],
 "outputPaths":[{"id":"x","name":"Main","deviceId":"","deviceName":""}],
 "songs":{"1":{"attacca":0,"events":[
   {"code":"E","id":"E1.1","start":960,"end":0,"text":"Letter A"},
   {"code":"@","id":"V3.1","start":1920,"end":3840,"int":0},
   {"code":"D","id":"T5.1","start":4000,"end":6000,"float":1.1},
   {"code":"S","id":"S2.1","start":1440,"end":0,"osc":{"message":"/cue/1/go","networkId":"NETWORK0"}}]}}})";
    const auto result = CL::ChangeLogFile::Parse(json);
    const CL::SongLog& song = result.data.songs.at("1");
    QCOMPARE(song.EventCount(), std::size_t(4));
    QCOMPARE(song.GetMarkers().at(0).value(), std::string("Letter A"));
    QCOMPARE(song.GetVamps().at(0).end(), 3840u);
    QCOMPARE(song.GetOscs().at(0).osc_properties().NetworkId(), std::string("NETWORK0"));
    QCOMPARE(result.data.networks.at(0).port, 53000);
    QCOMPARE(result.data.version, cmn::ZARNVersion(3, 2));
}

void TestZarnCoreChangeLog::unknownMembersAndKindsSurvive()
{
    const std::string json = R"({"format":"1.0","version":{"major":1,"minor":0,"futureBuild":7},"modified":5,
 "futureTop":{"a":[1,2,{"b":null}]},
 "networks":[{"id":"N0","name":"n","ip":"127.0.0.1","port":1,"tcp":0,"futureNet":true}],
 "outputPaths":[{"id":"p","name":"Main","deviceId":"","deviceName":"","futurePath":1.5}],
 "songs":{"1":{"attacca":0,"futureSong":"x","events":[
   {"code":"E","id":"E1","start":0,"end":0,"text":"A","futureEvent":{"c":"d"}},
   {"code":"S","id":"S1","start":5,"osc":{"message":"/go","networkId":"N0","futureArgs":[1]}},
   {"code":"Q","id":"Q1","start":6,"sfx":{"name":"Rain","futureGain":-3}},
   {"code":"Z","id":"Z1","start":10,"whatever":[true]}]}}})";
    const auto loaded = CL::ChangeLogFile::Parse(json);
    const std::string saved = CL::ChangeLogFile::Serialize(loaded.data);
    for (const char* kept : {"\"futureTop\"", "\"futureNet\": true", "\"futurePath\": 1.5", "\"futureSong\": \"x\"",
                             "\"futureEvent\"", "\"code\": \"Z\"", "\"whatever\"", "\"futureBuild\": 7",
                             "\"futureArgs\"", "\"futureGain\": -3"})
        QVERIFY2(saved.find(kept) != std::string::npos, kept);
    const auto again = CL::ChangeLogFile::Parse(saved);
    QVERIFY(again.data == loaded.data);
    QCOMPARE(CL::ChangeLogFile::Serialize(again.data), saved);
    // The unknown kind is not an event the program sees.
    QCOMPARE(loaded.data.songs.at("1").EventCount(), std::size_t(3));
    // Nested members stay inside their own objects.
    const auto version = saved.find("\"version\"");
    QVERIFY(saved.find("\"futureBuild\"") < saved.find("}", version));
    const auto osc = saved.find("\"osc\"");
    QVERIFY(saved.find("\"futureArgs\"") < saved.find("}", osc));
    QCOMPARE(loaded.data.songs.at("1").GetOscs().at(0).osc_properties().Message(), std::string("/go"));
}

void TestZarnCoreChangeLog::formatVersions_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("outcome"); // "ok", "readonly", "version", "format"
    QTest::newRow("1.0") << "1.0" << "ok";
    QTest::newRow("newer minor") << "1.3" << "readonly";
    QTest::newRow("newer major") << "2.0" << "version";
    QTest::newRow("far newer major") << "255.0" << "version";
    QTest::newRow("older major") << "0.9" << "format";
    QTest::newRow("not a version") << "one" << "format";
}

void TestZarnCoreChangeLog::formatVersions()
{
    QFETCH(QString, format);
    QFETCH(QString, outcome);
    const std::string json = R"({"format":")" + format.toStdString()
        + R"(","version":{"major":1,"minor":2},"modified":0,"songs":{}})";
    if (outcome == "version") {
        try {
            CL::ChangeLogFile::Parse(json);
            QFAIL("read");
        } catch (const CL::ChangeLogVersionError& e) {
            QVERIFY2(QString(e.what()).contains("newer version of the application"), e.what());
        }
        return;
    }
    if (outcome == "format") {
        QVERIFY_THROWS_EXCEPTION(CL::ChangeLogFormatError, CL::ChangeLogFile::Parse(json));
        return;
    }
    const auto result = CL::ChangeLogFile::Parse(json);
    QCOMPARE(result.readOnly, outcome == "readonly");
    // A newer file keeps its format text when saved again.
    QVERIFY(CL::ChangeLogFile::Serialize(result.data).find("\"" + format.toStdString() + "\"") != std::string::npos);
    const CL::Editor editor(result.data, result.readOnly);
    QCOMPARE(editor.ChangelogIsReadOnly(), outcome == "readonly");
}

void TestZarnCoreChangeLog::malformedFiles_data()
{
    QTest::addColumn<QString>("json");
    QTest::addColumn<QString>("message"); // a part of the error text

    QTest::newRow("empty") << "" << "not valid JSON";
    QTest::newRow("truncated") << QString::fromStdString(std::string("{") + kHeader + ",\"songs\":{\"1\":{") << "not valid JSON";
    QTest::newRow("array root") << "[]" << "not a JSON object";
    QTest::newRow("no format") << R"({"version":{"major":1,"minor":0}})" << "\"format\"";
    QTest::newRow("no version") << R"({"format":"1.0"})" << "\"version\"";
    QTest::newRow("version 256") << R"({"format":"1.0","version":{"major":256,"minor":0}})" << "0 to 255";
    QTest::newRow("version text") << R"({"format":"1.0","version":"3.2"})" << "not an object";
    QTest::newRow("modified negative") << QString(R"({"format":"1.0","version":{"major":1,"minor":0},"modified":-1})") << "\"modified\"";
    QTest::newRow("start huge") << QString::fromStdString(WithSongEvents(R"({"code":"E","start":4294967296})")) << "event 1";
    QTest::newRow("start real") << QString::fromStdString(WithSongEvents(R"({"code":"E","start":1.5})")) << "\"start\"";
    QTest::newRow("start text") << QString::fromStdString(WithSongEvents(R"({"code":"E","start":"0"})")) << "\"start\"";
    QTest::newRow("no start") << QString::fromStdString(WithSongEvents(R"({"code":"E"})")) << "\"start\"";
    QTest::newRow("int too big") << QString::fromStdString(WithSongEvents(R"({"code":"@","start":0,"end":1,"int":99999999999})")) << "\"int\"";
    QTest::newRow("float text") << QString::fromStdString(WithSongEvents(R"({"code":"D","start":0,"end":1,"float":"x"})")) << "\"float\"";
    QTest::newRow("osc not object") << QString::fromStdString(WithSongEvents(R"({"code":"S","start":0,"osc":"/go"})")) << "\"osc\"";
    QTest::newRow("event not object") << QString::fromStdString(WithSongEvents("42")) << "not an object";
    QTest::newRow("code not text") << QString::fromStdString(WithSongEvents(R"({"code":69,"start":0})")) << "\"code\"";
    QTest::newRow("attacca 3") << QString::fromStdString(std::string("{") + kHeader + R"(,"songs":{"1":{"attacca":3}}})") << "\"attacca\"";
    QTest::newRow("songs list") << QString::fromStdString(std::string("{") + kHeader + R"(,"songs":[]})") << "\"songs\"";
    QTest::newRow("duplicate song") << QString::fromStdString(std::string("{") + kHeader + R"(,"songs":{"1":{},"1":{}}})") << "twice";
    QTest::newRow("network port") << QString::fromStdString(std::string("{") + kHeader + R"(,"networks":[{"id":"a","port":70000}]})") << "\"port\"";
    QTest::newRow("removed paths text") << QString::fromStdString(std::string("{") + kHeader + R"(,"removedOutputPaths":"main"})") << "\"removedOutputPaths\"";
    QTest::newRow("removed path number") << QString::fromStdString(std::string("{") + kHeader + R"(,"removedOutputPaths":[1]})") << "removed output path 1";
    QTest::newRow("network no id") << QString::fromStdString(std::string("{") + kHeader + R"(,"networks":[{"port":1}]})") << "\"id\"";
    QTest::newRow("deep nesting") << QString::fromStdString(std::string("{") + kHeader + ",\"x\":" + std::string(5000, '[') + std::string(5000, ']') + "}") << "nested";
    QTest::newRow("bad utf-8") << QString::fromLatin1("{\"format\":\"1.0\",\"version\":{\"major\":1,\"minor\":0},\"x\":\"\\xff\"}") << "";
}

void TestZarnCoreChangeLog::malformedFiles()
{
    QFETCH(QString, json);
    QFETCH(QString, message);
    std::string bytes = json.toStdString();
    if (QByteArray(QTest::currentDataTag()) == "bad utf-8")
        bytes = std::string("{\"format\":\"1.0\",\"version\":{\"major\":1,\"minor\":0},\"x\":\"\xff\"}");
    try {
        CL::ChangeLogFile::Parse(bytes);
        QFAIL("accepted");
    } catch (const CL::ChangeLogFormatError& e) {
        QVERIFY2(QString(e.what()).contains(message), e.what());
    }
}

void TestZarnCoreChangeLog::repairs()
{
    const std::string json = WithSongEvents(R"(
        {"code":"@","id":"V1","start":3840,"end":1920,"int":0},
        {"code":"D","id":"T1","start":0,"end":1920,"float":2.5},
        {"code":"D","id":"T2","start":1920,"end":3840,"float":0.25},
        {"code":"D","id":"T3","start":3840,"end":5760,"float":1.5},
        {"code":"D","start":5760,"end":7680,"float":3},
        {"code":"L","id":"L1","start":0,"end":1920,"int":5},
        {"code":"L","id":"L2","start":1920,"end":3840,"int":10},
        {"code":"E","id":"dup","start":0,"end":480,"text":"a"},
        {"code":"E","id":"dup","start":480,"text":"b"},
        {"code":"N","id":"bad id!","start":960}
    )");
    const auto result = CL::ChangeLogFile::Parse(json);
    const CL::SongLog& song = result.data.songs.at("1");
    const auto& r = result.repairs;

    QCOMPARE(song.GetVamps().at(0).start(), 1920u);
    QCOMPARE(song.GetVamps().at(0).end(), 3840u);
    QCOMPARE(r.fixedEventCount, 3u); // the vamp, the second "dup", the bad id
    QCOMPARE(QString::fromStdString(r.fixedEventDescription),
             QString("Song 1: Vamp V1 ran backwards, from 3840 to 1920; its start and end were swapped.\n"
                     "Song 1: Marker \"dup\" had an event id that was unusable or already in use; it is now \"dup-2\".\n"
                     "Song 1: Caesura \"bad id!\" had an event id that was unusable or already in use; it is now \"bad_id_\".\n"));
    QCOMPARE(song.GetMarkers().at(0).end(), 0u); // point events keep end 0
    QCOMPARE(song.GetMarkers().at(1).EventId(), std::string("dup-2"));

    QCOMPARE(song.GetTempoScales().at(0).double_value(), 2.0);
    QCOMPARE(song.GetTempoScales().at(1).double_value(), 0.5);
    QCOMPARE(song.GetTempoScales().at(2).double_value(), 1.5);
    QCOMPARE(QString::fromStdString(r.tempoScaleWarnings),
             QString("Song 1: Tempo T1 had a scale of 250%, outside 50% to 200%; it is now 200%.\n"
                     "Song 1: Tempo T2 had a scale of 25%, outside 50% to 200%; it is now 50%.\n"
                     "Song 1: Tempo at tick 5760 had a scale of 300%, outside 50% to 200%; it is now 200%.\n"));

    QCOMPARE(song.GetClicks().at(0).int_value(), 4);
    QCOMPARE(song.GetClicks().at(1).int_value(), 8); // 10 is as near 8 as 12: the smaller wins
    QCOMPARE(QString::fromStdString(r.modifiedClickEditLog),
             QString("Song 1: Click L1 had the click value 5, which is not allowed there; it is now 4.\n"
                     "Song 1: Click L2 had the click value 10, which is not allowed there; it is now 8.\n"));

    // A repaired log saves and reads back clean.
    const auto again = CL::ChangeLogFile::Parse(CL::ChangeLogFile::Serialize(result.data));
    QVERIFY(again.repairs.empty());
    QVERIFY(again.data == result.data);
}

void TestZarnCoreChangeLog::repairUsesEngineClickValues()
{
    const std::string json = WithSongEvents(R"({"code":"L","id":"L1","start":0,"end":1440,"int":4})");
    std::string askedSong;
    const auto result = CL::ChangeLogFile::Parse(json, [&askedSong](const std::string& song, std::uint32_t start,
                                                                    std::uint32_t end) {
        askedSong = song + ":" + std::to_string(start) + "-" + std::to_string(end);
        return std::vector<int>{3, 6, 12};
    });
    QCOMPARE(askedSong, std::string("1:0-1440"));
    QCOMPARE(result.data.songs.at("1").GetClicks().at(0).int_value(), 3);
}

void TestZarnCoreChangeLog::saveIsAtomic()
{
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    const fs::path file = folder / "gala-3.2.logdata";
    CL::ChangeLogFile::Save(EveryKind(), file);
    const std::string first = ReadAll(file);
    QVERIFY(CL::ChangeLogFile::Load(file).data == EveryKind());

    // Replacing keeps no temporary files behind.
    CL::ChangeLogData changed = EveryKind();
    changed.modified = 7;
    CL::ChangeLogFile::Save(changed, file);
    QCOMPARE(CL::ChangeLogFile::Load(file).data.modified, 7u);
    QCOMPARE(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

    // A failed write says so and leaves the old file alone.
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, CL::ChangeLogFile::Save(EveryKind(), folder / "missing" / "x.logdata"));
    fs::create_directory(folder / "blocked.logdata"); // a folder where the file should go
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, CL::ChangeLogFile::Save(EveryKind(), folder / "blocked.logdata"));
    QVERIFY(fs::is_directory(folder / "blocked.logdata"));
    QCOMPARE(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
    Q_UNUSED(first);

    // Reading a missing file or a folder is a clear error too.
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, CL::ChangeLogFile::Load(folder / "nothing.logdata"));
}

void TestZarnCoreChangeLog::editLoadSave()
{
    QTemporaryDir dir;
    const fs::path file = fs::path(dir.path().toStdString()) / "gala-3.3.logdata";
    CL::Editor editor(EveryKind());
    editor.SelectSongLogForEditing("1");
    editor.EditEventIntValue(CL::Vamp(5760, 7680, "V4.1", 0), 7);
    editor.AddEvent(CL::Marker(0, "New", "E1.1"));
    editor.SelectSongLogForEditing("5A");
    editor.AddEvent(CL::Cut(0, 480, "B1.1-2", 0));
    CL::ChangeLogData data = editor.Data();
    data.version = cmn::ZARNVersion(3, 3);
    CL::ChangeLogFile::Save(data, file);
    const auto loaded = CL::ChangeLogFile::Load(file);
    QVERIFY(loaded.data == data);
    QCOMPARE(loaded.data.songs.at("1").GetVamps().at(0).int_value(), 7);
    QCOMPARE(loaded.data.songs.at("5A").GetCuts().size(), std::size_t(1));
}

void TestZarnCoreChangeLog::changeLogRecords()
{
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    const std::string credential = (folder / "credential.json").string();
    CL::ChangeLogData data = EveryKind();
    data.modified = 1700000000;
    CL::ChangeLogFile::Save(data, folder / "spring-gala-3.2.logdata");
    CL::ChangeLogFile::Save(data, folder / "spring-gala-3.2-copy-3.2.logdata");
    WriteAll(folder / "gala-1.4.logdata", "garbage");
    WriteAll(folder / "notes.logdata", "{}");

    const CL::ChangeLog log((folder / "spring-gala-3.2.logdata").string(), credential);
    QVERIFY(log.IsReadable());
    QCOMPARE(log.version, cmn::ZARNVersion(3, 2));
    QCOMPARE(log.modified, 1700000000u);
    QCOMPARE(log.CredentialFilePath(), credential);
    // Same version and time: the same log, listed once.
    QVERIFY(log == CL::ChangeLog((folder / "spring-gala-3.2-copy-3.2.logdata").string(), credential));

    // Unreadable content: the version from the name, the time from the file.
    const CL::ChangeLog garbage((folder / "gala-1.4.logdata").string(), credential);
    QVERIFY(!garbage.IsReadable());
    QCOMPARE(garbage.version, cmn::ZARNVersion(1, 4));
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch()).count();
    QVERIFY(std::llabs(static_cast<long long>(garbage.modified) - now) < 60);
    QVERIFY(!(garbage == log));

    const CL::ChangeLog unnamed((folder / "notes.logdata").string(), credential);
    QVERIFY(!unnamed.IsReadable());
    QCOMPARE(unnamed.version, cmn::ZARNVersion(0, 0));

    const CL::ChangeLog missing((folder / "gone-1.0.logdata").string(), credential);
    QVERIFY(!missing.IsReadable());

    CL::ChangeLog server;
    server.version = cmn::ZARNVersion(4, 0);
    server.modified = 5;
    CL::ChangeLog copy = server;
    QVERIFY(copy == server);
}

// The record reads only as far as the top-level "modified" member: what lies after it is not
// looked at, and a member of that name inside another is not the log's time.
void TestZarnCoreChangeLog::recordTimeFromTheTopLevel_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("fromContent"); // else the file's write time
    QTest::addColumn<bool>("readable");
    QTest::newRow("after a nested one") << QByteArray(R"({"songs":{"1":{"modified":5}},"modified":7})") << true
                                        << true;
    QTest::newRow("damage after it") << QByteArray(R"({"format":"1.0","modified":7,"songs":{"1":[)") << true << true;
    QTest::newRow("damage before it") << QByteArray(R"({"format":"1.0","songs":{"1":[,"modified":7})") << false
                                      << false;
    QTest::newRow("negative") << QByteArray(R"({"modified":-3})") << false << true;
    QTest::newRow("text") << QByteArray(R"({"modified":"7"})") << false << true;
    QTest::newRow("beyond 32 bits") << QByteArray(R"({"modified":4294967296})") << false << true;
    QTest::newRow("inside a list") << QByteArray(R"([{"modified":7}])") << false << false;
    QTest::newRow("a bare number") << QByteArray("7") << false << false;
}

void TestZarnCoreChangeLog::recordTimeFromTheTopLevel()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, fromContent);
    QFETCH(bool, readable);
    QTemporaryDir dir;
    const fs::path file = fs::path(dir.path().toStdString()) / "gala-2.1.logdata";
    WriteAll(file, content.toStdString());
    const auto written = fs::last_write_time(file) - std::chrono::hours(48);
    fs::last_write_time(file, written);
    const CL::ChangeLog log(file.string(), "");
    QCOMPARE(log.IsReadable(), readable);
    QCOMPARE(log.version, cmn::ZARNVersion(2, 1));
    if (fromContent) {
        QCOMPARE(log.modified, 7u);
    } else {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::file_clock::to_sys(written).time_since_epoch())
                                 .count();
        QCOMPARE(static_cast<long long>(log.modified), static_cast<long long>(seconds));
    }
}

QTEST_GUILESS_MAIN(TestZarnCoreChangeLog)
#include "tst_zarn_core_changelog.moc"
