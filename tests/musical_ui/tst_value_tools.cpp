// The value tools on the editing page: the click resolution, transposition and tempo scale
// tools opened as the main window opens them (the kind table), driven through their windows
// and checked in the change log the real editor keeps. Real engine on a copy of the demo show:
// song 1 in 4/4, song 2 in 3/4 with a click of 8 over bars 5 to 7, song 3 with a 3/8 bar 0
// before 6/8, song 4 with a tempo scale of 1.1 over bars 5 to 7 (its bar 5 follows a "4A").
// Where the engine's click values must be seen or forced, the real engine is watched through a
// subclass that records its click value questions and can answer them with nothing.
#include "AudioInterface.h"
#include "DemoShowEngine.h"
#include "EditController.h"
#include "TimelineFixture.h"
#include "ToolTestHelpers.h"
#include "zarn_core/Cut.h"
#include "zarn_core/Editor.h"
#include "zarn_core/SongLog.h"
#include "zarn_core/Transpose.h"
#include "zarn_core/ZarnEventCode.h"

#include <QJSValue>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using zarn::qt::EditController;
using zarn::qt::EditToolController;

namespace {

constexpr std::uint32_t kBar = 1920; // 4/4
constexpr std::uint32_t kBeat = 480;
constexpr std::uint32_t kWaltzBar = 1440; // 3/4, song 2

// The real engine, its click values watched: every question is recorded, and the answer can
// be forced empty.
class WatchedEngine : public AudioInterface
{
public:
    using AudioInterface::AudioInterface;

    std::vector<std::pair<std::uint32_t, std::uint32_t>> clickQuestions;
    bool noClickValues = false;

    std::vector<int> GetClickValues(std::uint32_t start, std::uint32_t end) override
    {
        clickQuestions.emplace_back(start, end);
        if (noClickValues)
            return {};
        return AudioInterface::GetClickValues(start, end);
    }
};

// A list property of a window, as plain numbers, whichever form QML keeps it in.
QList<int> Numbers(const QVariant& list)
{
    QVariant plain = list;
    if (plain.userType() == qMetaTypeId<QJSValue>())
        plain = plain.value<QJSValue>().toVariant();
    QList<int> numbers;
    for (const QVariant& item : plain.toList())
        numbers << item.toInt();
    return numbers;
}

// The event's own value as the window edits it: the count or half steps, or the factor.
double ValueOf(const cmn::ZarnEvent& event)
{
    return event.code() == codes::TempoScale ? event.double_value() : event.int_value();
}

// The spin box of a count tool's window.
QObject* CountBox(QQuickWindow* window, char kind)
{
    return Child(window, kind == codes::Transpose ? "transposeHalfStepsInput" : "tempoScaleInput");
}

// The user's way into a window: the window active, the focus where the window put it (the
// focus arrives a little after the activation).
void Activate(QQuickWindow* window)
{
    window->requestActivate();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTRY_VERIFY(window->activeFocusItem());
}

// Replaces the count field's text key by key; the field holds the focus from the opening.
void Type(QQuickWindow* window, const QString& text)
{
    Activate(window);
    QTest::keySequence(window, QKeySequence(QKeySequence::SelectAll));
    QTest::keyClick(window, Qt::Key_Backspace);
    for (QChar c : text)
        QTest::keyClick(window, c.toLatin1());
}

void ChooseClickValue(QQuickWindow* window, int value)
{
    const int index = static_cast<int>(Numbers(window->property("clickCountModel")).indexOf(value));
    QVERIFY2(index >= 0, qPrintable(QStringLiteral("no click value %1 offered").arg(value)));
    window->setProperty("clickCountIndex", index);
}

class TestValueTools : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> watchedDir_;
    std::shared_ptr<WatchedEngine> watched_;
    std::unique_ptr<TimelineFixture> f_;
    QStringList errors_; // "title: text" of every error the edit controller reported

    TimelineFixture& f() { return *f_; }
    CL::Editor& Editor() { return *f().engine->GetChangeLogEditor(); }

    void Watch()
    {
        QObject::connect(f().editController.get(), &EditController::error, f().editController.get(),
                         [this](const std::string& text, const std::string& title) {
                             errors_ << QString::fromStdString(title + ": " + text);
                         });
    }

