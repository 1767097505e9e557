// The main window's controller on the real MusicalMain.qml: construction and its dialogs, the
// window's wiring, the transport, the fades and their completions, jump to bar, zoom, and
// destruction. The engine is the transport fake unless a case needs the real one.

#include "DialogController.h"
#include "EditController.h"
#include "EditModel.h"
#include "MainWindowFixture.h"
#include "zarn_core/EngineEventHub.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPointer>
#include <QQuickItem>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <stdexcept>
#include <thread>

using zarn::qt::MusicalMainController;

namespace {

using Calls = std::vector<std::string>;

// The calls the log got since `from`.
Calls CallsSince(const TransportFakeEngine::Log& log, std::size_t from)
{
    const Calls all = log.Calls();
    return Calls(all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end());
}

QString DialogTitle(const zarn::qt::DialogController* dialog)
{
    return dialog && dialog->GetQmlObject() ? dialog->GetQmlObject()->property("title").toString() : QString();
}

QString DialogText(const zarn::qt::DialogController* dialog)
{
    return dialog && dialog->GetQmlObject() ? dialog->GetQmlObject()->property("text").toString() : QString();
}

void CloseDialog(zarn::qt::DialogController* dialog)
{
    QVERIFY(dialog && dialog->GetQmlObject());
    auto* window = qobject_cast<QWindow*>(dialog->GetQmlObject());
    QVERIFY(window);
    window->close();
}

} // namespace

class TestMusicalMainController : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // construction
    void titleAndAlbumArt_data();
    void titleAndAlbumArt();
    void noticePrecedence_data();
    void noticePrecedence();
    void dialogsRaisedWhileTheNoticeIsUpFollowItInOrder_data();
    void dialogsRaisedWhileTheNoticeIsUpFollowItInOrder();
    void generalSettingsReachTheEngine_data();
    void generalSettingsReachTheEngine();
    void aNewDialogReplacesTheOneOnScreen();
    void connectingTwiceAddsNothing();
    void theWindowsCloseIsRelayedAndRefused();
    void showLoadThatThrowsLeavesNothingBehind();
    void unsavedChangesFollowTheEditModel();

    // transport
    void pauseToggle_data();
    void pauseToggle();
    void transportButtonsReachTheEngine_data();
    void transportButtonsReachTheEngine();
    void fadeTime_data();
    void fadeTime();
    void fadeWhileStoppedDoesNothing();
    void fadeCompletion_data();
    void fadeCompletion();
    void fadeToWhileStoppedStillFades();
    void fadeAndStopStopsOnTheCompletionsThread();
    void fadeAndStopCompletingAfterTheControllerIsGone();
    void jumpToBarAnswersThePrompt_data();
    void jumpToBarAnswersThePrompt();
    void menuRequestsReachTheEngine();
    void zoomStepsAnimated();

    // destruction
    void destroyingStopsAPlayingEngineFirstAndTakesTheWindows_data();
    void destroyingStopsAPlayingEngineFirstAndTakesTheWindows();

private:
    std::unique_ptr<MainWindowFixture> f;
};

void TestMusicalMainController::init()
{
    // Every connection by signature must find both ends.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect")));
    f = std::make_unique<MainWindowFixture>();
}

void TestMusicalMainController::cleanup()
{
    // Before the next fixture: each one points the data location at a folder of its own.
    f.reset();
}

// --- construction ---

void TestMusicalMainController::titleAndAlbumArt_data()
{
    QTest::addColumn<bool>("artFile");
    QTest::newRow("art in the show folder") << true;
    QTest::newRow("no art") << false;
}

