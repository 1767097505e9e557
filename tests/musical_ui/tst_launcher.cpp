// The launcher from the start-up check to the one main window: a server that refuses, the
// download window over the reference server (a slow file to cancel or close under, a failing
// file), a complete fetch over file:// with its notice, a second completion, and a change
// log too new to read, directly and after a download.
#include "DialogController.h"
#include "FreeOscPort.h"
#include "Launcher.h"
#include "MainWindowFixture.h"
#include "MusicalMainController.h"
#include "QmlModuleLoader.h"
#include "ReferenceServerProcess.h"
#include "ShowDownloaderController.h"
#include "ShowInstaller.h"
#include "TestPlayerProfile.h"
#include "TransportFakeEngine.h"
#include "zarn_core/ShowStore.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <thread>

using zarn::qt::Launcher;

namespace {

const QString kIncompleteText = QString::fromLatin1(Launcher::kIncompleteText);

// What a call writes to standard error.
class CerrCapture
{
public:
    CerrCapture() : old_(std::cerr.rdbuf(text_.rdbuf())) {}
    ~CerrCapture() { std::cerr.rdbuf(old_); }
    std::string Text() const { return text_.str(); }

private:
    std::ostringstream text_;
    std::streambuf* old_;
};

void ReplaceInFile(const std::filesystem::path& path, const std::string& from, const std::string& to)
{
    std::ifstream in(path, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    in.close();
    const auto at = text.find(from);
    if (at == std::string::npos)
        throw std::runtime_error("no " + from + " in " + path.string());
    text.replace(at, from.size(), to);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Main windows on screen.
int MainWindows()
{
    int count = 0;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->isVisible() && window->property("songTitle").isValid())
            ++count;
    }
    return count;
}

bool Click(QQuickWindow* window, QQuickItem* item)
{
    if (!window || !item || !item->isVisible() || !item->isEnabled())
        return false;
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    return true;
}

QString Property(QObject* object, const char* name)
{
    return object ? object->property(name).toString() : QString();
}

// A launcher's run in a data folder of its own: the demo installed from a copy of its server
// root, fetched over file:// or from the reference server, or (refused) a demo show already
// in place with a server that refuses.
class LauncherRun
{
public:
    LauncherRun() : qml(std::make_unique<QQmlApplicationEngine>())
    {
        zarn::qt::QmlModuleLoader::PrepareEngine(*qml);
        dataFolder = std::filesystem::path(home.path().toStdString()) / TestPlayerProfile().folderName.toStdString();
        UseFreeOscPort(dataFolder);
        std::filesystem::copy(CORVANE_DEMO_ROOT, serverRoot.path().toStdString(),
                              std::filesystem::copy_options::recursive);
    }

    ~LauncherRun()
    {
        launcher.reset();
        MainWindowFixture::FlushDeletes();
        qml.reset();
        MainWindowFixture::FlushDeletes();
    }

    std::filesystem::path RootPath() const { return serverRoot.path().toStdString(); }
    std::filesystem::path ShowFolder() const { return dataFolder / "lanterns"; }

    void InstallOverFile() { zarn::tools::ShowInstaller::Install(RootPath(), dataFolder); }

    bool InstallOverHttp(const QStringList& extra, QString* problem)
    {
        server = std::make_unique<ReferenceServerProcess>(serverRoot.path(), extra);
        if (!server->Start(problem))
            return false;
        InstallOverFile();
        PointAt(server->BaseUrl().toStdString());
        return true;
    }

    // The demo show in place, its server refusing.
    void InstallRefused()
    {
        std::filesystem::create_directories(dataFolder);
        std::filesystem::copy(CORVANE_DEMO_SHOW, ShowFolder(), std::filesystem::copy_options::recursive);
        InstallOverFile();
        PointAt("http://127.0.0.1:1");
    }

