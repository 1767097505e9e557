// The main window's event tools and relays on the real window over the real engine and the
// demo show: the window's tool buttons, the edit panel's Edit and the timeline's double
// click opening tools by kind, one tool per kind, a tool closed from its own window, the
// click tool's notice, the drag clamp, the selection relays between the timeline and the
// lists, select-all and the attacca states.
//
// Where only the controller's wiring and rules per kind matter, a kind is given a stand-in row
// that opens the marker tool's window under the kind's letter.

#include "DialogController.h"
#include "DragClamp.h"
#include "EditController.h"
#include "EditModel.h"
#include "EventListController.h"
#include "EventToolSet.h"
#include "MainWindowFixture.h"
#include "MarkerListController.h"
#include "MarkerToolController.h"
#include "SongListController.h"
#include "SongListModel.h"
#include "TimelineController.h"
#include "zarn_core/ZarnEvent.h"
#include "zarn_core/ZarnEventCode.h"

#include <QAbstractItemModel>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <climits>

using zarn::qt::EditToolController;
using zarn::qt::MarkerToolController;
using zarn::qt::MusicalMainController;

namespace {

const char* const kAllKinds = "@ABCDELMNS";

zarn::qt::EventToolKind StandIn(char kind)
{
    return zarn::qt::MakeEventToolKind<MarkerToolController>(
        kind, &MarkerToolController::markerToolClosing,
        [](MarkerToolController& tool, Interface& player, int startTick, int) {
            tool.onMarkerButtonClicked(player.GetBarBeatByTick(static_cast<std::uint32_t>(startTick)));
        },
        [](MarkerToolController& tool, Interface&, cmn::ZarnEvent* event) { tool.onMarkerEdit(event); });
}

QWindow* WindowOf(const EditToolController* tool)
{
    return tool ? qobject_cast<QWindow*>(tool->GetQmlObject()) : nullptr;
}

QObject* Child(QObject* parent, const char* name)
{
    return parent ? parent->findChild<QObject*>(QLatin1String(name)) : nullptr;
}

int CurrentRow(const zarn::qt::QmlController* list)
{
    return list->GetQmlObject()->property("currentIndex").toInt();
}

bool ClickNoticeShown()
{
    const QList<QWindow*> dialogs = MainWindowFixture::VisibleDialogs();
    return std::any_of(dialogs.begin(), dialogs.end(), [](QWindow* dialog) {
        return dialog->property("title").toString() == QLatin1String("About Click in Corvane");
    });
}

} // namespace

class TestMusicalMainTools : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowToolButtonsReachTheirKind_data();
    void windowToolButtonsReachTheirKind();
    void oscButtonFollowsTheProfile_data();
    void oscButtonFollowsTheProfile();
    void markerButtonMakesAMarkerAndTheToolGoes();
    void toolClosedFromItsOwnWindow();
    void theSameKindIsReplaced();
    void kindsCoexist();
    void editButtonOpensTheKindsTool_data();
    void editButtonOpensTheKindsTool();
    void doubleClickOpensTheSelectedEvent();
    void clickNotice_data();
    void clickNotice();
    void clickNoticeTickedAwayStaysAway();
    void showLoadAndDestructionTakeTheTools();

    void dragClamp_data();
    void dragClamp();
    void dragOnTheTimelineIsClampedToTheSong();

    void timelineSelectionReachesTheLists_data();
    void timelineSelectionReachesTheLists();
    void listRowsReachTheTimeline_data();
    void listRowsReachTheTimeline();
    void selectAllSpansTheSongsAudio();
    void attaccaChangeMarksTheLogModified();
    void attaccaUpdateRefreshesTheSongList();

private:
    void CreateWithSong();
    zarn::qt::EditModel& Model() const { return *f->controller->GetEditController()->GetEditModel(); }
    cmn::ZarnEvent* PanelEvent(char code) const;
    int PanelRow(const cmn::ZarnEvent* event) const;
    void StandInsForEveryKind();
    std::size_t OpenToolCount() const;

    std::unique_ptr<MainWindowFixture> f;
};

