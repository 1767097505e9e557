// The caesura and OSC cue tools, the two tools that place their event a number of ticks after
// a beat: opened from the kind table on the editing page over the real engine and editor, as
// the main window opens them, on a copy of the demo show; for the beat the song starts
// inside, on a copy whose song 1 has a cut from 0 to 700. A fake engine only where the real
// one cannot be made to answer: no room after a beat, an earliest tick before the front beat.
#include "CaesuraToolController.h"
#include "DemoShowEngine.h"
#include "EditController.h"
#include "EditModel.h"
#include "NetworkListModel.h"
#include "OscToolController.h"
#include "QmlModuleLoader.h"
#include "ShowFakeEngine.h"
#include "TimelineFixture.h"
#include "TimelineMetaTypes.h"
#include "ToolTestHelpers.h"
#include "zarn_core/Caesura.h"
#include "zarn_core/CopyZarnEvent.h"
#include "zarn_core/Editor.h"
#include "zarn_core/Osc.h"
#include "zarn_core/ZarnEventCode.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using zarn::qt::CaesuraToolController;
using zarn::qt::EditController;
using zarn::qt::EditToolController;
using zarn::qt::OscToolController;

namespace {

// Song 1 of the demo: 4/4 from tick 0, 480 ticks a beat, 15360 ticks long; OSC cues S1.1 at 0
// and S5.1 at 7680 to "Lighting desk" (NETWORK0), a caesura N6.4 at 11040.
constexpr std::uint32_t kBar = 1920;
constexpr std::uint32_t kBeat = 480;
// The front show: song 1 starts at 700, inside bar 1's beat 2 (480 to 960).
constexpr std::uint32_t kFrontStart = 700;
constexpr std::uint32_t kShiftAfterABeat = kBeat - 1; // the room up to the next beat

// One caesura or cue as the change log holds it.
struct Logged
{
    std::uint32_t tick = 0;
    std::string id;
    std::string command;
    std::string networkId;
    bool operator==(const Logged&) const = default;
};

char* toString(const Logged& e)
{
    return qstrdup(QStringLiteral("[%1 %2 \"%3\" \"%4\"]")
                       .arg(e.tick)
                       .arg(QString::fromStdString(e.id), QString::fromStdString(e.command),
                            QString::fromStdString(e.networkId))
                       .toUtf8()
                       .constData());
}

char* toString(const std::vector<Logged>& events)
{
    QString text;
    for (const Logged& e : events) {
        char* one = toString(e);
        text += QString::fromUtf8(one) + QLatin1Char(' ');
        delete[] one;
    }
    return qstrdup(text.toUtf8().constData());
}

// The demo show copied into `dir`, with a cut from 0 to 700 in song 1's log.
std::shared_ptr<Interface> FrontEntryEngine(const QTemporaryDir& dir)
{
    QFile file(CopyDemoShow(dir) + QStringLiteral("/lanterns-1.0.logdata"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("the demo show has no log");
    QJsonObject log = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    QJsonObject songs = log.value("songs").toObject();
    QJsonObject song = songs.value("1").toObject();
    QJsonArray events = song.value("events").toArray();
    events.prepend(QJsonObject{{"code", "B"}, {"id", "B1.1"}, {"start", 0}, {"end", int(kFrontStart)}, {"int", 0}});
    song.insert("events", events);
    songs.insert("1", song);
    log.insert("songs", songs);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("the copied log cannot be written");
    file.write(QJsonDocument(log).toJson());
    file.close();
    return StartDemoEngine(dir);
}

// The editing page on song 1 of the demo show or of the front show, opening tools as the
// main window does.
struct Page
{
    explicit Page(bool frontEntry)
    {
        if (frontEntry) {
            showDir = std::make_unique<QTemporaryDir>();
            f = std::make_unique<TimelineFixture>(FrontEntryEngine(*showDir));
        } else {
            f = std::make_unique<TimelineFixture>();
        }
        f->LoadSong("1");
    }
    ~Page()
    {
        f.reset();
        TimelineFixture::FlushDeletes();
    }

    CL::Editor& Editor() const { return *f->engine->GetChangeLogEditor(); }

    std::vector<Logged> Events(char kind) const
    {
        std::vector<Logged> events;
        const CL::SongLog& log = *Editor().GetSongLog("1");
        if (kind == codes::Caesura) {
            for (const CL::Caesura& c : log.GetDisplayCaesurasRef())
                events.push_back({c.start(), c.EventId(), {}, {}});
        } else {
            for (const CL::Osc& o : log.GetOscs())
                events.push_back({o.start(), o.EventId(), o.osc_properties().Message(), o.osc_properties().NetworkId()});
        }
        return events;
    }

    // The one event of the kind with that id; a tick of UINT32_MAX when there is none or more.
    Logged Event(char kind, const std::string& id) const
    {
        Logged found{UINT32_MAX, "none", {}, {}};
        int count = 0;
        for (const Logged& e : Events(kind)) {
            if (e.id == id) {
                found = e;
                ++count;
            }
        }
        return count == 1 ? found : Logged{UINT32_MAX, "count " + std::to_string(count), {}, {}};
    }

    // Added through the edit controller, as a tool's OK adds it.
    void Add(const cmn::ZarnEvent& event) { f->editController->onZarnMakeEvent(event); }

    // The edit panel's row of the event with that id (what the edit bar's Edit opens on).
    cmn::ZarnEvent* PanelEvent(const std::string& id) const
    {
        for (const auto& event : f->editModel->panelEvents) {
            if (event->EventId() == id)
                return event.get();
        }
        return nullptr;
    }

    EditToolController* OpenCreate(char kind, std::uint32_t tick)
    {
        tool = f->OpenCreateTool(kind, static_cast<int>(tick), static_cast<int>(tick));
        return tool;
    }

    EditToolController* OpenEdit(cmn::ZarnEvent* event)
    {
        tool = f->OpenEditTool(event);
        return tool;
    }

    QQuickWindow* Window() const { return tool ? qobject_cast<QQuickWindow*>(tool->GetQmlObject()) : nullptr; }
    QObject* Panel() const { return Child(Window(), "barAndBeatPanel"); }

    void PressOk() const { QVERIFY(QMetaObject::invokeMethod(Window(), "pressOk")); }

    void SetNetworks(const CL::NetworkPathVectorT& paths) const { f->engine->UpdateNetworks(paths); }

    std::unique_ptr<QTemporaryDir> showDir; // the front show's copy, outliving the engine
    std::unique_ptr<TimelineFixture> f;
    QPointer<EditToolController> tool;
};

// A tool as the kind table makes it, over a fake engine, keeping what it would add.
template <class Tool>
class Recording : public Tool
{
public:
    using Tool::Tool;
    bool AddEvent(const cmn::ZarnEvent& event) override
    {
        added.push_back(CL::CopyZarnEvent(event));
        return true;
    }
    std::vector<std::unique_ptr<cmn::ZarnEvent>> added;
};

TL::TimelineSequence<TL::BarsBeats> FourFourBars(int count)
{
    TL::TimelineSequence<TL::BarsBeats> bars;
    for (int bar = 0; bar < count; ++bar) {
        for (int beat = 0; beat < 4; ++beat)
            bars.push_back(TL::BarsBeats(static_cast<std::uint32_t>(bar * 1920 + beat * 480), beat + 1,
                                         std::to_string(bar + 1)));
    }
    return bars;
}

CL::NetworkPathVectorT TwoNetworks()
{
    return {CL::NetworkPath("NETWORK0", "Lighting desk", "127.0.0.1", 53000, 0),
            CL::NetworkPath("NETWORK7", "Stage", "10.0.0.7", 9000, 1)};
}

} // namespace

class TestShiftTools : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { zarn::qt::RegisterTimelineMetaTypes(); }

    void init()
    {
        // A wrong signature string must fail, not only warn.
        QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect")));
    }

    void cleanup() { TimelineFixture::FlushDeletes(); }

    // ---- create ----

    void create_data()
    {
        QTest::addColumn<char>("kind");
        QTest::addColumn<bool>("front");
        QTest::addColumn<uint>("openTick");
        QTest::addColumn<double>("shift"); // what the user moves the slider to; NaN: untouched
        QTest::addColumn<QString>("bar");  // what the pickers show
        QTest::addColumn<QString>("beat");
        QTest::addColumn<int>("lowerEnd");
        QTest::addColumn<double>("shown"); // the slider's value when the window opens
        QTest::addColumn<uint>("tick");
        QTest::addColumn<QString>("id");

        const double untouched = std::nan("");
        for (char kind : {codes::Caesura, codes::Osc}) {
            const QString k(QChar::fromLatin1(kind));
            QTest::addRow("%c on a beat", kind)
                << kind << false << kBar + 2 * kBeat << untouched << "2" << "3" << 0 << 0.0
                << kBar + 2 * kBeat << k + "2.3";
            // Truncated toward zero, not rounded.
            QTest::addRow("%c 12.9 after the beat at 480", kind)
                << kind << false << kBeat << 12.9 << "1" << "2" << 0 << 0.0 << 492u << k + "1.2";
            // The beat the song starts inside: the slider starts where the song does.
            QTest::addRow("%c at the start tick, inside beat 2", kind)
                << kind << true << kFrontStart << untouched << "1" << "2" << 220 << 220.0 << kFrontStart
                << k + "1.2";
            // The slider holds its lower end, so no OK lands before the start tick.
            QTest::addRow("%c slider pushed below its lower end", kind)
                << kind << true << kFrontStart << 100.0 << "1" << "2" << 220 << 220.0 << kFrontStart << k + "1.2";
            QTest::addRow("%c opened before the start", kind)
                << kind << true << 0u << untouched << "1" << "2" << 220 << 220.0 << kFrontStart << k + "1.2";
            QTest::addRow("%c on a later beat of the front show", kind)
                << kind << true << kBar << 30.0 << "2" << "1" << 0 << 0.0 << kBar + 30 << k + "2.1";
        }
    }

    void create()
    {
        QFETCH(char, kind);
        QFETCH(bool, front);
        QFETCH(uint, openTick);
        QFETCH(double, shift);
        QFETCH(QString, bar);
        QFETCH(QString, beat);
        QFETCH(int, lowerEnd);
        QFETCH(double, shown);
        QFETCH(uint, tick);
        QFETCH(QString, id);

        Page p(front);
        if (front)
            QCOMPARE(p.f->engine->GetCurrentStartTickIndex(), kFrontStart);
        const std::vector<Logged> before = p.Events(kind);
        QVERIFY(p.OpenCreate(kind, openTick));
        QQuickWindow* window = p.Window();
        QVERIFY(window->isVisible());
        QVERIFY(!window->property("isEdit").toBool());
        QCOMPARE(window->title(), kind == codes::Caesura ? QStringLiteral("Create Caesura")
                                                         : QStringLiteral("Create OSC Command"));
        QObject* panel = p.Panel();
        QCOMPARE(panel->property("inBar").toString(), bar);
        QCOMPARE(panel->property("inBeat").toString(), beat);
        QCOMPARE(window->property("inShiftMin").toInt(), lowerEnd);
        QCOMPARE(panel->property("inMinMicroshift").toInt(), lowerEnd);
        QCOMPARE(window->property("inShiftMax").toInt(), int(kShiftAfterABeat));
        QVERIFY(window->property("inShiftEnabled").toBool());
        QCOMPARE(window->property("inShift").toDouble(), shown);
        QVERIFY(Child(window, "inShiftSlider")->property("visible").toBool());
        // The id line: the suggested id in the caesura window; hidden in the cue's, which
        // still stores it.
        QCOMPARE(window->property("eventId").toString(), id);
        QObject* idLine = Child(window, "eventIdLabel");
        QCOMPARE(idLine->property("visible").toBool(), kind == codes::Caesura);
        QCOMPARE(idLine->property("value").toString(), id);
        if (kind == codes::Caesura)
            QVERIFY(!Child(window, "pauseColumn")->property("visible").toBool());
        // The size is fixed when the window completes, before its first frame lays it out: OK
        // and Cancel must still lie inside it then.
        QTRY_VERIFY(window->isExposed());
        QSignalSpy framed(window, &QQuickWindow::frameSwapped);
        window->update();
        QTRY_VERIFY(!framed.isEmpty());
        auto* buttons = qobject_cast<QQuickItem*>(Child(window, "buttonRow"));
        const qreal buttonsEnd = buttons->mapToScene(QPointF(0, buttons->height())).y();
        QVERIFY2(buttons->height() > 0 && buttonsEnd <= window->height(),
                 qPrintable(QStringLiteral("OK and Cancel end at %1 in a window %2 high")
                                .arg(buttonsEnd)
                                .arg(window->height())));

        if (!std::isnan(shift))
            window->setProperty("inShift", shift);
        if (kind == codes::Osc)
            window->setProperty("strValue", QStringLiteral("/zarn/fadeout 3"));
        p.PressOk();

        std::vector<Logged> expected = before;
        if (kind == codes::Caesura)
            expected.push_back({tick, id.toStdString(), {}, {}});
        else
            expected.push_back({tick, id.toStdString(), "/zarn/fadeout 3", "NETWORK0"});
        std::vector<Logged> after = p.Events(kind);
        std::sort(after.begin(), after.end(), [](const Logged& a, const Logged& b) { return a.id < b.id; });
        std::sort(expected.begin(), expected.end(), [](const Logged& a, const Logged& b) { return a.id < b.id; });
        QCOMPARE(after, expected);
        QTRY_VERIFY(p.tool.isNull());
    }

    // OK by Return sends the request; Cancel, Escape and the title bar's close send nothing.
    // Either way the tool goes.
    void closing_data()
    {
        QTest::addColumn<char>("kind");
        QTest::addColumn<QString>("way");
        for (char kind : {codes::Caesura, codes::Osc}) {
            for (const char* way : {"Return", "Cancel", "Escape", "close"})
                QTest::addRow("%c %s", kind, way) << kind << QString::fromLatin1(way);
        }
    }

    void closing()
    {
        QFETCH(char, kind);
        QFETCH(QString, way);
        Page p(false);
        const std::size_t before = p.Events(kind).size();
        QVERIFY(p.OpenCreate(kind, kBar));
        QQuickWindow* window = p.Window();
        QTRY_VERIFY(window->isExposed());
        window->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(window));
        if (way == QLatin1String("Return")) {
            QTest::keyClick(window, Qt::Key_Return);
        } else if (way == QLatin1String("Escape")) {
            QTest::keyClick(window, Qt::Key_Escape);
        } else if (way == QLatin1String("Cancel")) {
            ClickItem(Child(window, "buttonRow")->property("cancelButton").value<QQuickItem*>());
        } else {
            window->close();
        }
        QTRY_VERIFY(!p.f->Tool(kind));
        QTRY_VERIFY(p.tool.isNull());
        QCOMPARE(p.Events(kind).size(), before + (way == QLatin1String("Return") ? 1 : 0));
    }

