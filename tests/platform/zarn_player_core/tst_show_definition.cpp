#include "ShowDefinition.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

using namespace zarn::player;

class TestShowDefinition : public QObject
{
    Q_OBJECT

private slots:
    void parsesAFullSong()
    {
        const auto show = ShowDefinition::Parse(R"({"format":"1.0","showId":"gala","ppq":480,
          "songs":[{"number":"1","title":"Overture","startTick":0,"lengthTicks":92160,
             "audioStartTick":0,"audioEndTick":96000,"audio":"audio/1.wav","firstBarNumber":1,
             "bars":[{"tick":0,"number":"1"}],"meters":[{"tick":0,"num":6,"den":8}],
             "tempos":[{"tick":0,"bpm":120.5}],"keys":[{"tick":0,"sf":-1,"mi":1}]}],
          "pages":[{"page":1,"song":"1","tick":0}],"outputPaths":[{"id":"p1","name":"Main"}]})",
                                                "test");
        QCOMPARE(show.showId, std::string("gala"));
        QCOMPARE(show.songs.size(), size_t(1));
        const auto& s = show.songs[0];
        QCOMPARE(s.audio, std::string("audio/1.wav"));
        QCOMPARE(s.EndOfMaterial(), 96000u);
        QCOMPARE(int(s.meters[0].denominator), 8);
        QCOMPARE(s.tempos[0].bpm, 120.5);
        QCOMPARE(int(s.keys[0].sharpsFlats), -1);
        QCOMPARE(show.pages[0].song, std::string("1"));
        QCOMPARE(show.outputPaths[0].name, std::string("Main"));
        QCOMPARE(show.IndexOfSong("1"), 0);
        QCOMPARE(show.IndexOfSong("2"), -1);
    }

    void optionalPartsDefault()
    {
        const auto show = ShowDefinition::Parse(
            R"({"format":"1.0","showId":"x","songs":[{"number":"7","title":"T","startTick":0,"lengthTicks":1920}]})",
            "test");
        const auto& s = show.songs[0];
        QCOMPARE(s.audioEndTick, 1920u);
        QCOMPARE(int(s.meters[0].numerator), 4);
        QCOMPARE(s.tempos[0].bpm, 120.0);
        QVERIFY(s.audio.empty());
    }

    void rejectsBadInput_data()
    {
        QTest::addColumn<QString>("json");
        QTest::addColumn<QString>("mentions");
        const QString song = R"({"number":"1","title":"T","startTick":0,"lengthTicks":1920%1})";
        auto show = [&](const QString& extra, const QString& top = {}) {
            return QString(R"({"format":"1.0","showId":"x"%2,"songs":[%1]})").arg(song.arg(extra), top);
        };
        QTest::newRow("not json") << "{" << "JSON error";
        QTest::newRow("no songs") << R"({"format":"1.0","showId":"x","songs":[]})" << "no song";
        QTest::newRow("newer format") << R"({"format":"2.0","showId":"x","songs":[]})" << "format";
        QTest::newRow("wrong ppq") << show("", R"(,"ppq":960)") << "ppq";
        QTest::newRow("negative tick") << show(R"(,"audioEndTick":-5)") << "audioEndTick";
        QTest::newRow("length before start") << R"({"format":"1.0","showId":"x","songs":[{"number":"1","title":"T","startTick":1920,"lengthTicks":960}]})"
                                             << "lengthTicks";
        QTest::newRow("bad denominator") << show(R"(,"meters":[{"tick":0,"num":4,"den":5}])") << "den";
        QTest::newRow("meters not from 0") << show(R"(,"meters":[{"tick":10,"num":4,"den":4}])") << "tick 0";
        QTest::newRow("tempos descending") << show(R"(,"tempos":[{"tick":0,"bpm":100},{"tick":0,"bpm":90}])")
                                           << "ascending";
        QTest::newRow("zero bpm") << show(R"(,"tempos":[{"tick":0,"bpm":0}])") << "bpm";
        QTest::newRow("audio escapes") << show(R"(,"audio":"../../etc/passwd")") << "leaves the show folder";
        QTest::newRow("absolute audio") << show(R"(,"audio":"/tmp/a.wav")") << "leaves the show folder";
        QTest::newRow("stem escapes") << show(R"(,"stems":[{"file":"../x.wav"}])") << "leaves the show folder";
        QTest::newRow("stem without file") << show(R"(,"stems":[{"outputPath":"p1"}])") << "file";
        QTest::newRow("title not text") << R"({"format":"1.0","showId":"x","songs":[{"number":"1","title":5,"startTick":0,"lengthTicks":1920}]})"
                                        << "title";
        QTest::newRow("duplicate song") << QString(R"({"format":"1.0","showId":"x","songs":[%1,%1]})").arg(song.arg(""))
                                        << "twice";
        QTest::newRow("page of unknown song") << show("", R"(,"pages":[{"page":1,"song":"9","tick":0}])")
                                              << "unknown song";
    }
    void rejectsBadInput()
    {
        QFETCH(QString, json);
        QFETCH(QString, mentions);
        try {
            ShowDefinition::Parse(json.toStdString(), "show.json");
            QFAIL("no exception");
        } catch (const std::runtime_error& e) {
            const QString what = QString::fromUtf8(e.what());
            QVERIFY2(what.contains(mentions) && what.contains("show.json"), qPrintable(what));
        }
    }

    // Each stem on its output path; the one "audio" file, a path-less stem, an unknown path and
    // the click all fall back to the show's first path, the unknown ones with a warning.
    void stemsAndClickFindTheirOutputPaths_data()
    {
        QTest::addColumn<QString>("song");
        QTest::addColumn<QString>("top");
        QTest::addColumn<QStringList>("stems"); // "file@path"
        QTest::addColumn<QString>("audio");
        QTest::addColumn<QString>("click");
        QTest::addColumn<int>("warnings");
        const QString paths = R"(,"outputPaths":[{"id":"main","name":"Main"},{"id":"band","name":"Band"}])";
        QTest::newRow("one audio file") << R"(,"audio":"a.wav")" << paths << QStringList{"a.wav@main"} << "a.wav"
                                        << "main" << 0;
        QTest::newRow("stems on their paths")
            << R"(,"stems":[{"file":"keys.flac","outputPath":"band"},{"file":"drums.wav"}])" << paths + R"(,"clickOutputPath":"band")"
            << QStringList{"keys.flac@band", "drums.wav@main"} << "keys.flac" << "band" << 0;
        QTest::newRow("unknown paths") << R"(,"stems":[{"file":"k.wav","outputPath":"pit"}])"
                                       << paths + R"(,"clickOutputPath":"booth")" << QStringList{"k.wav@main"}
                                       << "k.wav" << "main" << 2;
        QTest::newRow("no paths in the show") << R"(,"stems":[{"file":"k.wav","outputPath":"pit"}])" << QString()
                                              << QStringList{"k.wav@"} << "k.wav" << "" << 1;
        QTest::newRow("no audio") << QString() << paths << QStringList{} << "" << "main" << 0;
    }
    void stemsAndClickFindTheirOutputPaths()
    {
        QFETCH(QString, song);
        QFETCH(QString, top);
        QFETCH(QStringList, stems);
        QFETCH(QString, audio);
        QFETCH(QString, click);
        QFETCH(int, warnings);
        const QString json = QString(R"({"format":"1.0","showId":"x"%2,"songs":[{"number":"1","title":"T",)"
                                     R"("startTick":0,"lengthTicks":1920%1}]})")
                                 .arg(song, top);
        const auto show = ShowDefinition::Parse(json.toStdString(), "show.json");
        QStringList got;
        for (const StemDefinition& stem : show.songs[0].stems)
            got << QString::fromStdString(stem.file + "@" + stem.outputPath);
        QCOMPARE(got, stems);
        QCOMPARE(QString::fromStdString(show.songs[0].audio), audio);
        QCOMPARE(QString::fromStdString(show.clickOutputPath), click);
        QCOMPARE(int(show.warnings.size()), warnings);
        if (warnings > 0) {
            const QString first = QString::fromStdString(show.warnings.front());
            QVERIFY2(first.contains("unknown output path \"pit\"") && first.contains("k.wav"), qPrintable(first));
        }
    }

    void missingFileIsAClearError()
    {
        QTemporaryDir dir;
        const std::string path = (dir.path() + "/show.json").toStdString();
        QVERIFY_EXCEPTION_THROWN(ShowDefinition::LoadFromFile(path), std::runtime_error);
        std::ofstream(path) << R"({"format":"1.0","showId":"x","songs":[{"number":"1","title":"T","startTick":0,"lengthTicks":1920}]})";
        QCOMPARE(ShowDefinition::LoadFromFile(path).songs.size(), size_t(1));
    }
};

QTEST_GUILESS_MAIN(TestShowDefinition)
#include "tst_show_definition.moc"
