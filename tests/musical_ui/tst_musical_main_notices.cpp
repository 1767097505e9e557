// The engine's notifications on the main window: posted through the hub from threads of
// their own, as the engine does, and read back from the real window; the timeline and edit
// panel following the real engine; and the controller's destruction while notifications and
// fade completions keep arriving.

#include "DialogController.h"
#include "EditController.h"
#include "EditModel.h"
#include "MainWindowFixture.h"
#include "MarkerListController.h"
#include "zarn_core/EngineEventHub.h"

#include <QColor>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <stdexcept>
#include <thread>

using notify::EngineEvent;
using zarn::qt::MusicalMainController;

using Expected = QList<QPair<QByteArray, QVariant>>;

namespace {

// The window's measure, each time it changes.
class MeasureRecorder : public QObject
{
    Q_OBJECT

public:
    explicit MeasureRecorder(QObject* window) : window_(window)
    {
        connect(window, SIGNAL(measureChanged()), this, SLOT(Record()));
    }

    QStringList seen;

private slots:
    void Record() { seen.append(window_->property("measure").toString()); }

private:
    QObject* window_;
};

} // namespace

class TestMusicalMainNotices : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowFollowsTheNotifications_data();
    void windowFollowsTheNotifications();
    void transportNoticesReachTheTransportBar();
    void midiLearnedAndUnlearned();
    void vampOnThenOff();
    void unknownIdsChangeNothing();
    void aPostFromTheGuiThreadIsHandledAfterTheCallReturns();
    void noticesAreHandledInPostingOrder();
    void playheadReachesTheTimeline();
    void songLoadedReachesTheTimelineThenTheEditPanel();
    void markerPassedReachesTheMarkerList();
    void aFailingChildIsShownOncePerText();
    void mixerIsMadeOnSongLoadsWhenTheEditionHasOne();

    void notificationsWhileTheControllerIsDestroyed();
    void fadeCompletionsWhileTheControllerIsDestroyed();

private:
    std::unique_ptr<MainWindowFixture> f;
};

void TestMusicalMainNotices::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect")));
    f = std::make_unique<MainWindowFixture>();
}

void TestMusicalMainNotices::cleanup()
{
    f.reset();
}

