#include "zarn_core/AmbientSfx.h"
#include "zarn_core/BarsBeats.h"
#include "zarn_core/Caesura.h"
#include "zarn_core/ChangeLogName.h"
#include "zarn_core/Click.h"
#include "zarn_core/CopyZarnEvent.h"
#include "zarn_core/Cut.h"
#include "zarn_core/EditNames.h"
#include "zarn_core/Fermata.h"
#include "zarn_core/FileVersion.h"
#include "zarn_core/HistoryItem.h"
#include "zarn_core/Keys.h"
#include "zarn_core/Marker.h"
#include "zarn_core/MidiStatusNames.h"
#include "zarn_core/Osc.h"
#include "zarn_core/Repeat.h"
#include "zarn_core/Sfx.h"
#include "zarn_core/TempoScale.h"
#include "zarn_core/Timeline.h"
#include "zarn_core/Transpose.h"
#include "zarn_core/Vamp.h"
#include "zarn_core/ZARNVersion.h"

#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <stdexcept>
#include <typeinfo>

Q_DECLARE_METATYPE(std::function<std::unique_ptr<cmn::ZarnEvent>()>)

using MakeEvent = std::function<std::unique_ptr<cmn::ZarnEvent>()>;

class TestZarnCoreEvents : public QObject
{
    Q_OBJECT

private slots:
    void constructors_data();
    void constructors();
    void equalityIsContent();
    void copyKeepsKindAndContent();
    void markerFromAnyEvent();
    void affectedCodes();
    void nameTable();
    void statusNames();
    void versionParsing_data();
    void versionParsing();
    void versionOrdering();
    void changeLogNames_data();
    void changeLogNames();
    void composeRefusesBadInput();
    void keyNames_data();
    void keyNames();
    void tempoAndTimeline();
};

void TestZarnCoreEvents::constructors_data()
{
    QTest::addColumn<MakeEvent>("make");
    QTest::addColumn<char>("code");
    QTest::addColumn<uint>("start");
    QTest::addColumn<uint>("end");
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("paired");
    QTest::addColumn<int>("intValue");
    QTest::addColumn<double>("realValue");
    QTest::addColumn<QString>("text");
    QTest::addColumn<uint>("length");

    auto add = [](const char* row, MakeEvent make, char code, uint start, uint end, const char* id, bool paired,
                  int i, double d, const char* text, uint length) {
        QTest::newRow(row) << make << code << start << end << QString(id) << paired << i << d << QString(text)
                           << length;
    };
    add("caesura", [] { return std::make_unique<CL::Caesura>(960, "N1.3", 0); }, 'N', 960, 0, "N1.3", false, 0, 0,
        "", 0);
    add("marker", [] { return std::make_unique<CL::Marker>(480, "Letter A", "E1.2"); }, 'E', 480, 0, "E1.2", false,
        0, 0, "Letter A", 0);
    add("osc", [] { return std::make_unique<CL::Osc>(1440, "S1.4", CL::OscProperties("/cue/1/go", "NETWORK0")); },
        'S', 1440, 0, "S1.4", false, 0, 0, "", 0);
    add("cut", [] { return std::make_unique<CL::Cut>(1920, 3840, "B2.1", 0); }, 'B', 1920, 3840, "B2.1", true, 0, 0,
        "", 1920);
    add("skip", [] { return std::make_unique<CL::Fermata>(0, 480, "M1.1", 0); }, 'M', 0, 480, "M1.1", true, 0, 0, "",
        480);
    add("vamp", [] { return std::make_unique<CL::Vamp>(1920, 3840, "V2.1", 0); }, '@', 1920, 3840, "V2.1", true, 0,
        0, "", 1920);
    add("repeat", [] { return std::make_unique<CL::Repeat>(0, 7680, "A1.1", 3); }, 'A', 0, 7680, "A1.1", true, 3, 0,
        "", 7680);
    add("click", [] { return std::make_unique<CL::Click>(0, 1920, "L1.1", 8); }, 'L', 0, 1920, "L1.1", true, 8, 0,
        "", 1920);
    add("transpose", [] { return std::make_unique<CL::Transpose>(100, 200, "C1.1", -6); }, 'C', 100, 200, "C1.1",
        true, -6, 0, "", 100);
    add("tempo scale", [] { return std::make_unique<CL::TempoScale>(4000, 6000, "T5.1", 1.1); }, 'D', 4000, 6000,
        "T5.1", true, 0, 1.1, "", 2000);
    add("sfx", [] { return std::make_unique<CL::Sfx>(10, "Q1.1", CL::SfxProperties("Thunder")); }, 'Q', 10, 0,
        "Q1.1", false, 0, 0, "", 0);
    add("ambient sfx", [] { return std::make_unique<CL::AmbientSfx>(10, "R1.1", CL::SfxProperties("Rain")); }, 'R',
        10, 0, "R1.1", false, 0, 0, "", 0);
    add("inverted range has no length", [] { return std::make_unique<CL::Cut>(3840, 1920, "B9", 0); }, 'B', 3840,
        1920, "B9", true, 0, 0, "", 0);
}