void TestMusicalMainController::titleAndAlbumArt()
{
    QFETCH(bool, artFile);
    const QString art = QDir(f->showFolder).filePath(QStringLiteral("AlbumArtwork.jpg"));
    if (artFile) {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::darkBlue);
        QVERIFY(image.save(art, "JPG"));
    }
    f->UseFakeEngine();
    f->Create();
    QCOMPARE(f->WindowProperty("title").toString(), QStringLiteral("Corvane - Lanterns - Hall Theatre"));
    QCOMPARE(f->WindowProperty("visible").toBool(), true);
    QCOMPARE(f->WindowProperty("showAlbumArtImage").toBool(), artFile);
    QCOMPARE(f->WindowProperty("albumArtImageUrl").toUrl(), artFile ? QUrl::fromLocalFile(art) : QUrl());
    QCOMPARE(f->WindowProperty("cornerLogoSource").toUrl(), QUrl(f->profile.cornerLogoUrl));
    // An edition with OSC hands the engine its outgoing-OSC callback.
    QVERIFY(f->profile.lastOscCallbackGiven);
}

void TestMusicalMainController::noticePrecedence_data()
{
    QTest::addColumn<bool>("rehearsal");
    QTest::addColumn<bool>("performance");
    QTest::addColumn<QString>("shown"); // a piece of the notice's text, or empty for none
    QTest::newRow("neither") << false << false << QString();
    QTest::newRow("rehearsal") << true << false << QStringLiteral("rehearsal purposes only");
    QTest::newRow("performance") << false << true << QStringLiteral("PERFORMANCE PURPOSES ONLY");
    QTest::newRow("both: performance") << true << true << QStringLiteral("PERFORMANCE PURPOSES ONLY");
}

void TestMusicalMainController::noticePrecedence()
{
    QFETCH(bool, rehearsal);
    QFETCH(bool, performance);
    QFETCH(QString, shown);
    f->profile.showRehearsalNotice = rehearsal;
    f->profile.showPerformanceNotice = performance;
    f->UseFakeEngine();
    f->Create();
    MainWindowFixture::FlushDeletes();

    const QList<QWindow*> dialogs = MainWindowFixture::VisibleDialogs();
    if (shown.isEmpty()) {
        QVERIFY(dialogs.isEmpty());
        return;
    }
    QCOMPARE(dialogs.size(), 1);
    QCOMPARE(dialogs.first()->property("title").toString(), QStringLiteral("Welcome to Corvane"));
    QVERIFY2(dialogs.first()->property("text").toString().contains(shown),
             qPrintable(dialogs.first()->property("text").toString()));
    // The performance notice stays until its steps are acknowledged; the rehearsal notice
    // offers never to show again.
    QCOMPARE(dialogs.first()->property("acknowledgeCheckbox").toBool(), performance);
    QCOMPARE(dialogs.first()->property("showCheckbox").toBool(), !performance);
    if (performance) {
        const QString text = dialogs.first()->property("text").toString();
        QCOMPARE(text.count(QStringLiteral("href=\"https://lanternhillstudios.example/performance-essentials\"")), 2);
        QCOMPARE(dialogs.first()->property("okCheckboxString").toString(),
                 QStringLiteral("I have completed the performance essentials steps."));
    }
}

void TestMusicalMainController::dialogsRaisedWhileTheNoticeIsUpFollowItInOrder_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("audioError"); // a piece of the "Error Setting Audio" text
    QTest::newRow("unknown device") << QByteArray("defaultOutputDeviceString=no-such-device\n")
                                    << QStringLiteral("no-such-device");
    QTest::newRow("volume abc") << QByteArray("defaultVolume=abc\n") << QStringLiteral("\"abc\"");
}

