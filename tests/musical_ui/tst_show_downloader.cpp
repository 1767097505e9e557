// The show download's controller and its window: the report throttle on a clock the test
// turns, the window's status, bar and size label, and real downloads from the reference
// server (a slow file to cancel or delete under, a failing one for the error dialog).
#include "NetworkApiInterface.h"
#include "QmlModuleLoader.h"
#include "ReferenceServerProcess.h"
#include "ServerRootFixture.h"
#include "ShowDownloaderController.h"

#include <QElapsedTimer>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using zarn::qt::ShowDownloaderController;
using namespace std::chrono_literals;

namespace {

constexpr const char* kSlowFile = "/files/audio/song 1.wav";

// A report script: "E<bytes>" sets the expected total; "+<ms> <file> <received>/<total>"
// turns the clock on, then reports. Steps are separated by ";".
std::vector<std::string> RunScript(ShowDownloaderController& controller, std::chrono::steady_clock::time_point& now,
                                   const std::string& script)
{
    std::vector<std::string> events;
    const auto progress = QObject::connect(&controller, &ShowDownloaderController::progressChanged, [&](int received, int total) {
        events.push_back("p" + std::to_string(received) + "/" + std::to_string(total));
    });
    const auto totals = QObject::connect(&controller, &ShowDownloaderController::totalProgressChanged, [&](int received, int total) {
        events.push_back("t" + std::to_string(received) + "/" + std::to_string(total));
    });
    std::istringstream steps(script);
    std::string step;
    while (std::getline(steps, step, ';')) {
        std::istringstream in(step);
        std::string head;
        in >> head;
        if (head.empty())
            continue;
        if (head[0] == 'E') {
            controller.SetExpectedTotal(std::stoll(head.substr(1)));
            continue;
        }
        now += std::chrono::milliseconds(std::stoll(head.substr(1)));
        std::string file;
        std::string counts;
        in >> file >> counts;
        const auto slash = counts.find('/');
        controller.ReportProgress(file, std::stoull(counts.substr(0, slash)), std::stoull(counts.substr(slash + 1)));
    }
    QObject::disconnect(progress);
    QObject::disconnect(totals);
    return events;
}

QQuickWindow* WindowOf(const ShowDownloaderController& controller)
{
    return qobject_cast<QQuickWindow*>(controller.GetQmlObject());
}

QObject* Child(const ShowDownloaderController& controller, const char* alias)
{
    return controller.GetQmlObject()->property(alias).value<QObject*>();
}

QQuickWindow* ErrorDialog(const ShowDownloaderController& controller)
{
    return qobject_cast<QQuickWindow*>(Child(controller, "errorDialog"));
}

bool Click(QQuickWindow* window, QQuickItem* item)
{
    if (!window || !item || !item->isVisible() || !item->isEnabled())
        return false;
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    return true;
}

// A fixture's show served by the reference server and a plan to fetch it into a fresh folder.
struct ServedShow {
    ServerRootFixture root;
    std::unique_ptr<ReferenceServerProcess> server;
    QTemporaryDir target;
    std::unique_ptr<zarn::networking::DownloadPlan> plan;
    cmn::ShowRecord record;

    bool Start(const QStringList& extra, QString* problem)
    {
        server = std::make_unique<ReferenceServerProcess>(root.Root(), extra);
        if (!server->Start(problem))
            return false;
        zarn::networking::NetworkApiInterface api(server->BaseUrl().toStdString());
        api.SetCredential(ServerRootFixture::kAuth, 1);
        auto files = api.GetAllShowFiles();
        if (!files.data) {
            *problem = QString::fromStdString(files.message);
            return false;
        }
        plan = zarn::networking::ValidateDownloadPlan(zarn::networking::GetDownloadPlan(*files.data),
                                                      target.filePath(QStringLiteral("show")).toStdString());
        record.authHash = ServerRootFixture::kAuth;
        return !plan->empty();
    }
};

// Counts completions as the launcher receives them: queued, on the GUI thread.
class CompletionCounter : public QObject
{
public:
    explicit CompletionCounter(ShowDownloaderController& controller)
    {
        connect(&controller, &ShowDownloaderController::DownloadCompleteSignal, this,
                [this](const cmn::ShowRecord& record) {
                    ++count;
                    last = record;
                },
                Qt::QueuedConnection);
    }
    int count = 0;
    cmn::ShowRecord last;
};

} // namespace