    // ---- change ----

    // OK without a change leaves the event where it was, off-beat ones included; the lower
    // end follows the beat the event is on.
    void unchangedOk_data()
    {
        QTest::addColumn<char>("kind");
        QTest::addColumn<bool>("front");
        QTest::addColumn<uint>("tick");
        QTest::addColumn<QString>("bar");
        QTest::addColumn<QString>("beat");
        QTest::addColumn<int>("lowerEnd");
        QTest::addColumn<double>("shown");

        for (char kind : {codes::Caesura, codes::Osc}) {
            QTest::addRow("%c between beats", kind) << kind << false << kBar + 80 << "2" << "1" << 0 << 80.0;
            QTest::addRow("%c in the last beat", kind)
                << kind << false << 15360u - 1 << "8" << "4" << 0 << double(kShiftAfterABeat);
            // The earliest tick is asked for in an edit too: the lower end is not 0 - 480.
            QTest::addRow("%c in the beat the song starts inside", kind)
                << kind << true << 800u << "1" << "2" << 220 << 320.0;
            // A cue on a later beat keeps its own offset: the front beat's lower end is not its.
            QTest::addRow("%c on bar 2, beat 1 of the front show", kind)
                << kind << true << kBar << "2" << "1" << 0 << 0.0;
        }
    }