void TestMusicalMainController::dialogsRaisedWhileTheNoticeIsUpFollowItInOrder()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, audioError);
    f->profile.showPerformanceNotice = true;
    f->MakeChangeLogNewerMinor();
    f->WriteGeneralSettings("[General]\n" + settings);
    f->Create(); // the real engine: it refuses the device and reads the log as read-only
    const double volumeBefore = f->controller->GetEngine()->GetVolume();
    // The launcher's notice comes after construction, while the performance notice is up.
    f->controller->ShowDialog("The show files have been repaired or updated to the latest version.",
                              "Files Were Updated", 2);

    const QStringList expected{QStringLiteral("Welcome to Corvane"), QStringLiteral("Upgrade to Edit"),
                               QStringLiteral("Error Setting Audio"), QStringLiteral("Files Were Updated")};
    for (const QString& title : expected) {
        QTRY_COMPARE(DialogTitle(f->controller->GetCurrentDialog()), title);
        MainWindowFixture::FlushDeletes();
        QCOMPARE(MainWindowFixture::VisibleDialogs().size(), 1);
        if (title == QLatin1String("Error Setting Audio"))
            QVERIFY2(DialogText(f->controller->GetCurrentDialog()).contains(audioError),
                     qPrintable(DialogText(f->controller->GetCurrentDialog())));
        CloseDialog(f->controller->GetCurrentDialog());
    }
    QCOMPARE(f->controller->GetWaitingDialogCount(), std::size_t(0));
    // A refused volume is not handed on: the show keeps sounding.
    QCOMPARE(f->controller->GetEngine()->GetVolume(), volumeBefore);

    // Once the last one from the line has closed, the one-dialog rule is back: a new dialog
    // replaces the one on screen at once.
    f->controller->onError("after", "Later");
    QCOMPARE(DialogTitle(f->controller->GetCurrentDialog()), QStringLiteral("Later"));
    f->controller->onError("again", "Replacing");
    QCOMPARE(DialogTitle(f->controller->GetCurrentDialog()), QStringLiteral("Replacing"));
}

void TestMusicalMainController::generalSettingsReachTheEngine_data()
{
    QTest::addColumn<bool>("file");
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<Calls>("calls");
    QTest::addColumn<QString>("error"); // the "Error Setting Audio" text, or empty for none
    QTest::newRow("no file") << false << QByteArray() << Calls{} << QString();
    QTest::newRow("device and volume")
        << true << QByteArray("defaultOutputDeviceString=speakers\ndefaultVolume=0.5\n")
        << Calls{"SetOutputDeviceUid speakers", "SetVolume 0.5 1"} << QString();
    QTest::newRow("file without values") << true << QByteArray("clickVolumeLinear=1\n")
                                         << Calls{"SetOutputDeviceUid ", "SetVolume 1 1"} << QString();
    QTest::newRow("volume 0 is a volume") << true << QByteArray("defaultVolume=0\n")
                                          << Calls{"SetOutputDeviceUid ", "SetVolume 0 1"} << QString();
    QTest::newRow("negative volume") << true << QByteArray("defaultVolume=-0.5\n")
                                     << Calls{"SetOutputDeviceUid "}
                                     << QStringLiteral("The stored default volume \"-0.5\" is not a number of 0 or "
                                                       "more, so the volume was left as it was.");
    QTest::newRow("infinite volume") << true << QByteArray("defaultVolume=inf\n") << Calls{"SetOutputDeviceUid "}
                                     << QStringLiteral("The stored default volume \"inf\" is not a number of 0 or "
                                                       "more, so the volume was left as it was.");
    QTest::newRow("unknown device: no volume")
        << true << QByteArray("defaultOutputDeviceString=gone\ndefaultVolume=0.5\n")
        << Calls{"SetOutputDeviceUid gone"} << QStringLiteral("Audio output device 'gone' is not available.");
}

void TestMusicalMainController::generalSettingsReachTheEngine()
{
    QFETCH(bool, file);
    QFETCH(QByteArray, settings);
    QFETCH(Calls, calls);
    QFETCH(QString, error);
    if (file)
        f->WriteGeneralSettings("[General]\n" + settings);
    f->UseFakeEngine();
    f->Create();

    Calls audio;
    for (const std::string& call : f->log->Calls()) {
        if (call.rfind("SetOutputDeviceUid", 0) == 0 || call.rfind("SetVolume", 0) == 0)
            audio.push_back(call);
    }
    QCOMPARE(audio, calls);
    if (error.isEmpty()) {
        QVERIFY(!f->controller->GetCurrentDialog());
    } else {
        QCOMPARE(DialogTitle(f->controller->GetCurrentDialog()), QStringLiteral("Error Setting Audio"));
        QCOMPARE(DialogText(f->controller->GetCurrentDialog()), error);
    }
    QVERIFY(f->controller->GetGeneralSettingsPath().endsWith(QStringLiteral("/general_settings.zarn")));
}