void TestMusicalMainTools::init()
{
    // Every connection by signature must find both ends.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect")));
    f = std::make_unique<MainWindowFixture>();
}

void TestMusicalMainTools::cleanup()
{
    f.reset();
}

void TestMusicalMainTools::CreateWithSong()
{
    f->Create();
    // The engine's song-loaded notice has reached the timeline and the edit panel.
    QTRY_VERIFY(!f->controller->GetTimelineController()->GetMarkerItems().empty());
    QVERIFY(!Model().markers.empty());
}

cmn::ZarnEvent* TestMusicalMainTools::PanelEvent(char code) const
{
    for (const auto& event : Model().panelEvents) {
        if (event->code() == code)
            return event.get();
    }
    return nullptr;
}

int TestMusicalMainTools::PanelRow(const cmn::ZarnEvent* event) const
{
    const auto& events = Model().panelEvents;
    for (std::size_t row = 0; row < events.size(); ++row) {
        if (events[row].get() == event)
            return static_cast<int>(row);
    }
    return -1;
}

void TestMusicalMainTools::StandInsForEveryKind()
{
    for (const char* kind = kAllKinds; *kind; ++kind) {
        if (*kind != codes::Marker)
            f->controller->GetEventTools().SetKind(StandIn(*kind));
    }
}

std::size_t TestMusicalMainTools::OpenToolCount() const
{
    std::size_t count = 0;
    for (const char* kind = kAllKinds; *kind; ++kind)
        count += f->controller->GetEventTool(*kind) ? 1 : 0;
    return count;
}

// --- opening and closing ---

void TestMusicalMainTools::windowToolButtonsReachTheirKind_data()
{
    QTest::addColumn<QByteArray>("signal");
    QTest::addColumn<bool>("range");
    QTest::addColumn<char>("kind");
    QTest::newRow("caesura") << QByteArray("caesuraButtonPressed") << false << codes::Caesura;
    QTest::newRow("marker") << QByteArray("markerButtonPressed") << false << codes::Marker;
    QTest::newRow("osc") << QByteArray("oscButtonPressed") << false << codes::Osc;
    QTest::newRow("skip") << QByteArray("skipButtonPressed") << true << codes::Fermata;
    QTest::newRow("vamp") << QByteArray("vampButtonPressed") << true << codes::Vamp;
    QTest::newRow("cut") << QByteArray("cutButtonPressed") << true << codes::Cut;
    QTest::newRow("transpose") << QByteArray("transposeButtonPressed") << true << codes::Transpose;
    QTest::newRow("tempo") << QByteArray("tempoButtonPressed") << true << codes::TempoScale;
    QTest::newRow("repeat") << QByteArray("repeatButtonPressed") << true << codes::Repeat;
    QTest::newRow("click") << QByteArray("clickButtonPressed") << true << codes::Click;
}

void TestMusicalMainTools::windowToolButtonsReachTheirKind()
{
    QFETCH(QByteArray, signal);
    QFETCH(bool, range);
    QFETCH(char, kind);
    CreateWithSong();
    StandInsForEveryKind();

    // Bar 3 of song 1 (4/4, 480 ticks a beat) to bar 5.
    if (range)
        QVERIFY(QMetaObject::invokeMethod(f->Window(), signal.constData(), Q_ARG(int, 3840), Q_ARG(int, 7680)));
    else
        QVERIFY(QMetaObject::invokeMethod(f->Window(), signal.constData(), Q_ARG(int, 3840)));

    EditToolController* tool = f->controller->GetEventTool(kind);
    QVERIFY(tool);
    QCOMPARE(OpenToolCount(), std::size_t(1));
    QVERIFY(WindowOf(tool)->isVisible());
    QCOMPARE(WindowOf(tool)->property("isEdit").toBool(), false);
    QCOMPARE(Child(WindowOf(tool), "inBarInput")->property("displayText").toString(), QStringLiteral("3"));
}