void TestMusicalMainNotices::windowFollowsTheNotifications_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Expected>("expected");

    const auto flow = [](const char* label, const char* value, const char* colour) {
        return Expected{{"flowControlLabel", QString::fromUtf8(label)},
                        {"flowControlValue", QString::fromUtf8(value)},
                        {"flowControlBackgroundColor", QColor(QString::fromLatin1(colour))}};
    };
    const int flowKind = static_cast<int>(EngineEvent::StatusFlowControl);
    QTest::newRow("flow: ClearPickupBeat clears") << flowKind << 7 << QByteArray("ClearPickupBeat")
                                                  << flow("", "", "#333");
    QTest::newRow("flow: Vamp 3, blanks trimmed") << flowKind << 3 << QByteArray(" Vamp ")
                                                  << flow("Vamp", "3", "#00BFFF");
    QTest::newRow("flow: SKIP 0 shows no value") << flowKind << 0 << QByteArray("SKIP")
                                                 << flow("SKIP", "", "#6e3493");
    QTest::newRow("flow: skip wins over repeat") << flowKind << 2 << QByteArray("skip then repeat")
                                                 << flow("skip then repeat", "2", "#6e3493");
    QTest::newRow("flow: repeat") << flowKind << 1 << QByteArray("Repeat") << flow("Repeat", "1", "#DAA520");
    QTest::newRow("flow: caesura, line break trimmed") << flowKind << 1 << QByteArray("Caesura\n")
                                                       << flow("Caesura", "1", "#DC143C");
    QTest::newRow("flow: empty text with a value") << flowKind << 5 << QByteArray("") << flow("", "", "#333");
    QTest::newRow("flow: anything else") << flowKind << -4 << QByteArray("Fermata")
                                         << flow("Fermata", "-4", "#333");

    const int barBeat = static_cast<int>(EngineEvent::BarBeat);
    QTest::newRow("bar and beat 0012|03") << barBeat << 0 << QByteArray("0012|03")
                                          << Expected{{"measure", QStringLiteral("0012")}, {"beat", QStringLiteral("03")}};
    QTest::newRow("bar and beat 12") << barBeat << 0 << QByteArray("12")
                                     << Expected{{"measure", QStringLiteral("12")}, {"beat", QStringLiteral("12")}};
    QTest::newRow("bar and beat 1") << barBeat << 0 << QByteArray("1")
                                    << Expected{{"measure", QStringLiteral("1")}, {"beat", QStringLiteral("1")}};

    QTest::newRow("transposition -2, text ignored")
        << static_cast<int>(EngineEvent::Transposition) << -2 << QByteArray("+7")
        << Expected{{"transpose", QStringLiteral("-2")}};
    QTest::newRow("volume 500") << static_cast<int>(EngineEvent::StatusVolume) << 500 << QByteArray()
                                << Expected{{"volumeLevelPercent", 0.5}};
    QTest::newRow("key trimmed") << static_cast<int>(EngineEvent::Key) << 0 << QByteArray("  D minor\r\n")
                                 << Expected{{"key", QStringLiteral("D minor")}};
    QTest::newRow("key with invalid UTF-8") << static_cast<int>(EngineEvent::Key) << 0 << QByteArray("G\xff")
                                            << Expected{{"key", QStringLiteral("G\uFFFD")}};
    QTest::newRow("tempo") << static_cast<int>(EngineEvent::Tempo) << 0 << QByteArray("q = 96")
                           << Expected{{"tempo", QStringLiteral("q = 96")}};
    QTest::newRow("meter") << static_cast<int>(EngineEvent::Meter) << 0 << QByteArray("6/8")
                           << Expected{{"meter", QStringLiteral("6/8")}};
    QTest::newRow("tempo scale") << static_cast<int>(EngineEvent::TempoScale) << 0 << QByteArray("110%")
                                 << Expected{{"tempoScale", QStringLiteral("110%")}};
    QTest::newRow("song title as typed") << static_cast<int>(EngineEvent::SongTitle) << 0
                                         << QByteArray("<b>Finale</b> ")
                                         << Expected{{"songTitle", QStringLiteral("<b>Finale</b>")}};
}

void TestMusicalMainNotices::windowFollowsTheNotifications()
{
    QFETCH(int, kind);
    QFETCH(int, value);
    QFETCH(QByteArray, text);
    QFETCH(Expected, expected);
    f->UseFakeEngine();
    f->Create();

    // First a notification of the same kind that sets every property to something else, so
    // that each expected value is one this case wrote.
    MainWindowFixture::PostFromThread(static_cast<EngineEvent>(kind), 999, "Vamp sentinel|99");
    QTRY_VERIFY(f->WindowProperty(expected.first().first.constData()) != expected.first().second);

    MainWindowFixture::PostFromThread(static_cast<EngineEvent>(kind), value, text.toStdString());
    for (const auto& [property, wanted] : expected)
        QTRY_COMPARE(f->WindowProperty(property.constData()), wanted);
}

void TestMusicalMainNotices::transportNoticesReachTheTransportBar()
{
    f->UseFakeEngine();
    f->Create();
    QObject* playControl = f->WindowProperty("playControl").value<QObject*>();
    QSignalSpy started(f->controller.get(), &MusicalMainController::PlayStarted);
    QSignalSpy fading(f->controller.get(), &MusicalMainController::Fading);
    QSignalSpy paused(f->controller.get(), &MusicalMainController::Paused);
    QSignalSpy stopped(f->controller.get(), &MusicalMainController::Stopped);

    MainWindowFixture::PostFromThread(EngineEvent::PlaybackStarted, 0, "");
    QTRY_COMPARE(started.count(), 1);
    QCOMPARE(playControl->property("stopToggled").toBool(), true);
    QCOMPARE(playControl->property("fadeEnabled").toBool(), true);
    MainWindowFixture::PostFromThread(EngineEvent::PlaybackFading, 0, "");
    QTRY_COMPARE(fading.count(), 1);
    QCOMPARE(playControl->property("fadeEnabled").toBool(), false);
    MainWindowFixture::PostFromThread(EngineEvent::PlaybackPaused, 0, "");
    QTRY_COMPARE(paused.count(), 1);
    QCOMPARE(playControl->property("pauseToggled").toBool(), true);
    MainWindowFixture::PostFromThread(EngineEvent::PlaybackStopped, 0, "");
    QTRY_COMPARE(stopped.count(), 1);
    QCOMPARE(playControl->property("stopToggled").toBool(), false);
    QCOMPARE(playControl->property("pauseEnabled").toBool(), false);
}

