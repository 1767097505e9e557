#include "OscCommandDispatcher.h"
#include "OscFakeEngine.h"
#include "StreamCapture.h"
#include "ZarnOscCallbacks.h"
#include "zarn_core/Cut.h"
#include "zarn_core/Marker.h"

#include <QSignalSpy>
#include <QtTest>

#include <cmath>

using zarn::ZarnOscCallbacks;
using namespace zarn::osc;

namespace {

QStringList toList(const std::vector<std::string>& lines)
{
    QStringList list;
    for (const auto& line : lines)
        list << QString::fromStdString(line);
    return list;
}

// Records the bridge's signals in emission order as text.
class SignalLog : public QObject
{
public:
    explicit SignalLog(ZarnOscCallbacks* bridge)
    {
        connect(bridge, &ZarnOscCallbacks::FadeRequested, this,
                [this](float ms) { lines << QString("FadeRequested(%1)").arg(ms); });
        connect(bridge, &ZarnOscCallbacks::FadeToRequested, this, [this](float ms, float gain, bool next) {
            lines << QString("FadeToRequested(%1, %2, %3)").arg(ms).arg(gain).arg(next);
        });
        connect(bridge, &ZarnOscCallbacks::RequestPlayQueudOscEvents, this,
                [this] { lines << "RequestPlayQueudOscEvents"; });
        connect(bridge, &ZarnOscCallbacks::Notification, this, [this] { ++notifications; });
    }
    QStringList lines;
    int notifications = 0;
};

// A show named "Spring Gala" with song 1 current, a marker E1 at 960 and a cut B1 over
// 1920-3840 in song 1; the audio of song 1 ends at tick 10000.
struct BridgeFixture
{
    std::shared_ptr<OscFakeEngine> engine = std::make_shared<OscFakeEngine>();
    ZarnOscCallbacks* bridge = nullptr;
    std::unique_ptr<OscCommandDispatcher> dispatcher;
    std::unique_ptr<SignalLog> signalLog;

    BridgeFixture()
    {
        engine->editor.SelectSongLogForEditing("1");
        engine->editor.AddEvent(CL::Marker(960, "Letter A", "E1"));
        engine->editor.AddEvent(CL::Cut(1920, 3840, "B1", 0));
        engine->audioEndTick = 10000;
        auto owned = std::make_unique<ZarnOscCallbacks>(engine, "Spring Gala");
        bridge = owned.get();
        signalLog = std::make_unique<SignalLog>(bridge);
        dispatcher = std::make_unique<OscCommandDispatcher>(std::move(owned));
    }

    void send(const QString& command)
    {
        const QByteArray datagram = EncodeOscMessage(command);
        std::size_t used = 0;
        dispatcher->Dispatch(ParseOscMessage(datagram.constData(), std::size_t(datagram.size()), used));
    }

    // "paused;song=5;tick=960;attacca=1;end=1000;playing"
    void apply(const QString& setup)
    {
        for (const QString& item : setup.split(';', Qt::SkipEmptyParts)) {
            const QString key = item.section('=', 0, 0);
            const QString value = item.section('=', 1);
            if (key == "paused") engine->paused = true;
            else if (key == "song") engine->currentSong = value.toStdString();
            else if (key == "tick") engine->tickIndex = value.toUInt();
            else if (key == "attacca") engine->attacca = std::uint8_t(value.toUInt());
            else if (key == "end") engine->audioEndTick = value.toUInt();
            else if (key == "noeditor") engine->hasEditor = false;
            else qFatal("unknown setup key");
        }
    }
};

} // namespace

class TestZarnOscCallbacks : public QObject
{
    Q_OBJECT
private slots:
    void sanitize_data();
    void sanitize();
    void commands_data();
    void commands();
    void unknownSongWritesErrorAndChangesNothing();
    void everyMessageNotifiesOnce();
    void fadeTimeReachesAnIntSlotTruncated();
};

void TestZarnOscCallbacks::sanitize_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("sanitized");
    QTest::newRow("space and capitals") << QByteArray("Spring Gala") << QByteArray("spring_gala");
    QTest::newRow("one '_' per byte of an accented letter") << QByteArray("Caf\xC3\xA9") << QByteArray("caf__");
    QTest::newRow("reserved characters") << QByteArray("#,* /?[]{}") << QByteArray("__________");
    QTest::newRow("others unchanged") << QByteArray("a-b.c_d~9!") << QByteArray("a-b.c_d~9!");
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestZarnOscCallbacks::sanitize()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, sanitized);
    QCOMPARE(QByteArray::fromStdString(ZarnOscCallbacks::SanitizeOscName(name.toStdString())), sanitized);
}