    void unchangedOk()
    {
        QFETCH(char, kind);
        QFETCH(bool, front);
        QFETCH(uint, tick);
        QFETCH(QString, bar);
        QFETCH(QString, beat);
        QFETCH(int, lowerEnd);
        QFETCH(double, shown);

        Page p(front);
        const std::string id = kind == codes::Caesura ? "N-held" : "S-held";
        if (kind == codes::Caesura)
            p.Add(CL::Caesura(tick, id, 0));
        else
            p.Add(CL::Osc(tick, id, CL::OscProperties("/cue/7/go", "NETWORK0")));
        const Logged logged = p.Event(kind, id);
        QCOMPARE(logged.tick, tick);

        QVERIFY(p.OpenEdit(p.PanelEvent(id)));
        QQuickWindow* window = p.Window();
        QVERIFY(window->isVisible());
        QVERIFY(window->property("isEdit").toBool());
        QCOMPARE(window->title(), kind == codes::Caesura ? QStringLiteral("Edit Caesura")
                                                         : QStringLiteral("Edit OSC Command"));
        QCOMPARE(p.Panel()->property("inBar").toString(), bar);
        QCOMPARE(p.Panel()->property("inBeat").toString(), beat);
        QCOMPARE(window->property("inShiftMin").toInt(), lowerEnd);
        QCOMPARE(window->property("inShift").toDouble(), shown);
        QCOMPARE(window->property("eventId").toString(), QString::fromStdString(id));
        QCOMPARE(Child(window, "eventIdLabel")->property("visible").toBool(), kind == codes::Caesura);
        if (kind == codes::Osc) {
            QCOMPARE(window->property("strValue").toString(), QStringLiteral("/cue/7/go"));
            QCOMPARE(window->property("networkCurrentIndex").toInt(), 0);
        }

        QSignalSpy updated(p.tool.data(), &EditToolController::valuesUpdated);
        p.PressOk();
        QCOMPARE(updated.count(), 1);
        QCOMPARE(p.Event(kind, id), logged);
        QTRY_VERIFY(p.tool.isNull());
    }

