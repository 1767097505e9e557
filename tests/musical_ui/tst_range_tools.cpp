// The four range tools (cut, skip, vamp, repeat) on their real windows over the editing page,
// the real engine and editor on a copy of the demo show: creating, changing, the round trip of
// an unchanged OK, closing without a request, and the vamp and repeat count rules. Each kind is
// tried on the demo song that holds one: the cut and the repeat in song 2 (3/4), the skip in
// song 3 (3/8, then 6/8, bars from 0), the vamp in song 1 (4/4).
#include "CutToolController.h"
#include "DemoShowEngine.h"
#include "EditController.h"
#include "RepeatToolController.h"
#include "SkipToolController.h"
#include "TimelineFixture.h"
#include "TimelineMetaTypes.h"
#include "ToolTestHelpers.h"
#include "VampToolController.h"
#include "zarn_core/Cut.h"
#include "zarn_core/Editor.h"
#include "zarn_core/ZarnEventCode.h"

#include <QFile>
#include <QGuiApplication>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

using zarn::qt::EditController;
using zarn::qt::EditToolController;

namespace {

// What sets the four kinds apart, as far as these tests look.
struct Kind
{
    char code;
    const char* name;         // in the window's title
    const char* song;         // the demo song holding one
    const char* demoId;       // that event
    const char* countInput;   // the count's spin box; null for kinds without a count
    const char* closing;      // the window's closing signal
    const char* createSignal; // the window's create request, as a signature
    bool idShown;
    int startCount;           // what a new event's window offers
};

const Kind kKinds[] = {
    {codes::Cut, "Cut", "2", "B9.1", nullptr, "cutToolClosing()",
     "createCutRequest(QVariant,QVariant,QVariant,QVariant)", false, 0},
    {codes::Fermata, "Skip", "3", "M3.1", nullptr, "skipToolClosing()",
     "createSkipRequest(QVariant,QVariant,QVariant,QVariant)", true, 0},
    {codes::Vamp, "Vamp", "1", "V3.1", "vampCountInput", "vampToolClosing()",
     "createVampRequest(QString,int,QString,int,int)", true, 0},
    {codes::Repeat, "Repeat", "2", "A1.1", "repeatCountInput", "repeatToolClosing()",
     "createRepeatRequest(QString,int,QString,int,int)", false, 2},
};

const Kind& KindOf(char code)
{
    for (const Kind& kind : kKinds) {
        if (kind.code == code)
            return kind;
    }
    qFatal("no kind %c", code);
}

// A table of one column, "code": a row per kind.
void AddKindRows(const char* what)
{
    QTest::addColumn<int>("code");
    for (const Kind& kind : kKinds)
        QTest::addRow("%s, %s", kind.name, what) << int(kind.code);
}

struct Logged
{
    std::uint32_t start;
    std::uint32_t end;
    std::string id;
    int count;
    bool operator==(const Logged&) const = default;
};

char* toString(const std::vector<Logged>& events)
{
    QString text;
    for (const Logged& e : events)
        text += QStringLiteral("[%1-%2 %3 %4] ")
                    .arg(e.start)
                    .arg(e.end)
                    .arg(QString::fromStdString(e.id))
                    .arg(e.count);
    return qstrdup(text.toUtf8().constData());
}

QQuickItem* ItemOf(QObject* object, const char* property)
{
    return qobject_cast<QQuickItem*>(object->property(property).value<QObject*>());
}

// The demo show with some of its log's lines replaced, each of which must be there once: a log
// written elsewhere may hold what this program's editor would refuse.
std::shared_ptr<Interface> EngineOnEditedDemo(const QTemporaryDir& dir,
                                              const std::vector<std::pair<QByteArray, QByteArray>>& edits)
{
    QFile log(CopyDemoShow(dir) + "/lanterns-1.0.logdata");
    if (!log.open(QIODevice::ReadOnly))
        qFatal("cannot read the demo log");
    QByteArray text = log.readAll();
    log.close();
    for (const auto& [from, to] : edits) {
        if (text.count(from) != 1)
            qFatal("the demo log does not hold %s once", from.constData());
        text.replace(from, to);
    }
    if (!log.open(QIODevice::WriteOnly | QIODevice::Truncate) || log.write(text) != text.size())
        qFatal("cannot write the edited demo log");
    log.close();
    return StartDemoEngine(dir);
}

// The editing page on a kind's demo song with the range tool the harness last opened.
struct Page
{
    explicit Page(const Kind& k, const std::vector<std::pair<QByteArray, QByteArray>>& logEdits = {})
        : kind(k)
    {
        fixture = logEdits.empty() ? std::make_unique<TimelineFixture>()
                                   : std::make_unique<TimelineFixture>(EngineOnEditedDemo(dir, logEdits));
        f().LoadSong(kind.song);
        edit = f().editController.get();
    }
    ~Page()
    {
        delete tool.data();
        TimelineFixture::FlushDeletes();
    }

