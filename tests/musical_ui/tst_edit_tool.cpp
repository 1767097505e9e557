// The event tools' base (pickers, suggested ids, the shared change steps) on a plain stand-in
// window, and the marker tool on its real window over the editing page, the real engine and
// the edit controller.
#include "EditController.h"
#include "EditToolController.h"
#include "MarkerToolController.h"
#include "QmlModuleLoader.h"
#include "ShowFakeEngine.h"
#include "TimelineFixture.h"
#include "TimelineMetaTypes.h"
#include "ToolTestHelpers.h"
#include "zarn_core/Cut.h"
#include "zarn_core/Editor.h"
#include "zarn_core/Marker.h"
#include "zarn_core/Vamp.h"

#include <QPointer>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <string>
#include <vector>

using zarn::qt::EditController;
using zarn::qt::EditToolController;
using zarn::qt::MarkerToolController;

namespace {

using Sequence = TL::TimelineSequence<TL::BarsBeats>;

} // namespace

Q_DECLARE_METATYPE(Sequence)
Q_DECLARE_METATYPE(TL::BarsBeats)

namespace {

// Half notes, two beats a bar: beat 2 of a bar lies where a 4/4 reading of the ticks finds
// beat 3, so a suggested id tells which tick it was made for.
Sequence TwoTwoBars()
{
    return Sequence({TL::BarsBeats(0, 1, "1"), TL::BarsBeats(960, 2, "1"), TL::BarsBeats(1920, 1, "2"),
                     TL::BarsBeats(2880, 2, "2"), TL::BarsBeats(3840, 1, "3"), TL::BarsBeats(4800, 2, "3")});
}

// Four beats a bar, bars 1 to `count`.
Sequence FourFourBars(int count = 3)
{
    Sequence bars;
    for (int bar = 0; bar < count; ++bar) {
        for (int beat = 0; beat < 4; ++beat)
            bars.push_back(TL::BarsBeats(static_cast<std::uint32_t>(bar * 1920 + beat * 480), beat + 1,
                                         std::to_string(bar + 1)));
    }
    return bars;
}

// A range tool's window reduced to what the base reads and writes.
const char* const kStandIn = R"(import QtQuick
import QtQuick.Controls

Window {
    id: root
    property bool isEdit: false
    property string eventId: ""
    property int intValue: 0
    property string value: ""
    property string strValue: ""
    property int inShiftMin: 0
    signal inBarChanged()
    signal inBeatChanged()
    signal changeRequest(string startBar, int startBeat, string endBar, int endBeat, int value)
    width: 300
    height: 200

    Column {
        ComboBox { objectName: "inBarInput"; textRole: "bar"; onCurrentIndexChanged: root.inBarChanged() }
        ComboBox { objectName: "inBeatInput"; onCurrentIndexChanged: root.inBeatChanged() }
        ComboBox { objectName: "outBarInput"; textRole: "bar" }
        ComboBox { objectName: "outBeatInput" }
    }
}
)";

// The fake, failing on demand where the tools ask the engine for positions and ticks.
class FailingEngine : public ShowFakeEngine
{
public:
    bool failing = false;

    using ShowFakeEngine::GetBarBeatByTick;
    std::uint32_t GetCurrentStartTickIndex() override
    {
        Fail();
        return ShowFakeEngine::GetCurrentStartTickIndex();
    }
    TL::BarsBeats GetBarBeatByTick(std::uint32_t tick) override
    {
        Fail();
        return ShowFakeEngine::GetBarBeatByTick(tick);
    }

private:
    void Fail() const
    {
        if (failing)
            throw std::runtime_error("engine gone");
    }
};

// A range tool as the vamp and repeat tools are built, on the stand-in window.
class RangeTool : public EditToolController
{
    Q_OBJECT

public:
    RangeTool(QQmlEngine* engine, const QUrl& url, EditController* editController,
              std::shared_ptr<Interface> engineHandle, QObject* parent)
        : EditToolController(engine, url, editController, std::move(engineHandle), '@', parent, true)
    {
    }

    void ConnectToolSignals() override
    {
        connect(qmlObject_, SIGNAL(changeRequest(QString,int,QString,int,int)), this,
                SLOT(onChangeRequest(QString,int,QString,int,int)));
    }
    void UpdateToolValues() override { ++updates; }