    // A move to another bar and beat with a shift, and for a cue a new command and
    // destination, in one OK; the picker changes of an edit leave the id alone. An event
    // without an id is found for both of the cue's edits.
    void changeMoves_data()
    {
        QTest::addColumn<char>("kind");
        QTest::addColumn<QString>("id");
        for (char kind : {codes::Caesura, codes::Osc}) {
            QTest::addRow("%c with an id", kind) << kind << QStringLiteral("%1-moved").arg(QChar::fromLatin1(kind));
            QTest::addRow("%c without an id", kind) << kind << QString();
        }
    }

    void changeMoves()
    {
        QFETCH(char, kind);
        QFETCH(QString, id);
        Page p(false);
        p.SetNetworks(TwoNetworks());
        if (kind == codes::Caesura)
            p.Add(CL::Caesura(kBar + 80, id.toStdString(), 0));
        else
            p.Add(CL::Osc(kBar + 80, id.toStdString(), CL::OscProperties("/cue/7/go", "NETWORK0")));
        cmn::ZarnEvent* event = nullptr;
        for (const auto& e : p.f->editModel->panelEvents) {
            if (e->code() == kind && e->start() == kBar + 80)
                event = e.get();
        }
        QVERIFY(event);
        QVERIFY(p.OpenEdit(event));
        QQuickWindow* window = p.Window();

        auto* tool = p.tool.data();
        const int barRow = tool->FindBarRow(p.f->engine->GetBarBeatByTick(2 * kBar));
        QVERIFY(barRow > 0);
        Choose(p.Window(), "in", barRow, 1); // bar 3, beat 2
        QCOMPARE(p.Panel()->property("inBar").toString(), QStringLiteral("3"));
        QCOMPARE(p.Panel()->property("inBeat").toString(), QStringLiteral("2"));
        QCOMPARE(window->property("eventId").toString(), id);
        // A new beat starts at its lowest shift.
        QCOMPARE(window->property("inShift").toDouble(), 0.0);
        window->setProperty("inShift", 30.4);
        if (kind == codes::Osc) {
            window->setProperty("strValue", QStringLiteral("/zarn/volume -6"));
            window->setProperty("networkCurrentIndex", 1);
        }
        QSignalSpy updated(tool, &EditToolController::valuesUpdated);
        p.PressOk();
        QCOMPARE(updated.count(), 1);

        const std::uint32_t moved = 2 * kBar + kBeat + 30;
        std::vector<Logged> found;
        for (const Logged& e : p.Events(kind)) {
            if (e.id == id.toStdString() && (e.tick == moved || e.tick == kBar + 80))
                found.push_back(e);
        }
        const Logged expected = kind == codes::Caesura ? Logged{moved, id.toStdString(), {}, {}}
                                                       : Logged{moved, id.toStdString(), "/zarn/volume -6", "NETWORK7"};
        QCOMPARE(found, std::vector<Logged>{expected});
    }