void TestZarnCoreEvents::constructors()
{
    QFETCH(MakeEvent, make);
    QFETCH(char, code);
    QFETCH(uint, start);
    QFETCH(uint, end);
    QFETCH(QString, id);
    QFETCH(bool, paired);
    QFETCH(int, intValue);
    QFETCH(double, realValue);
    QFETCH(QString, text);
    QFETCH(uint, length);

    const auto event = make();
    QCOMPARE(event->code(), code);
    QCOMPARE(event->start(), start);
    QCOMPARE(event->abs_time(), start);
    QCOMPARE(event->end(), end);
    QCOMPARE(QString::fromStdString(event->EventId()), id);
    QCOMPARE(event->IsPairedEvent(), paired);
    QCOMPARE(event->int_value(), intValue);
    QCOMPARE(event->float_value(), static_cast<float>(realValue));
    QCOMPARE(QString::fromStdString(event->value()), text);
    QCOMPARE(event->GetLengthTicks(), length);
    QVERIFY(*event == *make());
}

void TestZarnCoreEvents::equalityIsContent()
{
    const CL::Vamp vamp(1920, 3840, "V2.1", 2);
    QVERIFY(vamp == CL::Vamp(1920, 3840, "V2.1", 2));
    QVERIFY(!(vamp == CL::Vamp(1920, 3840, "V2.1", 3)));
    QVERIFY(!(vamp == CL::Vamp(1921, 3840, "V2.1", 2)));
    QVERIFY(!(vamp == CL::Vamp(1920, 3841, "V2.1", 2)));
    QVERIFY(!(vamp == CL::Vamp(1920, 3840, "V2.2", 2)));
    // Same fields, different kind.
    QVERIFY(!(vamp == CL::Repeat(1920, 3840, "V2.1", 2)));
    QVERIFY(!(CL::Osc(1, "S", {"/a", "N0"}) == CL::Osc(1, "S", {"/a", "N1"})));
    QVERIFY(!(CL::Sfx(1, "Q", CL::SfxProperties("a")) == CL::Sfx(1, "Q", CL::SfxProperties("b"))));
    QVERIFY(!(CL::TempoScale(0, 1, "T", 1.0) == CL::TempoScale(0, 1, "T", 1.5)));
    // A copy through the base (a queued signal) still equals the original.
    const cmn::ZarnEvent sliced = vamp;
    QVERIFY(sliced == vamp);
    QCOMPARE(sliced.code(), '@');
    // Members of a newer writer are not content.
    cmn::ZarnEvent withExtras = vamp;
    withExtras.UnknownMembersJson(R"({"color":"red"})");
    QVERIFY(withExtras == vamp);
}

