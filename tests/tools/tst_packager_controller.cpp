// The packager's controller packs a real show: the demo show, its score pages and a folder of
// sound effects go into a server root that the program's own show download then fetches,
// once from file:// through the show installer and once from the reference server. Refusals
// leave nothing behind, and the sound-effect packing is all or nothing.
#include "PackagerController.h"
#include "ReferenceServerProcess.h"
#include "ScorePacker.h"
#include "ShowInstaller.h"
#include "TestFiles.h"

#include "AudioInterface.h"
#include "CorvanePlayerFactory.h"
#include "IsolatedDataHome.h"
#include "SfxTestHelpers.h"

#include "DownloadPlan.h"
#include "NetworkApiInterface.h"
#include "PerformShowDownload.h"
#include "ZARNDownloader.h"

#include "zarn_core/ShowCredential.h"
#include "zarn_core/ShowStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>

using zarn::networking::NetworkApiInterface;
using zarn::testing::WriteTone;
using zarn::tools::PackagerController;

namespace {

QStringList Listing(const QString& folder)
{
    QStringList names;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        names << QDir(folder).relativeFilePath(it.next());
    names.sort();
    return names;
}

// The demo show with its score pages, packed into the destination.
void AimAtTheDemo(PackagerController& controller, const QString& destination)
{
    controller.setName(QStringLiteral("Lanterns Demo"));
    controller.setSourceDirectory(QStringLiteral(CORVANE_DEMO_SHOW));
    controller.setImageDirectory(QStringLiteral(CORVANE_DEMO_PAGES));
    controller.setDestinationDirectory(destination);
}

// Runs one request through the controller the way the window does, and returns the message.
QString Run(PackagerController& controller, bool sfx = false)
{
    QSignalSpy shown(&controller, &PackagerController::messageChanged);
    if (sfx)
        controller.packageSfx();
    else
        controller.package();
    if (!QTest::qWaitFor([&] { return controller.message() && !controller.busy(); }, 60000))
        return QStringLiteral("(no message)");
    return controller.messageBody();
}

} // namespace

class TestPackagerController : public QObject
{
    Q_OBJECT

    QTemporaryDir sfx_;

private slots:
    void initTestCase()
    {
        WriteTone(QDir(sfx_.path()).filePath("thunder.wav"), 3.0, 110.0);
        WriteTone(QDir(sfx_.path()).filePath("Doorbell.WAV"), 0.5, 880.0);
    }

