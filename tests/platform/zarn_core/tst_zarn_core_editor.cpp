#include "zarn_core/Caesura.h"
#include "zarn_core/Click.h"
#include "zarn_core/CopyZarnEvent.h"
#include "zarn_core/Cut.h"
#include "zarn_core/Editor.h"
#include "zarn_core/EditorError.h"
#include "zarn_core/EditorHistoryNoActionError.h"
#include "zarn_core/EventRules.h"
#include "zarn_core/Fermata.h"
#include "zarn_core/Marker.h"
#include "zarn_core/Osc.h"
#include "zarn_core/Repeat.h"
#include "zarn_core/Sfx.h"
#include "zarn_core/TempoScale.h"
#include "zarn_core/Transpose.h"
#include "zarn_core/Vamp.h"

#include <QtTest>

#include <functional>
#include <limits>
#include <memory>
#include <set>

using EventFactory = std::function<cmn::ZarnEvent()>;
Q_DECLARE_METATYPE(EventFactory)
using EditCall = std::function<void(CL::Editor&, const cmn::ZarnEvent&)>;
Q_DECLARE_METATYPE(EditCall)
using EventCheck = std::function<bool(const cmn::ZarnEvent&)>;
Q_DECLARE_METATYPE(EventCheck)

namespace {

constexpr std::uint32_t kSongEnd = 19200; // ten 4/4 bars

CL::Editor MakeEditor(bool readOnly = false)
{
    CL::ChangeLogData data;
    data.version = cmn::ZARNVersion(3, 2);
    data.networks.push_back(CL::NetworkPath("NETWORK0", "Lights", "127.0.0.1", 53000));
    CL::Editor::ShowInfo info;
    info.songRange = [](const std::string& song) -> std::optional<std::pair<std::uint32_t, std::uint32_t>> {
        if (song == "1")
            return std::make_pair(std::uint32_t(0), kSongEnd);
        return std::nullopt;
    };
    CL::Editor editor(std::move(data), readOnly, info);
    editor.SelectSongLogForEditing("1");
    return editor;
}

std::size_t Count(const CL::Editor& editor, const std::string& song = "1")
{
    return editor.GetSongLog(song)->EventCount();
}

} // namespace

class TestZarnCoreEditor : public QObject
{
    Q_OBJECT

private slots:
    void add_data();
    void add();
    void addRefusedWhenReadOnlyOrNoSong();
    void duplicateIdRefused();
    void move_data();
    void move();
    void moveRefusal();
    void showInfoFailureIsEditorError();
    void valueEdits_data();
    void valueEdits();
    void valueEditAfterMoveOfRememberedEvent();
    void contentMatchForEmptyId();
    void deleteCopy();
    void undoRedoHistory();
    void newEditClearsRedo();
    void markSavedKeepsHistory();
    void editedCodes();
    void suggestedIdsUniqueAndOscSafe();
    void suggestedIdUsesBarAndBeat();
    void eventsByIdOfSelectedSong();
    void networksAttaccaOutputPaths();
};

