// The first start of a fresh installation: the show store points at the bundled demo server
// root (file://), the start-up check finds every file missing, and the download fetches the
// show through the same calls the program makes.
#include "ShowInstaller.h"
#include "ScorePacker.h"

#include "DownloadPlan.h"
#include "NetworkApiInterface.h"
#include "PerformShowDownload.h"
#include "ZARNDownloader.h"

#include "zarn_core/ChangeLogFile.h"
#include "zarn_core/ShowStore.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using zarn::networking::NetworkApiInterface;

class DemoRootTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartFetchesTheDemoShow()
    {
        const QString demoRoot = QStringLiteral(CORVANE_DEMO_ROOT);
        if (!QFileInfo::exists(QDir(demoRoot).filePath("server.json"))) {
            QSKIP("the demo server root has not been packed yet");
        }
        QTemporaryDir data;
        zarn::tools::ShowInstaller::Install(demoRoot.toStdString(), data.path().toStdString());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 zarn::tools::ShowInstaller::Install(demoRoot.toStdString(), data.path().toStdString()));
        const cmn::ShowStore store(data.path().toStdString());
        const cmn::ShowRecord& record = store.CurrentShowRecord();
        QVERIFY(QString::fromStdString(store.ApiBaseUrl()).startsWith("file://"));

        // Start-up check, as the launcher makes it.
        NetworkApiInterface api(store.ApiBaseUrl());
        api.SetCredential(record.AuthenticationHash(), 1);
        auto files = api.GetAllShowFiles();
        QCOMPARE(files.status, NetworkApiInterface::API_SUCCESS);
        auto plan = zarn::networking::ValidateDownloadPlan(zarn::networking::GetDownloadPlan(*files.data),
                                                           store.CurrentShowFolder().string());
        QCOMPARE(plan->size(), files.data->files.size());
        QStringList kinds;
        for (const auto& entry : *plan) kinds << QString::fromStdString(entry.kind);
        for (const char* kind : {"SHOW", "AUDIO", "SCORE", "ART", "LOG"}) {
            QVERIFY2(kinds.contains(kind), kind);
        }

        // The download window's worker.
        std::atomic<bool> cancel{false};
        const auto fetched = zarn_download::PerformShowDownload(record.AuthenticationHash(),
                                                                std::make_shared<zarn::networking::DownloadCallbacks>(),
                                                                &cancel, "", 1, plan.get());
        QCOMPARE(fetched.id, record.id);
        const QDir show(QString::fromStdString(store.CurrentShowFolder().string()));
        QVERIFY(show.exists("show.json"));
        QVERIFY(show.exists("AlbumArtwork.jpg"));

        // The score opens with the key material the show store reads from the fetched credential.
        const QStringList scores = show.entryList({"*.score"}, QDir::Files);
        QCOMPARE(scores.size(), 1);
        const cmn::ShowStore loaded(data.path().toStdString());
        const auto pages = zarn::tools::ScorePacker::Unpack(show.filePath(scores[0]).toStdString(), loaded.GetScoreKey(),
                                                            loaded.GetScoreIv());
        QCOMPARE(pages.size(), std::size_t(6)); // one per page of show.json

        // Nothing is missing at the next start.
        NetworkApiInterface again(store.ApiBaseUrl());
        again.SetCredential(record.AuthenticationHash(), 1);
        QVERIFY(zarn::networking::ValidateDownloadPlan(zarn::networking::GetDownloadPlan(*again.GetAllShowFiles().data),
                                                       store.CurrentShowFolder().string())
                    ->empty());

        // "Get latest log": 2.0, shared enciphered; the key comes with the link, the IV from the show.
        const auto latest = api.GetLatestLog();
        QCOMPARE(latest.status, NetworkApiInterface::API_SUCCESS);
        QCOMPARE(int(latest.data->major), 2);
        const auto link = api.GetChangelogLinkByVersion(latest.data->major, latest.data->minor);
        QCOMPARE(link.status, NetworkApiInterface::API_SUCCESS);
        const std::string destination = (store.CurrentShowFolder() / link.data->fileName).string();
        zarn::networking::ZARNDownloader().DownloadForShow(link.data->link, destination, link.data->extra,
                                                           link.data->keyHex, store.CurrentShowFolder());
        const auto loaded2 = CL::ChangeLogFile::Load(destination);
        QCOMPARE(int(loaded2.data.version.major), 2);
        QCOMPARE(api.GetAvailableLogs().data->size(), std::size_t(2));
    }

    // The root is packed from demo/show: when the demo show changes, tools/packers/pack_demo.sh
    // must run again, and this says so.
    void rootMatchesTheDemoShow()
    {
        const QString source = QStringLiteral(CORVANE_DEMO_SHOW);
        const QString served = QDir(QStringLiteral(CORVANE_DEMO_ROOT)).filePath("show");
        if (!QFileInfo::exists(QDir(source).filePath("show.json")) || !QFileInfo::exists(served)) {
            QSKIP("no demo show or no demo server root");
        }
        QDirIterator it(source, QDir::Files, QDirIterator::Subdirectories);
        int compared = 0;
        while (it.hasNext()) {
            const QString path = it.next();
            const QString relative = QDir(source).relativeFilePath(path);
            QFile mine(path);
            QFile packed(relative.endsWith(".logdata") ? QDir(QStringLiteral(CORVANE_DEMO_ROOT)).filePath("changelogs/" + relative)
                                                       : QDir(served).filePath(relative));
            QVERIFY2(mine.open(QIODevice::ReadOnly) && packed.open(QIODevice::ReadOnly),
                     qPrintable(relative + " is missing from the demo root: run tools/packers/pack_demo.sh"));
            QVERIFY2(mine.readAll() == packed.readAll(),
                     qPrintable(relative + " changed since the demo root was packed: run tools/packers/pack_demo.sh"));
            ++compared;
        }
        QVERIFY(compared > 0);
    }
};

QTEST_GUILESS_MAIN(DemoRootTest)
#include "tst_demoroot.moc"
