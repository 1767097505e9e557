#include "OscCommandDispatcher.h"
#include "OscCommandParts.h"
#include "OscMessage.h"
#include "RecordingHandler.h"

#include <QtTest>

#include <cmath>

using namespace zarn::osc;

namespace {

const QString kContext = "error Unable to process OSC command: ";

QString gain(double decibels)
{
    return RecordingHandler::num(static_cast<float>(std::pow(10.0, decibels / 20.0)));
}

} // namespace

class TestOscDispatch : public QObject
{
    Q_OBJECT
private slots:
    void dispatch_data();
    void dispatch();
    void addressParts_data();
    void addressParts();
    void withoutHandler();
    void throwingHandlerIsContained();
    void defaultErrorGoesToStandardError();
};

void TestOscDispatch::dispatch_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("calls"); // after the leading "message <address>"

    QTest::newRow("play") << "/zarn/play" << QStringList{"play [] []"};
    QTest::newRow("play with show and song")
        << "/zarn/show/my_show/song/12/play" << QStringList{"play [my_show] [12]"};
    QTest::newRow("no action") << "/zarn/song/3" << QStringList{};
    QTest::newRow("trailing slash") << "/zarn/play/" << QStringList{"play [] []"};
    QTest::newRow("action followed by a part") << "/zarn/play/now"
                                               << QStringList{kContext + "Unknown OSC command part: play"};
    QTest::newRow("empty key") << "/zarn//play" << QStringList{kContext + "Unknown OSC command part: "};
    QTest::newRow("wrong case prefix")
        << "/ZARN/play" << QStringList{kContext + "OSC commands to ZARN software must start with /zarn/"};
    QTest::newRow("too short") << "/zarn" << QStringList{kContext + "OSC command is too short for processing."};
    QTest::newRow("later key wins") << "/zarn/song/1/song/2/play" << QStringList{"play [] [2]"};
    QTest::newRow("keys are case-sensitive") << "/zarn/Song/1/play"
                                             << QStringList{kContext + "Unknown OSC command part: Song"};
    QTest::newRow("unknown action") << "/zarn/rewind" << QStringList{};
    QTest::newRow("stop also stops every sound effect")
        << "/zarn/song/2/stop" << QStringList{"stop [] [2]", "sfxStopAll []"};
    QTest::newRow("pause") << "/zarn/pause" << QStringList{"pause [] []"};
    QTest::newRow("advance") << "/zarn/advance" << QStringList{"advance [] []"};
    QTest::newRow("go") << "/zarn/show/s/go" << QStringList{"advance [s] []"};

    QTest::newRow("fadeto level truncated") << "/zarn/fadeto -6.9 2"
                                            << QStringList{"fadeto [] [] 2 " + gain(-6) + " stay"};
    QTest::newRow("fadeto int level") << "/zarn/song/12/fadeto -6 2.5"
                                      << QStringList{"fadeto [] [12] 2.5 " + gain(-6) + " stay"};
    QTest::newRow("fadeto one argument uses defaults") << "/zarn/fadeto -6"
                                                       << QStringList{"fadeto [] [] 0.25 0.5 stay"};
    QTest::newRow("fadeto three arguments uses defaults") << "/zarn/fadeto -6 2 1"
                                                          << QStringList{"fadeto [] [] 0.25 0.5 stay"};
    QTest::newRow("fadeto with a string")
        << "/zarn/fadeto loud 2" << QStringList{kContext + "Parameter does not convert to float32."};
    QTest::newRow("fadeout int seconds") << "/zarn/fadeout 3" << QStringList{"fadeout [] [] 3"};
    QTest::newRow("fadeout float seconds") << "/zarn/fadeout 1.5" << QStringList{"fadeout [] [] 1.5"};
    QTest::newRow("fadeout default") << "/zarn/fadeout" << QStringList{"fadeout [] [] 0.25"};
    QTest::newRow("fadeout string uses default") << "/zarn/fadeout slow" << QStringList{"fadeout [] [] 0.25"};
    QTest::newRow("fadeout negative passes") << "/zarn/fadeout -1" << QStringList{"fadeout [] [] -1"};
    QTest::newRow("volume not truncated") << "/zarn/volume -6.5" << QStringList{"volume " + gain(-6.5)};
    QTest::newRow("volume int") << "/zarn/show/x/volume -6" << QStringList{"volume " + gain(-6)};
    QTest::newRow("volume string uses unity") << "/zarn/volume \"-6\"" << QStringList{"volume 1"};
    QTest::newRow("volume default") << "/zarn/volume" << QStringList{"volume 1"};
    // Non-finite numbers from the wire would reach gains and fade ramps.
    QTest::newRow("volume nan refused") << "/zarn/volume nan"
                                        << QStringList{kContext + "OSC argument is not a finite number."};
    QTest::newRow("volume overflow refused") << "/zarn/volume 1000" << QStringList{kContext + "OSC level is out of range."};
    QTest::newRow("fadeto inf refused") << "/zarn/fadeto -6 inf"
                                        << QStringList{kContext + "OSC argument is not a finite number."};
    QTest::newRow("fadeout nan refused") << "/zarn/fadeout nan"
                                         << QStringList{kContext + "OSC argument is not a finite number."};

    QTest::newRow("event go") << "/zarn/event/E12/go" << QStringList{"eventAdvance [] [] E12"};
    QTest::newRow("event advance with song") << "/zarn/song/4/event/E1/advance"
                                             << QStringList{"eventAdvance [] [4] E1"};
    QTest::newRow("event stop is unknown")
        << "/zarn/event/E12/stop" << QStringList{kContext + "Unknown command for OSC event command."};

    QTest::newRow("sfx play") << "/zarn/show/s/sfx/4/play" << QStringList{"sfxPlay [s] [4]"};
    QTest::newRow("sfx play with argument does nothing") << "/zarn/sfx/4/play 1" << QStringList{};
    QTest::newRow("sfx stop") << "/zarn/sfx/4/stop" << QStringList{"sfxStop [] [4]"};
    QTest::newRow("sfx stop all") << "/zarn/sfx/*/stop" << QStringList{"sfxStopAll []"};
    QTest::newRow("sfx wins over event") << "/zarn/sfx/4/event/5/go" << QStringList{};
    QTest::newRow("sfx fadeto") << "/zarn/sfx/4/fadeto -6.5 2"
                                << QStringList{"sfxFadeTo [] [4] " + RecordingHandler::num(std::pow(10.0, -6 / 20.0))
                                               + " 2000"};
    QTest::newRow("sfx fadeto without time")
        << "/zarn/sfx/4/fadeto -6"
        << QStringList{kContext + "OSC sound-effect fadeto needs a level in dB and a time in seconds."};
}