void TestMusicalMainNotices::midiLearnedAndUnlearned()
{
    f->UseFakeEngine();
    f->Create();
    QSignalSpy learned(f->controller.get(), &MusicalMainController::MidiLearned);
    QSignalSpy unlearned(f->controller.get(), &MusicalMainController::MidiUnlearned);
    MainWindowFixture::PostFromThread(EngineEvent::LearnedMIDICommand, 0x05913C, "");
    MainWindowFixture::PostFromThread(EngineEvent::MIDICommandCanceled, 17, "");
    QTRY_COMPARE(unlearned.count(), 1);
    QCOMPARE(learned.count(), 1);
    QCOMPARE(learned.first(), (QList<QVariant>{5, 0x90, 1, 60}));
    QCOMPARE(unlearned.first(), (QList<QVariant>{17}));
}

void TestMusicalMainNotices::vampOnThenOff()
{
    f->UseFakeEngine();
    f->Create();
    MainWindowFixture::PostFromThread(EngineEvent::VampOn, 0, "");
    QTRY_COMPARE(f->WindowProperty("highlightContinueButton").toBool(), true);
    MainWindowFixture::PostFromThread(EngineEvent::VampOff, 0, "");
    QTRY_COMPARE(f->WindowProperty("highlightContinueButton").toBool(), false);
}

void TestMusicalMainNotices::unknownIdsChangeNothing()
{
    f->UseFakeEngine();
    f->Create();
    const QStringList texts{QStringLiteral("key"), QStringLiteral("tempo"), QStringLiteral("measure"),
                            QStringLiteral("songTitle"), QStringLiteral("flowControlLabel")};
    QVariantList before;
    for (const QString& name : texts)
        before.append(f->WindowProperty(name.toUtf8().constData()));
    QSignalSpy started(f->controller.get(), &MusicalMainController::PlayStarted);
    QSignalSpy learned(f->controller.get(), &MusicalMainController::MidiLearned);

    std::thread([&] {
        f->controller->OnEngineEvent(22, 0x05913C, "0012|03");
        f->controller->OnEngineEvent(-1, 5, "Vamp");
    }).join();
    // Handled in order: once this one shows, the two before it have been handled too.
    MainWindowFixture::PostFromThread(EngineEvent::Meter, 0, "marker");
    QTRY_COMPARE(f->WindowProperty("meter").toString(), QStringLiteral("marker"));
    for (int i = 0; i < texts.size(); ++i)
        QCOMPARE(f->WindowProperty(texts[i].toUtf8().constData()), before[i]);
    QCOMPARE(started.count(), 0);
    QCOMPARE(learned.count(), 0);
    QVERIFY(!f->controller->GetCurrentDialog());
}

void TestMusicalMainNotices::aPostFromTheGuiThreadIsHandledAfterTheCallReturns()
{
    f->UseFakeEngine();
    f->Create();
    QSignalSpy started(f->controller.get(), &MusicalMainController::PlayStarted);
    notify::EngineEventHub::Post(EngineEvent::SongTitle, 0, "Now");
    notify::EngineEventHub::Post(EngineEvent::PlaybackStarted);
    QVERIFY(f->WindowProperty("songTitle").toString() != QLatin1String("Now"));
    QCOMPARE(started.count(), 0);
    QTRY_COMPARE(started.count(), 1);
    QCOMPARE(f->WindowProperty("songTitle").toString(), QStringLiteral("Now"));
}