    // The page on the watched engine instead of the plain one.
    void UseWatchedEngine()
    {
        f_.reset();
        watchedDir_ = std::make_unique<QTemporaryDir>();
        CopyDemoShow(*watchedDir_);
        watched_ = StartDemoEngine<WatchedEngine>(*watchedDir_);
        f_ = std::make_unique<TimelineFixture>(watched_);
        Watch();
    }

    // Song 1 with a cut from its beginning to tick 700: the song starts inside bar 1, beat 2.
    void CutTheFront()
    {
        f().LoadSong("1");
        f().editController->onZarnMakeEvent(CL::Cut(0, 700, "B1.1", 0));
        QVERIFY(errors_.isEmpty());
        QCOMPARE(f().engine->GetCurrentStartTickIndex(), 700u);
    }

    std::vector<cmn::ZarnEvent> Events(const std::string& song, char kind)
    {
        std::vector<cmn::ZarnEvent> found;
        for (const cmn::ZarnEvent* event : Editor().GetSongLog(song)->GetAllEvents()) {
            if (event->code() == kind)
                found.push_back(*event);
        }
        return found;
    }

    // The one event of the kind in the song; fails the test when there is not exactly one.
    cmn::ZarnEvent Only(const std::string& song, char kind)
    {
        const auto events = Events(song, kind);
        if (events.size() != 1)
            qFatal("song %s holds %zu events of kind %c", song.c_str(), events.size(), kind);
        return events.front();
    }

    void PressOk(QQuickWindow* window) { ClickItem(qobject_cast<QQuickItem*>(Child(window, "okButton"))); }

    static bool EventIdLineShown(QQuickWindow* window)
    {
        return qobject_cast<QQuickItem*>(Child(window, "eventIdLabel"))->isVisible();
    }