void TestMusicalMainTools::oscButtonFollowsTheProfile_data()
{
    QTest::addColumn<bool>("enableOsc");
    QTest::newRow("OSC on") << true;
    QTest::newRow("OSC off: the button reaches nothing") << false;
}

void TestMusicalMainTools::oscButtonFollowsTheProfile()
{
    QFETCH(bool, enableOsc);
    f->profile.enableOsc = enableOsc;
    CreateWithSong();
    f->controller->GetEventTools().SetKind(StandIn(codes::Osc));
    QMetaObject::invokeMethod(f->Window(), "oscButtonPressed", Q_ARG(int, 0));
    QCOMPARE(f->controller->GetEventTool(codes::Osc) != nullptr, enableOsc);
}

void TestMusicalMainTools::markerButtonMakesAMarkerAndTheToolGoes()
{
    CreateWithSong();
    QVERIFY(!f->controller->HasUnsavedChanges());
    QMetaObject::invokeMethod(f->Window(), "markerButtonPressed", Q_ARG(int, 5760));
    QPointer<EditToolController> tool = f->controller->GetEventTool(codes::Marker);
    QVERIFY(qobject_cast<MarkerToolController*>(tool.data()));
    QPointer<QWindow> window = WindowOf(tool);
    QVERIFY(window->isVisible());

    // OK makes the marker and closes the window; the tool goes once the window is done.
    window->setProperty("strValue", QStringLiteral("Verse"));
    QMetaObject::invokeMethod(window, "pressOk");
    const auto& markers = Model().markers;
    QVERIFY(std::any_of(markers.begin(), markers.end(), [](const cmn::ZarnEvent* marker) {
        return marker->value() == "Verse" && marker->start() == 5760;
    }));
    QVERIFY(f->controller->HasUnsavedChanges());
    QVERIFY(!f->controller->GetEventTool(codes::Marker));
    QTRY_VERIFY(tool.isNull());
    QTRY_VERIFY(window.isNull());
}

void TestMusicalMainTools::toolClosedFromItsOwnWindow()
{
    CreateWithSong();
    const std::size_t markersBefore = Model().markers.size();
    QMetaObject::invokeMethod(f->Window(), "markerButtonPressed", Q_ARG(int, 3840));
    QPointer<EditToolController> tool = f->controller->GetEventTool(codes::Marker);
    QPointer<QWindow> window = WindowOf(tool);
    QVERIFY(window);

    // The title bar's close: the window is still emitting when the controller hears of it,
    // so the tool is let go at once but deleted only afterwards.
    window->close();
    QVERIFY(!f->controller->GetEventTool(codes::Marker));
    QVERIFY(!tool.isNull());
    QTRY_VERIFY(tool.isNull());
    QTRY_VERIFY(window.isNull());
    QCOMPARE(Model().markers.size(), markersBefore);
    QVERIFY(!f->controller->HasUnsavedChanges());

    // The kind opens again as before.
    QMetaObject::invokeMethod(f->Window(), "markerButtonPressed", Q_ARG(int, 3840));
    QVERIFY(WindowOf(f->controller->GetEventTool(codes::Marker))->isVisible());
}

void TestMusicalMainTools::theSameKindIsReplaced()
{
    CreateWithSong();
    QMetaObject::invokeMethod(f->Window(), "markerButtonPressed", Q_ARG(int, 3840));
    QPointer<EditToolController> first = f->controller->GetEventTool(codes::Marker);
    QPointer<QWindow> firstWindow = WindowOf(first);
    QMetaObject::invokeMethod(f->Window(), "markerButtonPressed", Q_ARG(int, 7680));
    EditToolController* second = f->controller->GetEventTool(codes::Marker);

    QVERIFY(second && second != first);
    QVERIFY(WindowOf(second)->isVisible());
    // The first window disappears at once and goes with its tool.
    QVERIFY(!firstWindow || !firstWindow->isVisible());
    QTRY_VERIFY(first.isNull());
    QTRY_VERIFY(firstWindow.isNull());

    // The replaced tool's late closing reaches nothing: the second stays.
    QVERIFY(f->controller->GetEventTool(codes::Marker) == second);
    WindowOf(second)->close();
    QVERIFY(!f->controller->GetEventTool(codes::Marker));
}

