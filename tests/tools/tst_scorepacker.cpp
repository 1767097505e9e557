#include "ScorePacker.h"
#include "ShowInstaller.h"
#include "ShowRootPacker.h"

#include "NetworkApiInterface.h"
#include "ServerRootFixture.h"
#include "TwoFishCipher.h"
#include "TwoFishCipherStream.h"
#include "ZARNDownloader.h"
#include "zarn_core/ShowCredential.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

using zarn::tools::ScorePacker;
using zarn::tools::ShowRootOptions;
using zarn::tools::ShowRootPacker;

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A folder of pages as a score's author leaves it: pages, and things that are not pages.
void MakePages(const QString& folder)
{
    QDir().mkpath(folder);
    ServerRootFixture::WriteFile(QDir(folder).filePath("page2.png"), ServerRootFixture::Pattern(70000, 2));
    ServerRootFixture::WriteFile(QDir(folder).filePath("page1.png"), ServerRootFixture::Pattern(40000, 1));
    ServerRootFixture::WriteFile(QDir(folder).filePath("page10.png"), ServerRootFixture::Pattern(10, 10));
    ServerRootFixture::WriteFile(QDir(folder).filePath("notes.txt"), "not a page");
    ServerRootFixture::WriteFile(QDir(folder).filePath(".hidden.png"), "editor's backup");
}

} // namespace