void TestZarnCoreEvents::copyKeepsKindAndContent()
{
    const CL::Osc osc(1440, "S1.4", CL::OscProperties("/cue/1/go", "NETWORK0"));
    const cmn::ZarnEvent& base = osc;
    const auto copy = CL::CopyZarnEvent(base);
    QVERIFY(dynamic_cast<CL::Osc*>(copy.get()) != nullptr);
    QVERIFY(*copy == osc);
    QCOMPARE(copy->osc_properties().Message(), std::string("/cue/1/go"));

    // Every kind copies to its own class.
    const cmn::ZarnEvent kinds[] = {CL::Caesura(1, "a", 0), CL::Click(0, 1, "b", 1), CL::Cut(0, 1, "c", 0),
                                    CL::Fermata(0, 1, "d", 0), CL::Marker(0, "t", "e"), CL::Repeat(0, 1, "f", 1),
                                    CL::TempoScale(0, 1, "g", 1.0), CL::Transpose(0, 1, "h", 1), CL::Vamp(0, 1, "i", 0),
                                    CL::Sfx(0, "j", {}), CL::AmbientSfx(0, "k", {})};
    for (const auto& k : kinds) {
        const auto c = CL::CopyZarnEvent(k);
        QVERIFY(*c == k);
        QVERIFY(typeid(*c) != typeid(cmn::ZarnEvent));
    }
    // An unknown kind still copies.
    const cmn::ZarnEvent unknown('Z', 5, 0, "z");
    QVERIFY(*CL::CopyZarnEvent(unknown) == unknown);
}

void TestZarnCoreEvents::markerFromAnyEvent()
{
    const CL::Marker original(960, "Letter B", "E1.3");
    const cmn::ZarnEvent& base = original;
    const CL::Marker rebuilt(base);
    QVERIFY(rebuilt == original);
    QCOMPARE(rebuilt.value(), std::string("Letter B"));
}

void TestZarnCoreEvents::affectedCodes()
{
    using Item = CL::HistoryItem;
    const std::vector<Item> items = {
        {"1", Item::Action::Add, {}, CL::Marker(0, "x", "E")},
        {"1", Item::Action::Delete, CL::Vamp(0, 1, "V", 0), {}},
        {"1", Item::Action::Change, CL::Click(0, 1, "L", 4), CL::Click(0, 2, "L", 4)},
        {"2", Item::Action::Add, {}, CL::Marker(5, "y", "E2")},
    };
    QCOMPARE(CL::GetAffectedCodes(items), (std::vector<int>{'@', 'E', 'L'}));
    QVERIFY(CL::GetAffectedCodes({}).empty());
}

void TestZarnCoreEvents::nameTable()
{
    const auto& names = codes::editNameByZarnEventCode;
    // The event list's icons are keyed on these names.
    const std::map<unsigned char, std::string> expected = {
        {'@', "Vamp"}, {'A', "Repeat"}, {'B', "Cut"},     {'C', "Transpose"}, {'D', "Tempo"},       {'E', "Marker"},
        {'L', "Click"}, {'M', "Fermata"}, {'N', "Caesura"}, {'Q', "Sfx"},     {'R', "Ambient Sfx"}, {'S', "OSC"}};
    QCOMPARE(names, expected);
    // A full refresh walks the keys in this order.
    std::string order;
    for (const auto& [code, name] : names)
        order += static_cast<char>(code);
    QCOMPARE(order, std::string("@ABCDELMNQRS"));
}

void TestZarnCoreEvents::statusNames()
{
    QCOMPARE(std_midi::sb::status_names.at(0x90), std::string("Note On"));
    QCOMPARE(std_midi::sb::status_names.at(0xB0), std::string("Control Change"));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, std_midi::sb::status_names.at(0x91));
}

void TestZarnCoreEvents::versionParsing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<QString>("error"); // "", "invalid", "range"

    QTest::newRow("3.2") << "3.2" << 3 << 2 << "";
    QTest::newRow("0.0") << "0.0" << 0 << 0 << "";
    QTest::newRow("255.255") << "255.255" << 255 << 255 << "";
    QTest::newRow("leading zeros") << "003.010" << 3 << 10 << "";
    QTest::newRow("256.0") << "256.0" << 0 << 0 << "range";
    QTest::newRow("1.256") << "1.256" << 0 << 0 << "range";
    QTest::newRow("huge") << "99999999999999999999.1" << 0 << 0 << "range";
    QTest::newRow("no dot") << "3" << 0 << 0 << "invalid";
    QTest::newRow("empty") << "" << 0 << 0 << "invalid";
    QTest::newRow("empty minor") << "3." << 0 << 0 << "invalid";
    QTest::newRow("three parts") << "1.2.3" << 0 << 0 << "invalid";
    QTest::newRow("negative") << "-1.2" << 0 << 0 << "invalid";
    QTest::newRow("blank") << " 1.2" << 0 << 0 << "invalid";
    QTest::newRow("letters") << "a.b" << 0 << 0 << "invalid";
}

