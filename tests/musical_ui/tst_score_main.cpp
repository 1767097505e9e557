// The score page of the main window over the real engine on the demo show (a manual clock):
// the show load reads the demo score, the engine's page reports turn the page, the view's
// requests move playback, and a score that cannot be read is reported while the show plays.
#include "MainWindowFixture.h"

#include "AudioInterface.h"
#include "DialogController.h"
#include "ManualClock.h"
#include "ScoreViewController.h"

#include <QFile>
#include <QQuickItem>
#include <QtTest>

#include <filesystem>
#include <memory>

namespace {

QString DemoPageUrl(int page)
{
    QFile file(QStringLiteral(CORVANE_DEMO_PAGES "/page%1.png").arg(page));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(file.readAll().toBase64());
}

} // namespace

class TestScoreMain : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f_;

    // The demo show as the start-up download leaves it: its score and the key to it.
    void InstallDemoScore(bool rightKey)
    {
        namespace fs = std::filesystem;
        const fs::path folder = f_->showFolder.toStdString();
        fs::copy_file(CORVANE_DEMO_SERVER_SHOW "/lanterns.score", folder / "lanterns.score");
        QFile credential(QStringLiteral(CORVANE_DEMO_SERVER_SHOW "/credential.json"));
        QVERIFY(credential.open(QIODevice::ReadOnly));
        QByteArray text = credential.readAll();
        if (!rightKey)
            text.replace("\"scoreKey\": \"7cce", "\"scoreKey\": \"8cce");
        QFile copy(QString::fromStdString((folder / "credential.json").string()));
        QVERIFY(copy.open(QIODevice::WriteOnly));
        QCOMPARE(copy.write(text), text.size());
    }

    QObject* Score() const { return f_->WindowProperty("scoreControl").value<QObject*>(); }
    int CurrentIndex() const { return Score()->property("currentIndex").toInt(); }
    AudioInterface* Engine() const { return dynamic_cast<AudioInterface*>(f_->controller->GetEngine().get()); }

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect")));
        f_ = std::make_unique<MainWindowFixture>();
    }

    void cleanup()
    {
        f_.reset();
    }

    void tabShowsTheDemoScore()
    {
        InstallDemoScore(true);
        f_->Create();
        QCOMPARE(f_->WindowProperty("showScore").toBool(), true);
        auto* tab = f_->Window()->findChild<QQuickItem*>(QStringLiteral("scoreTab"));
        QVERIFY(tab);
        QVERIFY(tab->isVisible());
        QObject* score = Score();
        QVERIFY(score);
        QCOMPARE(score->property("imageListModel").toStringList().size(), 6);
        QCOMPARE(score->property("counterText").toString(), QStringLiteral("Page 1 of 6"));
        QTRY_COMPARE(score->property("currentImage1").toString(), DemoPageUrl(1));
        QVERIFY(!f_->controller->GetCurrentDialog());
        // The page prompt and the page's buttons take none of the names the window's own
        // controls are found by (windows the main window holds, such as the hidden output
        // paths window, have controls of their own).
        for (const char* name : {"jumpPopup", "barField", "okButton", "cancelButton", "nextButton", "prevButton"}) {
            int inTheWindow = 0;
            for (QObject* o : f_->Window()->findChildren<QObject*>(QLatin1String(name))) {
                auto* item = qobject_cast<QQuickItem*>(o);
                inTheWindow += !item || item->window() == f_->Window();
            }
            QVERIFY2(inTheWindow <= 1, name);
        }
    }

    void playingTurnsThePage()
    {
        InstallDemoScore(true);
        f_->Create();
        // Past the vamp song 1 holds at bar 3, a little before page 2 (tick 7680, at 120 bpm).
        Engine()->Seek(7200);
        QTRY_COMPARE(CurrentIndex(), 0);
        f_->controller->Play_();
        QTRY_VERIFY(Engine()->GetIsPlaying());
        f_->profile.clock->AdvanceMs(300);
        QTRY_VERIFY(Engine()->GetTickIndex() > 7400);
        QCOMPARE(CurrentIndex(), 0);
        f_->profile.clock->AdvanceMs(400);
        QTRY_COMPARE(CurrentIndex(), 1);
        QCOMPARE(Score()->property("counterText").toString(), QStringLiteral("Page 2 of 6"));
        QTRY_COMPARE(Score()->property("currentImage1").toString(), DemoPageUrl(2));
    }

    // The page report as an engine thread posts it, whatever page it names.
    void pageReportsFromTheEngine()
    {
        InstallDemoScore(true);
        f_->Create();
        MainWindowFixture::PostFromThread(notify::EngineEvent::PageNum, 5, std::string());
        QTRY_COMPARE(CurrentIndex(), 4);
        MainWindowFixture::PostFromThread(notify::EngineEvent::PageNum, 0, std::string());
        QTRY_COMPARE(CurrentIndex(), -1);
        QCOMPARE(Score()->property("currentImage1").toString(), QString());
        MainWindowFixture::PostFromThread(notify::EngineEvent::PageNum, 1, std::string());
        QTRY_COMPARE(CurrentIndex(), 0);
        QTRY_COMPARE(Score()->property("currentImage1").toString(), DemoPageUrl(1));
    }

    void nextMovesPlaybackAndThePageFollows()
    {
        InstallDemoScore(true);
        f_->Create();
        QObject* score = Score();
        QQuickItem* next = score->property("nextButton").value<QQuickItem*>();
        QVERIFY(next);
        QVERIFY(QMetaObject::invokeMethod(next, "clicked"));
        QTRY_COMPARE(CurrentIndex(), 1);
        QCOMPARE(Engine()->GetCurrentSongNumber(), std::string("1"));
        QCOMPARE(Engine()->GetTickIndex(), 7680u);
        // Page 3 is the next song's first.
        QVERIFY(QMetaObject::invokeMethod(next, "clicked"));
        QTRY_COMPARE(CurrentIndex(), 2);
        QCOMPARE(Engine()->GetCurrentSongNumber(), std::string("2"));
        QCOMPARE(Engine()->GetTickIndex(), 0u);
    }

    void requestWhilePlayingPlaysOn()
    {
        InstallDemoScore(true);
        f_->Create();
        f_->controller->Play_();
        QTRY_VERIFY(Engine()->GetIsPlaying());
        QVERIFY(QMetaObject::invokeMethod(Score(), "pageChanged", Q_ARG(int, 4)));
        QTRY_COMPARE(CurrentIndex(), 3);
        QCOMPARE(Engine()->GetCurrentSongNumber(), std::string("3"));
        QVERIFY(Engine()->GetIsPlaying());
        // A page the show does not have moves nothing and stops nothing.
        QVERIFY(QMetaObject::invokeMethod(Score(), "pageChanged", Q_ARG(int, 9)));
        QCOMPARE(Engine()->GetCurrentSongNumber(), std::string("3"));
        QVERIFY(Engine()->GetIsPlaying());
    }

    void wrongKeyIsReportedAndTheShowPlays()
    {
        InstallDemoScore(false);
        f_->Create();
        QTRY_COMPARE(f_->controller->GetCurrentDialog() ? f_->controller->GetCurrentDialog()->GetQmlObject()->property("title").toString()
                                                          : QString(),
                     QStringLiteral("Score Not Available"));
        const QString text = f_->controller->GetCurrentDialog()->GetQmlObject()->property("text").toString();
        QVERIFY2(text.contains(QStringLiteral("lanterns.score")), qPrintable(text));
        QCOMPARE(Score()->property("imageListModel").toStringList(), QStringList());
        QCOMPARE(Score()->property("counterText").toString(), QStringLiteral("Page 1 of 0"));
        f_->controller->Play_();
        QTRY_VERIFY(Engine()->GetIsPlaying());
    }

    void showLoadReplacesTheScoreView()
    {
        InstallDemoScore(true);
        f_->Create();
        zarn::qt::ScoreViewController* first = f_->controller->GetScoreViewController();
        QVERIFY(first);
        QVERIFY(!first->HoldsArchiveData());
        f_->controller->LoadShow_();
        QVERIFY(f_->controller->GetScoreViewController());
        QCOMPARE(Score()->property("imageListModel").toStringList().size(), 6);
        // The replaced controller's request connection is gone with it: one request, one move.
        QVERIFY(QMetaObject::invokeMethod(Score(), "pageChanged", Q_ARG(int, 2)));
        QTRY_COMPARE(CurrentIndex(), 1);
    }
};

QTEST_MAIN(TestScoreMain)
#include "tst_score_main.moc"
