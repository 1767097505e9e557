#include "AudioInterface.h"
#include "CorvanePlayerFactory.h"
#include "IsolatedDataHome.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>

class TestEngineFactory : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    QString show_;

private slots:
    void initTestCase()
    {
        show_ = dir_.filePath("show");
        std::filesystem::copy(CORVANE_DEMO_SHOW, show_.toStdString(), std::filesystem::copy_options::recursive);
    }

    void buildsTheEngineOnTheDemoShow()
    {
        IsolatedDataHome home;
        zarn::qt::CorvanePlayerFactory profile;
        QElapsedTimer timer;
        timer.start();
        std::unique_ptr<Interface> engine = profile.CreateAudioInterface(show_, nullptr);
        qInfo("engine built in %lld ms", static_cast<long long>(timer.elapsed()));
        QVERIFY(engine);
        QCOMPARE(engine->GetCurrentSongNumber(), std::string("1"));
        QCOMPARE(engine->GetLogVersion(), std::string("1.0"));
        QVERIFY(engine->GetChangeLogEditor());
        QVERIFY(engine->IsStopped());
        engine->Shutdown();
    }

    void startupFailureThrowsAndLeavesNothingBehind()
    {
        IsolatedDataHome home;
        // A plain file where the data folder should be: the engine's threads cannot keep
        // their settings and report it from ThrowIfThreadExceptions.
        QFile blocker(QDir(home.path()).filePath("corvane"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        zarn::qt::CorvanePlayerFactory profile;
        QVERIFY_THROWS_EXCEPTION(std::exception, profile.CreateAudioInterface(show_, nullptr));
        QCOMPARE(AudioInterface::LiveEngineThreads(), 0);
    }

    void missingShowIsAClearError()
    {
        IsolatedDataHome home;
        zarn::qt::CorvanePlayerFactory profile;
        try {
            profile.CreateAudioInterface(dir_.filePath("nowhere"), nullptr);
            QFAIL("no exception");
        } catch (const std::runtime_error& e) {
            QVERIFY2(QString(e.what()).contains("show.json"), e.what());
        }
        QCOMPARE(AudioInterface::LiveEngineThreads(), 0);
    }
};

QTEST_GUILESS_MAIN(TestEngineFactory)
#include "tst_engine_factory.moc"