void TestZarnCoreEvents::versionParsing()
{
    QFETCH(QString, text);
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(QString, error);
    const std::string t = text.toStdString();

    cmn::ZARNVersion version(7, 7);
    if (error.isEmpty()) {
        const cmn::FileVersion file(t);
        QCOMPARE(int(file.Major()), major);
        QCOMPARE(int(file.Minor()), minor);
        version.SetWithString(t);
        QCOMPARE(int(version.major), major);
        QCOMPARE(int(version.minor), minor);
        QCOMPARE(QString::fromStdString(version.GetAsString()), QString("%1.%2").arg(major).arg(minor));
        return;
    }
    try {
        version.SetWithString(t);
        QFAIL("accepted");
    } catch (const std::out_of_range& e) {
        QCOMPARE(error, QString("range"));
        QVERIFY2(std::string(e.what()).find(t) != std::string::npos, e.what()); // names the version
    } catch (const std::invalid_argument&) {
        QCOMPARE(error, QString("invalid"));
    }
    // A refused text leaves the value as it was.
    QCOMPARE(version, cmn::ZARNVersion(7, 7));
    if (error == "range")
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, cmn::FileVersion{t});
    else
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, cmn::FileVersion{t});
}

void TestZarnCoreEvents::versionOrdering()
{
    std::vector<cmn::ZARNVersion> versions = {{3, 2}, {1, 10}, {3, 0}, {1, 9}, {10, 0}, {2, 255}};
    std::sort(versions.begin(), versions.end());
    QCOMPARE(versions, (std::vector<cmn::ZARNVersion>{{1, 9}, {1, 10}, {2, 255}, {3, 0}, {3, 2}, {10, 0}}));
    QVERIFY(cmn::FileVersion("3.2") >= cmn::FileVersion("3.2"));
    QVERIFY(cmn::FileVersion("3.10") >= cmn::FileVersion("3.9"));
    QVERIFY(!(cmn::FileVersion("2.255") >= cmn::FileVersion("3.0")));
    QVERIFY(cmn::FileVersion("10.0") >= cmn::FileVersion("9.9"));
}

void TestZarnCoreEvents::changeLogNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("version"); // empty: not a change-log name
    QTest::newRow("plain") << "gala-3.1.logdata" << "3.1";
    QTest::newRow("dash in stem") << "spring-gala-2-0.12.logdata" << "0.12";
    QTest::newRow("path") << "/data/show/gala-255.255.logdata" << "255.255";
    QTest::newRow("version in a folder name") << "/data/show-1.2/gala.logdata" << "";
    QTest::newRow("upper-case suffix") << "gala-3.1.LOGDATA" << "";
    QTest::newRow("no dash") << "gala3.1.logdata" << "";
    QTest::newRow("out of range") << "gala-256.1.logdata" << "";
    QTest::newRow("not a version") << "gala-x.logdata" << "";
    QTest::newRow("other extension") << "gala-3.1.json" << "";
    QTest::newRow("extension only") << ".logdata" << "";
    QTest::newRow("no dot") << "gala-3.logdata" << "";
    QTest::newRow("three numbers") << "gala-1.2.3.logdata" << "";
    QTest::newRow("letter for a number") << "gala-a.2.logdata" << "";
    QTest::newRow("empty number") << "gala-.2.logdata" << "";
    QTest::newRow("signed number") << "gala-+1.2.logdata" << "";
    QTest::newRow("minor out of range") << "gala-1.256.logdata" << "";
    QTest::newRow("three digits") << "gala-001.010.logdata" << "1.10";
    QTest::newRow("four digits") << "gala-0001.2.logdata" << "";
    QTest::newRow("four-digit minor") << "gala-1.0002.logdata" << "";
}

