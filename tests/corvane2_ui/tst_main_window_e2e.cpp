// The program as an operator meets it, on a virtual X display with GL: a fresh data folder
// pointed at the demo server root, the real launcher and edition profile, the real engine
// playing into a PulseAudio null sink. Once over file:// and once over the reference server
// on loopback (its last song slowed so the download window can be seen). From the download
// to the end of the run: playing, the vamp, pause, jump, fade, the song's OSC cue reaching a
// listener, remote play over OSC, the menu, a marker saved with Ctrl+S and shared, and the
// close that asks and saves. Each state is saved as a picture next to the test program.
#include "CorvanePlayerFactory.h"
#include "FreeOscPort.h"
#include "AudioInterface.h"
#include "Interface.h"
#include "IsolatedDataHome.h"
#include "Launcher.h"
#include "MenuEntry.h"
#include "MusicalMainController.h"
#include "NetworkApiInterface.h"
#include "OscMessage.h"
#include "OscUdpClient.h"
#include "PulseNullSink.h"
#include "PulseProbe.h"
#include "QmlModuleLoader.h"
#include "QuitProbe.h"
#include "ReferenceServerProcess.h"
#include "ShowDownloaderController.h"
#include "ShowInstaller.h"
#include "zarn_core/ShowStore.h"

#include <QColor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

static void InitImageResources()
{
    Q_INIT_RESOURCE(images);
}

namespace {

PulseNullSink* g_sink = nullptr;

void Append(std::vector<float>& to, const std::vector<float>& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

// The longest run of stereo frames with both samples at or below the threshold.
int64_t LongestQuiet(const std::vector<float>& stereo, float threshold)
{
    int64_t longest = 0, run = 0;
    for (size_t i = 0; i + 1 < stereo.size(); i += 2) {
        run = (std::abs(stereo[i]) <= threshold && std::abs(stereo[i + 1]) <= threshold) ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

QQuickItem* FindItem(QObject* root, const char* name)
{
    auto* item = root->findChild<QQuickItem*>(QString::fromLatin1(name));
    if (!item)
        qWarning("no item named %s", name);
    return item;
}

// A real press and release at the item's centre, as the operator's mouse makes it.
bool Click(QQuickWindow* window, QQuickItem* item)
{
    if (!item || !item->isVisible() || !item->isEnabled())
        return false;
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    return true;
}

QList<QQuickWindow*> VisibleDialogs(QWindow* main)
{
    QList<QQuickWindow*> dialogs;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        auto* quick = qobject_cast<QQuickWindow*>(window);
        if (quick && quick != main && quick->isVisible())
            dialogs.append(quick);
    }
    return dialogs;
}

QString DialogTitle(QWindow* main)
{
    const auto dialogs = VisibleDialogs(main);
    return dialogs.size() == 1 ? dialogs.first()->property("title").toString() : QString();
}

// The one window besides the main window, once it is on screen.
QQuickWindow* OnlyDialog(QWindow* main)
{
    const auto dialogs = VisibleDialogs(main);
    return dialogs.size() == 1 ? dialogs.first() : nullptr;
}

// The OSC commands that reached a UDP port.
class OscListener
{
public:
    bool Listen(quint16 port) { return socket_.bind(QHostAddress::LocalHost, port); }
    quint16 Port() const { return socket_.localPort(); }

    QStringList Commands()
    {
        while (socket_.hasPendingDatagrams()) {
            QByteArray datagram(int(socket_.pendingDatagramSize()), '\0');
            socket_.readDatagram(datagram.data(), datagram.size());
            std::size_t used = 0;
            commands_ << QString::fromStdString(
                zarn::osc::ParseOscMessage(datagram.constData(), std::size_t(datagram.size()), used).address);
        }
        return commands_;
    }

private:
    QUdpSocket socket_;
    QStringList commands_;
};

// Every colour a lamp takes, in order.
class LampWatch : public QObject
{
    Q_OBJECT

public:
    explicit LampWatch(QQuickItem* lamp) : lamp_(lamp)
    {
        connect(lamp, SIGNAL(colorChanged()), this, SLOT(Record()));
    }

    QList<QColor> colours;

private slots:
    void Record() { colours << lamp_->property("color").value<QColor>(); }

private:
    QQuickItem* lamp_;
};

QStringList LogNames(const std::filesystem::path& folder)
{
    QStringList names = QDir(QString::fromStdString(folder.string())).entryList({QStringLiteral("*.logdata")});
    names.sort();
    return names;
}

} // namespace

class TestMainWindowEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void showOpensAndPlays_data();
    void showOpensAndPlays();

private:
    void Shot(QQuickWindow* window, const QString& row, const char* state);
    QString MeasureText() const;

    QQuickWindow* window_ = nullptr;
};

void TestMainWindowEndToEnd::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X display with GL (run under run_under_xvfb.sh)");
    if (!g_sink->Started())
        QSKIP(qPrintable(QStringLiteral("no PulseAudio: ") + g_sink->Problem()));
}