    TimelineFixture& f() const { return *fixture; }
    CL::Editor& Editor() const { return *f().engine->GetChangeLogEditor(); }

    std::vector<Logged> Log() const
    {
        std::vector<Logged> events;
        const CL::SongLog* log = Editor().GetSongLog(kind.song);
        const auto collect = [&events](const auto& kindEvents) {
            for (const auto& e : kindEvents)
                events.push_back({e.start(), e.end(), e.EventId(), e.int_value()});
        };
        switch (kind.code) {
        case codes::Cut: collect(log->GetCuts()); break;
        case codes::Fermata: collect(log->GetFermatas()); break;
        case codes::Vamp: collect(log->GetVamps()); break;
        case codes::Repeat: collect(log->GetRepeats()); break;
        }
        return events;
    }

    std::optional<Logged> Find(const std::string& id) const
    {
        for (const Logged& e : Log()) {
            if (e.id == id)
                return e;
        }
        return std::nullopt;
    }

    // The event list's copy of the kind's demo event, as the edit bar hands it to the tool.
    cmn::ZarnEvent* DemoEvent() const
    {
        for (const auto& event : f().editModel->panelEvents) {
            if (event->code() == kind.code && event->EventId() == kind.demoId)
                return event.get();
        }
        qFatal("no %s in song %s", kind.demoId, kind.song);
    }

    EditToolController* OpenCreate(std::uint32_t start, std::uint32_t end)
    {
        tool = f().OpenCreateTool(kind.code, static_cast<int>(start), static_cast<int>(end));
        return tool;
    }

    EditToolController* OpenEdit()
    {
        tool = f().OpenEditTool(DemoEvent());
        return tool;
    }

    QQuickWindow* Window() const { return qobject_cast<QQuickWindow*>(tool->GetQmlObject()); }
    QObject* Panel() const { return Child(Window(), QStringLiteral("barAndBeatPanel")); }
    QObject* CountBox() const { return Child(Window(), QString::fromLatin1(kind.countInput)); }
    QString Shown() const { return Window()->property("value").toString(); }
    bool Enabled(const char* button) const { return ItemOf(CountBox(), button)->isEnabled(); }

    // The bar and beat the engine gives for the tick, as a user picks them: the bar row (which
    // brings its beats), then the beat.
    void Pick(const QString& side, std::uint32_t tick) const
    {
        const TL::BarsBeats position = f().engine->GetBarBeatByTick(tick);
        const int row = tool->FindBarRow(position);
        QVERIFY2(row >= 0, qPrintable(QStringLiteral("tick %1 has no bar row").arg(tick)));
        const QList<uint> beats = tool->GetBarListModel()->getBeats(row).value<QList<uint>>();
        const int beat = static_cast<int>(beats.indexOf(static_cast<uint>(position.beat())));
        QVERIFY(beat >= 0);
        Choose(Window(), side, row, beat);
    }

    // Waits for the focus itself: a window counts as active as soon as its transient parent
    // is, before it has the keyboard.
    void Activate() const
    {
        Window()->requestActivate();
        QTRY_COMPARE(QGuiApplication::focusWindow(), static_cast<QWindow*>(Window()));
    }

    // Into the count's field, replacing what it shows, as the user types.
    void TypeCount(const QString& text) const
    {
        Activate();
        auto* field = qobject_cast<QQuickItem*>(ItemOf(CountBox(), "input")->property("field").value<QObject*>());
        QVERIFY(field);
        field->forceActiveFocus();
        QTest::keySequence(Window(), QKeySequence(QKeySequence::SelectAll));
        QTest::keyClick(Window(), Qt::Key_Backspace);
        for (QChar c : text)
            QTest::keyClick(Window(), c.toLatin1());
    }