void TestMusicalMainController::aNewDialogReplacesTheOneOnScreen()
{
    f->UseFakeEngine();
    f->Create();
    f->controller->onError("first", "First");
    QPointer<QObject> first = f->controller->GetCurrentDialog()->GetQmlObject();
    QCOMPARE(first->property("type").toString(), QStringLiteral("error"));
    f->controller->onInformation("second", "Second");
    QCOMPARE(DialogTitle(f->controller->GetCurrentDialog()), QStringLiteral("Second"));
    QCOMPARE(f->controller->GetCurrentDialog()->GetQmlObject()->property("type").toString(), QStringLiteral("info"));
    MainWindowFixture::FlushDeletes();
    QVERIFY(!first);
    QCOMPARE(MainWindowFixture::VisibleDialogs().size(), 1);
}

void TestMusicalMainController::connectingTwiceAddsNothing()
{
    f->UseFakeEngine();
    f->Create();
    f->controller->ConnectSignals();
    f->controller->ConnectSignals();
    QObject* window = f->Window();

    const std::size_t from = f->log->Calls().size();
    QMetaObject::invokeMethod(window, "play");
    QMetaObject::invokeMethod(window, "jumpToBar", Q_ARG(QString, QStringLiteral("12")));
    QCOMPARE(CallsSince(*f->log, from), (Calls{"Play", "SeekToBar 12"}));

    // The controller's signals reach the window's once each.
    QObject* playControl = window->property("playControl").value<QObject*>();
    QVERIFY(playControl);
    QSignalSpy relayed(window, SIGNAL(playStarted()));
    emit f->controller->PlayStarted();
    QCOMPARE(relayed.count(), 1);
    QCOMPARE(playControl->property("stopToggled").toBool(), true);
    emit f->controller->Paused();
    QCOMPARE(playControl->property("pauseToggled").toBool(), true);
    emit f->controller->Fading();
    QCOMPARE(playControl->property("fadeEnabled").toBool(), false);
    QCOMPARE(playControl->property("pauseToggled").toBool(), false);
    emit f->controller->Stopped();
    QCOMPARE(playControl->property("stopToggled").toBool(), false);
    QCOMPARE(playControl->property("pauseEnabled").toBool(), false);
}

void TestMusicalMainController::theWindowsCloseIsRelayedAndRefused()
{
    f->UseFakeEngine();
    f->Create();
    f->controller->ConnectSignals();
    auto* window = qobject_cast<QWindow*>(f->Window());
    QVERIFY(window);
    QSignalSpy closing(f->controller.get(), &MusicalMainController::Closing);
    window->close();
    QCOMPARE(closing.count(), 1);
    QVERIFY(window->isVisible());
}

void TestMusicalMainController::showLoadThatThrowsLeavesNothingBehind()
{
    const std::size_t observersBefore = notify::EngineEventHub::ObserverCount();
    TransportFakeEngine* fake = f->UseFakeEngine();
    fake->throwOnSongList = true;
    std::weak_ptr<TransportFakeEngine::Log> log = f->log;
    const int windowsBefore = static_cast<int>(QGuiApplication::topLevelWindows().size());

    QVERIFY_THROWS_EXCEPTION(std::runtime_error, f->Create());
    QVERIFY(!f->controller);
    MainWindowFixture::FlushDeletes();
    // The engine existed and went with the failed construction, as did the window and the observer.
    f->log.reset();
    QVERIFY(log.expired());
    QTRY_COMPARE(static_cast<int>(QGuiApplication::topLevelWindows().size()), windowsBefore);
    QCOMPARE(notify::EngineEventHub::ObserverCount(), observersBefore);
    // Nothing is left to receive what an engine still posts.
    MainWindowFixture::PostFromThread(notify::EngineEvent::SongTitle, 0, "late");
    QCoreApplication::processEvents();
}