void TestZarnCoreEditor::add_data()
{
    QTest::addColumn<EventFactory>("make");
    QTest::addColumn<QString>("error"); // part of the refusal text; empty when accepted
    QTest::addColumn<uint>("storedEnd");

    auto row = [](const char* name, EventFactory f, const char* error, uint end) {
        QTest::newRow(name) << f << QString(error) << end;
    };
    row("marker", [] { return CL::Marker(960, "Letter A", "E1.3"); }, "", 0);
    row("caesura start=end stores end 0", [] { cmn::ZarnEvent c = CL::Caesura(960, "N1.3", 0); c.end(960); return c; },
        "", 0);
    row("osc", [] { return CL::Osc(480, "S1.2", {"/cue/1/go", "NETWORK0"}); }, "", 0);
    row("cut", [] { return CL::Cut(1920, 3840, "B2.1", 0); }, "", 3840);
    row("skip", [] { return CL::Fermata(1920, 3840, "M2.1", 0); }, "", 3840);
    row("vamp no limit", [] { return CL::Vamp(1920, 3840, "V2.1", 0); }, "", 3840);
    row("vamp 500", [] { return CL::Vamp(1920, 3840, "V2.1", 500); }, "", 3840);
    row("vamp 501", [] { return CL::Vamp(1920, 3840, "V2.1", 501); }, "vamp count", 0);
    row("vamp negative", [] { return CL::Vamp(1920, 3840, "V2.1", -1); }, "vamp count", 0);
    row("repeat 0", [] { return CL::Repeat(0, 1920, "A1.1", 0); }, "repeat count", 0);
    row("repeat 1", [] { return CL::Repeat(0, 1920, "A1.1", 1); }, "", 1920);
    row("transpose -6", [] { return CL::Transpose(0, 1920, "C1.1", -6); }, "", 1920);
    row("transpose 7", [] { return CL::Transpose(0, 1920, "C1.1", 7); }, "transposition", 0);
    row("transpose -7", [] { return CL::Transpose(0, 1920, "C1.1", -7); }, "transposition", 0);
    row("transpose INT_MIN", [] { return CL::Transpose(0, 1920, "C1.1", std::numeric_limits<int>::min()); },
        "transposition", 0);
    row("transpose INT_MAX", [] { return CL::Transpose(0, 1920, "C1.1", std::numeric_limits<int>::max()); },
        "transposition", 0);
    row("vamp INT_MIN", [] { return CL::Vamp(1920, 3840, "V2.1", std::numeric_limits<int>::min()); }, "vamp count", 0);
    row("repeat INT_MAX", [] { return CL::Repeat(0, 1920, "A1.1", std::numeric_limits<int>::max()); }, "repeat count",
        0);
    row("click INT_MIN", [] { return CL::Click(0, 1920, "L1.1", std::numeric_limits<int>::min()); }, "click value", 0);
    row("tempo 200%", [] { return CL::TempoScale(0, 1920, "T1.1", 2.0); }, "", 1920);
    row("tempo 49%", [] { return CL::TempoScale(0, 1920, "T1.1", 0.49); }, "tempo scale", 0);
    row("tempo NaN", [] { return CL::TempoScale(0, 1920, "T1.1", std::nan("")); }, "tempo scale", 0);
    row("click 8", [] { return CL::Click(0, 1920, "L1.1", 8); }, "", 1920);
    row("click 5", [] { return CL::Click(0, 1920, "L1.1", 5); }, "click value", 0);
    row("empty range", [] { return CL::Cut(1920, 1920, "B2.1", 0); }, "must come after its start", 0);
    row("inverted range", [] { return CL::Vamp(3840, 1920, "V2.1", 0); }, "must come after its start", 0);
    row("past the song", [] { return CL::Cut(1920, kSongEnd + 1, "B2.1", 0); }, "within the song", 0);
    row("marker at song end", [] { return CL::Marker(kSongEnd, "end", "E11.1"); }, "", 0);
    row("id with a blank", [] { return CL::Marker(0, "x", "E 1"); }, "may only hold", 0);
    row("id with a slash", [] { return CL::Marker(0, "x", "E/1"); }, "may only hold", 0);
    row("empty id", [] { return CL::Marker(0, "x", ""); }, "", 0);
    row("unknown kind", [] { return cmn::ZarnEvent('Z', 0, 0, "Z1"); }, "cannot be edited", 0);
}