void TestMusicalMainNotices::noticesAreHandledInPostingOrder()
{
    f->UseFakeEngine();
    f->Create();
    MeasureRecorder recorder(f->Window());

    QStringList posted;
    for (int bar = 1; bar <= 50; ++bar)
        posted.append(QStringLiteral("%1").arg(bar, 4, 10, QLatin1Char('0')));
    // Two engine threads, one after the other, as in a burst during playback.
    std::thread([&] {
        for (int i = 0; i < 25; ++i)
            notify::EngineEventHub::Post(EngineEvent::BarBeat, 0, (posted[i] + "|01").toStdString());
    }).join();
    std::thread([&] {
        for (int i = 25; i < 50; ++i)
            notify::EngineEventHub::Post(EngineEvent::BarBeat, 0, (posted[i] + "|01").toStdString());
    }).join();
    QTRY_COMPARE(recorder.seen.size(), posted.size());
    QCOMPARE(recorder.seen, posted);
}

void TestMusicalMainNotices::playheadReachesTheTimeline()
{
    f->UseFakeEngine();
    f->Create();
    QObject* playhead = f->ChildProperty("timelineControl", "playheadItem").value<QObject*>();
    QVERIFY(playhead);
    MainWindowFixture::PostFromThread(EngineEvent::Playhead, 1008, "");
    QTRY_COMPARE(playhead->property("basePos").toInt(), 40);
}

void TestMusicalMainNotices::songLoadedReachesTheTimelineThenTheEditPanel()
{
    f->Create(); // the real engine on the demo show
    zarn::qt::EditModel& model = *f->controller->GetEditController()->GetEditModel();
    QCOMPARE(model.songNumber, std::string("1"));
    const auto indexBefore = model.barsBeats;

    // The engine announces the song from its own thread; the timeline reindexes its bars and
    // the edit panel follows the song.
    f->controller->GetEngine()->LoadSong("2");
    QTRY_COMPARE(model.songNumber, std::string("2"));
    QVERIFY(model.barsBeats && model.barsBeats != indexBefore);
    QVERIFY(!f->controller->GetCurrentDialog());
}

void TestMusicalMainNotices::markerPassedReachesTheMarkerList()
{
    f->Create(); // the real engine: song 1 has the marker "Letter A" at tick 3840
    zarn::qt::MarkerListController* markers = f->controller->GetEditController()->GetMarkerListController();
    f->controller->GetEngine()->LoadSong("1");
    QTRY_VERIFY(f->controller->GetEditController()->GetEditModel()->markers.size() > 0);
    const int expected = markers->GetPassedIndex(3840);
    QVERIFY(expected >= 0);
    MainWindowFixture::PostFromThread(EngineEvent::Marker, 3840, "");
    QTRY_COMPARE(markers->passedIndex(), expected);
    MainWindowFixture::PostFromThread(EngineEvent::Marker, -1, "");
    QTRY_COMPARE(markers->passedIndex(), -1);
}

void TestMusicalMainNotices::aFailingChildIsShownOncePerText()
{
    f->profile.showMixer = true;
    int made = 0;
    f->profile.makeMixer = [&made](QObject*) -> std::unique_ptr<QObject> {
        ++made;
        throw std::runtime_error(made < 3 ? "The mixer cannot be shown." : "The mixer is gone.");
    };
    f->UseFakeEngine();
    f->Create();

    MainWindowFixture::PostFromThread(EngineEvent::SongLoaded, 0, "1");
    QTRY_COMPARE(made, 1);
    zarn::qt::DialogController* first = f->controller->GetCurrentDialog();
    QVERIFY(first);
    QCOMPARE(first->GetQmlObject()->property("title").toString(), QStringLiteral("Display Error"));
    QCOMPARE(first->GetQmlObject()->property("text").toString(), QStringLiteral("The mixer cannot be shown."));

    // The same failure again shows nothing new; a new one does.
    MainWindowFixture::PostFromThread(EngineEvent::SongLoaded, 0, "1");
    QTRY_COMPARE(made, 2);
    QCOMPARE(f->controller->GetCurrentDialog(), first);
    MainWindowFixture::PostFromThread(EngineEvent::SongLoaded, 0, "1");
    QTRY_COMPARE(made, 3);
    QCOMPARE(f->controller->GetCurrentDialog()->GetQmlObject()->property("text").toString(),
             QStringLiteral("The mixer is gone."));
    // Playback notifications go on being shown.
    MainWindowFixture::PostFromThread(EngineEvent::Key, 0, "F major");
    QTRY_COMPARE(f->WindowProperty("key").toString(), QStringLiteral("F major"));
}