void TestMusicalMainController::unsavedChangesFollowTheEditModel()
{
    f->UseFakeEngine();
    f->Create();
    QVERIFY(!f->controller->HasUnsavedChanges());
    f->controller->GetEditController()->GetEditModel()->needsSave = true;
    QVERIFY(f->controller->HasUnsavedChanges());
}

// --- transport ---

void TestMusicalMainController::pauseToggle_data()
{
    QTest::addColumn<bool>("playing");
    QTest::addColumn<bool>("paused");
    QTest::addColumn<bool>("faded");
    QTest::addColumn<Calls>("calls");
    QTest::newRow("playing: pause") << true << false << false << Calls{"Pause false"};
    QTest::newRow("paused: play") << true << true << false << Calls{"Play"};
    QTest::newRow("faded: pause") << false << false << true << Calls{"Pause false"};
    QTest::newRow("stopped: play") << false << false << false << Calls{"Play"};
}

void TestMusicalMainController::pauseToggle()
{
    QFETCH(bool, playing);
    QFETCH(bool, paused);
    QFETCH(bool, faded);
    QFETCH(Calls, calls);
    TransportFakeEngine* fake = f->UseFakeEngine();
    f->Create();
    fake->playing = playing;
    fake->paused = paused;
    fake->faded = faded;

    // The transport bar's button, and the menu's play/pause, toggle alike.
    std::size_t from = f->log->Calls().size();
    QMetaObject::invokeMethod(f->Window(), "pause");
    QCOMPARE(CallsSince(*f->log, from), calls);
    from = f->log->Calls().size();
    f->controller->PauseToggleSlot_();
    QCOMPARE(CallsSince(*f->log, from), calls);
}

void TestMusicalMainController::transportButtonsReachTheEngine_data()
{
    QTest::addColumn<QByteArray>("signal");
    QTest::addColumn<std::string>("call");
    QTest::newRow("play") << QByteArray("play") << std::string("Play");
    QTest::newRow("stop") << QByteArray("stop") << std::string("Stop");
    QTest::newRow("continue flow") << QByteArray("continueFlow") << std::string("FlowControlExit");
    QTest::newRow("next song") << QByteArray("nextSong") << std::string("NextSong");
    QTest::newRow("previous song") << QByteArray("prevSong") << std::string("PrevSong");
}

void TestMusicalMainController::transportButtonsReachTheEngine()
{
    QFETCH(QByteArray, signal);
    QFETCH(std::string, call);
    f->UseFakeEngine();
    f->Create();
    const std::size_t from = f->log->Calls().size();
    QMetaObject::invokeMethod(f->Window(), signal.constData());
    QCOMPARE(CallsSince(*f->log, from), Calls{call});
}

void TestMusicalMainController::fadeTime_data()
{
    QTest::addColumn<int>("milliseconds");
    QTest::addColumn<float>("seconds");
    QTest::newRow("3000") << 3000 << 3.0f;
    QTest::newRow("1") << 1 << 0.001f;
}

void TestMusicalMainController::fadeTime()
{
    QFETCH(int, milliseconds);
    QFETCH(float, seconds);
    TransportFakeEngine* fake = f->UseFakeEngine();
    f->Create();
    fake->playing = true;
    const std::size_t from = f->log->Calls().size();
    QMetaObject::invokeMethod(f->Window(), "fade", Q_ARG(int, milliseconds));
    const Calls calls = CallsSince(*f->log, from);
    QCOMPARE(calls.size(), std::size_t(1));
    QVERIFY(calls.front().rfind("Fade ", 0) == 0);
    QCOMPARE(fake->LastFadeSeconds(), seconds);
}

void TestMusicalMainController::fadeWhileStoppedDoesNothing()
{
    TransportFakeEngine* fake = f->UseFakeEngine();
    f->Create();
    const std::size_t from = f->log->Calls().size();
    QMetaObject::invokeMethod(f->Window(), "fade", Q_ARG(int, 3000));
    f->controller->FadeToStop_(3000);
    QCOMPARE(CallsSince(*f->log, from), Calls{});
    QVERIFY(!fake->TakeCompletion());
}