void TestZarnCoreEditor::add()
{
    QFETCH(EventFactory, make);
    QFETCH(QString, error);
    QFETCH(uint, storedEnd);

    CL::Editor editor = MakeEditor();
    const cmn::ZarnEvent event = make();
    if (!error.isEmpty()) {
        try {
            editor.AddEvent(event);
            QFAIL("accepted");
        } catch (const CL::EditorError& e) {
            QVERIFY2(QString(e.what()).contains(error), e.what());
        }
        QCOMPARE(Count(editor), std::size_t(0));
        QVERIFY(!editor.CanUndo());
        QCOMPARE(editor.GetRevision(), 0u);
        return;
    }
    editor.AddEvent(event);
    QCOMPARE(Count(editor), std::size_t(1));
    const cmn::ZarnEvent* stored = editor.GetSongLog("1")->GetAllEvents().front();
    QCOMPARE(stored->code(), event.code());
    QCOMPARE(stored->start(), event.start());
    QCOMPARE(stored->end(), storedEnd);
    QVERIFY(editor.CanUndo());
    QCOMPARE(editor.GetEditedCodes(), std::vector<int>{static_cast<unsigned char>(event.code())});
    // Other songs are untouched.
    QCOMPARE(Count(editor, "2"), std::size_t(0));
}

void TestZarnCoreEditor::addRefusedWhenReadOnlyOrNoSong()
{
    CL::Editor readOnly = MakeEditor(true);
    QVERIFY(readOnly.ChangelogIsReadOnly());
    QVERIFY_THROWS_EXCEPTION(CL::EditorError, readOnly.AddEvent(CL::Marker(0, "x", "E1")));
    QVERIFY_THROWS_EXCEPTION(CL::EditorError, readOnly.UpdateNetworks({}));
    QCOMPARE(Count(readOnly), std::size_t(0));

    CL::Editor noSong;
    QVERIFY_THROWS_EXCEPTION(CL::EditorError, noSong.AddEvent(CL::Marker(0, "x", "E1")));
    QCOMPARE(noSong.GetVersion(), cmn::ZARNVersion(0, 0));
}

void TestZarnCoreEditor::duplicateIdRefused()
{
    CL::Editor editor = MakeEditor();
    editor.AddEvent(CL::Marker(0, "x", "E1.1"));
    QVERIFY_THROWS_EXCEPTION(CL::EditorError, editor.AddEvent(CL::Marker(480, "y", "E1.1")));
    // Unique in the whole log, not just the song.
    editor.SelectSongLogForEditing("2");
    QVERIFY_THROWS_EXCEPTION(CL::EditorError, editor.AddEvent(CL::Vamp(0, 1920, "E1.1", 0)));
    editor.AddEvent(CL::Marker(0, "x", "E1.1-2"));
    QCOMPARE(Count(editor, "2"), std::size_t(1));
}

void TestZarnCoreEditor::move_data()
{
    QTest::addColumn<EventFactory>("make");
    QTest::addColumn<uint>("start");
    QTest::addColumn<uint>("end");
    QTest::addColumn<bool>("left");
    QTest::addColumn<bool>("right");
    QTest::addColumn<uint>("newStart");
    QTest::addColumn<uint>("newEnd");

    EventFactory vamp = [] { return CL::Vamp(1920, 3840, "V2.1", 2); };
    EventFactory marker = [] { return CL::Marker(960, "A", "E1.3"); };
    QTest::newRow("whole range") << vamp << 3840u << 5760u << false << false << 3840u << 5760u;
    QTest::newRow("both flags move both") << vamp << 0u << 1920u << true << true << 0u << 1920u;
    QTest::newRow("left edge only") << vamp << 960u << 99999u << true << false << 960u << 3840u;
    QTest::newRow("right edge only") << vamp << 99999u << 7680u << false << true << 1920u << 7680u;
    QTest::newRow("point event") << marker << 2400u << 2400u << false << false << 2400u << 0u;
}

void TestZarnCoreEditor::move()
{
    QFETCH(EventFactory, make);
    QFETCH(uint, start);
    QFETCH(uint, end);
    QFETCH(bool, left);
    QFETCH(bool, right);
    QFETCH(uint, newStart);
    QFETCH(uint, newEnd);

    CL::Editor editor = MakeEditor();
    const cmn::ZarnEvent event = make();
    editor.AddEvent(event);
    editor.EditEventStartEndValues(event, start, end, left, right);
    const auto all = editor.GetSongLog("1")->GetAllEvents();
    QCOMPARE(all.size(), std::size_t(1));
    QCOMPARE(all[0]->start(), newStart);
    QCOMPARE(all[0]->end(), newEnd);
    QCOMPARE(all[0]->int_value(), event.int_value());
    const auto undone = editor.Undo();
    QCOMPARE(undone.size(), std::size_t(1));
    QCOMPARE(undone[0].action, CL::HistoryItem::Action::Change);
    QCOMPARE(editor.GetSongLog("1")->GetAllEvents()[0]->start(), event.start());
}