void TestZarnCoreEvents::changeLogNames()
{
    QFETCH(QString, name);
    QFETCH(QString, version);
    const auto v = CL::ChangeLogName::VersionOf(name.toStdString());
    if (version.isEmpty()) {
        QVERIFY(!v.has_value());
    } else {
        QVERIFY(v.has_value());
        QCOMPARE(QString::fromStdString(v->GetAsString()), version);
    }
}

void TestZarnCoreEvents::composeRefusesBadInput()
{
    QCOMPARE(CL::ChangeLogName::Compose("spring-gala", 3, 12), std::string("spring-gala-3.12.logdata"));
    try {
        CL::ChangeLogName::Compose("gala", 256, 0);
        QFAIL("256 accepted");
    } catch (const std::out_of_range& e) {
        QVERIFY(std::string(e.what()).find("256.0") != std::string::npos);
    }
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, CL::ChangeLogName::Compose("gala", 1, 300));
    for (const char* bad : {"", "..", "a/b", "a\\b", "x..y", "."})
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, CL::ChangeLogName::RequirePlainName(bad));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, CL::ChangeLogName::Compose("../evil", 1, 0));
    CL::ChangeLogName::RequirePlainName("gala-1.0.logdata");
}

void TestZarnCoreEvents::keyNames_data()
{
    QTest::addColumn<int>("sf");
    QTest::addColumn<int>("mi");
    QTest::addColumn<QString>("name");
    QTest::newRow("C") << 0 << 0 << "C";
    QTest::newRow("Am") << 0 << 1 << "Am";
    QTest::newRow("Eb") << -3 << 0 << "Eb";
    QTest::newRow("Cm") << -3 << 1 << "Cm";
    QTest::newRow("F#m") << 3 << 1 << "F#m";
    QTest::newRow("C#") << 7 << 0 << "C#";
    QTest::newRow("Cb") << -7 << 0 << "Cb";
    QTest::newRow("out of range") << 8 << 0 << "";
    QTest::newRow("bad mode") << 0 << 2 << "";
}

void TestZarnCoreEvents::keyNames()
{
    QFETCH(int, sf);
    QFETCH(int, mi);
    QFETCH(QString, name);
    QCOMPARE(QString::fromStdString(TL::Keys::keyNameFromSig(sf, mi)), name);
}

void TestZarnCoreEvents::tempoAndTimeline()
{
    const TL::Tempo tempo(120.0);
    QCOMPARE(tempo.bpm(24), 120.0);
    QCOMPARE(tempo.bpm(36), 80.0);  // dotted quarter
    QCOMPARE(tempo.bpm(12), 240.0); // eighth
    QCOMPARE(tempo.bpm(0), 0.0);

    TL::Timeline timeline;
    timeline.MutableKeys().push_back({0, 0, -1});
    timeline.MutableTempos().push_back({0, TL::Tempo(96.0)});
    timeline.MutableMeters().push_back({0, 6, 8});
    const TL::Timeline copy = timeline;
    QCOMPARE(copy.GetKeys().size(), std::size_t(1));
    QCOMPARE(TL::Keys::keyNameFromSig(copy.GetKeys()[0].sf, copy.GetKeys()[0].mi), std::string("F"));
    QCOMPARE(copy.GetTempos()[0].tempo.bpm(24), 96.0);
    QCOMPARE(int(copy.GetMeters()[0].numerator), 6);
    QVERIFY(copy == timeline);

    const TL::TimelineSequence<TL::BarsBeats> bars{{0, 1, "1"}, {480, 2, "1"}, {1920, 1, "2"}};
    TL::TimelineSequence<TL::BarsBeats> copied = bars;
    QCOMPARE(copied.size(), std::size_t(3));
    QCOMPARE(copied[2].bar_number(), std::string("2"));
    QCOMPARE(copied[1].beat(), 2);
    QCOMPARE(copied[1].tick(), 480u);
    QCOMPARE(TL::BarsBeats().tick(), 0u);
}

QTEST_GUILESS_MAIN(TestZarnCoreEvents)
#include "tst_zarn_core_events.moc"