void TestMainWindowEndToEnd::Shot(QQuickWindow* window, const QString& row, const char* state)
{
    const QImage image = window->grabWindow();
    QVERIFY(!image.isNull());
    const QString file =
        QStringLiteral(CORVANE_PICTURES_DIR "/main-window-%1-%2.png").arg(row, QLatin1String(state));
    QVERIFY2(image.save(file), qPrintable(file));
}

QString TestMainWindowEndToEnd::MeasureText() const
{
    auto* text = window_ ? window_->findChild<QQuickItem*>(QStringLiteral("measureText")) : nullptr;
    return text ? text->property("text").toString() : QString();
}

void TestMainWindowEndToEnd::showOpensAndPlays_data()
{
    QTest::addColumn<bool>("overHttp");
    QTest::newRow("file") << false;
    QTest::newRow("http") << true;
}

void TestMainWindowEndToEnd::showOpensAndPlays()
{
    QFETCH(bool, overHttp);
    const QString row = QString::fromLatin1(QTest::currentDataTag());

    IsolatedDataHome home;
    QTemporaryDir serverRoot;
    QVERIFY(serverRoot.isValid());
    std::filesystem::copy(CORVANE_DEMO_SERVER_ROOT, serverRoot.path().toStdString(),
                          std::filesystem::copy_options::recursive);
    // The demo's lighting desk is moved to a port of this test's own: other tests running
    // beside it play the demo's cues to the desk's usual port.
    OscListener desk;
    QVERIFY(desk.Listen(0));
    {
        QFile log(serverRoot.filePath(QStringLiteral("changelogs/lanterns-1.0.logdata")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QByteArray text = log.readAll();
        log.close();
        QVERIFY(text.contains("\"port\":53000"));
        text.replace("\"port\":53000", "\"port\":" + QByteArray::number(desk.Port()));
        QVERIFY(log.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(log.write(text), text.size());
    }
    const std::filesystem::path dataFolder = std::filesystem::path(home.path().toStdString()) / "corvane";
    zarn::tools::ShowInstaller::Install(serverRoot.path().toStdString(), dataFolder);
    const int oscPort = UseFreeOscPort(dataFolder);

    std::unique_ptr<ReferenceServerProcess> server;
    if (overHttp) {
        // The last song's audio holds the download long enough to be seen.
        server = std::make_unique<ReferenceServerProcess>(
            serverRoot.path(), QStringList{"--slow-path", "/files/audio/5.wav", "--slow-ms", "2000"});
        QString problem;
        QVERIFY2(server->Start(&problem), qPrintable(problem));
        cmn::ShowStore installed(dataFolder);
        std::vector<cmn::ShowRecord> records = installed.Shows();
        for (cmn::ShowRecord& record : records)
            record.apiBaseUrl = server->BaseUrl().toStdString();
        cmn::ShowStore::Write(dataFolder, installed.CurrentShowId(), records, server->BaseUrl().toStdString());
    }

    QQmlApplicationEngine qml;
    zarn::qt::QmlModuleLoader::PrepareEngine(qml);
    auto launcher =
        std::make_unique<zarn::qt::Launcher>(&qml, std::make_unique<zarn::qt::CorvanePlayerFactory>(), nullptr);
    auto cleanup = qScopeGuard([&] {
        window_ = nullptr;
        launcher.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    });

    // The demo is fetched in the download window; the main window opens after it.
    QVERIFY(launcher->GetDownloader());
    auto* download = qobject_cast<QQuickWindow*>(launcher->GetDownloader()->GetQmlObject());
    QVERIFY(download);
    QCOMPARE(download->title(), QStringLiteral("Downloading Show"));
    if (overHttp) {
        QVERIFY(QTest::qWaitForWindowExposed(download));
        auto* status = download->property("statusText").value<QObject*>();
        QVERIFY(status);
        QTRY_VERIFY_WITH_TIMEOUT(status->property("text").toString().startsWith("Downloading audio/5.wav ("), 10000);
        Shot(download, row, "downloading");
    }
    QTRY_VERIFY_WITH_TIMEOUT(launcher->GetMainController(), 30000);
    const std::filesystem::path showFolder = cmn::ShowStore(dataFolder).CurrentShowFolder();
    QVERIFY(std::filesystem::exists(showFolder / "show.json"));
    QVERIFY(std::filesystem::exists(showFolder / "audio" / "1.wav"));

    zarn::qt::MusicalMainController* controller = launcher->GetMainController();
    QVERIFY(controller);
    window_ = qobject_cast<QQuickWindow*>(controller->GetQmlObject());
    QVERIFY(window_);
    QVERIFY(QTest::qWaitForWindowExposed(window_));
    QCOMPARE(window_->title(), QStringLiteral("Corvane - Lanterns - Hall Theatre"));
    QTRY_COMPARE(window_->property("songTitle").toString(), QStringLiteral("Overture"));
    auto* art = window_->property("albumArtImageControl").value<QQuickItem*>();
    QVERIFY(art);
    QTRY_COMPARE(art->property("status").toInt(), 1); // Image.Ready
    QVERIFY(art->isVisible());
    // The corner logo takes no more room than it paints, so the banner keeps its panels' widths.
    QQuickItem* logo = FindItem(window_, "cornerLogo");
    QVERIFY(logo);
    QTRY_COMPARE(logo->width(), logo->property("paintedWidth").toReal());
    QCOMPARE(FindItem(window_, "songPanel")->width(), 175.0);

    // The performance notice comes first; the list of fetched files waits behind it.
    QTRY_COMPARE(DialogTitle(window_), QStringLiteral("Welcome to Corvane"));
    QQuickWindow* notice = VisibleDialogs(window_).first();
    QVERIFY(QTest::qWaitForWindowExposed(notice));
    Shot(window_, row, "opened");
    QQuickItem* ok = FindItem(notice, "okButton");
    QVERIFY(ok && !ok->isEnabled());
    QVERIFY(Click(notice, FindItem(notice, "acknowledgeBox")));
    QTRY_VERIFY(ok->isEnabled());
    QVERIFY(Click(notice, ok));
    QTRY_COMPARE(DialogTitle(window_), QStringLiteral("Files Were Updated"));
    QQuickWindow* updated = VisibleDialogs(window_).first();
    QVERIFY(QTest::qWaitForWindowExposed(updated));
    QVERIFY(Click(updated, FindItem(updated, "okButton")));
    QTRY_VERIFY(VisibleDialogs(window_).isEmpty());

    // The demo's first song opens with a cue to the lighting desk on this machine; reached
    // while stopped, it waits for Play.

    // Play: the bars advance, a stream reaches the sink, the playhead moves.
    auto* playhead = window_->property("timelineControl").value<QObject*>()->property("playheadItem").value<QQuickItem*>();
    QVERIFY(playhead);
    const qreal playheadAtStart = playhead->x();
    QVERIFY(Click(window_, FindItem(window_, "playButton")));
    QTRY_COMPARE_WITH_TIMEOUT(MeasureText(), QStringLiteral("0002"), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(!g_sink->SinkInputs().trimmed().isEmpty(), 10000);
    QTRY_VERIFY(playhead->x() > playheadAtStart);
    // What the sink plays is recorded from its monitor: the show is heard.
    PulseProbe listener;
    QVERIFY2(listener.Connected(), listener.Problem().c_str());
    QVERIFY(listener.Record("corvane_null.monitor", 48000));
    const auto loudFrames = [](const std::vector<float>& stereo) {
        int64_t loud = 0;
        for (size_t i = 0; i + 1 < stereo.size(); i += 2)
            loud += std::abs(stereo[i]) > 0.01f || std::abs(stereo[i + 1]) > 0.01f;
        return loud;
    };
    std::vector<float> heard;
    QTRY_VERIFY_WITH_TIMEOUT((Append(heard, listener.Take()), loudFrames(heard) > 48000 / 2), 10000);
    Shot(window_, row, "playing");
    QTRY_COMPARE_WITH_TIMEOUT(desk.Commands(), QStringList{"/cue/1/go"}, 10000);

    // Bar 3 opens a vamp: the flow cell turns blue and exit vamp glows until it is pressed.
    QTRY_COMPARE_WITH_TIMEOUT(window_->property("flowControlLabel").toString(), QStringLiteral("Vamp"), 15000);
    QCOMPARE(window_->property("flowControlBackgroundColor").value<QColor>(), QColor(QStringLiteral("#00BFFF")));
    QTRY_VERIFY(window_->property("highlightContinueButton").toBool());
    Shot(window_, row, "vamp");
    // The vamp loops with sound all through: in two seconds of it nothing like a beat is
    // silent (a busy machine may starve the sound server for a block or two).
    listener.Take();
    heard.clear();
    QTRY_VERIFY_WITH_TIMEOUT((Append(heard, listener.Take()), heard.size() >= 2 * 2 * 48000), 10000);
    QCOMPARE(window_->property("flowControlLabel").toString(), QStringLiteral("Vamp"));
    const int64_t quiet = LongestQuiet(heard, 0.01f);
    QVERIFY2(quiet < 48000 / 4, qPrintable(QString("%1 frames of silence in the vamp").arg(quiet)));
    QVERIFY(Click(window_, FindItem(window_, "exitVampButton")));
    QTRY_VERIFY_WITH_TIMEOUT(!window_->property("highlightContinueButton").toBool(), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(window_->property("flowControlLabel").toString() != QLatin1String("Vamp"), 15000);
    Shot(window_, row, "vamp-left");

    // Pause holds the position; Play goes on from it.
    auto* playControl = window_->property("playControl").value<QObject*>();
    QVERIFY(Click(window_, FindItem(window_, "pauseButton")));
    QTRY_VERIFY(playControl->property("pauseToggled").toBool());
    QCoreApplication::processEvents();
    const QString pausedAt = MeasureText() + window_->property("beat").toString();
    const qreal pausedPlayhead = playhead->x();
    // Nothing is awaited here: the check is that nothing changes over two beats.
    QTest::qWait(1000);
    QCOMPARE(MeasureText() + window_->property("beat").toString(), pausedAt);
    QCOMPARE(playhead->x(), pausedPlayhead);
    Shot(window_, row, "paused");
    QVERIFY(Click(window_, FindItem(window_, "playButton")));
    QTRY_VERIFY_WITH_TIMEOUT(MeasureText() + window_->property("beat").toString() != pausedAt, 10000);
    QTRY_VERIFY(!playControl->property("pauseToggled").toBool());

    // A click on the bar number opens the prompt; bar 3 is reached while playing.
    QVERIFY(Click(window_, FindItem(window_, "measureArea")));
    auto* popup = window_->findChild<QObject*>(QStringLiteral("jumpPopup"));
    QVERIFY(popup);
    QTRY_VERIFY(popup->property("opened").toBool());
    QQuickItem* field = FindItem(window_, "barField");
    QTRY_VERIFY(field && field->hasActiveFocus());
    QTest::keyClick(window_, Qt::Key_3);
    QCOMPARE(field->property("text").toString(), QStringLiteral("3"));
    QVERIFY(Click(window_, FindItem(window_, "okButton")));
    QTRY_COMPARE(MeasureText(), QStringLiteral("0003"));
    QTRY_VERIFY(!popup->property("opened").toBool());
    Shot(window_, row, "bar-3");

    // A click on fade fades out over 3 s and goes on to the next song.
    QElapsedTimer fade;
    fade.start();
    QVERIFY(Click(window_, FindItem(window_, "fadeButton")));
    QTRY_COMPARE_WITH_TIMEOUT(window_->property("songTitle").toString(), QStringLiteral("Waltz of the Lanterns"), 20000);
    const qint64 fadeMs = fade.elapsed();
    qInfo("fade to song 2 took %lld ms", fadeMs);
    QVERIFY2(fadeMs >= 2500 && fadeMs < 12000, qPrintable(QString::number(fadeMs)));
    Shot(window_, row, "song-2");

    // Stopped, an OSC /zarn/play from another program plays and lights the OSC lamp.
    const std::shared_ptr<Interface> engine = controller->GetEngine();
    QVERIFY(Click(window_, FindItem(window_, "stopButton")));
    QTRY_VERIFY(!engine->GetIsPlaying());
    QCoreApplication::processEvents();
    const QString stoppedAt = MeasureText() + window_->property("beat").toString();
    QQuickItem* oscLamp = FindItem(window_, "oscLamp");
    QVERIFY(oscLamp);
    const QColor lampOff = oscLamp->property("color").value<QColor>();
    LampWatch lamp(oscLamp);
    zarn::osc::OscUdpClient remote;
    QVERIFY(remote.send(QStringLiteral("/zarn/play"), QHostAddress::LocalHost, oscPort));
    QTRY_VERIFY_WITH_TIMEOUT(engine->GetIsPlaying(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(MeasureText() + window_->property("beat").toString() != stoppedAt, 10000);
    // The lamp is lit in the incoming colour, then goes back.
    QTRY_VERIFY(lamp.colours.size() >= 2);
    QVERIFY(lamp.colours.first() != lampOff);
    QTRY_COMPARE(oscLamp->property("color").value<QColor>(), lampOff);
    Shot(window_, row, "osc-play");
    QVERIFY(Click(window_, FindItem(window_, "stopButton")));
    QTRY_VERIFY(!engine->GetIsPlaying());
    // Not a check (a busy machine may preempt a screen's call while it holds the engine):
    // how often the sound waited too long for the screens.
    if (const auto* audio = dynamic_cast<const AudioInterface*>(engine.get()))
        qInfo("blocks played silent waiting for the engine's lock: %lld", static_cast<long long>(audio->SilentBlocks()));

    // The menu icon opens the menu; Escape closes it.
    QObject* menuItem = window_->property("menu").value<QObject*>();
    QVERIFY(menuItem);
    auto* menuIcon = menuItem->findChild<QQuickItem*>(QStringLiteral("menuIcon"));
    QObject* menu = menuItem->property("popupMenu").value<QObject*>();
    QVERIFY(menuIcon && menu);
    QTest::mouseClick(window_, Qt::LeftButton, {}, menuIcon->mapToScene(QPointF(10, 10)).toPoint());
    QTRY_VERIFY(menu->property("opened").toBool());
    QVERIFY(MenuEntry(menu, QStringLiteral("Player")));
    Shot(window_, row, "menu");
    QTest::keyClick(window_, Qt::Key_Escape);
    QTRY_VERIFY(!menu->property("opened").toBool());

    // A marker from the edit bar, saved with Ctrl+S as the next minor version.
    const QStringList logsBefore = LogNames(showFolder);
    QCOMPARE(logsBefore, QStringList{"lanterns-1.0.logdata"});
    QVERIFY(Click(window_, FindItem(window_, "markerButton")));
    QQuickWindow* markerTool = nullptr;
    QTRY_VERIFY((markerTool = OnlyDialog(window_)));
    QVERIFY(QTest::qWaitForWindowExposed(markerTool));
    QQuickItem* markerInput = FindItem(markerTool, "markerInput");
    QVERIFY(Click(markerTool, markerInput));
    QTRY_VERIFY(markerTool->activeFocusItem() && markerTool->activeFocusItem()->inherits("QQuickTextInput"));
    for (const char key : std::string("House lights"))
        QTest::keyClick(markerTool, key);
    Shot(markerTool, row, "marker-tool");
    QVERIFY(Click(markerTool, FindItem(markerTool, "okButton")));
    QTRY_VERIFY(VisibleDialogs(window_).isEmpty());
    QVERIFY(controller->HasUnsavedChanges());
    window_->requestActivate();
    QVERIFY(QTest::qWaitForWindowActive(window_));
    QTest::keyClick(window_, Qt::Key_S, Qt::ControlModifier);
    QTRY_COMPARE(DialogTitle(window_), QStringLiteral("Save Complete"));
    QCOMPARE(LogNames(showFolder), (QStringList{"lanterns-1.0.logdata", "lanterns-1.1.logdata"}));
    QVERIFY(!controller->HasUnsavedChanges());
    Shot(OnlyDialog(window_), row, "saved");
    QVERIFY(Click(OnlyDialog(window_), FindItem(OnlyDialog(window_), "okButton")));
    QTRY_VERIFY(VisibleDialogs(window_).isEmpty());

    // Share: the server holds 1.0 and 2.0, so the edits go out as 3.0.
    QVERIFY(Click(window_, FindItem(window_, "shareButton")));
    QTRY_COMPARE_WITH_TIMEOUT(DialogTitle(window_), QStringLiteral("Share Complete"), 10000);
    {
        const cmn::ShowStore installed(dataFolder);
        const auto shows = installed.Shows();
        QVERIFY(!shows.empty());
        zarn::networking::NetworkApiInterface api(shows.front().apiBaseUrl);
        api.SetCredential(shows.front().authHash, zarn::qt::CorvanePlayerFactory().productNumber);
        const auto latest = api.GetLatestLog();
        QCOMPARE(latest.status, zarn::networking::NetworkApiInterface::API_SUCCESS);
        QCOMPARE(int(latest.data->major), 3);
        QCOMPARE(int(latest.data->minor), 0);
    }
    QVERIFY(Click(OnlyDialog(window_), FindItem(OnlyDialog(window_), "okButton")));
    QTRY_VERIFY(VisibleDialogs(window_).isEmpty());

    // Another marker, then the window's close: the prompt, and "Save and Close" saves and ends.
    QVERIFY(Click(window_, FindItem(window_, "markerButton")));
    QTRY_VERIFY((markerTool = OnlyDialog(window_)));
    QVERIFY(QTest::qWaitForWindowExposed(markerTool));
    QVERIFY(Click(markerTool, FindItem(markerTool, "okButton")));
    QTRY_VERIFY(VisibleDialogs(window_).isEmpty());
    QVERIFY(controller->HasUnsavedChanges());
    const QStringList logsBeforeClose = LogNames(showFolder);
    QVERIFY(QuitCodeOf([&] { window_->close(); }) == std::nullopt);
    QTRY_COMPARE(DialogTitle(window_), QStringLiteral("Unsaved Changes"));
    QQuickWindow* prompt = OnlyDialog(window_);
    QVERIFY(QTest::qWaitForWindowExposed(prompt));
    Shot(prompt, row, "close-prompt");
    QCOMPARE(prompt->property("acceptButtonText").toString(), QStringLiteral("Save and Close"));
    QCOMPARE(QuitCodeOf([&] { QVERIFY(Click(prompt, FindItem(prompt, "acceptButton"))); }), std::optional<int>(0));
    QCOMPARE(LogNames(showFolder).size(), logsBeforeClose.size() + 1);
}

int main(int argc, char** argv)
{
    // The null sink must be in place before Qt Multimedia first looks for a server.
    PulseNullSink sink;
    g_sink = &sink;
    InitImageResources();
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QGuiApplication app(argc, argv);
    TestMainWindowEndToEnd test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_main_window_e2e.moc"