void TestZarnCoreEditor::moveRefusal()
{
    CL::Editor editor = MakeEditor();
    const CL::Vamp vamp(1920, 3840, "V2.1", 2);
    editor.AddEvent(vamp);
    // Left edge past the right edge, right edge past the song, a vanished event.
    QVERIFY_THROWS_EXCEPTION(CL::EditorError, editor.EditEventStartEndValues(vamp, 4000, 0, true, false));
    QVERIFY_THROWS_EXCEPTION(CL::EditorError, editor.EditEventStartEndValues(vamp, 0, kSongEnd + 480, false, true));
    QVERIFY_THROWS_EXCEPTION(CL::EditorError,
                             editor.EditEventStartEndValues(CL::Vamp(0, 1, "V9.9", 0), 0, 1920, false, false));
    QCOMPARE(*editor.GetSongLog("1")->GetAllEvents()[0], static_cast<const cmn::ZarnEvent&>(vamp));
    QVERIFY_THROWS_EXCEPTION(CL::EditorHistoryNoActionError, editor.GetEditedCodes());
}

void TestZarnCoreEditor::showInfoFailureIsEditorError()
{
    // The tools catch CL::EditorError only.
    CL::Editor editor = MakeEditor();
    const CL::Click click(0, 1920, "L1.1", 4);
    editor.AddEvent(click);
    CL::Editor::ShowInfo info;
    info.clickValues = [](const std::string&, std::uint32_t, std::uint32_t) -> std::vector<int> {
        throw std::runtime_error("no bars here");
    };
    editor.SetShowInfo(info);
    try {
        editor.EditEventStartEndValues(click, 1920, 3840, false, false);
        QFAIL("moved");
    } catch (const CL::EditorError& e) {
        QCOMPARE(std::string(e.what()), std::string("no bars here"));
    }
    QCOMPARE(editor.GetSongLog("1")->GetClicks().at(0).start(), 0u);
}