    // The row of the bar picker showing the bar of a tick, as the tool places its pickers.
    int BarRow(EditToolController* tool, char kind, std::uint32_t tick)
    {
        const TL::BarsBeats position = kind == codes::Click ? f().engine->GetBarBeatByTick(tick, false, true)
                                                            : f().engine->GetBarBeatByTick(tick);
        return tool->FindBarRow(position);
    }

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect")));
        errors_.clear();
        f_ = std::make_unique<TimelineFixture>();
        Watch();
    }

    void cleanup()
    {
        f_.reset();
        watched_.reset();
        watchedDir_.reset();
    }

    // --- create ---

    void createMakesTheEventOverThePickedRange_data()
    {
        QTest::addColumn<char>("kind");
        QTest::addColumn<QString>("typed"); // a count typed, or a click value chosen; empty keeps the default
        QTest::addColumn<bool>("byReturn"); // Return where the focus is, else the OK button
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("eventId");
        QTest::addColumn<double>("value");
        QTest::newRow("click, the first allowed value, Return in the picker")
            << codes::Click << QString() << true << "Change Click Resolution" << "L3.1" << 1.0;
        QTest::newRow("click, a value chosen, OK") << codes::Click << "16" << false << "Change Click Resolution"
                                                   << "L3.1" << 16.0;
        QTest::newRow("transposition, the default 0") << codes::Transpose << QString() << false << "Transpose Key"
                                                      << "C3.1" << 0.0;
        QTest::newRow("transposition of -3, Return in the field") << codes::Transpose << "-3" << true
                                                                  << "Transpose Key" << "C3.1" << -3.0;
        QTest::newRow("tempo scale, the default 100 %") << codes::TempoScale << QString() << false << "Scale Tempo"
                                                        << "T3.1" << 1.0;
        QTest::newRow("tempo scale of 110 %, Return in the field")
            << codes::TempoScale << "110" << true << "Scale Tempo" << "T3.1" << 1.1;
    }

    void createMakesTheEventOverThePickedRange()
    {
        QFETCH(char, kind);
        QFETCH(QString, typed);
        QFETCH(bool, byReturn);
        QFETCH(QString, title);
        QFETCH(QString, eventId);
        QFETCH(double, value);
        f().LoadSong("1");
        const std::uint32_t start = 2 * kBar, end = 4 * kBar + kBeat; // bar 3 to bar 5, beat 2

        QPointer<EditToolController> tool = f().OpenCreateTool(kind, int(start), int(end));
        QVERIFY(tool);
        QQuickWindow* window = WindowOf(tool);
        QTRY_VERIFY(window->isExposed());
        QCOMPARE(window->title(), title);
        QVERIFY(!window->property("isEdit").toBool());
        QCOMPARE(window->property("eventId").toString(), eventId);
        QCOMPARE(window->property("eventId").toString().toStdString(), Editor().GetSuggestedEventIdAtTick(start, kind));
        QVERIFY(!EventIdLineShown(window));

        if (!typed.isEmpty()) {
            if (kind == codes::Click)
                ChooseClickValue(window, typed.toInt());
            else
                Type(window, typed);
        }
        if (byReturn) {
            Activate(window);
            QTest::keyClick(window, Qt::Key_Return);
        } else {
            PressOk(window);
        }

        QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
        const std::vector<cmn::ZarnEvent> made = Events("1", kind);
        QCOMPARE(made.size(), std::size_t(1));
        QCOMPARE(made.front().start(), start);
        QCOMPARE(made.front().end(), end);
        QCOMPARE(QString::fromStdString(made.front().EventId()), eventId);
        QVERIFY2(ValueOf(made.front()) == value, qPrintable(QString::number(ValueOf(made.front()), 'g', 17)));
        QTRY_VERIFY(tool.isNull());
    }

    // The song starts at tick 700, inside beat 2 of bar 1: the pickers begin with that beat,
    // the suggested id names it, and the event starts at 700.
    void createRaisesTheStartToTheStartTick_data()
    {
        QTest::addColumn<char>("kind");
        QTest::newRow("click") << codes::Click;
        QTest::newRow("transposition") << codes::Transpose;
        QTest::newRow("tempo scale") << codes::TempoScale;
    }

    void createRaisesTheStartToTheStartTick()
    {
        QFETCH(char, kind);
        CutTheFront();
        if (QTest::currentTestFailed())
            return;
        QPointer<EditToolController> tool = f().OpenCreateTool(kind, 700, int(2 * kBar));
        QQuickWindow* window = WindowOf(tool);
        QVERIFY(window);
        QCOMPARE(Child(window, "inBarInput")->property("displayText").toString(), QStringLiteral("1"));
        QCOMPARE(Child(window, "inBeatInput")->property("displayText").toString(), QStringLiteral("2"));
        QCOMPARE(window->property("eventId").toString().toStdString(), Editor().GetSuggestedEventIdAtTick(kBeat, kind));
        PressOk(window);
        QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
        const cmn::ZarnEvent made = Only("1", kind);
        QCOMPARE(made.start(), 700u);
        QCOMPARE(made.end(), 2 * kBar);
    }

    void createWithTheEndBeforeTheStartIsRefused_data()
    {
        createRaisesTheStartToTheStartTick_data();
    }

    // No window checks the range: the editor refuses it and the page says so.
    void createWithTheEndBeforeTheStartIsRefused()
    {
        QFETCH(char, kind);
        f().LoadSong("1");
        const std::uint64_t revision = Editor().GetRevision();
        QQuickWindow* window = WindowOf(f().OpenCreateTool(kind, int(4 * kBar), int(kBar)));
        QVERIFY(window);
        PressOk(window);
        QCOMPARE(errors_.size(), 1);
        QVERIFY2(errors_.front().startsWith(QStringLiteral("Edit Failed: The edit could not be made on this song. ")),
                 qPrintable(errors_.front()));
        QVERIFY(Events("1", kind).empty());
        QCOMPARE(Editor().GetRevision(), revision);
    }

    void leavingWithoutOkSendsNothing_data()
    {
        QTest::addColumn<char>("kind");
        QTest::addColumn<QString>("how");
        for (const auto& [kind, name] : {std::pair{codes::Click, "click"}, std::pair{codes::Transpose, "transposition"},
                                         std::pair{codes::TempoScale, "tempo scale"}}) {
            for (const char* how : {"Cancel", "Escape", "close"})
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(name, how))) << kind << QString(how);
        }
    }

    void leavingWithoutOkSendsNothing()
    {
        QFETCH(char, kind);
        QFETCH(QString, how);
        f().LoadSong("1");
        const std::uint64_t revision = Editor().GetRevision();
        QPointer<EditToolController> tool = f().OpenCreateTool(kind, int(2 * kBar), int(4 * kBar));
        QQuickWindow* window = WindowOf(tool);
        QVERIFY(window);
        QSignalSpy updated(tool.data(), &EditToolController::valuesUpdated);
        if (how == QLatin1String("Cancel")) {
            ClickItem(qobject_cast<QQuickItem*>(Child(window, "cancelButton")));
        } else if (how == QLatin1String("Escape")) {
            Activate(window);
            QTest::keyClick(window, Qt::Key_Escape);
        } else {
            window->close();
        }
        QTRY_VERIFY(tool.isNull());
        QCOMPARE(updated.count(), 0);
        QCOMPARE(Editor().GetRevision(), revision);
        QVERIFY(errors_.isEmpty());
    }

    // Song 2's click of 8 over bars 5 to 7 makes eighth-note beats there: the click tool
    // shows the song's own three beats of bar 6, the other tools the six the click made.
    void clickToolShowsTheSongsOwnBeats_data()
    {
        QTest::addColumn<char>("kind");
        QTest::addColumn<QStringList>("beats");
        QTest::addColumn<QString>("inBeat");
        QTest::newRow("click") << codes::Click << QStringList{"1", "2", "3"} << "2";
        QTest::newRow("transposition") << codes::Transpose << QStringList{"1", "2", "3", "4", "5", "6"} << "3";
    }

    void clickToolShowsTheSongsOwnBeats()
    {
        QFETCH(char, kind);
        QFETCH(QStringList, beats);
        QFETCH(QString, inBeat);
        f().LoadSong("2");
        const std::uint32_t beat2OfBar6 = 5 * kWaltzBar + kBeat;
        QQuickWindow* window = WindowOf(f().OpenCreateTool(kind, int(beat2OfBar6), int(7 * kWaltzBar)));
        QVERIFY(window);
        QObject* beatPicker = Child(window, "inBeatInput");
        QCOMPARE(Child(window, "inBarInput")->property("displayText").toString(), QStringLiteral("6"));
        QCOMPARE(beatPicker->property("displayText").toString(), inBeat);
        QStringList shown;
        for (int i : Numbers(beatPicker->property("model")))
            shown << QString::number(i);
        QCOMPARE(shown, beats);
    }

    // --- change ---

    // The range moves first, then the value changes, then the page is told once; a refused
    // move still lets the value change.
    void changeMovesTheRangeThenSetsTheValue_data()
    {
        QTest::addColumn<char>("kind");
        QTest::addColumn<QString>("song");
        QTest::addColumn<std::uint32_t>("newEnd"); // a bar's first beat
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("refused");
        QTest::newRow("click") << codes::Click << "2" << 7 * kWaltzBar << "16" << 16.0 << false;
        QTest::newRow("click, end before start") << codes::Click << "2" << kWaltzBar << "16" << 16.0 << true;
        QTest::newRow("transposition") << codes::Transpose << "3" << 10800u << "-3" << -3.0 << false;
        QTest::newRow("transposition, end before start") << codes::Transpose << "3" << 720u << "-3" << -3.0 << true;
        QTest::newRow("tempo scale") << codes::TempoScale << "4" << 8 * kBar << "150" << 1.5 << false;
        QTest::newRow("tempo scale, end before start") << codes::TempoScale << "4" << kBar << "150" << 1.5 << true;
    }

    void changeMovesTheRangeThenSetsTheValue()
    {
        QFETCH(char, kind);
        QFETCH(QString, song);
        QFETCH(std::uint32_t, newEnd);
        QFETCH(QString, typed);
        QFETCH(double, value);
        QFETCH(bool, refused);
        f().LoadSong(song.toStdString());
        cmn::ZarnEvent stored = Only(song.toStdString(), kind);
        const std::uint64_t revision = Editor().GetRevision();

        QPointer<EditToolController> tool = f().OpenEditTool(&stored);
        QQuickWindow* window = WindowOf(tool);
        QVERIFY(window);
        QSignalSpy updated(tool.data(), &EditToolController::valuesUpdated);
        const int row = BarRow(tool, kind, newEnd);
        QVERIFY(row > 0);
        Choose(window, "out", row, 0);
        if (kind == codes::Click)
            ChooseClickValue(window, typed.toInt());
        else
            Type(window, typed);
        PressOk(window);

        QCOMPARE(updated.count(), 1);
        const cmn::ZarnEvent changed = Only(song.toStdString(), kind);
        QCOMPARE(changed.EventId(), stored.EventId());
        QCOMPARE(changed.start(), stored.start());
        QVERIFY2(ValueOf(changed) == value, qPrintable(QString::number(ValueOf(changed), 'g', 17)));
        if (refused) {
            QCOMPARE(errors_.size(), 1);
            QVERIFY2(errors_.front().startsWith(QStringLiteral("Edit Failed: ")), qPrintable(errors_.front()));
            QCOMPARE(changed.end(), stored.end());
            QCOMPARE(Editor().GetRevision(), revision + 1);
        } else {
            QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
            QCOMPARE(changed.end(), newEnd);
            QCOMPARE(Editor().GetRevision(), revision + 2);
            // The last step is the value's, made on the moved event.
            const std::vector<CL::HistoryItem> last = Editor().Undo();
            QCOMPARE(last.size(), std::size_t(1));
            QCOMPARE(last.front().before.end(), newEnd);
            QVERIFY(ValueOf(last.front().before) == ValueOf(stored));
        }
    }

    // An OK without a change keeps the event as it is, value and all, and makes no step.
    void unchangedOkKeepsTheEvent_data()
    {
        QTest::addColumn<char>("kind");
        QTest::addColumn<QString>("song");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shown"); // the count field's text, or the click value chosen
        QTest::newRow("the demo's click of 8") << codes::Click << "2" << "Edit Click Resolution" << "8";
        QTest::newRow("a transposition of -3") << codes::Transpose << "1" << "Edit Transposition" << "-3";
        QTest::newRow("the demo's tempo scale of 1.1") << codes::TempoScale << "4" << "Edit Tempo Scale" << "110";
    }

    void unchangedOkKeepsTheEvent()
    {
        QFETCH(char, kind);
        QFETCH(QString, song);
        QFETCH(QString, title);
        QFETCH(QString, shown);
        f().LoadSong(song.toStdString());
        if (kind == codes::Transpose)
            f().editController->onZarnMakeEvent(CL::Transpose(2 * kBar, 4 * kBar, "C3.1", -3));
        const cmn::ZarnEvent stored = Only(song.toStdString(), kind);
        if (kind == codes::TempoScale)
            QVERIFY(stored.double_value() == 1.1);
        const std::uint64_t revision = Editor().GetRevision();

        cmn::ZarnEvent opened = stored;
        QPointer<EditToolController> tool = f().OpenEditTool(&opened);
        QQuickWindow* window = WindowOf(tool);
        QVERIFY(window);
        QTRY_VERIFY(window->isExposed());
        QCOMPARE(window->title(), title);
        QCOMPARE(window->property("eventId").toString().toStdString(), stored.EventId());
        QVERIFY(!EventIdLineShown(window));
        if (kind == codes::Click)
            QCOMPARE(QString::number(window->property("intValue").toInt()), shown);
        else
            QCOMPARE(window->property("value").toString(), shown);
        QSignalSpy updated(tool.data(), &EditToolController::valuesUpdated);
        PressOk(window);

        QCOMPARE(updated.count(), 1);
        QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
        const cmn::ZarnEvent kept = Only(song.toStdString(), kind);
        QCOMPARE(kept.start(), stored.start());
        QCOMPARE(kept.end(), stored.end());
        QVERIFY2(ValueOf(kept) == ValueOf(stored), qPrintable(QString::number(ValueOf(kept), 'g', 17)));
        QCOMPARE(Editor().GetRevision(), revision);
    }

    // --- counts ---

    void typedCounts_data()
    {
        QTest::addColumn<char>("kind");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("leave");       // the field left with Tab before OK, else Return in it
        QTest::addColumn<QString>("leftText"); // the field after leaving it
        QTest::addColumn<bool>("plus");        // the + and - buttons after leaving it
        QTest::addColumn<bool>("minus");
        QTest::addColumn<double>("sent");
        const char C = codes::Transpose, D = codes::TempoScale;
        QTest::newRow("half steps 6") << C << "6" << true << "6" << false << true << 6.0;
        QTest::newRow("half steps -6") << C << "-6" << true << "-6" << true << false << -6.0;
        QTest::newRow("half steps 9, left") << C << "9" << true << "6" << false << true << 6.0;
        QTest::newRow("half steps 9, OK at once") << C << "9" << false << "" << true << true << 6.0;
        QTest::newRow("half steps -10") << C << "-10" << false << "" << true << true << -6.0;
        QTest::newRow("half steps 2") << C << "2" << true << "2" << true << true << 2.0;
        QTest::newRow("half steps abc: kept as typed, the last count sent")
            << C << "abc" << true << "abc" << true << true << 0.0;
        QTest::newRow("half steps emptied") << C << "" << true << "" << true << true << 0.0;
        QTest::newRow("percent 20") << D << "20" << true << "50" << true << false << 0.5;
        QTest::newRow("percent 250") << D << "250" << false << "" << true << true << 2.0;
        QTest::newRow("percent 250, left") << D << "250" << true << "200" << false << true << 2.0;
        QTest::newRow("percent 150") << D << "150" << true << "150" << true << true << 1.5;
        QTest::newRow("percent emptied") << D << "" << true << "50" << true << false << 0.5;
        QTest::newRow("percent abc: the last percent put back") << D << "abc" << true << "100" << true << true << 1.0;
    }

    void typedCounts()
    {
        QFETCH(char, kind);
        QFETCH(QString, typed);
        QFETCH(bool, leave);
        QFETCH(QString, leftText);
        QFETCH(bool, plus);
        QFETCH(bool, minus);
        QFETCH(double, sent);
        f().LoadSong("1");
        QQuickWindow* window = WindowOf(f().OpenCreateTool(kind, int(2 * kBar), int(4 * kBar)));
        QVERIFY(window);
        QObject* box = CountBox(window, kind);
        Type(window, typed);
        if (leave) {
            QTest::keyClick(window, Qt::Key_Tab);
            QCOMPARE(box->property("value").toString(), leftText);
            QCOMPARE(box->property("incrementButton").value<QObject*>()->property("enabled").toBool(), plus);
            QCOMPARE(box->property("decrementButton").value<QObject*>()->property("enabled").toBool(), minus);
            PressOk(window);
        } else {
            QTest::keyClick(window, Qt::Key_Return);
        }
        QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
        const cmn::ZarnEvent made = Only("1", kind);
        QVERIFY2(ValueOf(made) == sent, qPrintable(QString::number(ValueOf(made), 'g', 17)));
    }

    void plusAndMinusStopAtTheEnds_data()
    {
        QTest::addColumn<char>("kind");
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("presses");
        QTest::addColumn<QString>("shown");
        QTest::newRow("half steps up to 6") << codes::Transpose << true << 6 << "6";
        QTest::newRow("half steps down to -6") << codes::Transpose << false << 6 << "-6";
        QTest::newRow("percent up to 200") << codes::TempoScale << true << 100 << "200";
        QTest::newRow("percent down to 50") << codes::TempoScale << false << 50 << "50";
    }

    // The buttons step from the count and stop at the window's ends; OK sends what they show.
    void plusAndMinusStopAtTheEnds()
    {
        QFETCH(char, kind);
        QFETCH(bool, up);
        QFETCH(int, presses);
        QFETCH(QString, shown);
        f().LoadSong("1");
        QQuickWindow* window = WindowOf(f().OpenCreateTool(kind, int(2 * kBar), int(4 * kBar)));
        QVERIFY(window);
        QObject* box = CountBox(window, kind);
        auto* pressed = box->property(up ? "incrementButton" : "decrementButton").value<QObject*>();
        auto* other = box->property(up ? "decrementButton" : "incrementButton").value<QObject*>();
        for (int i = 0; i < presses; ++i) {
            QVERIFY2(pressed->property("enabled").toBool(), qPrintable(QString::number(i)));
            QMetaObject::invokeMethod(pressed, "clicked");
        }
        QCOMPARE(box->property("value").toString(), shown);
        QVERIFY(!pressed->property("enabled").toBool());
        QVERIFY(other->property("enabled").toBool());
        PressOk(window);
        const cmn::ZarnEvent made = Only("1", kind);
        QCOMPARE(kind == codes::TempoScale ? qRound(made.double_value() * 100) : made.int_value(), shown.toInt());
    }

    // --- click values ---

    void clickValuesOfTheRangeOnOpen_data()
    {
        QTest::addColumn<QString>("song");
        QTest::addColumn<std::uint32_t>("start");
        QTest::addColumn<std::uint32_t>("end");
        QTest::addColumn<QList<int>>("values");
        QTest::newRow("4/4: every value") << "1" << 2 * kBar << 4 * kBar << QList<int>{1, 2, 4, 8, 16, 32, 3, 6, 12, 24};
        QTest::newRow("3/4") << "2" << kWaltzBar << 3 * kWaltzBar << QList<int>{4, 8, 16, 32, 12, 24};
        QTest::newRow("the 3/8 bar") << "3" << 0u << 720u << QList<int>{8, 16, 32, 24};
    }

    void clickValuesOfTheRangeOnOpen()
    {
        QFETCH(QString, song);
        QFETCH(std::uint32_t, start);
        QFETCH(std::uint32_t, end);
        QFETCH(QList<int>, values);
        f().LoadSong(song.toStdString());
        QQuickWindow* window = WindowOf(f().OpenCreateTool(codes::Click, int(start), int(end)));
        QVERIFY(window);
        QCOMPARE(Numbers(window->property("clickCountModel")), values);
        QCOMPARE(window->property("clickCountIndex").toInt(), 0);
        QCOMPARE(window->property("intValue").toInt(), values.front());
        QCOMPARE(Child(window, "shownPicture")->property("source").toUrl(),
                 QUrl(QStringLiteral("qrc:/images/notehead-%1.svg").arg(values.front())));
    }

    void clickEditShowsTheStoredValueWhenAllowed_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("shown");
        QTest::newRow("8, as stored") << 8 << 8;
        QTest::newRow("24, the last allowed") << 24 << 24;
        QTest::newRow("3, not allowed in 3/4: the first") << 3 << 4;
    }

    // The demo's click over bars 5 to 7 of song 2, as stored or as a log written elsewhere
    // might hold it.
    void clickEditShowsTheStoredValueWhenAllowed()
    {
        QFETCH(int, stored);
        QFETCH(int, shown);
        f().LoadSong("2");
        cmn::ZarnEvent click = Only("2", codes::Click);
        click.int_value(stored);
        QQuickWindow* window = WindowOf(f().OpenEditTool(&click));
        QVERIFY(window);
        QCOMPARE(Numbers(window->property("clickCountModel")), (QList<int>{4, 8, 16, 32, 12, 24}));
        QCOMPARE(window->property("intValue").toInt(), shown);
    }

    void anyPickerChangeResetsTheClickValue_data()
    {
        QTest::addColumn<QString>("picker");
        QTest::newRow("in bar") << "inBarInput";
        QTest::newRow("in beat") << "inBeatInput";
        QTest::newRow("out bar") << "outBarInput";
        QTest::newRow("out beat") << "outBeatInput";
    }

    void anyPickerChangeResetsTheClickValue()
    {
        QFETCH(QString, picker);
        f().LoadSong("2");
        cmn::ZarnEvent click = Only("2", codes::Click);
        EditToolController* tool = f().OpenEditTool(&click);
        QQuickWindow* window = WindowOf(tool);
        QVERIFY(window);
        QCOMPARE(window->property("intValue").toInt(), 8);

        QObject* moved = Child(window, qPrintable(picker));
        const int index = moved->property("currentIndex").toInt() + 1;
        moved->setProperty("currentIndex", index);
        if (picker.endsWith(QLatin1String("BarInput")))
            QMetaObject::invokeMethod(moved, "activated", Q_ARG(int, index));

        QCOMPARE(window->property("clickCountIndex").toInt(), 0);
        QCOMPARE(window->property("intValue").toInt(), 4);
        QVERIFY(window->property("isEdit").toBool());
        QCOMPARE(window->property("eventId").toString(), QStringLiteral("L5.1"));
    }

    // Song 3's bar 0 is 3/8, the bars after it 6/8: moving the start past it offers more.
    void clickValuesFollowTheRange()
    {
        f().LoadSong("3");
        EditToolController* tool = f().OpenCreateTool(codes::Click, 0, 720);
        QQuickWindow* window = WindowOf(tool);
        QVERIFY(window);
        QCOMPARE(Numbers(window->property("clickCountModel")), (QList<int>{8, 16, 32, 24}));
        Choose(window, "out", BarRow(tool, codes::Click, 3600), 0);
        QCOMPARE(Numbers(window->property("clickCountModel")), (QList<int>{8, 16, 32, 24}));
        Choose(window, "in", BarRow(tool, codes::Click, 720), 0);
        QCOMPARE(Numbers(window->property("clickCountModel")), (QList<int>{4, 8, 16, 32, 12, 24}));
        ChooseClickValue(window, 12);
        PressOk(window);
        QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
        const cmn::ZarnEvent made = Only("3", codes::Click);
        QCOMPARE(made.start(), 720u);
        QCOMPARE(made.end(), 3600u);
        QCOMPARE(made.int_value(), 12);
    }

    // The values are asked for the range as picked; only the event is raised to the start.
    void clickValuesAreAskedForTheUnraisedStart()
    {
        UseWatchedEngine();
        CutTheFront();
        if (QTest::currentTestFailed())
            return;
        watched_->clickQuestions.clear();
        QQuickWindow* window = WindowOf(f().OpenCreateTool(codes::Click, 700, int(2 * kBar)));
        QVERIFY(window);
        QVERIFY(!watched_->clickQuestions.empty());
        QCOMPARE(watched_->clickQuestions.back(), std::make_pair(kBeat, 2 * kBar));
        PressOk(window);
        const cmn::ZarnEvent made = Only("1", codes::Click);
        QCOMPARE(made.start(), 700u);
        QCOMPARE(made.int_value(), 1);
    }

    // A range shown in part is no range: nothing is asked, nothing offered.
    void noClickValuesWhileAPickerShowsNothing()
    {
        UseWatchedEngine();
        f().LoadSong("1");
        QQuickWindow* window = WindowOf(f().OpenCreateTool(codes::Click, int(2 * kBar), int(4 * kBar)));
        QVERIFY(window);
        QVERIFY(!Numbers(window->property("clickCountModel")).isEmpty());
        watched_->clickQuestions.clear();
        Child(window, "outBeatInput")->setProperty("currentIndex", -1);
        QVERIFY(Numbers(window->property("clickCountModel")).isEmpty());
        QVERIFY(watched_->clickQuestions.empty());
    }

    // The engine allows nothing: the picker stays empty, OK sends 0, and the editor refuses it.
    void emptyClickList_data()
    {
        QTest::addColumn<bool>("edit");
        QTest::newRow("new click: Edit Failed") << false;
        QTest::newRow("the demo's click keeps its value") << true;
    }

    void emptyClickList()
    {
        QFETCH(bool, edit);
        UseWatchedEngine();
        watched_->noClickValues = true;
        f().LoadSong("2");
        const std::uint64_t revision = Editor().GetRevision();
        cmn::ZarnEvent stored = Only("2", codes::Click);
        QPointer<EditToolController> tool =
            edit ? f().OpenEditTool(&stored) : f().OpenCreateTool(codes::Click, int(kWaltzBar), int(3 * kWaltzBar));
        QQuickWindow* window = WindowOf(tool);
        QVERIFY(window);
        QObject* picker = Child(window, "clickPicker");
        QCOMPARE(picker->property("count").toInt(), 0);
        QCOMPARE(picker->property("displayText").toString(), QString());
        QCOMPARE(Child(window, "shownPicture")->property("source").toUrl(), QUrl());
        QCOMPARE(window->property("intValue").toInt(), 0);
        QSignalSpy updated(tool.data(), &EditToolController::valuesUpdated);
        if (edit)
            QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^Error editing event: .*click value 0")));
        PressOk(window);

        if (edit) {
            QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
            QCOMPARE(updated.count(), 1);
            QCOMPARE(Only("2", codes::Click).int_value(), 8);
        } else {
            QCOMPARE(errors_.size(), 1);
            QVERIFY2(errors_.front().contains(QStringLiteral("The click value 0 is not allowed")),
                     qPrintable(errors_.front()));
            QCOMPARE(Events("2", codes::Click).size(), std::size_t(1));
        }
        QCOMPARE(Editor().GetRevision(), revision);
    }
};

} // namespace

QTEST_MAIN(TestValueTools)
#include "tst_value_tools.moc"