    // The cue gone from the log behind the open tool: the move is refused as "Edit Failed",
    // the command edit is still made (and fails, as a debug line), and the page is refreshed
    // once.
    void refusedMoveStillRefreshesOnce()
    {
        Page p(false);
        p.Add(CL::Osc(kBar, "S-gone", CL::OscProperties("/cue/7/go", "NETWORK0")));
        QVERIFY(p.OpenEdit(p.PanelEvent("S-gone")));
        const cmn::ZarnEvent copy = *p.tool->GetRememberedEvent();
        p.f->showManager->PauseAndGetEditor()->DeleteEvent(copy);
        QCOMPARE(p.Event(codes::Osc, "S-gone").tick, UINT32_MAX);

        QSignalSpy errors(p.f->editController.get(), &EditController::error);
        QSignalSpy updated(p.tool.data(), &EditToolController::valuesUpdated);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^Error editing event: .*S-gone")));
        p.PressOk();
        QVERIFY2(OnlyError(errors).startsWith(
                     QStringLiteral("Edit Failed: A change to the start or end time could not be completed: ")),
                 qPrintable(OnlyError(errors)));
        QCOMPARE(updated.count(), 1);
        QCOMPARE(p.Event(codes::Osc, "S-gone").tick, UINT32_MAX);
    }