void TestMusicalMainTools::kindsCoexist()
{
    CreateWithSong();
    f->controller->GetEventTools().SetKind(StandIn(codes::Cut));
    QMetaObject::invokeMethod(f->Window(), "markerButtonPressed", Q_ARG(int, 3840));
    QMetaObject::invokeMethod(f->Window(), "cutButtonPressed", Q_ARG(int, 3840), Q_ARG(int, 7680));
    QPointer<EditToolController> cut = f->controller->GetEventTool(codes::Cut);
    QVERIFY(cut && WindowOf(cut)->isVisible());
    QVERIFY(WindowOf(f->controller->GetEventTool(codes::Marker))->isVisible());

    // Replacing or closing one kind leaves the other alone.
    QMetaObject::invokeMethod(f->Window(), "markerButtonPressed", Q_ARG(int, 7680));
    WindowOf(f->controller->GetEventTool(codes::Marker))->close();
    MainWindowFixture::FlushDeletes();
    QVERIFY(!f->controller->GetEventTool(codes::Marker));
    QVERIFY(cut && f->controller->GetEventTool(codes::Cut) == cut);
    QVERIFY(WindowOf(cut)->isVisible());
}

void TestMusicalMainTools::editButtonOpensTheKindsTool_data()
{
    QTest::addColumn<QString>("event");
    QTest::addColumn<char>("opened"); // 0: nothing
    QTest::newRow("null") << QStringLiteral("null") << char(0);
    QTest::newRow("sound effect") << QStringLiteral("Q") << char(0);
    QTest::newRow("ambient sound effect") << QStringLiteral("R") << char(0);
    QTest::newRow("marker") << QStringLiteral("marker") << codes::Marker;
    QTest::newRow("vamp") << QStringLiteral("vamp") << codes::Vamp;
}

void TestMusicalMainTools::editButtonOpensTheKindsTool()
{
    QFETCH(QString, event);
    QFETCH(char, opened);
    CreateWithSong();
    cmn::ZarnEvent sfx(codes::Sfx, 1920, 0, "Q2.1");
    cmn::ZarnEvent ambient(codes::AmbientSfx, 1920, 0, "R2.1");
    cmn::ZarnEvent* chosen = nullptr;
    if (event == QLatin1String("Q"))
        chosen = &sfx;
    else if (event == QLatin1String("R"))
        chosen = &ambient;
    else if (event == QLatin1String("marker"))
        chosen = Model().markers.front();
    else if (event == QLatin1String("vamp"))
        chosen = PanelEvent(codes::Vamp);
    QVERIFY(event == QLatin1String("null") || chosen);

    // As the edit bar's Edit and the event list's double click announce it.
    emit f->controller->GetEditController()->EditButtonSignal(chosen);

    if (!opened) {
        QCOMPARE(OpenToolCount(), std::size_t(0));
        return;
    }
    EditToolController* tool = f->controller->GetEventTool(opened);
    QCOMPARE(OpenToolCount(), std::size_t(1));
    QVERIFY(WindowOf(tool)->isVisible());
    QCOMPARE(WindowOf(tool)->property("isEdit").toBool(), true);
    QCOMPARE(tool->GetRememberedEvent()->EventId(), chosen->EventId());
}