void TestZarnCoreEditor::valueEdits_data()
{
    QTest::addColumn<EventFactory>("make");
    QTest::addColumn<EditCall>("edit");
    QTest::addColumn<EventCheck>("check"); // empty: the edit is refused

    auto text = [](std::string t) { return EditCall([t](CL::Editor& e, const cmn::ZarnEvent& ev) { e.EditEventStringValue(ev, t); }); };
    auto integer = [](int v) { return EditCall([v](CL::Editor& e, const cmn::ZarnEvent& ev) { e.EditEventIntValue(ev, v); }); };
    auto real = [](double v) { return EditCall([v](CL::Editor& e, const cmn::ZarnEvent& ev) { e.EditEventFloatValue(ev, v); }); };
    EventFactory marker = [] { return CL::Marker(960, "A", "E1.3"); };
    EventFactory vamp = [] { return CL::Vamp(1920, 3840, "V2.1", 2); };
    EventFactory repeat = [] { return CL::Repeat(1920, 3840, "A2.1", 2); };
    EventFactory click = [] { return CL::Click(1920, 3840, "L2.1", 4); };
    EventFactory transpose = [] { return CL::Transpose(1920, 3840, "C2.1", 2); };
    EventFactory tempo = [] { return CL::TempoScale(1920, 3840, "T2.1", 1.0); };
    EventFactory osc = [] { return CL::Osc(960, "S1.3", {"/a", "NETWORK0"}); };
    EventFactory sfx = [] { return CL::Sfx(960, "Q1.3", CL::SfxProperties("Rain")); };

    QTest::newRow("marker text") << marker << text("Letter B") << EventCheck([](const cmn::ZarnEvent& e) { return e.value() == "Letter B"; });
    QTest::newRow("vamp count") << vamp << integer(0) << EventCheck([](const cmn::ZarnEvent& e) { return e.int_value() == 0; });
    QTest::newRow("vamp count too big") << vamp << integer(501) << EventCheck();
    QTest::newRow("repeat count") << repeat << integer(500) << EventCheck([](const cmn::ZarnEvent& e) { return e.int_value() == 500; });
    QTest::newRow("repeat count 0") << repeat << integer(0) << EventCheck();
    QTest::newRow("click value") << click << integer(16) << EventCheck([](const cmn::ZarnEvent& e) { return e.int_value() == 16; });
    QTest::newRow("click value 7") << click << integer(7) << EventCheck();
    QTest::newRow("transpose") << transpose << integer(-6) << EventCheck([](const cmn::ZarnEvent& e) { return e.int_value() == -6; });
    QTest::newRow("transpose INT_MIN") << transpose << integer(std::numeric_limits<int>::min()) << EventCheck();
    QTest::newRow("transpose INT_MAX") << transpose << integer(std::numeric_limits<int>::max()) << EventCheck();
    QTest::newRow("tempo factor") << tempo << real(0.5) << EventCheck([](const cmn::ZarnEvent& e) { return e.float_value() == 0.5f; });
    QTest::newRow("tempo factor 2.5") << tempo << real(2.5) << EventCheck();
    QTest::newRow("osc properties") << osc
        << EditCall([](CL::Editor& e, const cmn::ZarnEvent& ev) { e.EditEventOscPropertyValues(ev, {"/b", "NETWORK1"}); })
        << EventCheck([](const cmn::ZarnEvent& e) { return e.osc_properties() == CL::OscProperties("/b", "NETWORK1"); });
    QTest::newRow("sfx properties") << sfx
        << EditCall([](CL::Editor& e, const cmn::ZarnEvent& ev) { e.EditEventSFXPropertyValues(ev, CL::SfxProperties("Wind")); })
        << EventCheck([](const cmn::ZarnEvent& e) { return e.sfx_properties().name() == "Wind"; });
    QTest::newRow("text on a vamp") << vamp << text("x") << EventCheck();
    QTest::newRow("count on a marker") << marker << integer(3) << EventCheck();
    QTest::newRow("factor on a click") << click << real(1.5) << EventCheck();
}

void TestZarnCoreEditor::valueEdits()
{
    QFETCH(EventFactory, make);
    QFETCH(EditCall, edit);
    QFETCH(EventCheck, check);

    CL::Editor editor = MakeEditor();
    const cmn::ZarnEvent event = make();
    editor.AddEvent(event);
    if (!check) {
        QVERIFY_THROWS_EXCEPTION(std::exception, edit(editor, event));
        QVERIFY(*editor.GetSongLog("1")->GetAllEvents()[0] == event);
        QVERIFY_THROWS_EXCEPTION(CL::EditorHistoryNoActionError, editor.GetEditedCodes());
        return;
    }
    edit(editor, event);
    const cmn::ZarnEvent& stored = *editor.GetSongLog("1")->GetAllEvents()[0];
    QVERIFY(check(stored));
    QCOMPARE(stored.start(), event.start());
    editor.Undo();
    QVERIFY(*editor.GetSongLog("1")->GetAllEvents()[0] == event);
    editor.Redo();
    QVERIFY(check(*editor.GetSongLog("1")->GetAllEvents()[0]));
}

void TestZarnCoreEditor::valueEditAfterMoveOfRememberedEvent()
{
    // The tools keep their copy and send the move and the value edit back to back.
    CL::Editor editor = MakeEditor();
    const CL::Vamp remembered(1920, 3840, "V2.1", 2);
    editor.AddEvent(remembered);
    editor.EditEventStartEndValues(remembered, 3840, 5760, false, false);
    editor.EditEventIntValue(remembered, 4);
    const cmn::ZarnEvent& stored = *editor.GetSongLog("1")->GetAllEvents()[0];
    QCOMPARE(stored.start(), 3840u);
    QCOMPARE(stored.end(), 5760u);
    QCOMPARE(stored.int_value(), 4);
    QCOMPARE(Count(editor), std::size_t(1));
}