    // ---- destinations ----

    void destinations_data()
    {
        QTest::addColumn<CL::NetworkPathVectorT>("networks");
        QTest::addColumn<QString>("cueNetwork"); // null: a new cue
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("stored");

        QTest::newRow("none, create") << CL::NetworkPathVectorT{} << QString() << -1 << QString();
        QTest::newRow("none, edit") << CL::NetworkPathVectorT{} << QStringLiteral("NETWORK0") << -1 << QString();
        QTest::newRow("create takes the first row") << TwoNetworks() << QString() << 0 << QStringLiteral("NETWORK0");
        QTest::newRow("edit finds the second row")
            << TwoNetworks() << QStringLiteral("NETWORK7") << 1 << QStringLiteral("NETWORK7");
        QTest::newRow("edit of an unknown id") << TwoNetworks() << QStringLiteral("GONE") << -1 << QString();
        QTest::newRow("ids are exact") << TwoNetworks() << QStringLiteral("network7") << -1 << QString();
    }

    void destinations()
    {
        QFETCH(CL::NetworkPathVectorT, networks);
        QFETCH(QString, cueNetwork);
        QFETCH(int, index);
        QFETCH(QString, stored);

        Page p(false);
        p.SetNetworks(networks);
        const bool create = cueNetwork.isNull();
        if (create) {
            QVERIFY(p.OpenCreate(codes::Osc, kBar));
        } else {
            p.Add(CL::Osc(kBar, "S-dest", CL::OscProperties("/cue/7/go", cueNetwork.toStdString())));
            QVERIFY(p.OpenEdit(p.PanelEvent("S-dest")));
        }
        QQuickWindow* window = p.Window();
        const auto* list = static_cast<OscToolController*>(p.tool.data())->GetNetworkList();
        QVERIFY(list && list->parent() == nullptr);
        QCOMPARE(list->rowCount(), int(networks.size()));
        // Rows keep the transport of their path.
        for (int row = 0; row < list->rowCount(); ++row) {
            QCOMPARE(list->data(list->index(row), zarn::NetworkListModel::ModeRole).toString(),
                     networks[std::size_t(row)].tcp ? QStringLiteral("tcp") : QStringLiteral("udp"));
        }
        QObject* box = Child(window, "networkIdInput");
        QCOMPARE(box->property("count").toInt(), int(networks.size()));
        QCOMPARE(window->property("networkCurrentIndex").toInt(), index);
        QCOMPARE(box->property("displayText").toString(),
                 index < 0 ? QString() : QString::fromStdString(networks[std::size_t(index)].Name()));

        p.PressOk();
        const Logged cue = p.Event(codes::Osc, create ? "S2.1" : "S-dest");
        QCOMPARE(cue.tick, kBar);
        QCOMPARE(QString::fromStdString(cue.networkId), stored);
        QCOMPARE(cue.command, create ? std::string() : std::string("/cue/7/go"));
    }

