// The row records of the event and marker lists: their texts, and the keys by which the
// timeline finds a chosen row's item.
#include "EventInfoItem.h"
#include "MarkerInfoItem.h"
#include "zarn_core/Marker.h"
#include "zarn_core/ZarnEventCode.h"

#include <QtTest>

#include <limits>

using zarn::qt::EventInfoItem;

class TestEventInfoItem : public QObject
{
    Q_OBJECT

private slots:
    void eventTexts_data()
    {
        QTest::addColumn<char>("code");
        QTest::addColumn<int>("intValue");
        QTest::addColumn<double>("factor");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("paired");

        QTest::newRow("vamp forever") << codes::Vamp << 0 << 0.0 << QStringLiteral("\u221E") << true;
        QTest::newRow("repeat twice") << codes::Repeat << 2 << 0.0 << QStringLiteral("2x") << true;
        QTest::newRow("repeat negative") << codes::Repeat << -3 << 0.0 << QStringLiteral("-3x") << true;
        QTest::newRow("transpose 0") << codes::Transpose << 0 << 0.0 << QStringLiteral("+0") << true;
        QTest::newRow("transpose up") << codes::Transpose << 2 << 0.0 << QStringLiteral("+2") << true;
        QTest::newRow("transpose down") << codes::Transpose << -2 << 0.0 << QStringLiteral("-2") << true;
        QTest::newRow("scale 1.0") << codes::TempoScale << 0 << 1.0 << QStringLiteral("100%") << true;
        QTest::newRow("scale 0.125") << codes::TempoScale << 0 << 0.125 << QStringLiteral("13%") << true;
        QTest::newRow("scale -0.125") << codes::TempoScale << 0 << -0.125 << QStringLiteral("-13%") << true;
        // A damaged file's factor saturates instead of overflowing the int.
        QTest::newRow("scale huge") << codes::TempoScale << 0 << 1e30
                                    << QString::number(std::numeric_limits<int>::max()) + "%" << true;
        QTest::newRow("scale huge negative") << codes::TempoScale << 0 << -1e30
                                             << QString::number(std::numeric_limits<int>::min()) + "%" << true;
        QTest::newRow("caesura") << codes::Caesura << 3 << 0.0 << QString() << false;
        QTest::newRow("click") << codes::Click << 1 << 0.0 << QString() << true;
        QTest::newRow("cut") << codes::Cut << 0 << 0.0 << QString() << true;
        QTest::newRow("skip") << codes::Fermata << 0 << 0.0 << QString() << true;
    }

    void eventTexts()
    {
        QFETCH(char, code);
        QFETCH(int, intValue);
        QFETCH(double, factor);
        QFETCH(QString, text);
        QFETCH(bool, paired);

        cmn::ZarnEvent event(code, 480, paired ? 1920 : 0, "id");
        event.int_value(intValue);
        event.float_value(factor);
        const EventInfoItem item = zarn::qt::MakeEventInfoItem(event);
        QCOMPARE(item.text, text);
        QCOMPARE(item.startTick, 480u);
        QCOMPARE(item.endTick, paired ? 1920u : 0u);
        QCOMPARE(item.code, static_cast<unsigned char>(code));
        QCOMPARE(item.paired, paired);
    }

    void soundEffectsShowTheirNameAndCuesTheirMessage()
    {
        cmn::ZarnEvent sfx(codes::Sfx, 0, 0, "s");
        sfx.sfx_properties(CL::SfxProperties("Door slam"));
        QCOMPARE(zarn::qt::MakeEventInfoItem(sfx).text, QStringLiteral("Door slam"));

        cmn::ZarnEvent cue(codes::Osc, 0, 0, "o");
        CL::OscProperties osc;
        osc.Message("/zarn/sfx/Thunder/play");
        cue.osc_properties(osc);
        QCOMPARE(zarn::qt::MakeEventInfoItem(cue).text, QStringLiteral("\u25B6 Thunder"));
    }

    void oscTexts_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("text");

        QTest::newRow("play") << "/zarn/sfx/Thunder/play" << QStringLiteral("\u25B6 Thunder");
        QTest::newRow("stop any case") << "/zarn/sfx/Door/STOP" << QStringLiteral("\u23F9 Door");
        QTest::newRow("fadeto with arguments") << "/zarn/sfx/rain/FadeTo 0.5 2" << "Fade rain";
        QTest::newRow("other command raised") << "/zarn/sfx/rain/pause" << "Pause rain";
        QTest::newRow("no command") << "/zarn/sfx/rain/" << " rain";
        QTest::newRow("no ending slash") << "/zarn/sfx/Door" << "/zarn/sfx/Door";
        QTest::newRow("volume, trimmed") << " /zarn/volume 0.5" << "Volume Change";
        QTest::newRow("volume with path") << "/zarn/volume/master 0.2" << "Volume Change";
        QTest::newRow("fade to") << "/zarn/fadeto 0 3" << "Fade To...";
        QTest::newRow("foreign") << "/cue/12/go" << "/cue/12/go";
        QTest::newRow("prefix is case-sensitive") << "/ZARN/sfx/a/play" << "/ZARN/sfx/a/play";
        // A command starting with a multi-byte character keeps its bytes intact.
        QTest::newRow("non-ASCII command") << QStringLiteral("/zarn/sfx/Bell/\u00e9cho")
                                           << QStringLiteral("\u00e9cho Bell");
    }

    void oscTexts()
    {
        QFETCH(QString, message);
        QFETCH(QString, text);
        QCOMPARE(zarn::qt::MakeOscDisplayText(message.toStdString()), text);
    }

    void recordsCompareAllFields()
    {
        cmn::ZarnEvent vamp(codes::Vamp, 0, 960, "v");
        EventInfoItem a = zarn::qt::MakeEventInfoItem(vamp);
        EventInfoItem b = a;
        QVERIFY(a == b);
        b.paired = !b.paired;
        QVERIFY(!(a == b));
        QVERIFY(EventInfoItem() == EventInfoItem{});
    }

    void markerRecordHasNoLocation()
    {
        CL::Marker marker(1920, "Letter A", "m1");
        const zarn::qt::MarkerInfoItem item = zarn::qt::MakeMarkerInfoItem(marker);
        QCOMPARE(item.name, std::string("Letter A"));
        QCOMPARE(item.location, std::string());
        QCOMPARE(item.tick, 1920u);
    }
};

QTEST_MAIN(TestEventInfoItem)
#include "tst_event_info_item.moc"