void TestZarnCoreEditor::contentMatchForEmptyId()
{
    CL::Editor editor = MakeEditor();
    editor.AddEvent(CL::Marker(0, "A", ""));
    editor.AddEvent(CL::Marker(0, "B", ""));
    editor.EditEventStringValue(CL::Marker(0, "B", ""), "C");
    std::set<std::string> texts;
    for (const auto& m : editor.GetSongLog("1")->GetMarkers())
        texts.insert(m.value());
    QCOMPARE(texts, (std::set<std::string>{"A", "C"}));
    QVERIFY_THROWS_EXCEPTION(CL::EditorError, editor.DeleteEvent(CL::Marker(0, "B", "")));
}

void TestZarnCoreEditor::deleteCopy()
{
    CL::Editor editor = MakeEditor();
    editor.AddEvent(CL::Osc(960, "S1.3", {"/a", "NETWORK0"}));
    const cmn::ZarnEvent* selected = editor.GetSongLog("1")->GetAllEvents()[0];
    const auto copy = CL::CopyZarnEvent(*selected);
    editor.DeleteEvent(*copy);
    QCOMPARE(Count(editor), std::size_t(0));
    QCOMPARE(editor.GetEditedCodes(), std::vector<int>{'S'});
    const auto undone = editor.Undo();
    QCOMPARE(undone.at(0).action, CL::HistoryItem::Action::Delete);
    QCOMPARE(Count(editor), std::size_t(1));
    QVERIFY(*editor.GetSongLog("1")->GetAllEvents()[0] == *copy);
}

void TestZarnCoreEditor::undoRedoHistory()
{
    CL::Editor editor = MakeEditor();
    QVERIFY(!editor.CanUndo());
    QVERIFY(editor.Undo().empty());
    const CL::Marker marker(0, "A", "E1.1");
    const CL::Click click(0, 1920, "L1.1", 4);
    editor.AddEvent(marker);
    editor.AddEvent(click);
    editor.EditEventStartEndValues(click, 1920, 3840, false, false);
    editor.EditEventStringValue(marker, "B");
    editor.DeleteEvent(marker);

    const auto snapshot = [&editor] {
        std::vector<cmn::ZarnEvent> events;
        for (const auto* e : editor.GetSongLog("1")->GetAllEvents())
            events.push_back(*e);
        return events;
    };
    const auto finalState = snapshot();
    QCOMPARE(finalState.size(), std::size_t(1));

    const std::vector<std::vector<int>> undoCodes = {{'E'}, {'E'}, {'L'}, {'L'}, {'E'}};
    for (const auto& codes : undoCodes) {
        QVERIFY(editor.CanUndo());
        QCOMPARE(CL::GetAffectedCodes(editor.Undo()), codes);
        QCOMPARE(editor.GetEditedCodes(), codes);
    }
    QVERIFY(!editor.CanUndo());
    QCOMPARE(Count(editor), std::size_t(0));
    for (int i = 0; i < 5; ++i)
        QVERIFY(!editor.Redo().empty());
    QVERIFY(!editor.CanRedo());
    QVERIFY(snapshot() == finalState);
}

void TestZarnCoreEditor::newEditClearsRedo()
{
    CL::Editor editor = MakeEditor();
    editor.AddEvent(CL::Marker(0, "A", "E1.1"));
    editor.Undo();
    QVERIFY(editor.CanRedo());
    editor.AddEvent(CL::Marker(480, "B", "E1.2"));
    QVERIFY(!editor.CanRedo());
    QVERIFY(editor.Redo().empty());
}