void TestMusicalMainTools::doubleClickOpensTheSelectedEvent()
{
    CreateWithSong();
    zarn::qt::TimelineController* timeline = f->controller->GetTimelineController();
    Model().SelectEvent(nullptr);
    timeline->onEditRegionDoubleClicked();
    QCOMPARE(OpenToolCount(), std::size_t(0));

    cmn::ZarnEvent* marker = Model().markers.back();
    Model().SelectEvent(marker);
    timeline->onEditRegionDoubleClicked();
    EditToolController* tool = f->controller->GetEventTool(codes::Marker);
    QVERIFY(tool);
    QCOMPARE(WindowOf(tool)->property("isEdit").toBool(), true);
    QCOMPARE(tool->GetRememberedEvent()->EventId(), marker->EventId());
}

void TestMusicalMainTools::clickNotice_data()
{
    QTest::addColumn<bool>("fromButton");  // the click button, or Edit on a click
    QTest::addColumn<bool>("storedNever"); // "Do not show again" stored in the general settings
    QTest::addColumn<bool>("hidden");      // the profile's hideClickToolNotice
    QTest::addColumn<bool>("notice");
    QTest::newRow("button") << true << false << false << true;
    QTest::newRow("edit of a click") << false << false << false << false;
    QTest::newRow("button, never again stored") << true << true << false << false;
    QTest::newRow("button, hidden by the edition") << true << false << true << false;
}

void TestMusicalMainTools::clickNotice()
{
    QFETCH(bool, fromButton);
    QFETCH(bool, storedNever);
    QFETCH(bool, hidden);
    QFETCH(bool, notice);
    if (storedNever)
        f->WriteGeneralSettings("[Dialogs]\nClickToolNotification=false\n");
    f->profile.hideClickToolNotice = hidden;
    CreateWithSong();
    MainWindowFixture::FlushDeletes();
    QVERIFY(!ClickNoticeShown());

    cmn::ZarnEvent click(codes::Click, 3840, 5760, "L3.1");
    if (fromButton)
        QMetaObject::invokeMethod(f->Window(), "clickButtonPressed", Q_ARG(int, 3840), Q_ARG(int, 5760));
    else
        f->controller->onEditButton(&click);
    QVERIFY(f->controller->GetEventTool(codes::Click));

    QCOMPARE(ClickNoticeShown(), notice);
    if (!notice)
        return;
    QObject* dialog = f->controller->GetCurrentDialog()->GetQmlObject();
    QCOMPARE(dialog->property("type").toString(), QStringLiteral("info"));
    QVERIFY(dialog->property("showCheckbox").toBool());
    QCOMPARE(dialog->property("text").toString(),
             QStringLiteral("While there is no audible click track present in Corvane, this feature changes the "
                            "resolution of where you can place events in the timeline to allow for more precise "
                            "editing. Be aware any edits made to the click in Corvane will affect the click track "
                            "in Halvard."));
}

void TestMusicalMainTools::clickNoticeTickedAwayStaysAway()
{
    CreateWithSong();
    QMetaObject::invokeMethod(f->Window(), "clickButtonPressed", Q_ARG(int, 3840), Q_ARG(int, 5760));
    QVERIFY(ClickNoticeShown());
    auto* dialog = qobject_cast<QWindow*>(f->controller->GetCurrentDialog()->GetQmlObject());
    QMetaObject::invokeMethod(dialog, "checkboxConfirmed");
    dialog->close();
    WindowOf(f->controller->GetEventTool(codes::Click))->close();
    MainWindowFixture::FlushDeletes();

    // A dialog on screen is not pushed aside by a notice that will not show.
    f->controller->onError("still here", "Other");
    QMetaObject::invokeMethod(f->Window(), "clickButtonPressed", Q_ARG(int, 3840), Q_ARG(int, 5760));
    QVERIFY(f->controller->GetEventTool(codes::Click));
    QVERIFY(!ClickNoticeShown());
    QCOMPARE(f->controller->GetCurrentDialog()->GetQmlObject()->property("title").toString(),
             QStringLiteral("Other"));
}