    void Start()
    {
        auto profile = std::make_unique<TestPlayerProfile>();
        if (fakeEngine)
            profile->makeEngine = [](const QString&) -> std::unique_ptr<Interface> {
                return std::make_unique<TransportFakeEngine>();
            };
        launcher = std::make_unique<Launcher>(qml.get(), std::move(profile), nullptr);
    }

    QQuickWindow* DownloadWindow() const
    {
        auto* downloader = launcher->GetDownloader();
        return downloader ? qobject_cast<QQuickWindow*>(downloader->GetQmlObject()) : nullptr;
    }

    QObject* DownloadWindowPart(const char* alias) const
    {
        QQuickWindow* window = DownloadWindow();
        return window ? window->property(alias).value<QObject*>() : nullptr;
    }

    QObject* MainDialog() const
    {
        auto* main = launcher->GetMainController();
        auto* dialog = main ? main->GetCurrentDialog() : nullptr;
        return dialog ? dialog->GetQmlObject() : nullptr;
    }

    IsolatedDataHome home;
    QTemporaryDir serverRoot;
    std::unique_ptr<ReferenceServerProcess> server;
    std::filesystem::path dataFolder;
    std::unique_ptr<QQmlApplicationEngine> qml;
    std::unique_ptr<Launcher> launcher;
    bool fakeEngine = true;

private:
    void PointAt(const std::string& base)
    {
        cmn::ShowStore installed(dataFolder);
        std::vector<cmn::ShowRecord> records = installed.Shows();
        for (cmn::ShowRecord& record : records)
            record.apiBaseUrl = base;
        cmn::ShowStore::Write(dataFolder, installed.CurrentShowId(), records, base);
    }
};

// Runs the application's event loop until the launcher ends the run (its exit code) or 10 s
// pass (-1). The application's own loop, not a local one: an exit leaves every later local
// loop of the thread returning at once until the application's loop runs again.
int RunUntilExit(const std::function<void()>& action)
{
    QObject context;
    QTimer::singleShot(10000, &context, [] { QCoreApplication::exit(-1); });
    QTimer::singleShot(0, &context, action);
    return QCoreApplication::exec();
}

} // namespace