    // The window holds the list only while the tool does.
    void networkListGoesWithTheTool()
    {
        Page p(false);
        QVERIFY(p.OpenCreate(codes::Osc, kBar));
        QPointer<QQuickWindow> window = p.Window();
        auto* tool = static_cast<OscToolController*>(p.tool.data());
        QCOMPARE(window->property("networkModel").value<QObject*>(), static_cast<QObject*>(tool->GetNetworkList()));
        QPointer<QObject> list = tool->GetNetworkList();
        delete tool;
        QVERIFY(list.isNull());
        QVERIFY(window);
        QVERIFY(!window->property("networkModel").value<QObject*>());
        TimelineFixture::FlushDeletes();
        QVERIFY(window.isNull());
    }

    // ---- what only a fake engine answers ----

    // No room after the beat: the slider is off with its upper end at 0, and the event lies on
    // the beat. An earliest tick before the beat the song starts inside gives the lower end 0.
    void noShiftAndAnEarlyMinimum_data()
    {
        QTest::addColumn<char>("kind");
        QTest::addColumn<uint>("beatTick");
        QTest::addRow("caesura on the front beat") << codes::Caesura << kBeat;
        QTest::addRow("caesura on a later beat") << codes::Caesura << kBar + kBeat;
        QTest::addRow("cue on the front beat") << codes::Osc << kBeat;
        QTest::addRow("cue on a later beat") << codes::Osc << kBar + kBeat;
    }

    void noShiftAndAnEarlyMinimum()
    {
        QFETCH(char, kind);
        QFETCH(uint, beatTick);

        auto fake = std::make_shared<ShowFakeEngine>();
        fake->barsBeats["1"] = FourFourBars(3);
        fake->currentStartTick = 600; // inside bar 1's beat 2; the fake's earliest tick stays 0
        QQmlEngine qml;
        zarn::qt::QmlModuleLoader::PrepareEngine(qml);
        QQuickWindow mainWindow;
        mainWindow.show();
        const TL::BarsBeats position(beatTick, 2, beatTick < kBar ? "1" : "2");

        std::unique_ptr<EditToolController> tool;
        std::vector<std::unique_ptr<cmn::ZarnEvent>>* added = nullptr;
        if (kind == codes::Caesura) {
            auto caesura = std::make_unique<Recording<CaesuraToolController>>(&qml, fake, nullptr, &mainWindow);
            caesura->ConnectToolSignals();
            caesura->SetInShiftMin(fake->GetMinStartTickIndex());
            QCOMPARE(caesura->GetQmlObject()->property("inShiftMin").toInt(), 0);
            caesura->onCaesuraButtonClicked(position, fake->GetMinStartTickIndex());
            added = &caesura->added;
            tool = std::move(caesura);
        } else {
            auto cue = std::make_unique<Recording<OscToolController>>(&qml, fake, nullptr, &mainWindow);
            cue->ConnectToolSignals();
            cue->onToolButtonClicked(position, fake->GetMinStartTickIndex());
            added = &cue->added;
            tool = std::move(cue);
        }
        QObject* window = tool->GetQmlObject();
        QVERIFY(window->property("visible").toBool());
        QCOMPARE(window->property("inShiftMax").toInt(), 0);
        QVERIFY(!window->property("inShiftEnabled").toBool());
        QVERIFY(!Child(window, "inShiftSlider")->property("enabled").toBool());
        QCOMPARE(window->property("inShiftMin").toInt(), 0);
        QCOMPARE(window->property("inShift").toDouble(), 0.0);

        QVERIFY(QMetaObject::invokeMethod(window, "pressOk"));
        QCOMPARE(added->size(), std::size_t(1));
        QCOMPARE(added->front()->start(), beatTick);
        QCOMPARE(added->front()->code(), kind);
        tool.reset();
        TimelineFixture::FlushDeletes();
    }
};

QTEST_MAIN(TestShiftTools)
#include "tst_shift_tools.moc"