void TestMusicalMainTools::showLoadAndDestructionTakeTheTools()
{
    CreateWithSong();
    f->controller->GetEventTools().SetKind(StandIn(codes::Cut));
    QMetaObject::invokeMethod(f->Window(), "markerButtonPressed", Q_ARG(int, 3840));
    QPointer<EditToolController> marker = f->controller->GetEventTool(codes::Marker);

    // A new show load takes the tools with the engine and edit controller they were made with.
    f->controller->LoadShow_();
    QVERIFY(marker.isNull());
    QTRY_VERIFY(!Model().markers.empty());

    // Destruction takes an open tool and one let go but not yet deleted.
    QMetaObject::invokeMethod(f->Window(), "markerButtonPressed", Q_ARG(int, 3840));
    marker = f->controller->GetEventTool(codes::Marker);
    QMetaObject::invokeMethod(f->Window(), "cutButtonPressed", Q_ARG(int, 3840), Q_ARG(int, 7680));
    QPointer<EditToolController> cut = f->controller->GetEventTool(codes::Cut);
    QVERIFY(marker && cut);
    WindowOf(marker)->close();
    QVERIFY(!marker.isNull());
    f->controller.reset();
    QVERIFY(marker.isNull());
    QVERIFY(cut.isNull());
    MainWindowFixture::FlushDeletes();
}

// --- drag ---

void TestMusicalMainTools::dragClamp_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<bool>("adjustLeft");
    QTest::addColumn<bool>("adjustRight");
    QTest::addColumn<int>("songStart");
    QTest::addColumn<int>("songLength");
    QTest::addColumn<uint>("newStart");
    QTest::addColumn<uint>("newEnd");
    // Whole events keep their length and stay inside the song.
    QTest::newRow("whole, inside") << 3840 << 7680 << false << false << 960 << 15360 << 3840u << 7680u;
    QTest::newRow("whole, before the start") << -1000 << 2840 << false << false << 960 << 15360 << 960u << 4800u;
    QTest::newRow("whole, past the end") << 14000 << 17840 << false << false << 960 << 15360 << 11520u << 15360u;
    QTest::newRow("whole, longer than the song") << -100 << 20000 << false << false << 0 << 15360 << 0u << 15360u;
    // A left edge stops at the song's start and at the right edge.
    QTest::newRow("left, before the start") << -500 << 7680 << true << false << 960 << 15360 << 960u << 7680u;
    QTest::newRow("left, inside") << 5000 << 7680 << true << false << 960 << 15360 << 5000u << 7680u;
    QTest::newRow("left, past the right edge") << 9000 << 7680 << true << false << 960 << 15360 << 7680u << 7680u;
    // A right edge stops at the song's end and at the left edge.
    QTest::newRow("right, past the end") << 3840 << 20000 << false << true << 960 << 15360 << 3840u << 15360u;
    QTest::newRow("right, before the left edge") << 3840 << 1000 << false << true << 960 << 15360 << 3840u << 3840u;
    // Start after end in a whole drag: never an inverted span, never below zero.
    QTest::newRow("whole, inverted") << 7680 << 3840 << false << false << 960 << 15360 << 3840u << 3840u;
    QTest::newRow("whole, inverted below zero") << 100 << -50 << false << false << 0 << 15360 << 0u << 0u;
    QTest::newRow("extremes") << INT_MIN << INT_MAX << false << false << 960 << 15360 << 0u << 15360u;
    QTest::newRow("extremes, inverted") << INT_MAX << INT_MIN << false << false << 960 << 15360 << 0u << 0u;
}

void TestMusicalMainTools::dragClamp()
{
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(bool, adjustLeft);
    QFETCH(bool, adjustRight);
    QFETCH(int, songStart);
    QFETCH(int, songLength);
    QFETCH(uint, newStart);
    QFETCH(uint, newEnd);
    const zarn::qt::DraggedSpan span =
        zarn::qt::ClampDraggedSpan(start, end, adjustLeft, adjustRight, songStart, songLength);
    QCOMPARE(span.start, newStart);
    QCOMPARE(span.end, newEnd);
}