void TestMusicalMainNotices::mixerIsMadeOnSongLoadsWhenTheEditionHasOne()
{
    QObject* mixerItem = nullptr;
    f->profile.makeMixer = [&mixerItem](QObject* item) {
        mixerItem = item;
        return std::make_unique<QObject>();
    };
    f->UseFakeEngine();
    f->Create();
    MainWindowFixture::PostFromThread(EngineEvent::SongLoaded, 0, "1");
    MainWindowFixture::PostFromThread(EngineEvent::Meter, 0, "after");
    QTRY_COMPARE(f->WindowProperty("meter").toString(), QStringLiteral("after"));
    QVERIFY(!f->controller->GetMixerController()); // this edition has no mixer

    f->Destroy();
    f->profile.showMixer = true;
    f->UseFakeEngine();
    f->Create();
    MainWindowFixture::PostFromThread(EngineEvent::SongLoaded, 0, "1");
    QTRY_VERIFY(f->controller->GetMixerController());
    QCOMPARE(mixerItem, f->WindowProperty("mixerControl").value<QObject*>());
    QPointer<QObject> first = f->controller->GetMixerController();
    MainWindowFixture::PostFromThread(EngineEvent::SongLoaded, 0, "1");
    QTRY_VERIFY(!first);
    QVERIFY(f->controller->GetMixerController());
}

void TestMusicalMainNotices::notificationsWhileTheControllerIsDestroyed()
{
    for (int round = 0; round < 3; ++round) {
        f->UseFakeEngine();
        f->Create();
        std::atomic<bool> posting{true};
        std::atomic<int> posts{0};
        std::thread engine([&] {
            while (posting) {
                notify::EngineEventHub::Post(EngineEvent::BarBeat, 0, "0001|01");
                notify::EngineEventHub::Post(EngineEvent::Playhead, 480, "");
                notify::EngineEventHub::Post(EngineEvent::SongLoaded, 0, "1");
                ++posts;
            }
        });
        // Some handled, many still queued when the controller goes.
        QTRY_VERIFY(posts > 20);
        QCoreApplication::processEvents();
        f->Destroy();
        const int atDestruction = posts;
        QTRY_VERIFY(posts > atDestruction + 20);
        posting = false;
        engine.join();
        QCoreApplication::processEvents();
    }
}

void TestMusicalMainNotices::fadeCompletionsWhileTheControllerIsDestroyed()
{
    for (int round = 0; round < 20; ++round) {
        TransportFakeEngine* fake = f->UseFakeEngine();
        f->Create();
        fake->playing = true;
        // Every kind of fade, its completion racing the destruction.
        std::vector<std::function<void()>> completions;
        QMetaObject::invokeMethod(f->Window(), "fade", Q_ARG(int, 3000));
        completions.push_back(fake->TakeCompletion());
        f->controller->FadeTo_(1000, 0.5);
        completions.push_back(fake->TakeCompletion());
        f->controller->FadeToStop_(1000);
        completions.push_back(fake->TakeCompletion());
        std::atomic<bool> go{false};
        std::thread engine([&] {
            while (!go) {
            }
            for (int i = 0; i < 50; ++i) {
                for (auto& completion : completions)
                    completion();
            }
        });
        go = true;
        f->Destroy();
        engine.join();
        QCoreApplication::processEvents();
    }
}

QTEST_MAIN(TestMusicalMainNotices)
#include "tst_musical_main_notices.moc"