    void Open(const TL::BarsBeats& start, const TL::BarsBeats& end) { OpenRangeForCreate(start, end); }
    void Edit(const cmn::ZarnEvent& event) { OpenRangeForEdit(&event); }

    int updates = 0;

public slots:
    void onChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat, int value)
    {
        ChangeRangeAndValue(startBar, startBeat, endBar, endBeat, value);
    }
};

QVariantList Beats(std::initializer_list<uint> beats)
{
    QVariantList list;
    for (uint beat : beats)
        list.append(beat);
    return list;
}

QVariantList AsBeats(const QVariant& model)
{
    QVariantList list;
    for (const QVariant& beat : model.toList())
        list.append(beat.toUInt());
    return list;
}

// Typed key by key, as QTest offers no text typing into a window.
void Type(QWindow* window, const QString& text)
{
    for (QChar c : text)
        QTest::keyClick(window, c.toLatin1());
}

struct MarkerState
{
    std::uint32_t tick;
    std::string id;
    std::string text;
    bool operator==(const MarkerState&) const = default;
};

char* toString(const std::vector<MarkerState>& markers)
{
    QString text;
    for (const MarkerState& m : markers)
        text += QStringLiteral("[%1 %2 \"%3\"] ").arg(m.tick).arg(QString::fromStdString(m.id),
                                                         QString::fromStdString(m.text));
    return qstrdup(text.toUtf8().constData());
}

// The editing page on song 1 with the marker tool the harness last opened, at a tick or on a
// marker; the tool is released when its window closes.
struct Page
{
    Page()
        : edit(f.editController.get())
    {
        f.LoadSong("1");
    }
    ~Page()
    {
        delete tool.data();
        TimelineFixture::FlushDeletes();
    }

    CL::Editor& Editor() const { return *f.engine->GetChangeLogEditor(); }

    std::vector<MarkerState> Markers(const std::string& song) const
    {
        std::vector<MarkerState> markers;
        for (const CL::Marker& m : Editor().GetSongLog(song)->GetMarkers())
            markers.push_back({m.start(), m.EventId(), m.value()});
        return markers;
    }

    // The harness's steps, as the main window takes them.
    MarkerToolController* OpenAt(std::uint32_t tick)
    {
        tool = f.OpenMarkerTool(tick);
        return tool;
    }

    MarkerToolController* OpenOn(cmn::ZarnEvent* marker)
    {
        tool = qobject_cast<MarkerToolController*>(f.OpenEditTool(marker));
        return tool;
    }

    // The engine's marker object of the current song with that text.
    cmn::ZarnEvent* EngineMarker(const std::string& text) const
    {
        for (cmn::ZarnEvent* marker : f.engine->GetMarkers()) {
            if (marker->value() == text)
                return marker;
        }
        qFatal("no marker %s", text.c_str());
    }

    QQuickWindow* Window() const { return qobject_cast<QQuickWindow*>(tool->GetQmlObject()); }

    // What the user does to choose a bar in the picker: the row, then its beats, then a beat.
    void Pick(int barRow, int beatPosition) const { Choose(Window(), "in", barRow, beatPosition); }

    void Activate() const
    {
        QQuickWindow* window = Window();
        window->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }

    void TypeAndPressReturn(const QString& text) const
    {
        QQuickWindow* window = Window();
        Activate();
        QKeySequence selectAll(QKeySequence::SelectAll);
        QTest::keySequence(window, selectAll);
        if (text.isEmpty())
            QTest::keyClick(window, Qt::Key_Backspace);
        else
            Type(window, text);
        QTest::keyClick(window, Qt::Key_Return);
    }

    TimelineFixture f;
    EditController* edit;
    QPointer<MarkerToolController> tool;
};

constexpr std::uint32_t kBar = 1920;
constexpr std::uint32_t kBeat = 480;

} // namespace

class TestEditTool : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QUrl standIn_;
    std::unique_ptr<QQmlEngine> qml_;
    std::unique_ptr<QQuickWindow> mainWindow_;
    std::shared_ptr<ShowFakeEngine> fake_;

    std::unique_ptr<RangeTool> StandInTool(const Sequence& bars, std::uint32_t startTick)
    {
        fake_->barsBeats["1"] = bars;
        fake_->currentStartTick = startTick;
        auto tool = std::make_unique<RangeTool>(qml_.get(), standIn_, nullptr, fake_, mainWindow_.get());
        if (!tool->GetQmlObject())
            qFatal("the stand-in window did not load");
        return tool;
    }