void TestMusicalMainTools::dragOnTheTimelineIsClampedToTheSong()
{
    CreateWithSong();
    zarn::qt::TimelineController* timeline = f->controller->GetTimelineController();
    const cmn::ZarnEvent* vamp = PanelEvent(codes::Vamp);
    QVERIFY(vamp);
    QCOMPARE(vamp->start(), 3840u);
    QCOMPARE(vamp->end(), 7680u);

    // Dragged before the song's start: it starts there, as long as before.
    emit timeline->EditDraggedSignal(vamp, -1000, 2840, false, false);
    vamp = PanelEvent(codes::Vamp);
    QCOMPARE(vamp->start(), 0u);
    QCOMPARE(vamp->end(), 3840u);
    QVERIFY(f->controller->HasUnsavedChanges());

    // Its right edge dragged past the song's end (15360 ticks): it ends there.
    emit timeline->EditDraggedSignal(vamp, 0, 40000, false, true);
    vamp = PanelEvent(codes::Vamp);
    QCOMPARE(vamp->start(), 0u);
    QCOMPARE(vamp->end(), 15360u);
    MainWindowFixture::FlushDeletes();
    QVERIFY(MainWindowFixture::VisibleDialogs().isEmpty());

    // A drag of nothing changes nothing.
    emit timeline->EditDraggedSignal(nullptr, 0, 100, false, false);
    QCOMPARE(PanelEvent(codes::Vamp)->end(), 15360u);
}

// --- selection, select-all, attacca ---

void TestMusicalMainTools::timelineSelectionReachesTheLists_data()
{
    QTest::addColumn<char>("kind"); // 0: nothing selected
    QTest::newRow("marker") << codes::Marker;
    QTest::newRow("vamp") << codes::Vamp;
    QTest::newRow("nothing") << char(0);
}

void TestMusicalMainTools::timelineSelectionReachesTheLists()
{
    QFETCH(char, kind);
    CreateWithSong();
    zarn::qt::EditController* edit = f->controller->GetEditController();
    zarn::qt::MarkerListController* markers = edit->GetMarkerListController();
    zarn::qt::EventListController* events = edit->GetEventListController();
    const cmn::ZarnEvent* vamp = PanelEvent(codes::Vamp);
    const cmn::ZarnEvent* letterB = Model().markers.back();
    QCOMPARE(letterB->value(), std::string("Letter B"));

    // Rows chosen in both lists beforehand (quietly, as a refresh would leave them).
    markers->SelectMarker(Model().markers.front());
    events->SelectEvent(vamp);
    const cmn::ZarnEvent* chosen = kind == codes::Marker ? letterB : kind == codes::Vamp ? vamp : nullptr;
    f->controller->GetTimelineController()->onEditRegionSelected(chosen);

    QCOMPARE(CurrentRow(markers), kind == codes::Marker ? 1 : -1);
    QCOMPARE(CurrentRow(events), kind == codes::Vamp ? PanelRow(vamp) : -1);
}

void TestMusicalMainTools::listRowsReachTheTimeline_data()
{
    QTest::addColumn<bool>("markerRow");
    QTest::newRow("marker list") << true;
    QTest::newRow("event list") << false;
}

