// The program as an operator meets it, on a virtual X display with GL: a fresh data folder
// pointed at the demo server root, the real launcher and edition profile, the real engine
// playing into a PulseAudio null sink. Once over file:// and once over the reference server
// on loopback. Each state is saved as a picture next to the test program for looking at.
#include "CorvanePlayerFactory.h"
#include "FreeOscPort.h"
#include "IsolatedDataHome.h"
#include "Launcher.h"
#include "MusicalMainController.h"
#include "PulseNullSink.h"
#include "QmlModuleLoader.h"
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
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <memory>

static void InitImageResources()
{
    Q_INIT_RESOURCE(images);
}

namespace {

PulseNullSink* g_sink = nullptr;

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
    const std::filesystem::path dataFolder = std::filesystem::path(home.path().toStdString()) / "corvane";
    zarn::tools::ShowInstaller::Install(serverRoot.path().toStdString(), dataFolder);
    UseFreeOscPort(dataFolder);

    std::unique_ptr<ReferenceServerProcess> server;
    if (overHttp) {
        server = std::make_unique<ReferenceServerProcess>(serverRoot.path());
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

    // Play: the bars advance, a stream reaches the sink, the playhead moves.
    auto* playhead = window_->property("timelineControl").value<QObject*>()->property("playheadItem").value<QQuickItem*>();
    QVERIFY(playhead);
    const qreal playheadAtStart = playhead->x();
    QVERIFY(Click(window_, FindItem(window_, "playButton")));
    QTRY_COMPARE_WITH_TIMEOUT(MeasureText(), QStringLiteral("0002"), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(!g_sink->SinkInputs().trimmed().isEmpty(), 10000);
    QTRY_VERIFY(playhead->x() > playheadAtStart);
    Shot(window_, row, "playing");

    // Bar 3 opens a vamp: the flow cell turns blue and exit vamp glows until it is pressed.
    QTRY_COMPARE_WITH_TIMEOUT(window_->property("flowControlLabel").toString(), QStringLiteral("Vamp"), 15000);
    QCOMPARE(window_->property("flowControlBackgroundColor").value<QColor>(), QColor(QStringLiteral("#00BFFF")));
    QTRY_VERIFY(window_->property("highlightContinueButton").toBool());
    Shot(window_, row, "vamp");
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