void TestZarnCoreEditor::markSavedKeepsHistory()
{
    CL::Editor editor = MakeEditor();
    editor.AddEvent(CL::Marker(0, "A", "E1.1"));
    editor.AddEvent(CL::Marker(480, "B", "E1.2"));
    editor.Undo(); // B waits on the redo side
    const cmn::ZarnEvent* a = editor.GetEventsByEventId().at("E1.1");
    const auto revision = editor.GetRevision();

    editor.MarkSaved(cmn::ZARNVersion(3, 3), 1765370000u);
    QCOMPARE(editor.GetVersion().GetAsString(), std::string("3.3"));
    QCOMPARE(editor.Data().version.GetAsString(), std::string("3.3"));
    QCOMPARE(editor.Data().modified, 1765370000u);
    QCOMPARE(editor.GetRevision(), revision);
    QCOMPARE(editor.GetSelectedSong(), std::string("1"));
    QCOMPARE(editor.GetEditedCodes(), std::vector<int>{'E'});
    QCOMPARE(editor.GetEventsByEventId().at("E1.1"), a); // pointers into the log stay valid
    QVERIFY(editor.CanUndo());
    QVERIFY(editor.CanRedo());

    // The history walks on over the save; the label stays the saved one.
    QCOMPARE(CL::GetAffectedCodes(editor.Redo()), std::vector<int>{'E'});
    QCOMPARE(Count(editor), std::size_t(2));
    editor.Undo();
    editor.Undo();
    QCOMPARE(Count(editor), std::size_t(0));
    QVERIFY(!editor.CanUndo());
    QCOMPARE(editor.GetVersion().GetAsString(), std::string("3.3"));

    // A read-only log saved under a new version is still one this program may not edit.
    CL::Editor readOnly = MakeEditor(true);
    readOnly.MarkSaved(cmn::ZARNVersion(4, 0), 1u);
    QVERIFY(readOnly.ChangelogIsReadOnly());
    QVERIFY_THROWS_EXCEPTION(CL::EditorError, readOnly.AddEvent(CL::Marker(0, "A", "E1.1")));
}

void TestZarnCoreEditor::editedCodes()
{
    CL::Editor editor = MakeEditor();
    QVERIFY_THROWS_EXCEPTION(CL::EditorHistoryNoActionError, editor.GetEditedCodes());
    editor.AddEvent(CL::TempoScale(0, 1920, "T1.1", 1.0));
    QCOMPARE(editor.GetEditedCodes(), std::vector<int>{'D'});
    // A refused edit leaves nothing to report.
    QVERIFY_THROWS_EXCEPTION(CL::EditorError, editor.AddEvent(CL::TempoScale(0, 1920, "T1.2", 9.0)));
    QVERIFY_THROWS_EXCEPTION(CL::EditorHistoryNoActionError, editor.GetEditedCodes());
}

void TestZarnCoreEditor::suggestedIdsUniqueAndOscSafe()
{
    CL::Editor editor = MakeEditor();
    std::set<std::string> ids;
    const char kinds[] = {'@', 'A', 'B', 'C', 'D', 'E', 'L', 'M', 'N', 'S'};
    for (int round = 0; round < 3; ++round) {
        for (char kind : kinds) {
            const std::string id = editor.GetSuggestedEventIdAtTick(1920 + 480, kind);
            QVERIFY2(CL::EventRules::IsValidEventId(id) && !id.empty(), id.c_str());
            QVERIFY2(ids.insert(id).second, id.c_str());
            // Take it, so the next suggestion must differ.
            if (codes::IsPairedEventCode(kind)) {
                cmn::ZarnEvent e(kind, 0, 1920, id);
                if (kind == 'A') e.int_value(1);
                if (kind == 'L') e.int_value(4);
                if (kind == 'D') e.float_value(1.0);
                editor.AddEvent(e);
            } else {
                editor.AddEvent(cmn::ZarnEvent(kind, 0, 0, id));
            }
        }
    }
    QVERIFY(ids.count("V2.2") && ids.count("V2.2-2") && ids.count("V2.2-3"));
    QVERIFY(ids.count("T2.2") && ids.count("E2.2-3"));
    // Taken in another song counts too.
    editor.SelectSongLogForEditing("2");
    QCOMPARE(editor.GetSuggestedEventIdAtTick(2400, 'E'), std::string("E2.2-4"));
}