private slots:
    void initTestCase()
    {
        zarn::qt::RegisterTimelineMetaTypes();
        QFile file(dir_.filePath("StandIn.qml"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kStandIn);
        file.close();
        standIn_ = QUrl::fromLocalFile(file.fileName());
    }

    void init()
    {
        // A wrong signature string must fail, not only warn.
        QTest::failOnWarning(QRegularExpression("QObject::connect"));
        qml_ = std::make_unique<QQmlEngine>();
        zarn::qt::QmlModuleLoader::PrepareEngine(*qml_);
        // Shown: a tool window shows only while the window it is transient for does.
        mainWindow_ = std::make_unique<QQuickWindow>();
        mainWindow_->show();
        fake_ = std::make_shared<ShowFakeEngine>();
    }

    void cleanup()
    {
        mainWindow_.reset();
        qml_.reset();
        fake_.reset();
        TimelineFixture::FlushDeletes();
    }

    // ---- the base, on the stand-in window ----

    void windowHangsFromTheMainWindow()
    {
        auto tool = StandInTool(TwoTwoBars(), 0);
        auto* window = qobject_cast<QWindow*>(tool->GetQmlObject());
        QCOMPARE(window->transientParent(), static_cast<QWindow*>(mainWindow_.get()));
        QVERIFY(!window->isVisible());

        // The main window going first takes the tool's window; the tool then lets it be.
        mainWindow_.reset();
        QVERIFY(tool->GetQmlObject() == nullptr);
        tool->SetIntValue(4);
        tool->SetBarPickers(TL::BarsBeats(), TL::BarsBeats());
        tool->SetBeatPickers(TL::BarsBeats(), TL::BarsBeats());
        tool.reset();
        TimelineFixture::FlushDeletes();
    }

    void pickerChangeIgnoresIncompleteStates_data()
    {
        QTest::addColumn<int>("barsShown");
        QTest::addColumn<int>("barRow");
        QTest::addColumn<QVariant>("beatModel");
        QTest::addColumn<int>("beatPosition");

        // The tool's model has 3 bars; a bar picker showing more stands for a stale list.
        QTest::newRow("no beat list yet") << 3 << 1 << QVariant() << -1;
        QTest::newRow("bar row beyond the model") << 5 << 4 << QVariant(Beats({1, 2})) << 0;
        QTest::newRow("beat beyond the bar's beats") << 3 << 1 << QVariant(Beats({1, 2, 3, 4})) << 3;
        QTest::newRow("no bar shown") << 3 << -1 << QVariant(Beats({1, 2})) << 0;
    }

    void pickerChangeIgnoresIncompleteStates()
    {
        QFETCH(int, barsShown);
        QFETCH(int, barRow);
        QFETCH(QVariant, beatModel);
        QFETCH(int, beatPosition);

        auto tool = StandInTool(TwoTwoBars(), 0);
        QObject* window = tool->GetQmlObject();
        QObject* bar = Child(window, "inBarInput");
        QObject* beat = Child(window, "inBeatInput");
        const Sequence shown = FourFourBars(barsShown);
        auto* shownBars = barsShown == 3 ? tool->GetBarListModel()
                                         : new zarn::qt::BarListModel(window, &shown, 0);
        bar->setProperty("model", QVariant::fromValue<QObject*>(shownBars));
        bar->setProperty("currentIndex", barRow);
        beat->setProperty("model", beatModel);
        beat->setProperty("currentIndex", beatPosition);
        QCOMPARE(bar->property("currentIndex").toInt(), barRow);
        QCOMPARE(beat->property("currentIndex").toInt(), beatPosition);
        QCOMPARE(bar->property("displayText").toString().isEmpty(), barRow < 0);

        window->setProperty("eventId", QString());
        tool->updates = 0;
        QMetaObject::invokeMethod(window, "inBarChanged");
        QMetaObject::invokeMethod(window, "inBeatChanged");
        QCOMPARE(window->property("eventId").toString(), QString());
        QCOMPARE(tool->updates, 0);
    }

    void pickerChangeSuggestsTheIdOfThePickedTick()
    {
        // The song now starts inside bar 1's second beat (960): that beat heads the pickers.
        auto tool = StandInTool(TwoTwoBars(), 1700);
        tool->ConnectToolSignals();
        QObject* window = tool->GetQmlObject();
        tool->Open(TL::BarsBeats(960, 2, "1"), TL::BarsBeats(2880, 2, "2"));
        QVERIFY(window->property("visible").toBool());
        QCOMPARE(Child(window, "inBarInput")->property("displayText").toString(), QStringLiteral("1"));
        QCOMPARE(Child(window, "inBeatInput")->property("displayText").toString(), QStringLiteral("2"));

        // The id is made for the picked tick, not for the start the edit would raise it to.
        const std::string picked = fake_->editor->GetSuggestedEventIdAtTick(960, '@');
        QVERIFY(picked != fake_->editor->GetSuggestedEventIdAtTick(1700, '@'));
        QCOMPARE(window->property("eventId").toString(), QString::fromStdString(picked));
        QVERIFY(tool->updates > 0);

        // Once the window edits an event, a picker change keeps the event's id.
        window->setProperty("isEdit", true);
        window->setProperty("eventId", QStringLiteral("V9.9"));
        tool->updates = 0;
        Child(window, "inBarInput")->setProperty("currentIndex", 2);
        QCOMPARE(window->property("eventId").toString(), QStringLiteral("V9.9"));
        QCOMPARE(tool->updates, 1);
    }

    void beatPickersFollowThePositions_data()
    {
        QTest::addColumn<Sequence>("bars");
        QTest::addColumn<TL::BarsBeats>("in");
        QTest::addColumn<TL::BarsBeats>("out");
        QTest::addColumn<int>("inBarRow");
        QTest::addColumn<int>("outBarRow");
        QTest::addColumn<QVariantList>("inBeats");
        QTest::addColumn<int>("inPosition");
        QTest::addColumn<QVariantList>("outBeats");
        QTest::addColumn<int>("outPosition");

        // The song starts at beat 2 of bar 1 (600 lies in it), so row 0 holds beats 2, 3, 4.
        Sequence bars = FourFourBars();
        QTest::newRow("start in the first row, end later")
            << bars << TL::BarsBeats(960, 3, "1") << TL::BarsBeats(4320, 2, "3") << 0 << 2
            << Beats({2, 3, 4}) << 1 << Beats({1, 2, 3, 4}) << 1;
        QTest::newRow("both in the first row")
            << bars << TL::BarsBeats(960, 3, "1") << TL::BarsBeats(1440, 4, "1") << 0 << 0
            << Beats({2, 3, 4}) << 1 << Beats({2, 3, 4}) << 2;
        QTest::newRow("end row before the start row")
            << bars << TL::BarsBeats(4320, 2, "3") << TL::BarsBeats(3360, 4, "2") << 2 << 1
            << Beats({1, 2, 3, 4}) << 1 << Beats({1, 2, 3, 4}) << 1;
        QTest::newRow("bars the model does not hold")
            << bars << TL::BarsBeats(0, 3, "9") << TL::BarsBeats(0, 4, "12") << 0 << 0
            << Beats({2, 3, 4}) << 0 << Beats({2, 3, 4}) << 0;
        QTest::newRow("no bars at all")
            << Sequence() << TL::BarsBeats(960, 3, "1") << TL::BarsBeats(4320, 2, "3") << 0 << 0
            << QVariantList() << -1 << QVariantList() << -1;
    }

    void beatPickersFollowThePositions()
    {
        QFETCH(Sequence, bars);
        QFETCH(TL::BarsBeats, in);
        QFETCH(TL::BarsBeats, out);
        QFETCH(int, inBarRow);
        QFETCH(int, outBarRow);
        QFETCH(QVariantList, inBeats);
        QFETCH(int, inPosition);
        QFETCH(QVariantList, outBeats);
        QFETCH(int, outPosition);

        auto tool = StandInTool(bars, 600);
        QObject* window = tool->GetQmlObject();
        tool->Open(in, out);
        QCOMPARE(Child(window, "inBarInput")->property("currentIndex").toInt(), inBarRow);
        QCOMPARE(Child(window, "outBarInput")->property("currentIndex").toInt(), outBarRow);
        QCOMPARE(AsBeats(Child(window, "inBeatInput")->property("model")), inBeats);
        QCOMPARE(Child(window, "inBeatInput")->property("currentIndex").toInt(), inPosition);
        QCOMPARE(AsBeats(Child(window, "outBeatInput")->property("model")), outBeats);
        QCOMPARE(Child(window, "outBeatInput")->property("currentIndex").toInt(), outPosition);
    }

    void inShiftMinimum_data()
    {
        QTest::addColumn<uint>("startTick");
        QTest::addColumn<uint>("minimum");
        QTest::addColumn<int>("shiftMin");

        QTest::newRow("start inside a beat") << 600u << 700u << 220;
        QTest::newRow("start on a beat: nothing in front") << 480u << 700u << 0;
    }

    void inShiftMinimum()
    {
        QFETCH(uint, startTick);
        QFETCH(uint, minimum);
        QFETCH(int, shiftMin);

        auto tool = StandInTool(FourFourBars(), startTick);
        tool->GetQmlObject()->setProperty("inShiftMin", -1);
        tool->SetInShiftMin(minimum);
        QCOMPARE(tool->GetQmlObject()->property("inShiftMin").toInt(), shiftMin);
    }

    void intValueKeepsItsSign()
    {
        auto tool = StandInTool(FourFourBars(), 0);
        tool->SetIntValue(-3);
        QCOMPARE(tool->GetQmlObject()->property("value").toString(), QStringLiteral("-3"));
        QCOMPARE(tool->GetQmlObject()->property("intValue").toInt(), -3);
    }

    // A failure of the engine inside a slot the window calls would end the program.
    void engineFailureStaysInTheTool()
    {
        auto engine = std::make_shared<FailingEngine>();
        engine->barsBeats["1"] = FourFourBars();
        MarkerToolController tool(qml_.get(), engine, nullptr, mainWindow_.get());
        tool.onMarkerButtonClicked(TL::BarsBeats(0, 1, "1"));
        tool.ConnectToolSignals();
        QObject* window = tool.GetQmlObject();
        QVERIFY(window);
        CL::Marker marker(480, "Intro", "E1.2");

        engine->failing = true;
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^Error editing event:.*engine gone"));
        tool.onMarkerEdit(&marker);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^Error adding event:.*engine gone"));
        QMetaObject::invokeMethod(window, "createMarkerRequest", Q_ARG(QString, "1"), Q_ARG(int, 2),
                                  Q_ARG(QString, "Intro"));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^Error editing event:.*engine gone"));
        QMetaObject::invokeMethod(window, "changeMarkerRequest", Q_ARG(QString, "1"), Q_ARG(int, 2),
                                  Q_ARG(QString, "Intro"));
        QCOMPARE(tool.GetRememberedEvent()->value(), std::string("Intro"));
    }

    // ---- the base's change steps, on the real engine and edit controller ----

    void refusedMoveStillSetsTheValue()
    {
        Page page;
        const CL::Vamp vamp = page.Editor().GetSongLog("1")->GetVamps().at(0);
        QCOMPARE(vamp.EventId(), std::string("V3.1"));

        RangeTool tool(page.f.qmlEngine.get(), standIn_, page.edit, page.f.engine, page.f.window.get());
        tool.Edit(vamp);
        tool.ConnectToolSignals();
        QCOMPARE(tool.GetQmlObject()->property("eventId").toString(), QStringLiteral("V3.1"));
        QCOMPARE(tool.GetQmlObject()->property("value").toString(), QStringLiteral("2"));
        QSignalSpy errors(page.edit, &EditController::error);
        QSignalSpy updated(&tool, &EditToolController::valuesUpdated);

        // An end before the start: the move is refused, the count still changes.
        QMetaObject::invokeMethod(tool.GetQmlObject(), "changeRequest", Q_ARG(QString, "4"), Q_ARG(int, 1),
                                  Q_ARG(QString, "2"), Q_ARG(int, 1), Q_ARG(int, 5));
        QVERIFY2(OnlyError(errors).startsWith(
                     QStringLiteral("Edit Failed: A change to the start or end time could not be completed: ")),
                 qPrintable(OnlyError(errors)));
        QCOMPARE(updated.size(), 1);
        const CL::Vamp& after = page.Editor().GetSongLog("1")->GetVamps().at(0);
        QCOMPARE(after.start(), 3840u);
        QCOMPARE(after.end(), 7680u);
        QCOMPARE(after.int_value(), 5);
    }

    // ---- the marker tool ----

    void createsAMarkerWithTheHiddenId()
    {
        Page page;
        MarkerToolController* tool = page.OpenAt(kBar + 2 * kBeat); // bar 2, beat 3
        QQuickWindow* window = page.Window();
        QCOMPARE(window->property("title").toString(), QStringLiteral("Create Marker"));
        QCOMPARE(window->transientParent(), static_cast<QWindow*>(page.f.window.get()));
        QCOMPARE(window->property("modality").toInt(), static_cast<int>(Qt::ApplicationModal));
        const auto flags = Qt::WindowFlags(window->property("flags").toInt());
        QVERIFY(flags.testFlag(Qt::Dialog) && flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!Child(window, "eventIdLabel")->property("visible").toBool());
        QCOMPARE(window->property("eventId").toString(), QStringLiteral("E2.3"));
        QCOMPARE(Child(window, "barAndBeatPanel")->property("inBar").toString(), QStringLiteral("2"));
        QCOMPARE(Child(window, "barAndBeatPanel")->property("inBeat").toString(), QStringLiteral("3"));

        // Another bar chosen by the user brings its beats, and the id follows.
        page.Pick(3, 1); // bar 4, beat 2
        QCOMPARE(window->property("eventId").toString(), QStringLiteral("E4.2"));
        page.Pick(1, 2); // back to bar 2, beat 3

        QSignalSpy closing(tool, &MarkerToolController::markerToolClosing);
        QSignalSpy state(page.edit, &EditController::UpdateUndoRedoState);
        page.TypeAndPressReturn(QStringLiteral("Verse"));
        QCOMPARE(closing.size(), 1);
        QCOMPARE(page.Markers("1"), (std::vector<MarkerState>{{kBar + 2 * kBeat, "E2.3", "Verse"},
                                                                {3840, "E3.1", "Letter A"},
                                                                {11520, "E7.1", "Letter B"}}));
        QVERIFY(!state.isEmpty());
        TimelineFixture::FlushDeletes();
        QVERIFY(page.tool.isNull());
    }

    void emptyText_data()
    {
        QTest::addColumn<bool>("editing");
        QTest::newRow("create") << false;
        QTest::newRow("edit") << true;
    }

    void emptyText()
    {
        QFETCH(bool, editing);
        Page page;
        if (editing) {
            page.OpenOn(page.EngineMarker("Letter A"));
            QCOMPARE(page.Window()->property("strValue").toString(), QStringLiteral("Letter A"));
        } else {
            page.OpenAt(kBar);
        }
        page.TypeAndPressReturn(QString());

        const std::vector<MarkerState> markers = page.Markers("1");
        QCOMPARE(markers.size(), editing ? 2u : 3u);
        const MarkerState& typed = markers.front();
        QCOMPARE(typed.id, std::string(editing ? "E3.1" : "E2.1"));
        QCOMPARE(typed.text, std::string());
    }

    void closingSendsNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("editing");
        for (bool editing : {false, true}) {
            for (const char* how : {"cancel", "escape", "close"})
                QTest::addRow("%s, %s", how, editing ? "edit" : "create") << QString::fromLatin1(how) << editing;
        }
    }

    void closingSendsNothing()
    {
        QFETCH(QString, how);
        QFETCH(bool, editing);
        Page page;
        const std::vector<MarkerState> before = page.Markers("1");
        MarkerToolController* tool = editing ? page.OpenOn(page.EngineMarker("Letter B")) : page.OpenAt(kBar);
        QQuickWindow* window = page.Window();
        QSignalSpy closing(tool, &MarkerToolController::markerToolClosing);
        QSignalSpy updated(tool, &EditToolController::valuesUpdated);
        page.Activate();
        Type(window, QStringLiteral("Chorus"));

        if (how == "cancel") {
            auto* cancel = qobject_cast<QQuickItem*>(Child(window, "cancelButton"));
            QTest::mouseClick(window, Qt::LeftButton, {}, cancel->mapToScene(cancel->boundingRect().center()).toPoint());
        } else if (how == "escape") {
            QTest::keyClick(window, Qt::Key_Escape);
        } else {
            window->close();
        }
        QCOMPARE(closing.size(), 1);
        QCOMPARE(updated.size(), 0);
        QVERIFY(!page.Editor().CanUndo());
        QCOMPARE(page.Markers("1"), before);
        TimelineFixture::FlushDeletes();
        QVERIFY(page.tool.isNull());
    }

    void positionBeforeTheStartIsRaised_data()
    {
        QTest::addColumn<bool>("editing");
        QTest::newRow("create") << false;
        QTest::newRow("edit") << true;
    }

    void positionBeforeTheStartIsRaised()
    {
        QFETCH(bool, editing);
        Page page;
        // A cut over the song's first 2000 ticks: playback starts inside bar 2's first beat.
        page.Editor().AddEvent(CL::Cut(0, 2000, "B1.1", 0));
        page.f.engine->LoadNewChangeLog();
        QCOMPARE(page.f.engine->GetCurrentStartTickIndex(), 2000u);

        if (editing) {
            page.OpenOn(page.EngineMarker("Letter A"));
            page.Pick(0, 0);
            QCOMPARE(page.Window()->property("eventId").toString(), QStringLiteral("E3.1"));
        } else {
            page.OpenAt(kBar);
            // The id names the beat picked, where the marker would have been.
            QCOMPARE(page.Window()->property("eventId").toString(), QStringLiteral("E2.1"));
        }
        QCOMPARE(Child(page.Window(), "barAndBeatPanel")->property("inBar").toString(), QStringLiteral("2"));
        QCOMPARE(Child(page.Window(), "barAndBeatPanel")->property("inBeat").toString(), QStringLiteral("1"));
        page.TypeAndPressReturn(QStringLiteral("Top"));

        const MarkerState first = page.Markers("1").front();
        QCOMPARE(first, (MarkerState{2000, editing ? "E3.1" : "E2.1", "Top"}));
    }

    // The object the tool was opened on moves within the log before the rename.
    void moveAndRenameReachTheEditedMarker()
    {
        Page page;
        page.OpenOn(page.EngineMarker("Letter A"));
        QQuickWindow* window = page.Window();
        QCOMPARE(window->property("title").toString(), QStringLiteral("Edit Marker"));
        QCOMPARE(Child(window, "barAndBeatPanel")->property("inBar").toString(), QStringLiteral("3"));
        QCOMPARE(Child(window, "barAndBeatPanel")->property("inBeat").toString(), QStringLiteral("1"));
        QSignalSpy updated(page.tool.data(), &EditToolController::valuesUpdated);

        page.Pick(7, 0); // bar 8, after Letter B
        QCOMPARE(window->property("eventId").toString(), QStringLiteral("E3.1"));
        page.TypeAndPressReturn(QStringLiteral("Letter A, later"));

        QCOMPARE(updated.size(), 1);
        QCOMPARE(page.Markers("1"), (std::vector<MarkerState>{{11520, "E7.1", "Letter B"},
                                                                {7 * kBar, "E3.1", "Letter A, later"}}));
    }

    void songSwitchWithAnOpenTool_data()
    {
        QTest::addColumn<bool>("editing");
        QTest::newRow("create") << false;
        QTest::newRow("edit") << true;
    }

    void songSwitchWithAnOpenTool()
    {
        QFETCH(bool, editing);
        Page page;
        const std::vector<MarkerState> song1 = page.Markers("1");
        const std::vector<MarkerState> song2 = page.Markers("2");
        if (editing)
            page.OpenOn(page.EngineMarker("Letter A"));
        else
            page.OpenAt(kBar + 2 * kBeat);
        QSignalSpy errors(page.edit, &EditController::error);
        QSignalSpy updated(page.tool.data(), &EditToolController::valuesUpdated);

        // Attacca or a remote command moves the engine on while the window is open.
        page.f.LoadSong("2");
        page.TypeAndPressReturn(QStringLiteral("Verse"));

        QCOMPARE(OnlyError(errors),
                 QStringLiteral("Edit Failed: The song changed while this tool was open; nothing was changed."));
        QCOMPARE(updated.size(), 0);
        QVERIFY(!page.Editor().CanUndo());
        QCOMPARE(page.Markers("1"), song1);
        QCOMPARE(page.Markers("2"), song2);
    }
};

QTEST_MAIN(TestEditTool)
#include "tst_edit_tool.moc"