class TestShowDownloader : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        qml_ = std::make_unique<QQmlApplicationEngine>();
        zarn::qt::QmlModuleLoader::PrepareEngine(*qml_);
    }

    void cleanup()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        qml_.reset();
    }

    void reportsPassTheThrottle_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("a total of 0 changes nothing") << "E2000; +200 A 0/0; +1 A 10/100"
                                                      << QStringList{"p10/100", "t10/2000"};
        QTest::newRow("the first 100 ms pass nothing") << "E2000; +99 A 10/100" << QStringList{};
        QTest::newRow("a report 50 ms after the last is dropped whole")
            << "E2000; +150 A 100/1000; +50 A 200/1000; +50 A 300/1000"
            << QStringList{"p100/1000", "t100/2000", "p300/1000", "t300/2000"};
        QTest::newRow("the running total sums each file's last count")
            << "E2000; +150 A 600/1000; +150 B 400/400; +150 A 900/1000"
            << QStringList{"p600/1000", "t600/2000", "p400/400", "t1000/2000", "p900/1000", "t1300/2000"};
        QTest::newRow("without an expected total only the file's progress, unthrottled")
            << "+150 A 10/100; +1 A 20/100; +1 B 5/50"
            << QStringList{"p10/100", "p20/100", "p5/50"};
        QTest::newRow("a file's last report is kept inside the interval")
            << "E2000; +150 A 100/500; +10 A 500/500; +10 B 50/1500; +100 B 60/1500"
            << QStringList{"p100/500", "t100/2000", "p500/500", "t500/2000", "p60/1500", "t560/2000"};
        QTest::newRow("counts over 2 GiB are capped for the window, summed in 64 bits")
            << "E2147483647; +150 A 1500000000/1500000000; +150 B 1500000000/3000000000; +150 B 3000000000/3000000000"
            << QStringList{"p1500000000/1500000000", "t1500000000/2147483647", "p1500000000/2147483647",
                           "t2147483647/2147483647", "p2147483647/2147483647", "t2147483647/2147483647"};
    }

    void reportsPassTheThrottle()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, events);
        auto now = std::chrono::steady_clock::time_point(1h);
        ShowDownloaderController controller(qml_.get(), nullptr, 1, [&now] { return now; });
        QStringList seen;
        for (const std::string& event : RunScript(controller, now, script.toStdString()))
            seen << QString::fromStdString(event);
        QCOMPARE(seen, events);
    }

    void windowShowsSizeAndBar_data()
    {
        QTest::addColumn<int>("received");
        QTest::addColumn<int>("total");
        QTest::addColumn<QString>("label");
        QTest::addColumn<double>("bar");
        const int mib = 1024 * 1024;
        QTest::newRow("kB") << 512 << 2048 << "0/2 kB" << 0.25;
        QTest::newRow("MB") << 3 * mib << 10 * mib << "3/10 MB" << 0.3;
        QTest::newRow("exactly 1 MiB is still kB") << 0 << mib << "0/1024 kB" << 0.0;
        QTest::newRow("1 MiB and a byte is MB") << 0 << mib + 1 << "0/1 MB" << 0.0;
        QTest::newRow("below 1 kB the total reads 1") << 100 << 500 << "0/1 kB" << 0.2;
        QTest::newRow("the largest int") << std::numeric_limits<int>::max() << std::numeric_limits<int>::max()
                                         << "2047/2047 MB" << 1.0;
    }

    void windowShowsSizeAndBar()
    {
        QFETCH(int, received);
        QFETCH(int, total);
        QFETCH(QString, label);
        QFETCH(double, bar);
        ShowDownloaderController controller(qml_.get(), nullptr, 1);
        QVERIFY(controller.GetQmlObject());
        QCOMPARE(Child(controller, "sizeLabel")->property("text").toString(), QString());
        emit controller.totalProgressChanged(received, total);
        QCOMPARE(Child(controller, "sizeLabel")->property("text").toString(), label);
        QCOMPARE(Child(controller, "progressBar")->property("value").toDouble(), bar);
    }

    void windowShowsStatusWithinItsWidth()
    {
        ShowDownloaderController controller(qml_.get(), nullptr, 1);
        QQuickWindow* window = WindowOf(controller);
        QVERIFY(window);
        QCOMPARE(window->title(), QStringLiteral("Downloading Show"));
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QObject* status = Child(controller, "statusText");
        QCOMPARE(status->property("text").toString(), QStringLiteral("Starting up..."));

        controller.SetStatus("Downloading audio/1.wav (2 of 7)");
        QCOMPARE(status->property("text").toString(), QStringLiteral("Downloading audio/1.wav (2 of 7)"));
        QCOMPARE(controller.GetStatus(), std::string("Downloading audio/1.wav (2 of 7)"));
        QVERIFY(!status->property("truncated").toBool());

        controller.SetStatus("Downloading " + std::string(300, 'x'));
        QVERIFY(status->property("truncated").toBool());
        QCOMPARE(window->width(), 480);
    }

    // The end of a whole download: every file in place, the bar full, the last file's report
    // and the library's closing status shown.
    void completeDownload()
    {
        ServedShow show;
        QString problem;
        QVERIFY2(show.Start({}, &problem), qPrintable(problem));
        ShowDownloaderController controller(qml_.get(), nullptr, 1);
        CompletionCounter completions(controller);
        controller.Download(show.record, std::move(show.plan));
        QTRY_COMPARE_WITH_TIMEOUT(completions.count, 1, 20000);
        QVERIFY(controller.FetchedEveryFile());
        QCOMPARE(completions.last.authHash, std::string(ServerRootFixture::kAuth));
        QVERIFY(QFile::exists(show.target.filePath(QStringLiteral("show/audio/song 1.wav"))));
        QTRY_VERIFY(Child(controller, "statusText")->property("text").toString().startsWith("Downloaded "));
        QCOMPARE(Child(controller, "progressBar")->property("value").toDouble(), 1.0);
        QCOMPARE(Child(controller, "sizeLabel")->property("text").toString(), QStringLiteral("3/3 MB"));
    }

    // Cancel by the window's button: the window hides, Cancelled once, and exactly one
    // completion when the library has returned.
    void cancelGivesOneCompletion()
    {
        ServedShow show;
        QString problem;
        QVERIFY2(show.Start({"--slow-path", kSlowFile, "--slow-ms", "60000"}, &problem), qPrintable(problem));
        auto controller = std::make_unique<ShowDownloaderController>(qml_.get(), nullptr, 1);
        CompletionCounter completions(*controller);
        QSignalSpy cancelled(controller.get(), &ShowDownloaderController::Cancelled);
        controller->Download(show.record, std::move(show.plan));
        QQuickWindow* window = WindowOf(*controller);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTRY_VERIFY_WITH_TIMEOUT(controller->GetStatus().rfind("Downloading audio/song 1.wav", 0) == 0, 10000);

        QVERIFY(Click(window, qobject_cast<QQuickItem*>(Child(*controller, "cancelButton"))));
        QCOMPARE(cancelled.count(), 1);
        QTRY_VERIFY(!window->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(completions.count, 1, 5000);
        QVERIFY(!controller->FetchedEveryFile());

        controller.reset();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(completions.count, 1);
        QCOMPARE(cancelled.count(), 1);
    }

    // The library's error: the dialog with its text while the progress window is hidden;
    // its OK, its title-bar close, or both, go on exactly once.
    void errorIsAcknowledgedOnce_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("OK") << "ok";
        QTest::newRow("title-bar close") << "close";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("OK, then the window closes") << "ok and close";
    }

    void errorIsAcknowledgedOnce()
    {
        QFETCH(QString, how);
        ServedShow show;
        QString problem;
        QVERIFY2(show.Start({"--fail-path", kSlowFile}, &problem), qPrintable(problem));
        ShowDownloaderController controller(qml_.get(), nullptr, 1);
        CompletionCounter completions(controller);
        controller.Download(show.record, std::move(show.plan));

        QQuickWindow* dialog = ErrorDialog(controller);
        QVERIFY(dialog);
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), 10000);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QCOMPARE(dialog->property("title").toString(), QStringLiteral("Error"));
        QCOMPARE(dialog->property("type").toString(), QStringLiteral("ERROR"));
        QCOMPARE(dialog->property("text").toString(),
                 QStringLiteral("Download of audio/song 1.wav failed: Injected failure (HTTP 500)"));
        QTRY_VERIFY(!WindowOf(controller)->isVisible());
        QVERIFY(dialog->isVisible());
        QCOMPARE(completions.count, 0);

        if (how.startsWith("ok"))
            QVERIFY(Click(dialog, dialog->findChild<QQuickItem*>(QStringLiteral("okButton"))));
        else if (how == "escape") {
            dialog->requestActivate();
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            QTest::keyClick(dialog, Qt::Key_Escape);
        }
        else
            dialog->close();
        if (how == "ok and close")
            dialog->close();
        QTRY_COMPARE(completions.count, 1);
        QVERIFY(!dialog->isVisible());
        QVERIFY(!controller.FetchedEveryFile());
        QCoreApplication::sendPostedEvents();
        QCOMPARE(completions.count, 1);
    }

    // The destructor cancels and joins: a worker waiting for a slow answer, or one that has
    // reported an error, never holds the GUI thread for long.
    void deletingReturnsPromptly_data()
    {
        QTest::addColumn<bool>("failing");
        QTest::newRow("worker waiting for a slow file") << false;
        QTest::newRow("error on screen") << true;
    }

    void deletingReturnsPromptly()
    {
        QFETCH(bool, failing);
        ServedShow show;
        QString problem;
        const QStringList extra = failing ? QStringList{"--fail-path", kSlowFile}
                                          : QStringList{"--slow-path", kSlowFile, "--slow-ms", "60000"};
        QVERIFY2(show.Start(extra, &problem), qPrintable(problem));
        auto controller = std::make_unique<ShowDownloaderController>(qml_.get(), nullptr, 1);
        controller->Download(show.record, std::move(show.plan));
        if (failing)
            QTRY_VERIFY_WITH_TIMEOUT(ErrorDialog(*controller)->isVisible(), 10000);
        else
            QTRY_VERIFY_WITH_TIMEOUT(controller->GetStatus().rfind("Downloading audio/song 1.wav", 0) == 0, 10000);

        QElapsedTimer clock;
        clock.start();
        controller.reset();
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

private:
    std::unique_ptr<QQmlApplicationEngine> qml_;
};

QTEST_MAIN(TestShowDownloader)
#include "tst_show_downloader.moc"
