#include "DownloadPlan.h"
#include "NetworkApiInterface.h"
#include "PerformShowDownload.h"
#include "ReferenceServerProcess.h"
#include "Served.h"
#include "ServerRootFixture.h"
#include "Sha256.h"

#include "zarn_core/AtomicFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <limits>
#include <map>
#include <thread>

using namespace zarn::networking;
using zarn_download::DownloadException;
using zarn_download::PerformShowDownload;

namespace {

std::unique_ptr<DownloadPlan> PlanFor(const QString& base, const QString& showFolder)
{
    NetworkApiInterface api(base.toStdString());
    api.SetCredential(ServerRootFixture::kAuth, 1);
    auto files = api.GetAllShowFiles();
    if (!files.data) {
        qWarning("file list failed: %s", files.message.c_str());
        return nullptr;
    }
    return ValidateDownloadPlan(GetDownloadPlan(*files.data), showFolder.toStdString());
}

// Everything a download reported, as the download window's controller would see it.
struct Recorder {
    std::vector<std::string> statuses;
    std::vector<std::string> errors;
    std::vector<int32_t> expectedTotals;
    std::map<std::string, std::pair<uint64_t, uint64_t>> lastProgress;
    bool progressWentBack = false;
    std::function<void(const std::string&, uint64_t)> onProgress;

    std::shared_ptr<DownloadCallbacks> Callbacks()
    {
        auto callbacks = std::make_shared<DownloadCallbacks>();
        callbacks->status = [this](const std::string& text) { statuses.push_back(text); };
        callbacks->statusReport = [this](const std::string& text) { statuses.push_back(text); };
        callbacks->progress = [this](const std::string& name, uint64_t received, uint64_t total) {
            auto& last = lastProgress[name];
            progressWentBack |= received < last.first;
            last = {received, total};
            if (onProgress) onProgress(name, received);
        };
        callbacks->expectedTotal = [this](int32_t total) { expectedTotals.push_back(total); };
        callbacks->error = [this](const std::string& text) { errors.push_back(text); };
        return callbacks;
    }
};

// Temporary files a download left beside its destinations, of any naming it ever used.
QStringList LeftoverParts(const QString& folder)
{
    const QString marker = QString::fromLatin1(zarn::AtomicFile::kTemporaryMarker.data(),
                                               qsizetype(zarn::AtomicFile::kTemporaryMarker.size()));
    QStringList parts;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.endsWith(QLatin1String(".part")) || it.fileName().contains(marker)) parts << path;
    }
    return parts;
}

} // namespace