void TestZarnCoreEditor::suggestedIdUsesBarAndBeat()
{
    CL::Editor editor = MakeEditor();
    CL::Editor::ShowInfo info;
    info.barBeatAt = [](const std::string&, std::uint32_t tick) {
        return tick == 0 ? TL::BarsBeats(0, 1, "12A") : TL::BarsBeats(tick, 3, "7 / (b)");
    };
    editor.SetShowInfo(info);
    QCOMPARE(editor.GetSuggestedEventIdAtTick(0, 'E'), std::string("E12A.1"));
    const std::string odd = editor.GetSuggestedEventIdAtTick(100, 'N');
    QVERIFY2(CL::EventRules::IsValidEventId(odd), odd.c_str());
    QCOMPARE(odd, std::string("N7____b_.3"));
}

void TestZarnCoreEditor::eventsByIdOfSelectedSong()
{
    CL::Editor editor = MakeEditor();
    editor.AddEvent(CL::Osc(960, "S1.3", {"/a", "NETWORK0"}));
    editor.AddEvent(CL::Marker(0, "no id", ""));
    editor.SelectSongLogForEditing("2");
    editor.AddEvent(CL::Osc(0, "S9.1", {"/b", "NETWORK0"}));
    editor.SelectSongLogForEditing("1");
    const auto byId = editor.GetEventsByEventId();
    QCOMPARE(byId.size(), std::size_t(1));
    QVERIFY(byId.count("S1.3"));
    QCOMPARE(byId.at("S1.3")->start(), 960u);
    QCOMPARE(byId.at("S1.3")->code(), 'S');
}

void TestZarnCoreEditor::networksAttaccaOutputPaths()
{
    CL::Editor editor = MakeEditor();
    QCOMPARE(editor.GetNetwork("NETWORK0").IpAddress(), std::string("127.0.0.1"));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, editor.GetNetwork("NETWORK9"));
    const auto before = editor.GetRevision();
    editor.UpdateNetworks({CL::NetworkPath("N1", "Sound", "10.0.0.2", 9000, 1)});
    QCOMPARE(editor.GetNetworks().size(), std::size_t(1));
    QCOMPARE(editor.GetNetwork("N1").tcp, 1);
    QVERIFY(editor.GetRevision() > before);

    QCOMPARE(int(editor.GetAttacca("3")), 0);
    editor.SetAttacca("3", 1);
    QCOMPARE(int(editor.GetAttacca("3")), 1);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, editor.SetAttacca("3", 3));

    editor.AddOrReplaceOutputPath(CL::OutputPath("p1", "Main", ""));
    editor.AddOrReplaceOutputPath(CL::OutputPath("p1", "Main", "dev-2", "USB"));
    editor.AddOrReplaceOutputPath(CL::OutputPath("p2", "Click", ""));
    QCOMPARE(editor.GetOutputPaths().size(), std::size_t(2));
    QCOMPARE(editor.GetOutputPaths()[0].GetDeviceName(), std::string("USB"));
    editor.RemoveOutputPath("p1");
    QCOMPARE(editor.GetOutputPaths().size(), std::size_t(1));
    // A deleted path of the show is recorded once; making it again takes it off the record.
    editor.SetOutputPathRemoved("main", true);
    editor.SetOutputPathRemoved("main", true);
    QCOMPARE(editor.GetRemovedOutputPaths(), std::vector<std::string>{"main"});
    editor.SetOutputPathRemoved("main", false);
    QVERIFY(editor.GetRemovedOutputPaths().empty());
}

QTEST_GUILESS_MAIN(TestZarnCoreEditor)
#include "tst_zarn_core_editor.moc"