void TestZarnOscCallbacks::commands_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("engineCalls");
    QTest::addColumn<QStringList>("signalLines");

    const QString request = "RequestPlayQueudOscEvents";
    const QStringList none;
    QTest::newRow("play current") << "" << "/zarn/play" << QStringList{"Stop", "Play"} << QStringList{request};
    QTest::newRow("play named current song") << "song=5" << "/zarn/song/5/play" << QStringList{"Stop", "Play"}
                                             << QStringList{request};
    QTest::newRow("play another song") << "" << "/zarn/song/5/play" << QStringList{"LoadSong(5)", "Play"}
                                       << QStringList{request};
    QTest::newRow("sanitised show name passes") << "" << "/zarn/show/spring_gala/play" << QStringList{"Stop", "Play"}
                                                << QStringList{request};
    QTest::newRow("unsanitised show name ignored") << "" << "/zarn/show/Spring_Gala/play" << none << none;
    QTest::newRow("other show stop ignored") << "" << "/zarn/show/other_show/stop" << none << none;
    QTest::newRow("stop") << "" << "/zarn/stop" << QStringList{"Stop"} << none;
    QTest::newRow("stop other song ignored") << "" << "/zarn/song/2/stop" << none << none;
    QTest::newRow("fadeout capped at 10 s") << "" << "/zarn/fadeout 30" << none << QStringList{"FadeRequested(10000)"};
    QTest::newRow("fadeout negative passes") << "" << "/zarn/fadeout -1" << none << QStringList{"FadeRequested(-1000)"};
    QTest::newRow("fadeout default") << "" << "/zarn/fadeout" << none << QStringList{"FadeRequested(250)"};
    QTest::newRow("fadeto") << "" << "/zarn/song/1/fadeto -6 2.5" << none
                            << QStringList{QString("FadeToRequested(2500, %1, 0)").arg(float(std::pow(10.0, -0.3)))};
    QTest::newRow("fadeto defaults") << "" << "/zarn/fadeto" << none << QStringList{"FadeToRequested(250, 0.5, 0)"};
    QTest::newRow("fadeto other song ignored") << "" << "/zarn/song/2/fadeto -6 2" << none << none;
    QTest::newRow("volume ignores show and song")
        << "" << "/zarn/show/other/song/9/volume -6"
        << QStringList{QString("SetVolume(%1, 1)").arg(QString::fromStdString(
               std::to_string(double(float(std::pow(10.0, -6.0 / 20.0))))))}
        << none;
    QTest::newRow("advance") << "" << "/zarn/go" << QStringList{"Continue"} << QStringList{request};
    QTest::newRow("pause while running") << "" << "/zarn/pause" << QStringList{"Pause(false)"} << none;
    QTest::newRow("pause while paused continues") << "paused" << "/zarn/pause" << QStringList{"Continue"}
                                                  << QStringList{request};

    QTest::newRow("event: range, playhead inside") << "tick=2000" << "/zarn/event/B1/go" << QStringList{"Continue"}
                                                   << none;
    QTest::newRow("event: range, playhead at its end") << "tick=3840" << "/zarn/event/B1/go"
                                                       << QStringList{"Continue"} << none;
    QTest::newRow("event: range elsewhere jumps to its end")
        << "tick=100" << "/zarn/event/B1/go" << QStringList{"Pause(false)", "Seek(3840)", "Continue"}
        << QStringList{request};
    QTest::newRow("event: point at playhead") << "tick=960" << "/zarn/event/E1/advance" << QStringList{"Continue"}
                                              << QStringList{request};
    QTest::newRow("event: point elsewhere") << "tick=0" << "/zarn/event/E1/go"
                                            << QStringList{"Pause(false)", "Seek(960)", "Continue"}
                                            << QStringList{request};
    QTest::newRow("event: past audio end, attacca") << "tick=0;end=960;attacca=1" << "/zarn/event/E1/go"
                                                    << QStringList{"NextSong", "Continue"} << QStringList{request};
    QTest::newRow("event: past audio end, no attacca") << "tick=0;end=960;attacca=2" << "/zarn/event/E1/go"
                                                       << QStringList{"NextSong"} << none;
    QTest::newRow("event: unknown id") << "" << "/zarn/event/X9/go" << none << none;
    QTest::newRow("event: no editor") << "noeditor" << "/zarn/event/E1/go" << none << none;
    QTest::newRow("event: other song ignored") << "" << "/zarn/song/2/event/E1/go" << none << none;

    QTest::newRow("sound effects accepted without effect") << "" << "/zarn/sfx/4/play" << none << none;
}

void TestZarnOscCallbacks::commands()
{
    QFETCH(QString, setup);
    QFETCH(QString, command);
    QFETCH(QStringList, engineCalls);
    QFETCH(QStringList, signalLines);

    BridgeFixture fixture;
    fixture.apply(setup);
    fixture.send(command);
    QCOMPARE(toList(fixture.engine->calls()), engineCalls);
    QCOMPARE(fixture.signalLog->lines, signalLines);
    QCOMPARE(fixture.signalLog->notifications, 1);
}

void TestZarnOscCallbacks::unknownSongWritesErrorAndChangesNothing()
{
    BridgeFixture fixture;
    StreamCapture errors(stderr);
    fixture.send("/zarn/song/99/play");
    QCOMPARE(errors.text(),
             QString("OSC was unable to load and play the specified song number: Song 99 does not exist.\n\n"));
    QVERIFY(fixture.engine->calls().empty());
    QVERIFY(fixture.signalLog->lines.isEmpty());
}

void TestZarnOscCallbacks::everyMessageNotifiesOnce()
{
    BridgeFixture fixture;
    StreamCapture errors(stderr); // the bad addresses report on standard error
    for (const char* command : {"/zarn/play", "/nothing/here", "/zarn/event/E1/stop", "/x", "/zarn/volume loud"})
        fixture.send(command);
    QCOMPARE(fixture.signalLog->notifications, 5);
}

// The main controller's fade slots take whole milliseconds.
class IntFadeReceiver : public QObject
{
    Q_OBJECT
public:
    int received = -1;
public slots:
    void fade(int milliseconds) { received = milliseconds; }
};

void TestZarnOscCallbacks::fadeTimeReachesAnIntSlotTruncated()
{
    BridgeFixture fixture;
    IntFadeReceiver receiver;
    QVERIFY(QObject::connect(fixture.bridge, &ZarnOscCallbacks::FadeRequested, &receiver, &IntFadeReceiver::fade));
    fixture.send("/zarn/fadeout 1.2345");
    QCOMPARE(receiver.received, 1234);
}

QTEST_GUILESS_MAIN(TestZarnOscCallbacks)
#include "tst_zarn_osc_callbacks.moc"