class ShowDownloadTest : public QObject {
    Q_OBJECT

private slots:
    void planValidation()
    {
        ServerRootFixture root;
        QTemporaryDir show;
        auto plan = PlanFor(root.FileBase(), show.path());
        QVERIFY(plan);
        QCOMPARE(plan->size(), std::size_t(5)); // an empty folder lacks everything
        for (const auto& entry : *plan) {
            QVERIFY(QDir::isAbsolutePath(QString::fromStdString(entry.destination)));
            QVERIFY(QString::fromStdString(entry.destination).startsWith(show.path()));
        }
        QCOMPARE(plan->record.folder, QDir(show.path()).dirName().toStdString());

        // A correct file is not fetched again; one of the right size but other content is;
        // the change log counts as present when any local file has its version.
        QFile::copy(root.ShowFile("show.json"), QDir(show.path()).filePath("show.json"));
        ServerRootFixture::WriteFile(QDir(show.path()).filePath("AlbumArtwork.jpg"), ServerRootFixture::Pattern(5000, 99));
        ServerRootFixture::WriteFile(QDir(show.path()).filePath("credential.json"), "{}");
        ServerRootFixture::WriteFile(QDir(show.path()).filePath("edited-1.0.logdata"), "{}");
        plan = PlanFor(root.FileBase(), show.path());
        QStringList kept;
        for (const auto& entry : *plan) kept << QString::fromStdString(entry.path);
        kept.sort();
        QCOMPARE(kept, (QStringList{"AlbumArtwork.jpg", "audio/song 1.wav", "credential.json"}));

        // A plan carrying a name that would leave the folder is refused as a whole.
        auto evil = std::make_unique<DownloadPlan>();
        evil->entries.push_back({"SHOW", 0, 0, "fine.json", 1, std::string(64, 'a'), "", ""});
        evil->entries.push_back({"SHOW", 0, 0, "../escape.json", 1, std::string(64, 'a'), "", ""});
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, ValidateDownloadPlan(std::move(evil), show.path().toStdString()));
    }

    void fullDownload_data() { AddTransports(); }
    void fullDownload()
    {
        QFETCH(QString, transport);
        ServerRootFixture root;
        const Served served = Serve(root, transport);
        QTemporaryDir data;
        const QString show = QDir(data.path()).filePath("demo");
        auto plan = PlanFor(served.base, show);
        QVERIFY(plan);
        uint64_t expected = 0;
        for (const auto& entry : *plan) expected += entry.size;

        Recorder recorder;
        std::atomic<bool> cancel{false};
        const auto record = PerformShowDownload(ServerRootFixture::kAuth, recorder.Callbacks(), &cancel, "", 1, plan.get());
        QCOMPARE(record.id, std::string("demo"));
        QCOMPARE(record.folder, std::string("demo"));
        QCOMPARE(record.authHash, std::string(ServerRootFixture::kAuth));
        QCOMPARE(record.apiBaseUrl, served.base.toStdString());
        QCOMPARE(recorder.expectedTotals, std::vector<int32_t>{int32_t(expected)});
        QVERIFY(recorder.errors.empty());
        QVERIFY(!recorder.progressWentBack);
        for (const auto& entry : *plan) {
            const auto& last = recorder.lastProgress[entry.path];
            QCOMPARE(last.first, entry.size);
            QCOMPARE(last.second, entry.size);
            QCOMPARE(Sha256::OfFile(QString::fromStdString(entry.destination)).toStdString(), entry.sha256);
        }
        QVERIFY(LeftoverParts(show).isEmpty());
        QCOMPARE(QFile(QDir(show).filePath("audio/song 1.wav")).size(), ServerRootFixture::kAudioBytes);
        QVERIFY(QFileInfo::exists(QDir(show).filePath("demo-1.0.logdata")));
        // Several chunks of the large file were reported, not one at the end.
        QVERIFY(recorder.statuses.size() >= plan->size());

        // Nothing is left to fetch afterwards.
        QVERIFY(PlanFor(served.base, show)->empty());
    }

    void cancelMidFile_data() { AddTransports(); }
    void cancelMidFile()
    {
        QFETCH(QString, transport);
        ServerRootFixture root;
        const Served served = Serve(root, transport);
        QTemporaryDir show;
        auto plan = PlanFor(served.base, show.path());
        QVERIFY(plan);
        Recorder recorder;
        std::atomic<bool> cancel{false};
        int audioChunks = 0;
        recorder.onProgress = [&](const std::string& name, uint64_t) {
            if (name == "audio/song 1.wav" && ++audioChunks == 1) cancel = true;
        };
        PerformShowDownload(ServerRootFixture::kAuth, recorder.Callbacks(), &cancel, "", 1, plan.get());
        QVERIFY(audioChunks >= 1);
        QVERIFY(recorder.errors.empty());                 // a cancel is not an error
        QVERIFY(!QFileInfo::exists(QDir(show.path()).filePath("audio/song 1.wav")));
        QVERIFY(LeftoverParts(show.path()).isEmpty());    // and leaves no partial file
        QVERIFY(recorder.lastProgress["audio/song 1.wav"].first < uint64_t(ServerRootFixture::kAudioBytes));
    }

    void failuresLeaveNoPartialFile_data()
    {
        QTest::addColumn<QString>("transport");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("expected");
        for (const char* transport : {"http", "file"}) {
            QTest::addRow("%s: hash mismatch", transport) << transport << "hash" << "the file is damaged";
            QTest::addRow("%s: size mismatch", transport) << transport << "size" << "more than the";
            QTest::addRow("%s: refused credential", transport) << transport << "credential" << "Credential refused";
            QTest::addRow("%s: file gone from the server", transport) << transport << "removed" << "No such show file";
        }
        QTest::newRow("http: server error") << "http" << "fail" << "Injected failure (HTTP 500)";
        QTest::newRow("http: connection cut mid-file") << "http" << "cut" << "Download of audio/song 1.wav failed";
        QTest::newRow("http: server gone") << "http" << "gone" << "failed";
    }
    void failuresLeaveNoPartialFile()
    {
        QFETCH(QString, transport);
        QFETCH(QString, failure);
        QFETCH(QString, expected);
        ServerRootFixture root;
        QStringList extra;
        if (failure == "fail") extra << "--fail-path" << "/files/audio/song 1.wav";
        if (failure == "cut") extra << "--cut-path" << "/files/audio/song 1.wav";
        Served served = Serve(root, transport, extra);
        QTemporaryDir show;
        auto plan = PlanFor(served.base, show.path());
        QVERIFY(plan);
        std::string auth = ServerRootFixture::kAuth;
        for (auto& entry : *plan) {
            if (entry.path != "audio/song 1.wav") continue;
            if (failure == "hash") entry.sha256[0] = entry.sha256[0] == 'a' ? 'b' : 'a';
            if (failure == "size") entry.size -= 10;
        }
        if (failure == "credential") auth = "wrong";
        if (failure == "removed") QFile::remove(root.ShowFile("audio/song 1.wav"));
        if (failure == "gone") served.process->Kill();

        Recorder recorder;
        std::atomic<bool> cancel{false};
        try {
            PerformShowDownload(auth, recorder.Callbacks(), &cancel, "", 1, plan.get());
            QFAIL("the download reported success");
        } catch (const DownloadException& error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains(expected), error.what());
            QVERIFY2(QString::fromUtf8(error.what()).startsWith("Download of "), error.what());
        }
        QVERIFY(!QFileInfo::exists(QDir(show.path()).filePath("audio/song 1.wav")));
        QVERIFY(LeftoverParts(show.path()).isEmpty());
    }

    // A progress callback that throws (the window gone wrong) ends the download cleanly.
    void throwingCallback_data() { AddTransports(); }
    void throwingCallback()
    {
        QFETCH(QString, transport);
        ServerRootFixture root;
        const Served served = Serve(root, transport);
        QTemporaryDir show;
        auto plan = PlanFor(served.base, show.path());
        QVERIFY(plan);
        Recorder recorder;
        recorder.onProgress = [](const std::string& name, uint64_t) {
            if (name == "audio/song 1.wav") throw std::logic_error("window gone");
        };
        std::atomic<bool> cancel{false};
        QVERIFY_THROWS_EXCEPTION(std::logic_error,
                                 PerformShowDownload(ServerRootFixture::kAuth, recorder.Callbacks(), &cancel, "", 1, plan.get()));
        QVERIFY(!QFileInfo::exists(QDir(show.path()).filePath("audio/song 1.wav")));
        QVERIFY(LeftoverParts(show.path()).isEmpty());
    }

    void unvalidatedOrEscapingPlanWritesNothing()
    {
        ServerRootFixture root;
        QTemporaryDir outer;
        const QString show = QDir(outer.path()).filePath("show");
        Recorder recorder;
        std::atomic<bool> cancel{false};

        auto plan = std::make_unique<DownloadPlan>();
        plan->baseUrl = root.FileBase().toStdString();
        plan->entries.push_back({"SHOW", 0, 0, "show.json", 10, std::string(64, 'a'), "", ""});
        QVERIFY_THROWS_EXCEPTION(DownloadException,
                                 PerformShowDownload(ServerRootFixture::kAuth, recorder.Callbacks(), &cancel, "", 1, plan.get()));

        plan->showFolder = show.toStdString();
        plan->entries[0].destination = QDir(show).filePath("show.json").toStdString();
        plan->entries.push_back({"SHOW", 0, 0, "x.json", 10, std::string(64, 'a'), "",
                                 QDir(outer.path()).filePath("x.json").toStdString()});
        try {
            PerformShowDownload(ServerRootFixture::kAuth, recorder.Callbacks(), &cancel, "", 1, plan.get());
            QFAIL("an escaping destination was accepted");
        } catch (const DownloadException& error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains("leave the show folder"), error.what());
        }
        QVERIFY(!QFileInfo::exists(show));
        QVERIFY(recorder.expectedTotals.empty());
    }

    // The download window runs the download on a std::thread of its own; two at once also
    // checks that the server keeps their connections apart.
    void runsOnWorkerThreads()
    {
        ServerRootFixture root;
        const Served served = Serve(root, "http");
        QTemporaryDir first;
        QTemporaryDir second;
        auto firstPlan = PlanFor(served.base, first.path());
        auto secondPlan = PlanFor(served.base, second.path());
        QVERIFY(firstPlan && secondPlan);
        Recorder firstRecorder;
        Recorder secondRecorder;
        std::atomic<bool> cancel{false};
        std::string failures[2];
        const auto run = [&](DownloadPlan* plan, std::shared_ptr<DownloadCallbacks> callbacks, std::string* failure) {
            try {
                PerformShowDownload(ServerRootFixture::kAuth, callbacks, &cancel, "", 1, plan);
            } catch (const std::exception& error) {
                *failure = error.what();
            }
        };
        std::thread one(run, firstPlan.get(), firstRecorder.Callbacks(), &failures[0]);
        std::thread two(run, secondPlan.get(), secondRecorder.Callbacks(), &failures[1]);
        one.join();
        two.join();
        QVERIFY2(failures[0].empty(), failures[0].c_str());
        QVERIFY2(failures[1].empty(), failures[1].c_str());
        for (const QTemporaryDir* show : {&first, &second}) {
            QCOMPARE(Sha256::OfFile(QDir(show->path()).filePath("audio/song 1.wav")),
                     Sha256::OfFile(root.ShowFile("audio/song 1.wav")));
        }
    }

    void expectedTotalIsCapped()
    {
        QTemporaryDir show;
        DownloadPlan plan;
        plan.baseUrl = "http://127.0.0.1:1";
        plan.showFolder = show.path().toStdString();
        plan.entries.push_back({"AUDIO", 0, 0, "big.wav", uint64_t(3) << 31, std::string(64, 'a'), "",
                                QDir(show.path()).filePath("big.wav").toStdString()});
        Recorder recorder;
        std::atomic<bool> cancel{true}; // cancelled before the first file: nothing is fetched
        PerformShowDownload(ServerRootFixture::kAuth, recorder.Callbacks(), &cancel, "", 1, &plan);
        QCOMPARE(recorder.expectedTotals, std::vector<int32_t>{std::numeric_limits<int32_t>::max()});
        QVERIFY(recorder.errors.empty());
    }
};

QTEST_GUILESS_MAIN(ShowDownloadTest)
#include "tst_showdownload.moc"