void TestMusicalMainTools::listRowsReachTheTimeline()
{
    QFETCH(bool, markerRow);
    CreateWithSong();
    zarn::qt::EditController* edit = f->controller->GetEditController();
    zarn::qt::MarkerListController* markers = edit->GetMarkerListController();
    zarn::qt::EventListController* events = edit->GetEventListController();
    zarn::qt::TimelineController* timeline = f->controller->GetTimelineController();
    const cmn::ZarnEvent* vamp = PanelEvent(codes::Vamp);
    const cmn::ZarnEvent* letterB = Model().markers.back();
    // The other list's row, chosen quietly beforehand, is cleared by the choice.
    if (markerRow)
        events->SelectEvent(vamp);
    else
        markers->SelectMarker(letterB);

    if (markerRow)
        markers->SetCurrentIndex(1);
    else
        events->SetCurrentIndex(PanelRow(vamp));

    const cmn::ZarnEvent* expected = markerRow ? letterB : vamp;
    std::vector<const cmn::ZarnEvent*> selected;
    for (const auto& item : timeline->GetMarkerItems())
        if (item->IsSelected())
            selected.push_back(item->GetEvent());
    for (const auto& item : timeline->GetRegionItems())
        if (item->IsSelected())
            selected.push_back(item->GetEvent());
    QCOMPARE(selected.size(), std::size_t(1));
    QCOMPARE(selected.front()->EventId(), expected->EventId());
    QCOMPARE(CurrentRow(markerRow ? static_cast<zarn::qt::QmlController*>(events)
                                  : static_cast<zarn::qt::QmlController*>(markers)),
             -1);
}

void TestMusicalMainTools::selectAllSpansTheSongsAudio()
{
    CreateWithSong();
    QObject* timeline = f->Window()->property("timelineControl").value<QObject*>();
    timeline->setProperty("selectionStart", 100);
    timeline->setProperty("selectionEnd", 120);
    timeline->setProperty("selectionActive", false);

    f->controller->onSelectAllRequested_();
    // Song 1's audio runs to tick 17280, past its 15360 ticks of bars; units of 25 ticks.
    QCOMPARE(timeline->property("selectionStart").toInt(), 0);
    QCOMPARE(timeline->property("selectionEnd").toInt(), 17280 / 25);
    QVERIFY(timeline->property("selectionActive").toBool());
}

void TestMusicalMainTools::attaccaChangeMarksTheLogModified()
{
    CreateWithSong();
    const std::shared_ptr<Interface>& engine = f->controller->GetEngine();
    const std::uint8_t before = engine->GetAttacca("1");
    QVERIFY(!f->controller->HasUnsavedChanges());

    // The song list's attacca column clicked on song 1.
    QObject* songList = f->controller->GetEditController()->GetSongListController()->GetQmlObject();
    QVERIFY(QMetaObject::invokeMethod(songList, "attaccaStateChanged", Q_ARG(QString, QStringLiteral("1"))));

    QVERIFY(engine->GetAttacca("1") != before);
    auto* model = songList->property("model").value<QAbstractItemModel*>();
    QCOMPARE(model->data(model->index(0, 0), zarn::qt::SongListModel::StatusRole).toString(),
             zarn::qt::SongListModel::StatusText(engine->GetAttacca("1")));
    QVERIFY(f->controller->HasUnsavedChanges());
    QVERIFY(Model().needsUpload);
}

void TestMusicalMainTools::attaccaUpdateRefreshesTheSongList()
{
    CreateWithSong();
    const std::shared_ptr<Interface>& engine = f->controller->GetEngine();
    QObject* songList = f->controller->GetEditController()->GetSongListController()->GetQmlObject();
    auto* model = songList->property("model").value<QAbstractItemModel*>();
    const QModelIndex song2 = model->index(1, 0);
    const QString shown = model->data(song2, zarn::qt::SongListModel::StatusRole).toString();
    QVERIFY(!shown.isEmpty()); // the demo's song 2 follows attacca

    // A log loaded behind the list's back (a save's reload, a downloaded log).
    engine->SetAttacca("2", 0);
    QCOMPARE(model->data(song2, zarn::qt::SongListModel::StatusRole).toString(), shown);
    emit f->controller->SignalAttaccaUpdate();
    QCOMPARE(model->data(song2, zarn::qt::SongListModel::StatusRole).toString(),
             zarn::qt::SongListModel::StatusText(0));
}

QTEST_MAIN(TestMusicalMainTools)
#include "tst_musical_main_tools.moc"