void TestMusicalMainController::fadeCompletion_data()
{
    QTest::addColumn<bool>("faded");
    QTest::addColumn<Calls>("calls");
    QTest::newRow("faded out: next song") << true << Calls{"NextSong", "CancelFade"};
    QTest::newRow("not faded: stays") << false << Calls{"CancelFade"};
}

void TestMusicalMainController::fadeCompletion()
{
    QFETCH(bool, faded);
    QFETCH(Calls, calls);
    TransportFakeEngine* fake = f->UseFakeEngine();
    f->Create();
    fake->playing = true;
    QMetaObject::invokeMethod(f->Window(), "fade", Q_ARG(int, 3000));
    fake->faded = faded;
    QSignalSpy completed(f->controller.get(), &MusicalMainController::FadeComplete);
    const std::size_t from = f->log->Calls().size();

    fake->RunCompletionOnThread();
    QTRY_COMPARE(CallsSince(*f->log, from), calls);
    QCOMPARE(completed.count(), 1);
    QCOMPARE(completed.first().first().toBool(), true);
}

void TestMusicalMainController::fadeToWhileStoppedStillFades()
{
    TransportFakeEngine* fake = f->UseFakeEngine();
    f->Create();
    fake->faded = true;
    const std::size_t from = f->log->Calls().size();
    QVERIFY(QMetaObject::invokeMethod(f->controller.get(), "FadeTo_", Q_ARG(int, 1500), Q_ARG(double, 0.25)));
    QCOMPARE(CallsSince(*f->log, from), Calls{"FadeTo 1.5 0.25"});

    // A fade to a level ends where it is, faded or not.
    QSignalSpy completed(f->controller.get(), &MusicalMainController::FadeComplete);
    fake->RunCompletionOnThread();
    QTRY_COMPARE(CallsSince(*f->log, from), (Calls{"FadeTo 1.5 0.25", "CancelFade"}));
    QCOMPARE(completed.first().first().toBool(), false);
}

void TestMusicalMainController::fadeAndStopStopsOnTheCompletionsThread()
{
    TransportFakeEngine* fake = f->UseFakeEngine();
    f->Create();
    fake->playing = true;
    f->controller->FadeToStop_(500);
    QCOMPARE(fake->LastFadeSeconds(), 0.5f);
    fake->faded = true;
    const std::size_t from = f->log->Calls().size();

    fake->RunCompletionOnThread();
    // The stop happened on the completion's thread, before the GUI thread ran anything.
    QCOMPARE(CallsSince(*f->log, from), Calls{"Stop"});
    QTRY_COMPARE(CallsSince(*f->log, from), (Calls{"Stop", "NextSong", "CancelFade"}));
}

void TestMusicalMainController::fadeAndStopCompletingAfterTheControllerIsGone()
{
    TransportFakeEngine* fake = f->UseFakeEngine();
    f->Create();
    fake->playing = true;
    f->controller->FadeToStop_(500);
    std::function<void()> completion = fake->TakeCompletion();
    QVERIFY(completion);
    std::shared_ptr<TransportFakeEngine::Log> log = f->log;

    f->Destroy();
    const std::size_t from = log->Calls().size();
    std::thread(completion).join();
    QCoreApplication::processEvents();
    QCOMPARE(CallsSince(*log, from), Calls{});
}

void TestMusicalMainController::jumpToBarAnswersThePrompt_data()
{
    QTest::addColumn<QString>("bar");
    QTest::addColumn<bool>("found");
    QTest::newRow("known bar") << QStringLiteral("12") << true;
    QTest::newRow("unknown bar") << QStringLiteral("99") << false;
}