class TestLauncher : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        // The launcher turns it off for the run; each case must see it turned off again.
        QGuiApplication::setQuitOnLastWindowClosed(true);
    }

    // No answer, no download: the line on standard error and the main window at once.
    void refusedServerOpensTheMainWindowAtOnce()
    {
        LauncherRun run;
        run.InstallRefused();
        CerrCapture cerr;
        run.Start();
        const QString line = QString::fromStdString(cerr.Text());
        QVERIFY2(line.startsWith("Getting file list failed: ") && line.size() > 26, qPrintable(line));
        QVERIFY(run.launcher->GetMainController());
        QVERIFY(!run.launcher->GetDownloader());
        QCOMPARE(MainWindows(), 1);
        QVERIFY(!run.MainDialog());
        QVERIFY(!QGuiApplication::quitOnLastWindowClosed());
    }

    // A slow file holds the download: the window shows what it fetches and how much of the
    // whole has arrived; Cancel, or the platform closing the window, opens one main window
    // that says the download did not finish.
    void stoppedDownloadOpensOneMainWindow_data()
    {
        QTest::addColumn<bool>("byCancel");
        QTest::newRow("Cancel") << true;
        QTest::newRow("window closed") << false;
    }

    void stoppedDownloadOpensOneMainWindow()
    {
        QFETCH(bool, byCancel);
        LauncherRun run;
        QString problem;
        QVERIFY2(run.InstallOverHttp({"--slow-path", "/files/audio/5.wav", "--slow-ms", "60000"}, &problem),
                 qPrintable(problem));
        run.Start();
        QVERIFY(!run.launcher->GetMainController());
        QQuickWindow* window = run.DownloadWindow();
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->title(), QStringLiteral("Downloading Show"));
        QTRY_VERIFY_WITH_TIMEOUT(Property(run.DownloadWindowPart("statusText"), "text").startsWith(
                                     "Downloading audio/5.wav ("),
                                 10000);
        // Album art and songs 1 to 4 (3,139,303 bytes) of 3.6 MiB.
        QTRY_COMPARE(Property(run.DownloadWindowPart("sizeLabel"), "text"), QStringLiteral("2/3 MB"));

        if (byCancel) {
            QVERIFY(Click(window, qobject_cast<QQuickItem*>(run.DownloadWindowPart("cancelButton"))));
            QTRY_VERIFY_WITH_TIMEOUT(run.launcher->GetMainController(), 5000);
        } else {
            window->close();
            QVERIFY(run.launcher->GetMainController());
        }
        QVERIFY(!run.launcher->GetDownloader());
        QTRY_COMPARE(Property(run.MainDialog(), "title"), QStringLiteral("Download Incomplete"));
        QCOMPARE(Property(run.MainDialog(), "text"), kIncompleteText);
        QCOMPARE(Property(run.MainDialog(), "type"), zarn::qt::DialogController::TypeName(zarn::qt::DialogController::Warning));
        QCoreApplication::processEvents();
        QCOMPARE(MainWindows(), 1);
        QVERIFY(!std::filesystem::exists(run.ShowFolder() / "audio" / "5.wav"));
        QVERIFY(std::filesystem::exists(run.ShowFolder() / "audio" / "4.wav"));
    }

    // A failing file: the download window's "Error" with the library's text; its OK or its
    // title-bar close opens the main window, which says the download did not finish.
    void failedDownloadOpensTheMainWindowAfterTheError_data()
    {
        QTest::addColumn<bool>("byOk");
        QTest::newRow("OK") << true;
        QTest::newRow("title-bar close") << false;
    }

    void failedDownloadOpensTheMainWindowAfterTheError()
    {
        QFETCH(bool, byOk);
        LauncherRun run;
        QString problem;
        QVERIFY2(run.InstallOverHttp({"--fail-path", "/files/audio/3.wav"}, &problem), qPrintable(problem));
        run.Start();
        auto* dialog = qobject_cast<QQuickWindow*>(run.DownloadWindowPart("errorDialog"));
        QVERIFY(dialog);
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), 10000);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QCOMPARE(Property(dialog, "title"), QStringLiteral("Error"));
        QCOMPARE(Property(dialog, "text"), QStringLiteral("Download of audio/3.wav failed: Injected failure (HTTP 500)"));
        QTRY_VERIFY(!run.DownloadWindow()->isVisible());
        // Closing the error dialog leaves no window up; the run must go on regardless.
        QVERIFY(!QGuiApplication::quitOnLastWindowClosed());
        QVERIFY(!run.launcher->GetMainController());

        if (byOk)
            QVERIFY(Click(dialog, dialog->findChild<QQuickItem*>(QStringLiteral("okButton"))));
        else
            dialog->close();
        QTRY_VERIFY(run.launcher->GetMainController());
        QVERIFY(!run.launcher->GetDownloader());
        QCOMPARE(Property(run.MainDialog(), "title"), QStringLiteral("Download Incomplete"));
        QCoreApplication::processEvents();
        QCOMPARE(MainWindows(), 1);
    }

    // Every file fetched: "Files Were Updated" with what changed. A second completion, late
    // or queued behind the window's close, leaves the one main window alone.
    void completeDownloadOpensOneMainWindow_data()
    {
        QTest::addColumn<bool>("closeWithCompletionQueued");
        QTest::newRow("completion, then a late one") << false;
        QTest::newRow("window closed with the completion queued") << true;
    }

    void completeDownloadOpensOneMainWindow()
    {
        QFETCH(bool, closeWithCompletionQueued);
        LauncherRun run;
        run.InstallOverFile();
        run.Start();
        QVERIFY(run.launcher->GetDownloader());

        if (closeWithCompletionQueued) {
            // Waits without running the event loop, so the completion stays queued.
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (!run.launcher->GetDownloader()->FetchedEveryFile() && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            QVERIFY(run.launcher->GetDownloader()->FetchedEveryFile());
            run.DownloadWindow()->close();
            QVERIFY(run.launcher->GetMainController());
        }
        QTRY_VERIFY_WITH_TIMEOUT(run.launcher->GetMainController(), 20000);
        zarn::qt::MusicalMainController* main = run.launcher->GetMainController();
        QVERIFY(!run.launcher->GetDownloader());
        QCOMPARE(Property(run.MainDialog(), "title"), QStringLiteral("Files Were Updated"));
        QCOMPARE(Property(run.MainDialog(), "text"),
                 QStringLiteral("The event log has been updated to version 1.0 and the show files have been "
                                "repaired or updated to the latest version."));
        QObject* notice = run.MainDialog();

        QCoreApplication::processEvents();
        run.launcher->LaunchCorvaneMainController();
        run.launcher->onShowDownloadComplete();
        QCoreApplication::processEvents();
        QCOMPARE(run.launcher->GetMainController(), main);
        QCOMPARE(run.MainDialog(), notice);
        QCOMPARE(MainWindows(), 1);
    }

    // A change log too new to read: "Loading Edits Failed" is the only window, after a
    // download as without one, and closing it ends the run.
    void versionErrorShowsOnlyLoadingEditsFailed_data()
    {
        QTest::addColumn<bool>("afterDownload");
        QTest::newRow("after a download") << true;
        QTest::newRow("nothing to fetch") << false;
    }

    void versionErrorShowsOnlyLoadingEditsFailed()
    {
        QFETCH(bool, afterDownload);
        LauncherRun run;
        run.fakeEngine = false; // the engine reads the change log
        const std::string from = "\"format\":\"1.0\"";
        const std::string to = "\"format\":\"9.0\"";
        if (afterDownload) {
            ReplaceInFile(run.RootPath() / "changelogs" / "lanterns-1.0.logdata", from, to);
            run.InstallOverFile();
        } else {
            run.InstallRefused();
            ReplaceInFile(run.ShowFolder() / "lanterns-1.0.logdata", from, to);
        }
        CerrCapture cerr;
        run.Start();
        QTRY_VERIFY_WITH_TIMEOUT(run.launcher->GetMessageDialog(), 20000);
        QVERIFY(!run.launcher->GetMainController());
        QVERIFY(!run.launcher->GetDownloader());
        auto* dialog = qobject_cast<QQuickWindow*>(run.launcher->GetMessageDialog()->GetQmlObject());
        QVERIFY(dialog);
        QCOMPARE(Property(dialog, "title"), QStringLiteral("Loading Edits Failed"));
        QVERIFY(Property(dialog, "text").startsWith("Loading show edits failed with the following error: "));
        QCOMPARE(Property(dialog, "type"), zarn::qt::DialogController::TypeName(zarn::qt::DialogController::Error));
        QTRY_COMPARE(MainWindows(), 0);
        QTRY_VERIFY(MainWindowFixture::VisibleDialogs() == QList<QWindow*>{dialog});
        for (QWindow* window : QGuiApplication::topLevelWindows())
            QVERIFY2(!window->isVisible() || window == dialog, qPrintable(window->objectName()));
        QVERIFY(QTest::qWaitForWindowExposed(dialog));

        // A late completion does not try again.
        run.launcher->LaunchCorvaneMainController();
        QCOMPARE(run.launcher->GetMessageDialog()->GetQmlObject(), dialog);

        const int exitCode = RunUntilExit([&] {
            if (afterDownload)
                dialog->close();
            else
                Click(dialog, dialog->findChild<QQuickItem*>(QStringLiteral("okButton")));
        });
        QCOMPARE(exitCode, 0);
    }
};

QTEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