void TestOscDispatch::dispatch()
{
    QFETCH(QString, command);
    QFETCH(QStringList, calls);

    QStringList actual;
    OscCommandDispatcher dispatcher(std::make_unique<RecordingHandler>(&actual));
    const QByteArray datagram = EncodeOscMessage(command);
    std::size_t used = 0;
    const OscMessage message = ParseOscMessage(datagram.constData(), std::size_t(datagram.size()), used);
    dispatcher.Dispatch(message);

    calls.prepend("message " + command.section(' ', 0, 0));
    QCOMPARE(actual, calls);
}

void TestOscDispatch::addressParts_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("parts"); // show|song|id|action|event|sfx

    QTest::newRow("bare") << "/zarn/" << "||||0|0";
    QTest::newRow("all keys") << "/zarn/show/a/song/1/event/E/go" << "a|1|E|go|1|0";
    QTest::newRow("event and sfx share the id") << "/zarn/event/E/sfx/S/play" << "||S|play|1|1";
    QTest::newRow("pairs only") << "/zarn/song/12" << "|12|||0|0";
    QTest::newRow("key without value is the action") << "/zarn/song" << "|||song|0|0";
}

void TestOscDispatch::addressParts()
{
    QFETCH(QString, address);
    QFETCH(QString, parts);
    const OscCommandParts p = ParseCommandAddress(address.toStdString());
    const QString actual = QString("%1|%2|%3|%4|%5|%6")
                               .arg(QString::fromStdString(p.show), QString::fromStdString(p.song),
                                    QString::fromStdString(p.id), QString::fromStdString(p.action))
                               .arg(int(p.isEvent))
                               .arg(int(p.isSfx));
    QCOMPARE(actual, parts);
}

void TestOscDispatch::withoutHandler()
{
    OscCommandDispatcher dispatcher(nullptr);
    dispatcher.Dispatch(OscMessage{"/zarn/play", {}}); // returns without touching anything
}

void TestOscDispatch::throwingHandlerIsContained()
{
    struct Throwing : OscProcInterface
    {
        QStringList* errors;
        explicit Throwing(QStringList* e) : errors(e) {}
        void OnPlay(const std::string&, const std::string&) override { throw std::runtime_error("engine gone"); }
        void OnStop(const std::string&, const std::string&) override { throw 42; }
        void OnError(const std::string& detail, const std::string& context) override
        {
            *errors << QString::fromStdString(context + ": " + detail);
            if (detail == "Unknown error.")
                throw std::runtime_error("report failed too");
        }
    };
    QStringList errors;
    OscCommandDispatcher dispatcher(std::make_unique<Throwing>(&errors));
    dispatcher.Dispatch(OscMessage{"/zarn/play", {}});
    dispatcher.Dispatch(OscMessage{"/zarn/stop", {}});
    QCOMPARE(errors, (QStringList{"Unable to process OSC command: engine gone",
                                  "Unable to process OSC command: Unknown error."}));
}

void TestOscDispatch::defaultErrorGoesToStandardError()
{
    // The default handler writes "<context>: <detail>" and an empty line.
    QTemporaryFile capture;
    QVERIFY(capture.open());
    fflush(stderr);
    const int saved = dup(fileno(stderr));
    dup2(capture.handle(), fileno(stderr));
    {
        OscCommandDispatcher dispatcher(std::make_unique<OscProcInterface>());
        dispatcher.Dispatch(OscMessage{"/nope/play", {}});
    }
    fflush(stderr);
    dup2(saved, fileno(stderr));
    ::close(saved);
    capture.seek(0);
    QCOMPARE(QString::fromUtf8(capture.readAll()),
             QString("Unable to process OSC command: OSC commands to ZARN software must start with /zarn/\n\n"));
}

QTEST_GUILESS_MAIN(TestOscDispatch)
#include "tst_osc_dispatch.moc"