void TestMusicalMainController::jumpToBarAnswersThePrompt()
{
    QFETCH(QString, bar);
    QFETCH(bool, found);
    f->UseFakeEngine();
    f->Create();
    QObject* window = f->Window();
    QObject* jump = window->property("jumpControl").value<QObject*>();
    QVERIFY(jump);
    QObject* popup = jump->property("popup").value<QObject*>();
    QObject* field = jump->property("field").value<QObject*>();
    QSignalSpy answered(f->controller.get(), &MusicalMainController::JumpToBarResult);

    QMetaObject::invokeMethod(window, "startJumpToBar");
    QTRY_VERIFY(popup->property("opened").toBool());
    field->setProperty("text", bar);
    QMetaObject::invokeMethod(jump, "submit");

    QCOMPARE(f->log->Count("SeekToBar " + bar.toStdString()), 1);
    QCOMPARE(answered.count(), 1);
    QCOMPARE(answered.first().first().toBool(), found);
    if (found) {
        QTRY_VERIFY(!popup->property("visible").toBool());
    } else {
        QVERIFY(popup->property("visible").toBool());
        QCOMPARE(field->property("text").toString(), QStringLiteral("Bar not found!"));
    }
}

void TestMusicalMainController::menuRequestsReachTheEngine()
{
    f->UseFakeEngine();
    f->Create();
    const std::size_t from = f->log->Calls().size();
    f->controller->SeekNextMarkerRequested_();
    f->controller->SeekPrevMarkerRequested_();
    f->controller->SeekNextBarRequested_();
    f->controller->SeekPrevBarRequested_();
    f->controller->ContinuePlay_();
    f->controller->ReloadCurrentSong();
    QCOMPARE(CallsSince(*f->log, from), (Calls{"SeekRight", "SeekLeft", "SeekToNextMeasure",
                                               "SeekToPreviousMeasure", "Continue", "LoadSong 1"}));

    QObject* jump = f->Window()->property("jumpControl").value<QObject*>();
    QObject* popup = jump->property("popup").value<QObject*>();
    f->controller->JumpToBarStartRequested();
    QTRY_VERIFY(popup->property("opened").toBool());
}

void TestMusicalMainController::zoomStepsAnimated()
{
    f->UseFakeEngine();
    f->Create();
    const double start = f->ChildProperty("timelineControl", "viewScale").toDouble();
    f->controller->ZoomInRequested_();
    // Animated: the scale is on its way, not there yet.
    QVERIFY(f->ChildProperty("timelineControl", "viewScale").toDouble() < start + 0.6);
    QTRY_COMPARE(f->ChildProperty("timelineControl", "viewScale").toDouble(), start + 0.6);
    f->controller->ZoomOutRequested_();
    QTRY_COMPARE(f->ChildProperty("timelineControl", "viewScale").toDouble(), start);
}

// --- destruction ---

void TestMusicalMainController::destroyingStopsAPlayingEngineFirstAndTakesTheWindows_data()
{
    QTest::addColumn<bool>("playing");
    QTest::newRow("playing") << true;
    QTest::newRow("stopped") << false;
}

void TestMusicalMainController::destroyingStopsAPlayingEngineFirstAndTakesTheWindows()
{
    QFETCH(bool, playing);
    const auto windowsBefore = QGuiApplication::topLevelWindows().size();
    TransportFakeEngine* fake = f->UseFakeEngine();
    f->Create();
    fake->playing = playing;
    f->controller->onError("open while the controller goes", "Error");
    std::shared_ptr<TransportFakeEngine::Log> log = f->log;
    const std::size_t from = log->Calls().size();
    f->Destroy();
    const Calls calls = CallsSince(*log, from);
    if (playing) {
        QVERIFY(!calls.empty());
        QCOMPARE(calls.front(), std::string("Stop"));
    }
    QCOMPARE(std::count(calls.begin(), calls.end(), "Stop"), playing ? 1 : 0);
    // The window and its dialog went with it.
    QCOMPARE(QGuiApplication::topLevelWindows().size(), windowsBefore);
}

QTEST_MAIN(TestMusicalMainController)
#include "tst_musical_main_controller.moc"
