// The start-up's question to the show server and the notice after the fetch: over the bundled
// demo server root (file://) in a fresh data folder, and over a server that refuses.
#include "ShowInstaller.h"
#include "ShowUpdateCheck.h"

#include "PerformShowDownload.h"
#include "zarn_core/ShowStore.h"

#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <iostream>
#include <sstream>

using zarn::networking::DownloadPlan;
using zarn::networking::DownloadPlanEntry;

Q_DECLARE_METATYPE(std::vector<DownloadPlanEntry>)

namespace {

DownloadPlanEntry Log(int major, int minor)
{
    DownloadPlanEntry entry;
    entry.kind = "LOG";
    entry.major = major;
    entry.minor = minor;
    return entry;
}

DownloadPlanEntry File(const char* kind)
{
    DownloadPlanEntry entry;
    entry.kind = kind;
    return entry;
}

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

} // namespace

class TestShowUpdateCheck : public QObject
{
    Q_OBJECT

private slots:
    void noticeAfterTheFetch_data()
    {
        QTest::addColumn<std::vector<DownloadPlanEntry>>("entries");
        QTest::addColumn<QString>("notice");
        QTest::newRow("nothing") << std::vector<DownloadPlanEntry>{} << QString();
        QTest::newRow("log only") << std::vector<DownloadPlanEntry>{Log(3, 2)}
                                  << "The event log has been updated to version 3.2.";
        QTest::newRow("log and files")
            << std::vector<DownloadPlanEntry>{File("AUDIO"), Log(3, 2), File("ART")}
            << "The event log has been updated to version 3.2 and the show files have been repaired or "
               "updated to the latest version.";
        QTest::newRow("the later log counts") << std::vector<DownloadPlanEntry>{Log(1, 0), Log(12, 10)}
                                              << "The event log has been updated to version 12.10.";
        QTest::newRow("files only") << std::vector<DownloadPlanEntry>{File("SHOW"), File("SCORE")}
                                    << "The show files have been repaired or updated to the latest version.";
        QTest::newRow("a kind only like the log's") << std::vector<DownloadPlanEntry>{File("log"), File("LOGS")}
                                                    << "The show files have been repaired or updated to the latest version.";
    }

    void noticeAfterTheFetch()
    {
        QFETCH(std::vector<DownloadPlanEntry>, entries);
        QFETCH(QString, notice);
        DownloadPlan plan;
        plan.entries = entries;
        QCOMPARE(zarn::qt::FilesUpdatedText(plan), notice);
    }

    // The line on standard error for a failed request; a transport that gave no reason
    // still says something.
    void failureLine_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("line");
        QTest::newRow("no message") << QString() << "Getting file list failed: No error message. Possible network failure.";
        QTest::newRow("the server's") << "Unauthorized (HTTP 401)" << "Getting file list failed: Unauthorized (HTTP 401)";
    }

    void failureLine()
    {
        QFETCH(QString, message);
        QFETCH(QString, line);
        QCOMPARE(QString::fromStdString(zarn::qt::FileListFailureLine(message.toStdString())), line);
    }

    // A fresh installation lacks every file; once they are fetched nothing is missing.
    void firstStartThenNothingMissing()
    {
        QTemporaryDir data;
        zarn::tools::ShowInstaller::Install(CORVANE_DEMO_ROOT, data.path().toStdString());
        const cmn::ShowStore store(data.path().toStdString());
        const std::string credential = store.CurrentShowRecord().AuthenticationHash();
        const std::string folder = store.CurrentShowFolder().string();

        CerrCapture cerr;
        auto plan = zarn::qt::FetchDownloadPlan(store.ApiBaseUrl(), credential, 1, folder);
        QVERIFY(!plan->empty());
        QVERIFY(zarn::qt::FilesUpdatedText(*plan).startsWith("The event log has been updated to version "));

        std::atomic<bool> cancel{false};
        zarn_download::PerformShowDownload(credential, std::make_shared<zarn::networking::DownloadCallbacks>(),
                                           &cancel, "", 1, plan.get());
        QVERIFY(zarn::qt::FetchDownloadPlan(store.ApiBaseUrl(), credential, 1, folder)->empty());
        QCOMPARE(cerr.Text(), std::string());
    }

    // A refused request is a line on standard error and an empty plan: the show opens with
    // what its folder holds.
    void refusedRequestIsOnlyALine()
    {
        QTemporaryDir data;
        CerrCapture cerr;
        auto plan = zarn::qt::FetchDownloadPlan("http://127.0.0.1:1/api/v1", "hash", 1, data.path().toStdString());
        QVERIFY(plan->empty());
        const QString line = QString::fromStdString(cerr.Text());
        QVERIFY2(line.startsWith("Getting file list failed: ") && line.size() > 26, qPrintable(line));
        QVERIFY2(!line.endsWith('\n'), qPrintable(line));
    }
};

QTEST_GUILESS_MAIN(TestShowUpdateCheck)
#include "tst_show_update_check.moc"