    void showIdFromTheName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("id");
        QTest::newRow("words") << "Lanterns Demo" << "lanterns-demo";
        QTest::newRow("runs of others") << "  The  Lamp--Lighter's Song! " << "the-lamp-lighter-s-song";
        QTest::newRow("digits") << "42nd Street" << "42nd-street";
        QTest::newRow("no letter or digit") << "!!! ---" << "";
        QTest::newRow("path tricks stay inside") << "../../etc" << "etc";
        QTest::newRow("accents come off") << QString::fromUtf8("Ñandú Café") << "nandu-cafe";
        QTest::newRow("another script only") << QString::fromUtf8("東京") << "";
    }

    void showIdFromTheName()
    {
        QFETCH(QString, name);
        QFETCH(QString, id);
        QCOMPARE(PackagerController::ShowIdOf(name), id);
    }

    void packedShowIsFetchedByTheShowDownload_data()
    {
        QTest::addColumn<bool>("overHttp");
        QTest::addColumn<bool>("advanced");
        QTest::newRow("file:// through the installer") << false << false;
        QTest::newRow("reference server, advanced features") << true << true;
    }

    void packedShowIsFetchedByTheShowDownload()
    {
        QFETCH(bool, overHttp);
        QFETCH(bool, advanced);
        QTemporaryDir destination;
        PackagerController controller;
        AimAtTheDemo(controller, destination.path());
        controller.setSoundEffectsDirectory(sfx_.path());
        controller.setAdvancedFeatures(advanced);
        const QString body = Run(controller);
        const QString root = QDir(destination.path()).filePath("lanterns-demo");
        QVERIFY2(body.startsWith("Packed Lanterns Demo into " + root + ": "), qPrintable(body));
        QVERIFY2(body.contains(" MB, score of 6 pages."), qPrintable(body));
        QVERIFY2(!body.contains("Warning"), qPrintable(body));
        QCOMPARE(Listing(destination.path()).filter(QRegularExpression("^[^/]+$")), QStringList{"lanterns-demo"});

        IsolatedDataHome home;
        const std::filesystem::path data = std::filesystem::path(home.path().toStdString()) / "corvane";
        zarn::tools::ShowInstaller::Install(root.toStdString(), data);
        std::unique_ptr<ReferenceServerProcess> server;
        if (overHttp) {
            server = std::make_unique<ReferenceServerProcess>(root);
            QString problem;
            QVERIFY2(server->Start(&problem), qPrintable(problem));
            cmn::ShowStore installed(data);
            std::vector<cmn::ShowRecord> records = installed.Shows();
            for (cmn::ShowRecord& record : records)
                record.apiBaseUrl = server->BaseUrl().toStdString();
            cmn::ShowStore::Write(data, installed.CurrentShowId(), records, server->BaseUrl().toStdString());
        }
        const cmn::ShowStore store(data);
        const cmn::ShowRecord& record = store.CurrentShowRecord();
        NetworkApiInterface api(store.ApiBaseUrl());
        api.SetCredential(record.AuthenticationHash(), 1);
        const auto files = api.GetAllShowFiles();
        QCOMPARE(files.status, NetworkApiInterface::API_SUCCESS);
        auto plan = zarn::networking::ValidateDownloadPlan(zarn::networking::GetDownloadPlan(*files.data),
                                                           store.CurrentShowFolder().string());
        std::atomic<bool> cancel{false};
        zarn_download::PerformShowDownload(record.AuthenticationHash(),
                                           std::make_shared<zarn::networking::DownloadCallbacks>(), &cancel, "", 1,
                                           plan.get());

        // The fetched show: its record, audio, sound effects and score, byte for byte.
        const QString show = QString::fromStdString(store.CurrentShowFolder().string());
        QCOMPARE(ReadAll(QDir(show).filePath("show.json")), ReadAll(QDir(CORVANE_DEMO_SHOW).filePath("show.json")));
        QDirIterator audio(QDir(CORVANE_DEMO_SHOW).filePath("audio"), QDir::Files);
        int audioFiles = 0;
        while (audio.hasNext()) {
            const QString path = audio.next();
            QCOMPARE(ReadAll(QDir(show).filePath("audio/" + QFileInfo(path).fileName())), ReadAll(path));
            ++audioFiles;
        }
        QVERIFY(audioFiles > 0);
        for (const char* name : {"thunder.wav", "Doorbell.WAV"})
            QCOMPARE(ReadAll(QDir(show).filePath(QStringLiteral("sfx/") + name)), ReadAll(QDir(sfx_.path()).filePath(name)));
        QCOMPARE(ReadAll(QDir(show).filePath("score.score")), ReadAll(QDir(root).filePath("show/score.score")));
        const cmn::ShowStore fetched(data);
        const auto pages = zarn::tools::ScorePacker::Unpack(QDir(show).filePath("score.score").toStdString(),
                                                            fetched.GetScoreKey(), fetched.GetScoreIv());
        QCOMPARE(pages.size(), std::size_t(6));

        // The change log 1.0 is on the server (enciphered with the advanced features) and
        // comes back equal.
        const auto logs = api.GetAvailableLogs();
        QCOMPARE(logs.status, NetworkApiInterface::API_SUCCESS);
        QCOMPARE(logs.data->size(), std::size_t(1));
        QCOMPARE(int(logs.data->front().major), 1);
        QCOMPARE(int(logs.data->front().minor), 0);
        const auto link = api.GetChangelogLinkByVersion(1, 0);
        QCOMPARE(link.status, NetworkApiInterface::API_SUCCESS);
        QCOMPARE(!link.data->keyHex.empty(), advanced);
        QCOMPARE(QFileInfo::exists(QDir(root).filePath("changelogs/lanterns-1.0.logdata.enc")), advanced);
        // Fetched as the change-log manager fetches it: an enciphered log is not part of the
        // show download, so only now does the show folder hold it.
        const QString logName = QString::fromStdString(link.data->fileName);
        QCOMPARE(QFileInfo::exists(QDir(show).filePath(logName)), !advanced);
        const std::string fetchedLog = (store.CurrentShowFolder() / link.data->fileName).string();
        zarn::networking::ZARNDownloader().DownloadForShow(link.data->link, fetchedLog, link.data->extra,
                                                           link.data->keyHex, store.CurrentShowFolder());
        QCOMPARE(ReadAll(QString::fromStdString(fetchedLog)),
                 ReadAll(QDir(CORVANE_DEMO_SHOW).filePath("lanterns-1.0.logdata")));

        // The program's engine opens the fetched show.
        zarn::qt::CorvanePlayerFactory profile;
        std::unique_ptr<Interface> engine = profile.CreateAudioInterface(show, nullptr);
        QVERIFY(engine);
        QCOMPARE(engine->GetLogVersion(), std::string("1.0"));
        engine->Shutdown();
    }

    void refusalsWriteNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("pages");
        QTest::addColumn<bool>("rootExists");
        QTest::addColumn<QString>("reason");
        const QString show = QStringLiteral(CORVANE_DEMO_SHOW);
        const QString pages = QStringLiteral(CORVANE_DEMO_PAGES);
        QTest::newRow("existing root") << "Lanterns Demo" << show << pages << true << "exists already";
        QTest::newRow("missing source") << "Lanterns Demo" << "/no/such/show" << pages << false << "does not exist";
        QTest::newRow("name without letters") << "?! --" << show << pages << false << "no letter a-z or digit 0-9";
        QTest::newRow("name in another script") << QString::fromUtf8("東京") << show << pages << false << "no letter a-z or digit 0-9";
        QTest::newRow("image folder without pages") << "Lanterns Demo" << show << QString("EMPTY") << false << "";
    }

    void refusalsWriteNothing()
    {
        QFETCH(QString, name);
        QFETCH(QString, source);
        QFETCH(QString, pages);
        QFETCH(bool, rootExists);
        QFETCH(QString, reason);
        QTemporaryDir destination;
        QTemporaryDir emptyPages;
        if (pages == "EMPTY")
            pages = emptyPages.path();
        if (rootExists) {
            QVERIFY(QDir(destination.path()).mkpath("lanterns-demo/changelogs"));
            QFile keep(QDir(destination.path()).filePath("lanterns-demo/changelogs/lanterns-2.0.logdata"));
            QVERIFY(keep.open(QIODevice::WriteOnly));
            keep.write("shared");
        }
        const QStringList before = Listing(destination.path());
        PackagerController controller;
        controller.setName(name);
        controller.setSourceDirectory(source);
        controller.setImageDirectory(pages);
        controller.setDestinationDirectory(destination.path());
        const QString body = Run(controller);
        QVERIFY2(body.startsWith("Error: "), qPrintable(body));
        QVERIFY2(body.count('\n') == 0, qPrintable(body));
        QVERIFY2(body.contains(reason), qPrintable(body));
        QCOMPARE(Listing(destination.path()), before);
    }

    void credentialOfTheShowFolderIsKept()
    {
        QTemporaryDir source;
        QTemporaryDir destination;
        QVERIFY(QFile::copy(QDir(CORVANE_DEMO_SHOW).filePath("show.json"), QDir(source.path()).filePath("show.json")));
        cmn::ShowCredential credential;
        credential.showId = "old-id";
        credential.authHash = "feedc0de";
        credential.WriteToFolder(source.path().toStdString());
        PackagerController controller;
        controller.setName(QStringLiteral("Kept"));
        controller.setSourceDirectory(source.path());
        controller.setImageDirectory(QStringLiteral(CORVANE_DEMO_PAGES));
        controller.setDestinationDirectory(destination.path());
        const QString body = Run(controller);
        QVERIFY2(body.startsWith("Packed Kept into "), qPrintable(body));
        const QJsonObject server = QJsonDocument::fromJson(ReadAll(QDir(destination.path()).filePath("kept/server.json"))).object();
        QCOMPARE(server.value("authHash").toString(), QStringLiteral("feedc0de"));
        // A broken credential file is a refusal, not a new credential.
        QFile broken(QDir(source.path()).filePath("credential.json"));
        QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
        broken.write("[1, 2]");
        broken.close();
        controller.setName(QStringLiteral("Broken"));
        controller.setMessage(false);
        const QString refused = Run(controller);
        QVERIFY2(refused.startsWith("Error: ") && refused.contains("credential.json"), qPrintable(refused));
        QVERIFY(!QFileInfo::exists(QDir(destination.path()).filePath("broken")));
    }

    void destinationThatCannotBeMadeIsRefused()
    {
        QTemporaryDir dir;
        QFile blocker(QDir(dir.path()).filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        PackagerController controller;
        controller.setName(QStringLiteral("Lanterns Demo"));
        controller.setSourceDirectory(QStringLiteral(CORVANE_DEMO_SHOW));
        controller.setDestinationDirectory(QDir(dir.path()).filePath("blocker/roots"));
        const QString body = Run(controller);
        QVERIFY2(body.startsWith("Error: ") && body.contains("cannot be made"), qPrintable(body));
        QCOMPARE(Listing(dir.path()), QStringList{"blocker"});
    }

    void packsWithGapsAsWarnings()
    {
        QTemporaryDir source;
        QTemporaryDir destination;
        QVERIFY(QFile::copy(QDir(CORVANE_DEMO_SHOW).filePath("show.json"), QDir(source.path()).filePath("show.json")));
        PackagerController controller;
        controller.setName(QStringLiteral("Bare"));
        controller.setSourceDirectory(source.path());
        controller.setDestinationDirectory(destination.path());
        const QStringList lines = Run(controller).split('\n');
        QVERIFY2(lines.value(0).startsWith("Packed Bare into "), qPrintable(lines.join('\n')));
        QVERIFY(lines.value(0).endsWith("score of 0 pages."));
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[1].startsWith("Warning: ") && lines[1].contains("image"));
        QVERIFY(lines[2].startsWith("Warning: ") && lines[2].contains("change log"));
        // The credential made for the show is the one the root's server record carries.
        const QJsonObject server = QJsonDocument::fromJson(ReadAll(QDir(destination.path()).filePath("bare/server.json"))).object();
        QCOMPARE(server.value("authHash").toString().size(), 64);
        QCOMPARE(server.value("record").toObject().value("id").toString(), QStringLiteral("bare"));
    }

    // Names the packers do not take, for their case, are neither counted nor asked for: the
    // message counts the pages packed, and an "X.LOGDATA" is not a log to encipher.
    void upperCaseNamesAreNotPagesOrLogs()
    {
        QTemporaryDir source;
        QTemporaryDir pages;
        QTemporaryDir destination;
        for (const QString& name : {QStringLiteral("show.json"), QStringLiteral("lanterns-1.0.logdata")})
            QVERIFY(QFile::copy(QDir(CORVANE_DEMO_SHOW).filePath(name), QDir(source.path()).filePath(name)));
        QVERIFY(QFile::copy(QDir(CORVANE_DEMO_SHOW).filePath("lanterns-1.0.logdata"), QDir(source.path()).filePath("NOTES.LOGDATA")));
        const QStringList demoPages = QDir(CORVANE_DEMO_PAGES).entryList({"*.png"}, QDir::Files);
        for (const QString& name : demoPages)
            QVERIFY(QFile::copy(QDir(CORVANE_DEMO_PAGES).filePath(name), QDir(pages.path()).filePath(name)));
        QVERIFY(QFile::copy(QDir(CORVANE_DEMO_PAGES).filePath(demoPages.first()), QDir(pages.path()).filePath("PAGE7.PNG")));
        PackagerController controller;
        controller.setName(QStringLiteral("Cased"));
        controller.setSourceDirectory(source.path());
        controller.setImageDirectory(pages.path());
        controller.setDestinationDirectory(destination.path());
        controller.setAdvancedFeatures(true);
        const QString body = Run(controller);
        QVERIFY2(body.startsWith("Packed Cased into "), qPrintable(body));
        QVERIFY2(body.contains(QString(" MB, score of %1 pages.").arg(demoPages.size())), qPrintable(body));
    }

    void aSecondRequestWhileOneRunsIsRefused()
    {
        QTemporaryDir destination;
        PackagerController controller;
        AimAtTheDemo(controller, destination.path());
        controller.package();
        QVERIFY(controller.busy());
        controller.package();
        QVERIFY(controller.message());
        QVERIFY2(controller.messageBody().startsWith("Error: "), qPrintable(controller.messageBody()));
        controller.setMessage(false);
        QTRY_VERIFY_WITH_TIMEOUT(controller.message() && !controller.busy(), 60000);
        QVERIFY2(controller.messageBody().startsWith("Packed "), qPrintable(controller.messageBody()));
    }

    void closingWaitsForTheRunningJob()
    {
        QTemporaryDir destination;
        {
            PackagerController controller;
            AimAtTheDemo(controller, destination.path());
            controller.package();
        }
        // The whole root, nothing half-built beside it.
        QCOMPARE(QDir(destination.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{"lanterns-demo"});
        QVERIFY(QFileInfo::exists(QDir(destination.path()).filePath("lanterns-demo/server.json")));
        QVERIFY(QFileInfo::exists(QDir(destination.path()).filePath("lanterns-demo/show/score.score")));
    }

    void messageBodyIsSetBeforeMessage()
    {
        PackagerController controller;
        QString bodyWhenShown;
        connect(&controller, &PackagerController::messageChanged, this, [&] {
            if (controller.message())
                bodyWhenShown = controller.messageBody();
        });
        controller.setName(QStringLiteral("x"));
        Run(controller);
        QVERIFY2(bodyWhenShown.startsWith("Error: "), qPrintable(bodyWhenShown));
    }

    void midiFilesFollowTheSourceFolder()
    {
        QTemporaryDir source;
        for (const char* name : {"b.mid", "A.MIDI", "notes.txt", "c.midi"}) {
            QFile file(QDir(source.path()).filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir(source.path()).mkdir("sub.mid"));
        PackagerController controller;
        QSignalSpy changed(&controller, &PackagerController::filesChanged);
        controller.setSourceDirectory(source.path());
        QCOMPARE(controller.files(), (QStringList{"A.MIDI", "b.mid", "c.midi"}));
        QCOMPARE(changed.count(), 1);
        QFile added(QDir(source.path()).filePath("0.mid"));
        QVERIFY(added.open(QIODevice::WriteOnly));
        added.close();
        QTRY_COMPARE(controller.files().value(0), QStringLiteral("0.mid"));
        controller.setSourceDirectory(QString());
        QVERIFY(controller.files().isEmpty());
    }

    void soundEffectsGoWithTheirManifest()
    {
        QTemporaryDir destination;
        const QString out = QDir(destination.path()).filePath("sfx");
        PackagerController controller;
        controller.setSfxSourceDirectory(sfx_.path());
        controller.setSfxDestinationDirectory(out);
        const QString body = Run(controller, true);
        QVERIFY2(body.startsWith("Packed 2 sound effects into " + out), qPrintable(body));
        const QJsonArray effects =
            QJsonDocument::fromJson(ReadAll(QDir(out).filePath("sfx.json"))).object().value("effects").toArray();
        QCOMPARE(effects.size(), 2);
        QStringList ids;
        for (const QJsonValue& value : effects) {
            const QJsonObject entry = value.toObject();
            ids << entry.value("sfxid").toString();
            const QByteArray bytes = ReadAll(QDir(out).filePath(entry.value("file").toString()));
            QCOMPARE(entry.value("size").toInteger(), bytes.size());
            QCOMPARE(entry.value("sha256").toString(),
                     QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
        }
        QCOMPARE(ids, (QStringList{"Doorbell", "thunder"}));
        QCOMPARE(Listing(out), (QStringList{"Doorbell.WAV", "sfx.json", "thunder.wav"}));

        // A second run would overwrite: refused, and nothing changes.
        const QByteArray manifest = ReadAll(QDir(out).filePath("sfx.json"));
        controller.setMessage(false);
        const QString again = Run(controller, true);
        QVERIFY2(again.startsWith("Error: ") && again.contains("exists already"), qPrintable(again));
        QCOMPARE(Listing(out), (QStringList{"Doorbell.WAV", "sfx.json", "thunder.wav"}));
        QCOMPARE(ReadAll(QDir(out).filePath("sfx.json")), manifest);
    }

    void soundEffectRefusals_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("clash");
        QTest::newRow("no source folder") << "/no/such/sfx" << QString();
        QTest::newRow("no audio in it") << "EMPTY" << QString();
        QTest::newRow("one file taken") << QString() << "thunder.wav";
    }

    void soundEffectRefusals()
    {
        QFETCH(QString, source);
        QFETCH(QString, clash);
        QTemporaryDir empty;
        QTemporaryDir destination;
        if (source.isEmpty())
            source = sfx_.path();
        else if (source == "EMPTY")
            source = empty.path();
        if (!clash.isEmpty()) {
            QFile taken(QDir(destination.path()).filePath(clash));
            QVERIFY(taken.open(QIODevice::WriteOnly));
            taken.write("mine");
        }
        const QStringList before = Listing(destination.path());
        PackagerController controller;
        controller.setSfxSourceDirectory(source);
        controller.setSfxDestinationDirectory(destination.path());
        const QString body = Run(controller, true);
        QVERIFY2(body.startsWith("Error: "), qPrintable(body));
        QCOMPARE(Listing(destination.path()), before);
    }
};

QTEST_GUILESS_MAIN(TestPackagerController)
#include "tst_packager_controller.moc"
