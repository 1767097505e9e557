#include "NetworkApiInterface.h"
#include "ReferenceServerProcess.h"
#include "Served.h"
#include "ServerRootFixture.h"
#include "UploadChangelog.h"
#include "ZARNDownloader.h"

#include "zarn_core/ShowCredential.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using zarn::networking::NetworkApiInterface;
using Api = NetworkApiInterface;

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class NetworkApiTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo::exists(ReferenceServerProcess::ProgramPath()), "reference_server was not built");
    }

    void fileList_data() { AddTransports(); }
    void fileList()
    {
        QFETCH(QString, transport);
        ServerRootFixture root;
        const Served served = Serve(root, transport);
        QVERIFY(!served.base.isEmpty());
        Api api(served.base.toStdString());
        api.SetCredential(ServerRootFixture::kAuth, 1);
        const auto result = api.GetAllShowFiles();
        QCOMPARE(result.status, Api::API_SUCCESS);
        QVERIFY(result.data.has_value());
        QCOMPARE(result.data->record.id, std::string("demo"));
        QCOMPARE(result.data->record.showName, std::string("Lanterns"));
        QCOMPARE(result.data->record.authHash, std::string(ServerRootFixture::kAuth));

        QStringList seen;
        for (const auto& file : result.data->files) {
            seen << QString::fromStdString(file.kind + " " + file.path);
            if (file.kind == "LOG") {
                // The newest plain log: 2.0 is stored enciphered and is fetched by link only.
                QCOMPARE(file.major, 1);
                QCOMPARE(file.minor, 0);
            }
            if (file.path == "audio/song 1.wav") {
                QCOMPARE(file.size, uint64_t(ServerRootFixture::kAudioBytes));
            }
        }
        seen.sort();
        QCOMPARE(seen, (QStringList{"ART AlbumArtwork.jpg", "AUDIO audio/song 1.wav", "LOG demo-1.0.logdata",
                                    "SHOW credential.json", "SHOW show.json"}));

        // Product 0 (the share and the change-log manager) is accepted as well.
        api.SetCredential(ServerRootFixture::kAuth, 0);
        QCOMPARE(api.GetAllShowFiles().status, Api::API_SUCCESS);
    }

    void refusedCredential_data() { AddTransports(); }
    void refusedCredential()
    {
        QFETCH(QString, transport);
        ServerRootFixture root;
        const Served served = Serve(root, transport);
        Api api(served.base.toStdString());
        QCOMPARE(api.GetAllShowFiles().status, Api::API_NO_CREDENTIAL);
        api.SetCredential("not-the-credential", 1);
        const auto files = api.GetAllShowFiles();
        QCOMPARE(files.status, Api::API_UNAUTHORIZED);
        QVERIFY(!files.data.has_value());
        QCOMPARE(QString::fromStdString(files.message), QStringLiteral("Credential refused (HTTP 401)"));
        QCOMPARE(api.GetAvailableLogs().status, Api::API_UNAUTHORIZED);
        QCOMPARE(api.GetLatestLog().status, Api::API_UNAUTHORIZED);
        QCOMPARE(api.GetChangelogLinkByVersion(1, 0).status, Api::API_UNAUTHORIZED);
    }

    void changelogFlows_data() { AddTransports(); }
    void changelogFlows()
    {
        QFETCH(QString, transport);
        ServerRootFixture root;
        const Served served = Serve(root, transport);
        Api api(served.base.toStdString());
        api.SetCredential(ServerRootFixture::kAuth, 0);

        const auto logs = api.GetAvailableLogs();
        QCOMPARE(logs.status, Api::API_SUCCESS);
        QCOMPARE(logs.data->size(), std::size_t(2));
        QCOMPARE(int(logs.data->at(0).major), 1);
        QCOMPARE(logs.data->at(0).date, 1666893600 + 1000);
        QCOMPARE(int(logs.data->at(1).major), 2);
        QCOMPARE(logs.data->at(1).date, 1666893600 + 2000); // read from the enciphered file's content

        const auto latest = api.GetLatestLog();
        QCOMPARE(latest.status, Api::API_SUCCESS);
        QCOMPARE(int(latest.data->major), 2);
        QCOMPARE(int(latest.data->minor), 0);

        QTemporaryDir showFolder;
        cmn::ShowCredential::ReadFromFolder(root.ShowFile(QString()).toStdString())
            .WriteToFolder(showFolder.path().toStdString());
        zarn::networking::ZARNDownloader downloader;

        // Plain log: no key; extra is the file's hash.
        const auto plain = api.GetChangelogLinkByVersion(1, 0);
        QCOMPARE(plain.status, Api::API_SUCCESS);
        QVERIFY(plain.data->keyHex.empty());
        QCOMPARE(plain.data->fileName, std::string("demo-1.0.logdata"));
        const QString plainTarget = QDir(showFolder.path()).filePath(QString::fromStdString(plain.data->fileName));
        downloader.DownloadForShow(plain.data->link, plainTarget.toStdString(), plain.data->extra, plain.data->keyHex,
                                   showFolder.path().toStdString());
        QCOMPARE(ReadFile(plainTarget), root.PlainLog(1, 0));

        // Enciphered log: the link carries the key, the show's credential the IV.
        const auto secret = api.GetChangelogLinkByVersion(2, 0);
        QCOMPARE(secret.status, Api::API_SUCCESS);
        QCOMPARE(secret.data->keyHex.size(), std::size_t(64));
        QCOMPARE(secret.data->fileName, std::string("demo-2.0.logdata"));
        const QString secretTarget = QDir(showFolder.path()).filePath(QString::fromStdString(secret.data->fileName));
        downloader.DownloadForShow(secret.data->link, secretTarget.toStdString(), secret.data->extra,
                                   secret.data->keyHex, showFolder.path().toStdString());
        QCOMPARE(ReadFile(secretTarget), root.PlainLog(2, 0));

        // A version the server lacks is an ordinary failure with a message.
        const auto missing = api.GetChangelogLinkByVersion(9, 9);
        QCOMPARE(missing.status, Api::API_NOT_FOUND);
        QVERIFY(!missing.data.has_value());
        QVERIFY(QString::fromStdString(missing.message).contains(QStringLiteral("9.9")));

        // A link whose token is forged is refused and the destination stays untouched.
        std::string forged = plain.data->link;
        forged.replace(forged.size() - 4, 4, "0000");
        const QString forgedTarget = QDir(showFolder.path()).filePath(QStringLiteral("forged-1.0.logdata"));
        try {
            downloader.Download(forged, forgedTarget.toStdString(), "", {}, {});
            QFAIL("a forged link was accepted");
        } catch (const std::runtime_error& error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains(QStringLiteral("Download link refused")), error.what());
        }
        QVERIFY(!QFileInfo::exists(forgedTarget));

        // A wrong key (or a damaged file) is a clear error and writes nothing.
        std::string wrongKey = secret.data->keyHex;
        wrongKey[0] = wrongKey[0] == '0' ? '1' : '0';
        const QString wrongTarget = QDir(showFolder.path()).filePath(QStringLiteral("wrong-2.0.logdata"));
        const auto expectRefused = [&](const std::string& link, const std::string& extra, const std::string& keyHex) {
            try {
                downloader.DownloadForShow(link, wrongTarget.toStdString(), extra, keyHex, showFolder.path().toStdString());
                QFAIL("an enciphered log was accepted with a wrong key or damaged");
            } catch (const std::runtime_error& error) {
                QVERIFY2(QString::fromUtf8(error.what()).contains(QStringLiteral("wrong key or damaged file")), error.what());
            }
            QVERIFY(!QFileInfo::exists(wrongTarget));
        };
        expectRefused(secret.data->link, "", wrongKey);
        if (QTest::currentTestFailed()) {
            return;
        }

        // Damaged where it is stored: the hash the server hands out matches the damaged file,
        // so only the tag can tell. One byte in the first block garbles only the content, which
        // the padding alone never noticed.
        QFile stored(QDir(root.LogFolder()).filePath(QStringLiteral("demo-2.0.logdata.enc")));
        QVERIFY(stored.open(QIODevice::ReadWrite));
        QByteArray bytes = stored.readAll();
        bytes[3] = static_cast<char>(bytes[3] ^ 0x20);
        QVERIFY(stored.seek(0) && stored.write(bytes) == bytes.size());
        stored.close();
        const auto damaged = api.GetChangelogLinkByVersion(2, 0);
        QCOMPARE(damaged.status, Api::API_SUCCESS);
        expectRefused(damaged.data->link, damaged.data->extra, damaged.data->keyHex);
    }

    void upload_data() { AddTransports(); }
    void upload()
    {
        QFETCH(QString, transport);
        ServerRootFixture root;
        const Served served = Serve(root, transport);
        Api api(served.base.toStdString());
        api.SetCredential(ServerRootFixture::kAuth, 0);

        QTemporaryDir showFolder;
        const QByteArray log = root.PlainLog(3, 0);
        ServerRootFixture::WriteFile(QDir(showFolder.path()).filePath(QStringLiteral("demo-3.0.logdata")), log);
        const std::string folder = showFolder.path().toStdString();

        // The address comes from the client that last set this credential.
        QVERIFY(zarn::networking::UploadChangelog(ServerRootFixture::kAccount, "demo-3.0.logdata", 3, 0,
                                                  ServerRootFixture::kAuth, folder, 1));
        QCOMPARE(ReadFile(QDir(root.LogFolder()).filePath(QStringLiteral("demo-3.0.logdata"))), log);
        const auto latest = api.GetLatestLog();
        QCOMPARE(int(latest.data->major), 3);
        QCOMPARE(latest.data->date, 1666893600 + 3000);

        const std::string base = served.base.toStdString();
        std::string error;
        struct Refusal {
            const char* account;
            const char* file;
            int major;
            const char* credential;
            const char* expected;
        };
        ServerRootFixture::WriteFile(QDir(showFolder.path()).filePath(QStringLiteral("demo-4.0.logdata")), log);
        ServerRootFixture::WriteFile(QDir(showFolder.path()).filePath(QStringLiteral("broken-5.0.logdata")), "{oops");
        const Refusal refusals[] = {
            {ServerRootFixture::kAccount, "demo-3.0.logdata", 3, ServerRootFixture::kAuth, "already exists"},
            {"someone-else", "demo-4.0.logdata", 4, ServerRootFixture::kAuth, "Account data refused"},
            {ServerRootFixture::kAccount, "demo-4.0.logdata", 4, "wrong", "Credential refused"},
            {ServerRootFixture::kAccount, "demo-4.0.logdata", 6, ServerRootFixture::kAuth, "Refused change-log file name"},
            {ServerRootFixture::kAccount, "broken-5.0.logdata", 5, ServerRootFixture::kAuth, "not a JSON object"},
            {ServerRootFixture::kAccount, "absent-7.0.logdata", 7, ServerRootFixture::kAuth, "cannot read"},
        };
        for (const Refusal& refusal : refusals) {
            QVERIFY2(!zarn::networking::UploadChangelogTo(base, refusal.account, refusal.file, refusal.major, 0,
                                                          refusal.credential, folder, 1, &error),
                     refusal.expected);
            QVERIFY2(QString::fromStdString(error).contains(QLatin1String(refusal.expected)), error.c_str());
        }
        QCOMPARE(api.GetAvailableLogs().data->size(), std::size_t(3));
        QVERIFY(!QFileInfo::exists(QDir(root.LogFolder()).filePath(QStringLiteral("demo-4.0.logdata"))));
    }

    // Failures of the transport are ordinary results with a message, and come back in time.
    void unreachableAndSlow()
    {
        ServerRootFixture root;
        quint16 closedPort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            closedPort = probe.serverPort();
        }
        Api gone(QStringLiteral("http://127.0.0.1:%1").arg(closedPort).toStdString());
        gone.SetCredential(ServerRootFixture::kAuth, 1);
        const auto refused = gone.GetAllShowFiles();
        QCOMPARE(refused.status, Api::API_NETWORK_ERROR);
        QVERIFY(!refused.message.empty());

        Api noRoot(QUrl::fromLocalFile(root.Root() + QStringLiteral("/nowhere")).toString().toStdString());
        noRoot.SetCredential(ServerRootFixture::kAuth, 1);
        QCOMPARE(noRoot.GetAllShowFiles().status, Api::API_SERVER_ERROR);

        const Served slow = Serve(root, QStringLiteral("http"),
                                  {QStringLiteral("--slow-path"), QStringLiteral("/changelogs"),
                                   QStringLiteral("--slow-ms"), QStringLiteral("3000")});
        Api api(slow.base.toStdString());
        api.SetCredential(ServerRootFixture::kAuth, 1);
        api.SetTimeout(std::chrono::milliseconds(300));
        QElapsedTimer timer;
        timer.start();
        const auto late = api.GetAvailableLogs();
        QCOMPARE(late.status, Api::API_TIMEOUT);
        QVERIFY(timer.elapsed() < 2500);
        QVERIFY(QString::fromStdString(late.message).contains(QStringLiteral("did not answer")));
        QCOMPARE(api.GetLatestLog().status, Api::API_SUCCESS); // the next call is not affected
    }

    void malformedAnswers_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("expected");
        const QByteArray sha(64, 'a');
        QTest::newRow("not JSON") << "/show/files" << QByteArray("<html>") << "not a JSON object";
        QTest::newRow("parent folder") << "/show/files"
                                       << QByteArray("{\"files\":[{\"kind\":\"SHOW\",\"path\":\"../evil\",\"size\":1,\"sha256\":\""
                                                     + sha + "\"}]}")
                                       << "refused file name \"../evil\"";
        QTest::newRow("absolute path") << "/show/files"
                                       << QByteArray("{\"files\":[{\"kind\":\"SHOW\",\"path\":\"/etc/x\",\"size\":1,\"sha256\":\""
                                                     + sha + "\"}]}")
                                       << "refused file name";
        QTest::newRow("log in a sub-folder") << "/show/files"
                                             << QByteArray("{\"files\":[{\"kind\":\"LOG\",\"path\":\"a/b-1.0.logdata\",\"size\":1,\"major\":1,\"minor\":0,\"sha256\":\""
                                                           + sha + "\"}]}")
                                             << "refused change-log name";
        QTest::newRow("negative size") << "/show/files"
                                       << QByteArray("{\"files\":[{\"kind\":\"SHOW\",\"path\":\"x\",\"size\":-1,\"sha256\":\"" + sha
                                                     + "\"}]}")
                                       << "\"size\"";
        QTest::newRow("major out of range") << "/changelogs" << QByteArray("{\"logs\":[{\"major\":256,\"minor\":0,\"date\":0}]}")
                                            << "\"major\"";
        QTest::newRow("link file name with a separator")
            << "/changelogs/1.0/link"
            << QByteArray("{\"major\":1,\"minor\":0,\"date\":0,\"link\":\"http://x\",\"key\":\"\",\"extra\":\"\",\"fileName\":\"../../x.logdata\"}")
            << "refused change-log file name";
        QTest::newRow("link for another version")
            << "/changelogs/1.0/link"
            << QByteArray("{\"major\":2,\"minor\":0,\"date\":0,\"link\":\"http://x\",\"key\":\"\",\"extra\":\"\",\"fileName\":\"x-2.0.logdata\"}")
            << "another version";
    }
    void malformedAnswers()
    {
        QFETCH(QString, route);
        QFETCH(QByteArray, answer);
        QFETCH(QString, expected);
        ServerRootFixture root;
        const QString canned = QDir(root.Root()).filePath(QStringLiteral("canned.json"));
        ServerRootFixture::WriteFile(canned, answer);
        const Served served = Serve(root, QStringLiteral("http"), {QStringLiteral("--canned"), route + "=" + canned});
        Api api(served.base.toStdString());
        api.SetCredential(ServerRootFixture::kAuth, 1);
        int status = -1;
        std::string message;
        bool hasData = true;
        if (route == QLatin1String("/show/files")) {
            const auto result = api.GetAllShowFiles();
            status = result.status;
            message = result.message;
            hasData = result.data.has_value();
        } else if (route == QLatin1String("/changelogs")) {
            const auto result = api.GetAvailableLogs();
            status = result.status;
            message = result.message;
            hasData = result.data.has_value();
        } else {
            const auto result = api.GetChangelogLinkByVersion(1, 0);
            status = result.status;
            message = result.message;
            hasData = result.data.has_value();
        }
        QCOMPARE(status, Api::API_MALFORMED_RESPONSE);
        QVERIFY(!hasData);
        QVERIFY2(QString::fromStdString(message).contains(expected), message.c_str());
    }

    // A base address with a path ("http://host:port/api/v1"), links included.
    void basePath()
    {
        ServerRootFixture root;
        const Served served = Serve(root, QStringLiteral("http"), {QStringLiteral("--base-path"), QStringLiteral("/api/v1")});
        Api bare(served.base.toStdString());
        bare.SetCredential(ServerRootFixture::kAuth, 1);
        QCOMPARE(bare.GetAllShowFiles().status, Api::API_NOT_FOUND);

        Api api((served.base + QStringLiteral("/api/v1/")).toStdString());
        api.SetCredential(ServerRootFixture::kAuth, 1);
        QCOMPARE(api.GetAllShowFiles().status, Api::API_SUCCESS);
        const auto link = api.GetChangelogLinkByVersion(1, 0);
        QVERIFY(QString::fromStdString(link.data->link).startsWith(served.base + QStringLiteral("/api/v1/changelogs/1.0/file?token=")));
        QTemporaryDir folder;
        const QString target = QDir(folder.path()).filePath(QStringLiteral("x-1.0.logdata"));
        zarn::networking::ZARNDownloader().Download(link.data->link, target.toStdString(), link.data->extra, {}, {});
        QCOMPARE(ReadFile(target), root.PlainLog(1, 0));
    }

    void serverErrorsCarryTheirMessage()
    {
        ServerRootFixture root;
        const Served served = Serve(root, QStringLiteral("http"), {QStringLiteral("--fail-path"), QStringLiteral("/changelogs")});
        Api api(served.base.toStdString());
        api.SetCredential(ServerRootFixture::kAuth, 1);
        const auto result = api.GetAvailableLogs();
        QCOMPARE(result.status, Api::API_SERVER_ERROR);
        QCOMPARE(QString::fromStdString(result.message), QStringLiteral("Injected failure (HTTP 500)"));
    }
};

QTEST_GUILESS_MAIN(NetworkApiTest)
#include "tst_networkapi.moc"