    void PressOk() const
    {
        ClickItem(qobject_cast<QQuickItem*>(Child(Window(), QStringLiteral("okButton"))));
    }

    std::unique_ptr<TimelineFixture> fixture;
    const Kind& kind;
    QTemporaryDir dir;
    EditController* edit = nullptr;
    QPointer<EditToolController> tool;
};

// Reads the count the window shows at the moment it sends its request.
class ShownAtRequest : public QObject
{
    Q_OBJECT

public:
    explicit ShownAtRequest(QObject* window)
        : window_(window)
    {
    }
    QString shown;

public slots:
    void capture() { shown = window_->property("value").toString(); }

private:
    QObject* window_;
};

} // namespace

class TestRangeTools : public QObject
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

    void creates_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<uint>("start");
        QTest::addColumn<uint>("end");
        QTest::addColumn<QString>("suggestedId");

        // Where no event of the kind lies, and on the demo's own: its id gets a free suffix.
        QTest::newRow("cut") << int(codes::Cut) << 4320u << 7200u << "B4.1";
        QTest::newRow("cut, where the demo's starts") << int(codes::Cut) << 11520u << 12960u << "B9.1-2";
        QTest::newRow("skip") << int(codes::Fermata) << 6480u << 9360u << "M5.1";
        QTest::newRow("vamp") << int(codes::Vamp) << 9600u << 11520u << "V6.1";
        QTest::newRow("repeat") << int(codes::Repeat) << 5760u << 8640u << "A5.1";
        QTest::newRow("repeat, where the demo's starts") << int(codes::Repeat) << 0u << 1440u << "A1.1-2";
    }

    void creates()
    {
        QFETCH(int, code);
        QFETCH(uint, start);
        QFETCH(uint, end);
        QFETCH(QString, suggestedId);
        const Kind& kind = KindOf(char(code));
        Page page(kind);
        const std::vector<Logged> before = page.Log();

        page.OpenCreate(start, end);
        QQuickWindow* window = page.Window();
        QVERIFY(window->isVisible());
        QCOMPARE(window->title(), QStringLiteral("Create %1").arg(kind.name));
        QCOMPARE(window->transientParent(), static_cast<QWindow*>(page.f().window.get()));
        QCOMPARE(window->property("eventId").toString(), suggestedId);
        QObject* idLine = Child(window, QStringLiteral("eventIdLabel"));
        QCOMPARE(idLine->property("visible").toBool(), kind.idShown);
        QCOMPARE(idLine->property("value").toString(), suggestedId);
        const TL::BarsBeats in = page.f().engine->GetBarBeatByTick(start);
        const TL::BarsBeats out = page.f().engine->GetBarBeatByTick(end);
        QCOMPARE(page.Panel()->property("inBar").toString(), QString::fromStdString(in.bar_number()));
        QCOMPARE(page.Panel()->property("inBeat").toString(), QString::number(in.beat()));
        QCOMPARE(page.Panel()->property("outBar").toString(), QString::fromStdString(out.bar_number()));
        QCOMPARE(page.Panel()->property("outBeat").toString(), QString::number(out.beat()));
        if (kind.countInput)
            QCOMPARE(page.Shown(), kind.code == codes::Vamp ? QStringLiteral("\u221E") : QStringLiteral("2"));

        QSignalSpy errors(page.edit, &EditController::error);
        QSignalSpy closing(page.Window(), QByteArray("2") + kind.closing);
        page.Activate();
        QTest::keyClick(window, Qt::Key_Return);

        QCOMPARE(errors.size(), 0);
        QCOMPARE(closing.size(), 1);
        std::vector<Logged> expected = before;
        expected.push_back({start, end, suggestedId.toStdString(), kind.startCount});
        std::vector<Logged> after = page.Log();
        std::sort(after.begin(), after.end(), [](const Logged& a, const Logged& b) { return a.id < b.id; });
        std::sort(expected.begin(), expected.end(), [](const Logged& a, const Logged& b) { return a.id < b.id; });
        QCOMPARE(after, expected);
        TimelineFixture::FlushDeletes();
        QVERIFY(page.tool.isNull());
    }

    // The song now begins 700 ticks in (a cut over them), inside a beat: the pickers begin with
    // that beat, the id names it, and the new event starts at 700.
    void createRaisesTheStart_data()
    {
        AddKindRows("before the start tick");
    }

    void createRaisesTheStart()
    {
        QFETCH(int, code);
        const Kind& kind = KindOf(char(code));
        Page page(kind);
        page.Editor().AddEvent(CL::Cut(0, 700, "B1.1-9", 0));
        page.f().engine->LoadNewChangeLog();
        QCOMPARE(page.f().engine->GetCurrentStartTickIndex(), 700u);
        const std::vector<Logged> before = page.Log();

        page.OpenCreate(0, 2880);
        const zarn::qt::BarListModel* bars = page.tool->GetBarListModel();
        QVERIFY(bars->frontTick > 0 && bars->frontTick < 700);
        QCOMPARE(page.Panel()->property("inBar").toString(), bars->frontBar);
        QCOMPARE(page.Panel()->property("inBeat").toString(), QString::number(bars->frontBeat));
        const QString picked =
            QString::fromStdString(page.Editor().GetSuggestedEventIdAtTick(bars->frontTick, kind.code));
        QCOMPARE(page.Window()->property("eventId").toString(), picked);
        page.PressOk();

        const std::optional<Logged> made = page.Find(picked.toStdString());
        QVERIFY(made);
        QCOMPARE(made->start, 700u);
        QCOMPARE(made->end, 2880u);
        QCOMPARE(page.Log().size(), before.size() + 1);
    }

    // The window checks no range: the editor refuses it and says why, as "Edit Failed".
    void createRefusedRange_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("nothingSelected");
        for (bool nothing : {false, true}) {
            for (const Kind& kind : kKinds)
                QTest::addRow("%s, %s", kind.name, nothing ? "both at the playhead" : "end before start")
                    << int(kind.code) << nothing;
        }
    }

    void createRefusedRange()
    {
        QFETCH(int, code);
        QFETCH(bool, nothingSelected);
        const Kind& kind = KindOf(char(code));
        Page page(kind);
        const std::vector<Logged> before = page.Log();
        const std::uint64_t revision = page.Editor().GetRevision();
        page.OpenCreate(5760, nothingSelected ? 5760 : 2880);
        QSignalSpy errors(page.edit, &EditController::error);
        page.PressOk();

        QCOMPARE(OnlyError(errors),
                 QStringLiteral("Edit Failed: The edit could not be made on this song. The end of the ") + kind.name
                     + " must come after its start.");
        QCOMPARE(page.Log(), before);
        QCOMPARE(page.Editor().GetRevision(), revision);
    }

    void closingSendsNothing_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("editing");
        for (const Kind& kind : kKinds) {
            for (bool editing : {false, true}) {
                for (const char* how : {"cancel", "escape", "close"})
                    QTest::addRow("%s, %s, %s", kind.name, editing ? "edit" : "create", how)
                        << int(kind.code) << QString::fromLatin1(how) << editing;
            }
        }
    }

    void closingSendsNothing()
    {
        QFETCH(int, code);
        QFETCH(QString, how);
        QFETCH(bool, editing);
        const Kind& kind = KindOf(char(code));
        Page page(kind);
        const std::vector<Logged> before = page.Log();
        const std::uint64_t revision = page.Editor().GetRevision();
        if (editing)
            page.OpenEdit();
        else
            page.OpenCreate(4320, 7200);
        QQuickWindow* window = page.Window();
        QSignalSpy closing(page.Window(), QByteArray("2") + kind.closing);
        QSignalSpy updated(page.tool.data(), &EditToolController::valuesUpdated);
        QSignalSpy errors(page.edit, &EditController::error);
        // Something changed in the window first, which the close must not send.
        page.Pick(QStringLiteral("out"), 8640);
        if (kind.countInput)
            page.TypeCount(QStringLiteral("7"));
        page.Activate();

        if (how == "cancel")
            ClickItem(qobject_cast<QQuickItem*>(Child(window, QStringLiteral("cancelButton"))));
        else if (how == "escape")
            QTest::keyClick(window, Qt::Key_Escape);
        else
            window->close();
        QCOMPARE(closing.size(), 1);
        QCOMPARE(updated.size(), 0);
        QCOMPARE(errors.size(), 0);
        QCOMPARE(page.Log(), before);
        QCOMPARE(page.Editor().GetRevision(), revision);
        TimelineFixture::FlushDeletes();
        QVERIFY(page.tool.isNull());
    }

    // ---- change ----

    // The window opens on the event (its positions, its own id, its count); OK moves both ends,
    // then sets the count, as two steps of the history, and announces one update.
    void changes_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<uint>("start");
        QTest::addColumn<uint>("end");
        QTest::addColumn<QString>("typedCount");
        QTest::addColumn<int>("count");

        QTest::newRow("cut") << int(codes::Cut) << 10080u << 12960u << QString() << 0;
        QTest::newRow("skip") << int(codes::Fermata) << 5040u << 7920u << QString() << 0;
        QTest::newRow("vamp") << int(codes::Vamp) << 5760u << 9600u << "5" << 5;
        QTest::newRow("vamp, to no limit") << int(codes::Vamp) << 5760u << 9600u << "abc" << 0;
        QTest::newRow("repeat") << int(codes::Repeat) << 1440u << 4320u << "4" << 4;
    }

    void changes()
    {
        QFETCH(int, code);
        QFETCH(uint, start);
        QFETCH(uint, end);
        QFETCH(QString, typedCount);
        QFETCH(int, count);
        const Kind& kind = KindOf(char(code));
        Page page(kind);
        const Logged demo = *page.Find(kind.demoId);
        page.OpenEdit();
        QQuickWindow* window = page.Window();
        QCOMPARE(window->title(), QStringLiteral("Edit %1").arg(kind.name));
        QVERIFY(window->property("isEdit").toBool());
        QCOMPARE(window->property("eventId").toString(), QString::fromLatin1(kind.demoId));
        QCOMPARE(Child(window, QStringLiteral("eventIdLabel"))->property("visible").toBool(), kind.idShown);
        const TL::BarsBeats in = page.f().engine->GetBarBeatByTick(demo.start);
        const TL::BarsBeats out = page.f().engine->GetBarBeatByTick(demo.end);
        QCOMPARE(page.Panel()->property("inBar").toString(), QString::fromStdString(in.bar_number()));
        QCOMPARE(page.Panel()->property("inBeat").toString(), QString::number(in.beat()));
        QCOMPARE(page.Panel()->property("outBar").toString(), QString::fromStdString(out.bar_number()));
        QCOMPARE(page.Panel()->property("outBeat").toString(), QString::number(out.beat()));
        if (kind.countInput)
            QCOMPARE(page.Shown(), QString::number(demo.count));

        QSignalSpy updated(page.tool.data(), &EditToolController::valuesUpdated);
        QSignalSpy errors(page.edit, &EditController::error);
        page.Pick(QStringLiteral("in"), start);
        page.Pick(QStringLiteral("out"), end);
        // Moving the pickers keeps the event's own id.
        QCOMPARE(window->property("eventId").toString(), QString::fromLatin1(kind.demoId));
        if (kind.countInput)
            page.TypeCount(typedCount);
        page.PressOk();

        QCOMPARE(errors.size(), 0);
        QCOMPARE(updated.size(), 1);
        QCOMPARE(page.Find(kind.demoId), (Logged{start, end, kind.demoId, count}));
        // The history: the count's step last, the move's before it.
        if (count != demo.count) {
            page.edit->UndoRequested();
            QCOMPARE(page.Find(kind.demoId), (Logged{start, end, kind.demoId, demo.count}));
        }
        page.edit->UndoRequested();
        QCOMPARE(page.Find(kind.demoId), demo);
        QVERIFY(!page.Editor().CanUndo());
    }

    // An end before the start is refused as "Edit Failed"; the count is set all the same and the
    // page is still told to refresh.
    void changeWithARefusedRange_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<uint>("end");
        QTest::addColumn<QString>("typedCount");
        QTest::addColumn<int>("count");
        // A bar before each demo event's start; the repeat starts the song, so its end there.
        QTest::newRow("cut") << int(codes::Cut) << 10080u << QString() << 0;
        QTest::newRow("skip") << int(codes::Fermata) << 2160u << QString() << 0;
        QTest::newRow("vamp") << int(codes::Vamp) << 2400u << "7" << 7;
        QTest::newRow("repeat, end at its start") << int(codes::Repeat) << 0u << "3" << 3;
    }

    void changeWithARefusedRange()
    {
        QFETCH(int, code);
        QFETCH(uint, end);
        QFETCH(QString, typedCount);
        QFETCH(int, count);
        const Kind& kind = KindOf(char(code));
        Page page(kind);
        const Logged demo = *page.Find(kind.demoId);
        page.OpenEdit();
        QSignalSpy updated(page.tool.data(), &EditToolController::valuesUpdated);
        QSignalSpy errors(page.edit, &EditController::error);
        page.Pick(QStringLiteral("out"), end);
        if (kind.countInput)
            page.TypeCount(typedCount);
        page.PressOk();

        QCOMPARE(OnlyError(errors),
                 QStringLiteral("Edit Failed: A change to the start or end time could not be completed: ")
                     + QStringLiteral("The end of the ") + kind.name + " must come after its start.");
        QCOMPARE(updated.size(), 1);
        QCOMPARE(page.Find(kind.demoId), (Logged{demo.start, demo.end, kind.demoId, count}));
    }

    // OK on what the window opened with changes nothing: the positions and the count come back
    // as they were stored, a vamp without a limit included.
    void unchangedOkChangesNothing_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("storedVamp");
        QTest::addColumn<QString>("shown");
        QTest::newRow("cut") << int(codes::Cut) << QByteArray() << QString();
        QTest::newRow("skip") << int(codes::Fermata) << QByteArray() << QString();
        QTest::newRow("vamp of 2") << int(codes::Vamp) << QByteArray() << "2";
        QTest::newRow("vamp of 0") << int(codes::Vamp) << QByteArray("0") << "\u221E";
        QTest::newRow("repeat of 2") << int(codes::Repeat) << QByteArray() << "2";
    }

    void unchangedOkChangesNothing()
    {
        QFETCH(int, code);
        QFETCH(QByteArray, storedVamp);
        QFETCH(QString, shown);
        const Kind& kind = KindOf(char(code));
        std::vector<std::pair<QByteArray, QByteArray>> edits;
        if (!storedVamp.isEmpty())
            edits.push_back({R"("id":"V3.1","start":3840,"end":7680,"int":2})",
                             R"("id":"V3.1","start":3840,"end":7680,"int":)" + storedVamp + "}"});
        Page page(kind, edits);
        const std::vector<Logged> before = page.Log();
        const std::uint64_t revision = page.Editor().GetRevision();
        page.OpenEdit();
        if (kind.countInput) {
            QCOMPARE(page.Shown(), shown);
            QCOMPARE(page.Enabled("decrementButton"), shown != QStringLiteral("\u221E"));
            QVERIFY(page.Enabled("incrementButton"));
        }
        QSignalSpy updated(page.tool.data(), &EditToolController::valuesUpdated);
        QSignalSpy errors(page.edit, &EditController::error);
        page.PressOk();

        QCOMPARE(errors.size(), 0);
        QCOMPARE(updated.size(), 1);
        QCOMPARE(page.Log(), before);
        QCOMPARE(page.Editor().GetRevision(), revision);
    }

    // A count stored outside the window's range (a log written elsewhere): OK sends it clamped.
    // The editor refuses the move first, since the event it would move holds the bad count,
    // then takes the clamped count.
    void storedCountOutOfRange_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("sent");
        QTest::addColumn<QString>("limit");
        const QString vampLimit = QStringLiteral("A vamp count must be from 0 (no limit) to 500.");
        const QString repeatLimit = QStringLiteral("A repeat count must be from 1 to 500.");
        QTest::newRow("vamp of 600") << int(codes::Vamp) << 600 << 500 << vampLimit;
        QTest::newRow("vamp of -3") << int(codes::Vamp) << -3 << 0 << vampLimit;
        QTest::newRow("repeat of 0") << int(codes::Repeat) << 0 << 1 << repeatLimit;
        QTest::newRow("repeat of 501") << int(codes::Repeat) << 501 << 500 << repeatLimit;
    }

    void storedCountOutOfRange()
    {
        QFETCH(int, code);
        QFETCH(int, stored);
        QFETCH(int, sent);
        QFETCH(QString, limit);
        const Kind& kind = KindOf(char(code));
        const QByteArray line = kind.code == codes::Vamp ? R"("id":"V3.1","start":3840,"end":7680,"int":)"
                                                         : R"("id":"A1.1","start":0,"end":2880,"int":)";
        Page page(kind, {{line + "2}", line + QByteArray::number(stored) + "}"}});
        const Logged demo = *page.Find(kind.demoId);
        QCOMPARE(demo.count, stored);
        page.OpenEdit();
        QCOMPARE(page.Shown(), QString::number(stored));
        QSignalSpy updated(page.tool.data(), &EditToolController::valuesUpdated);
        QSignalSpy errors(page.edit, &EditController::error);
        page.PressOk();

        QCOMPARE(OnlyError(errors),
                 QStringLiteral("Edit Failed: A change to the start or end time could not be completed: ") + limit);
        QCOMPARE(updated.size(), 1);
        QCOMPARE(page.Find(kind.demoId), (Logged{demo.start, demo.end, kind.demoId, sent}));
    }

    // ---- the counts ----

    // Steps: "+" and "-" press the buttons, "type:<text>" types into the count's field,
    // "leave" moves the focus on with Tab, "set:<n>" is the controller's count set-up, "ok"
    // presses OK and "return" presses Return in the field.
    void counts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("minus");
        QTest::addColumn<bool>("plus");
        QTest::addColumn<int>("sent"); // -1: no OK

        const auto row = [](const char* name, int code, const QStringList& steps, const QString& shown, int count,
                            bool minus, bool plus, int sent) {
            QTest::newRow(name) << code << steps << shown << count << minus << plus << sent;
        };

        const int vamp = codes::Vamp;
        const QString inf = QStringLiteral("\u221E");
        row("vamp opens at no limit", vamp, {}, inf, 0, false, true, -1);
        row("vamp OK at no limit", vamp, {"ok"}, inf, 0, false, true, 0);
        row("vamp plus from no limit", vamp, {"+"}, "1", 1, true, true, -1);
        row("vamp minus at 1", vamp, {"+", "-"}, inf, 0, false, true, -1);
        row("vamp minus at 3", vamp, {"type:3", "leave", "-"}, "2", 2, true, true, -1);
        row("vamp minus at 3, plus", vamp, {"type:3", "leave", "-", "+"}, "3", 3, true, true, -1);
        row("vamp plus at 499", vamp, {"type:499", "leave", "+"}, "500", 500, true, false, -1);
        row("vamp 500 left", vamp, {"type:500", "leave"}, "500", 500, true, false, -1);
        row("vamp 600 left", vamp, {"type:600", "leave"}, "500", 500, true, false, -1);
        row("vamp 600, OK", vamp, {"type:600", "ok"}, "500", 500, true, false, 500);
        row("vamp 600, Return", vamp, {"type:600", "return"}, "500", 500, true, false, 500);
        row("vamp 0 left", vamp, {"type:0", "leave"}, inf, 0, false, true, -1);
        row("vamp -3 left", vamp, {"type:-3", "leave"}, inf, 0, false, true, -1);
        row("vamp abc left", vamp, {"type:abc", "leave"}, inf, 0, false, true, -1);
        row("vamp abc, OK", vamp, {"type:7", "leave", "type:abc", "ok"}, inf, 0, false, true, 0);
        row("vamp emptied, left", vamp, {"+", "type:", "leave"}, inf, 0, false, true, -1);
        row("vamp 12, OK", vamp, {"type:12", "ok"}, "12", 12, true, true, 12);
        // Bounded before it is an integer: a wrap-around would make this 1.
        row("vamp 4294967297 left", vamp, {"type:4294967297", "leave"}, "500", 500, true, false, -1);

        const int repeat = codes::Repeat;
        row("repeat opens at 2", repeat, {}, "2", 2, true, true, -1);
        row("repeat OK at 2", repeat, {"ok"}, "2", 2, true, true, 2);
        row("repeat minus at 2", repeat, {"-"}, "1", 1, false, true, -1);
        row("repeat plus at 499", repeat, {"set:499", "+"}, "500", 500, true, false, -1);
        row("repeat 0, OK", repeat, {"type:0", "ok"}, "1", 1, false, true, 1);
        row("repeat 0, Return", repeat, {"type:0", "return"}, "1", 1, false, true, 1);
        row("repeat 600, OK", repeat, {"type:600", "ok"}, "500", 500, true, false, 500);
        row("repeat emptied, OK", repeat, {"type:", "ok"}, "1", 1, false, true, 1);
        row("repeat abc, OK", repeat, {"+", "type:abc", "ok"}, "3", 3, true, true, 3);
        // Typed text waits for OK: the buttons step from the count.
        row("repeat 7 left", repeat, {"type:7", "leave"}, "7", 2, true, true, -1);
        row("repeat 7, plus", repeat, {"type:7", "+"}, "3", 3, true, true, -1);
        row("repeat 7, OK", repeat, {"type:7", "ok"}, "7", 7, true, true, 7);
    }

    void counts()
    {
        QFETCH(int, code);
        QFETCH(QStringList, steps);
        QFETCH(QString, shown);
        QFETCH(int, count);
        QFETCH(bool, minus);
        QFETCH(bool, plus);
        QFETCH(int, sent);
        const Kind& kind = KindOf(char(code));
        Page page(kind);
        page.OpenCreate(9600, 11520);
        QObject* window = page.Window();
        QSignalSpy requests(window, QByteArray("2") + kind.createSignal);
        ShownAtRequest atRequest(window);
        QVERIFY(QObject::connect(window, QByteArray("2") + kind.createSignal, &atRequest, SLOT(capture())));
        QObject* box = page.CountBox();

        for (const QString& step : steps) {
            if (step == "+" || step == "-") {
                ClickItem(ItemOf(box, step == "+" ? "incrementButton" : "decrementButton"));
            } else if (step.startsWith("type:")) {
                page.TypeCount(step.mid(5));
            } else if (step == "leave") {
                QTest::keyClick(page.Window(), Qt::Key_Tab);
            } else if (step.startsWith("set:")) {
                page.tool->SetIntValue(step.mid(4).toInt());
            } else if (step == "ok") {
                page.PressOk();
            } else if (step == "return") {
                QTest::keyClick(page.Window(), Qt::Key_Return);
            } else {
                QFAIL(qPrintable(step));
            }
        }

        if (sent < 0) {
            QCOMPARE(requests.size(), 0);
            QCOMPARE(page.Shown(), shown);
            QCOMPARE(window->property("intValue").toInt(), count);
            QCOMPARE(page.Enabled("decrementButton"), minus);
            QCOMPARE(page.Enabled("incrementButton"), plus);
            return;
        }
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.at(0).at(4).toInt(), sent);
        QCOMPARE(atRequest.shown, shown);
        // The editor took what was sent.
        bool stored = false;
        for (const Logged& e : page.Log())
            stored |= e.start == 9600 && e.end == 11520 && e.count == sent;
        QVERIFY(stored);
    }

    // ---- the classes ----

    // The copies the meta-type registration makes load the kind's own window.
    void copiesLoadTheirOwnWindow_data()
    {
        AddKindRows("copy and move");
    }

    void copiesLoadTheirOwnWindow()
    {
        QFETCH(int, code);
        const Kind& kind = KindOf(char(code));
        Page page(kind);
        page.OpenCreate(0, 1440);
        const auto check = [&](EditToolController& copy) {
            QVERIFY(copy.GetQmlObject());
            QVERIFY(copy.parent() == nullptr);
            QCOMPARE(copy.GetQmlObject()->property("title").toString(), QStringLiteral("Create %1").arg(kind.name));
        };
        const auto both = [&](auto* original) {
            using Tool = std::remove_pointer_t<decltype(original)>;
            Tool copy(*original);
            check(copy);
            Tool moved(std::move(*original));
            check(moved);
        };
        switch (kind.code) {
        case codes::Cut: both(qobject_cast<zarn::qt::CutToolController*>(page.tool.data())); break;
        case codes::Fermata: both(qobject_cast<zarn::qt::SkipToolController*>(page.tool.data())); break;
        case codes::Vamp: both(qobject_cast<zarn::qt::VampToolController*>(page.tool.data())); break;
        case codes::Repeat: both(qobject_cast<zarn::qt::RepeatToolController*>(page.tool.data())); break;
        }
    }
};

QTEST_MAIN(TestRangeTools)
#include "tst_range_tools.moc"