class ScorePackerTest : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<bool>("compress");
        QTest::newRow("gzip") << true;
        QTest::newRow("plain tar") << false;
    }
    void roundTrip()
    {
        QFETCH(bool, compress);
        QTemporaryDir dir;
        const QString pages = dir.filePath("pages");
        MakePages(pages);
        const auto key = zarn_sec::RandomBytes(32);
        const auto iv = zarn_sec::RandomBytes(16);
        const std::string score = dir.filePath("show.score").toStdString();
        ScorePacker::Pack(pages.toStdString(), score, key, iv, compress);

        const auto unpacked = ScorePacker::Unpack(score, key, iv);
        QCOMPARE(unpacked.size(), std::size_t(3));
        QCOMPARE(QString::fromStdString(unpacked[0].name), QStringLiteral("page1.png"));
        QCOMPARE(QString::fromStdString(unpacked[1].name), QStringLiteral("page10.png"));
        QCOMPARE(QString::fromStdString(unpacked[2].name), QStringLiteral("page2.png"));
        const QByteArray page2 = ReadFile(QDir(pages).filePath("page2.png"));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(unpacked[2].bytes.data()), qsizetype(unpacked[2].bytes.size())),
                 page2);

        // What the score view does: decipher, drop 16 bytes, hand the rest to libarchive.
        zarn_sec::TwoFishCipherStream stream(score, key, iv);
        const std::string content = stream.GetStream().str();
        const std::vector<uint8_t> archive(content.begin() + 16, content.end());
        QCOMPARE(ScorePacker::ReadArchive(archive).size(), std::size_t(3));
        if (compress) {
            QCOMPARE(int(archive[0]), 0x1f); // gzip magic
            QCOMPARE(int(archive[1]), 0x8b);
        }

        // The random prefix makes every packing of the same pages differ.
        const std::string again = dir.filePath("again.score").toStdString();
        ScorePacker::Pack(pages.toStdString(), again, key, iv, compress);
        QVERIFY(ReadFile(QString::fromStdString(score)) != ReadFile(QString::fromStdString(again)));
    }

    void failuresAreClear()
    {
        QTemporaryDir dir;
        const QString pages = dir.filePath("pages");
        MakePages(pages);
        std::vector<uint8_t> key(32, 7);
        const std::vector<uint8_t> iv(16, 9);
        const std::string score = dir.filePath("show.score").toStdString();
        ScorePacker::Pack(pages.toStdString(), score, key, iv);

        const auto expectError = [](const std::function<void()>& action, const QString& expected) {
            try {
                action();
                QFAIL("no error");
            } catch (const std::runtime_error& error) {
                QVERIFY2(QString::fromUtf8(error.what()).contains(expected), error.what());
            }
        };
        std::vector<uint8_t> wrong = key;
        wrong[5] ^= 0x40;
        expectError([&] { ScorePacker::Unpack(score, wrong, iv); }, "wrong key or damaged file");

        QFile::resize(QString::fromStdString(score), QFileInfo(QString::fromStdString(score)).size() - 7);
        expectError([&] { ScorePacker::Unpack(score, key, iv); }, "not a multiple of 16");
        QFile::resize(QString::fromStdString(score), QFileInfo(QString::fromStdString(score)).size() - 9);
        // Whole blocks cut off the end: the size fits, the tag does not.
        expectError([&] { ScorePacker::Unpack(score, key, iv); }, "wrong key or damaged file");

        const QString empty = dir.filePath("empty");
        QDir().mkpath(empty);
        expectError([&] { ScorePacker::Pack(empty.toStdString(), dir.filePath("x.score").toStdString(), key, iv); },
                    "No .png pages");
        QVERIFY(!QFileInfo::exists(dir.filePath("x.score")));
        expectError([&] { ScorePacker::ReadArchive(std::vector<uint8_t>(600, 'x')); }, "score archive");
    }

    // A show folder becomes a server root that the client reads like any other.
    void showRoot()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath("source");
        ServerRootFixture::WriteFile(QDir(source).filePath("show.json"), "{\"songs\": []}");
        ServerRootFixture::WriteFile(QDir(source).filePath("audio/one.wav"), ServerRootFixture::Pattern(1000, 1));
        ServerRootFixture::WriteFile(QDir(source).filePath("demo-1.0.logdata"), "{\"modified\": 100}");
        ServerRootFixture::WriteFile(QDir(source).filePath("demo-2.0.logdata"), "{\"modified\": 200}");
        MakePages(dir.filePath("pages"));

        ShowRootOptions options;
        options.showFolder = source.toStdString();
        options.pagesFolder = dir.filePath("pages").toStdString();
        options.scoreName = "Lanterns";
        options.outputRoot = dir.filePath("root dir ü").toStdString();
        options.authHash = "c0ffee";
        options.showId = "lanterns";
        options.showName = "Lanterns";
        options.customerName = "Hall Theatre";
        options.accountData = "acct";
        options.encipheredLogs = {"demo-2.0.logdata"};
        ShowRootPacker::Pack(options);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, ShowRootPacker::Pack(options)); // exists already
        options.replace = true;
        ShowRootPacker::Pack(options);
        QVERIFY(!QFileInfo::exists(dir.filePath("root dir ü.building")));

        const auto credential = cmn::ShowCredential::ReadFromFolder(dir.filePath("root dir ü/show").toStdString());
        QCOMPARE(credential.showId, std::string("lanterns"));
        QCOMPARE(credential.scoreKey.size(), std::size_t(32));
        QCOMPARE(ScorePacker::Unpack(dir.filePath("root dir ü/show/Lanterns.score").toStdString(), credential.scoreKey,
                                     credential.scoreIv)
                     .size(),
                 std::size_t(3));

        // The address as show_installer writes it (percent-encoded), to a folder with a space and a non-ASCII letter.
        const std::string base = zarn::tools::ShowInstaller::FileUrl(dir.filePath("root dir ü").toStdString());
        QVERIFY(base.find(' ') == std::string::npos);
        zarn::networking::NetworkApiInterface api(base);
        api.SetCredential("c0ffee", 1);
        const auto files = api.GetAllShowFiles();
        QCOMPARE(files.status, zarn::networking::NetworkApiInterface::API_SUCCESS);
        QCOMPARE(files.data->record.customerName, std::string("Hall Theatre"));
        QStringList paths;
        for (const auto& file : files.data->files) paths << QString::fromStdString(file.path);
        paths.sort();
        QCOMPARE(paths, (QStringList{"Lanterns.score", "audio/one.wav", "credential.json", "demo-1.0.logdata", "show.json"}));

        const auto link = api.GetChangelogLinkByVersion(2, 0);
        QCOMPARE(link.status, zarn::networking::NetworkApiInterface::API_SUCCESS);
        QVERIFY(!link.data->keyHex.empty());
        const QString target = dir.filePath("fetched-2.0.logdata");
        zarn::networking::ZARNDownloader().DownloadForShow(link.data->link, target.toStdString(), link.data->extra,
                                                           link.data->keyHex, dir.filePath("root dir ü/show").toStdString());
        QCOMPARE(ReadFile(target), QByteArray("{\"modified\": 200}"));
        QCOMPARE(api.GetAvailableLogs().data->at(1).date, 200);
    }
};

QTEST_GUILESS_MAIN(ScorePackerTest)
#include "tst_scorepacker.moc"
