#include "zarn_core/Directories.h"
#include "zarn_core/MakeDirectoryIfNeeded.h"
#include "zarn_core/ShowCredential.h"
#include "zarn_core/ShowStore.h"

#include <QtTest>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

class TestZarnCoreShowStore : public QObject
{
    Q_OBJECT

private slots:
    void readsFixtureFolder();
    void credentialAndScoreKey();
    void showWithoutScore();
    void brokenStores_data();
    void brokenStores();
    void brokenCredential_data();
    void brokenCredential();
    void credentialRoundTrip_data();
    void credentialRoundTrip();
    void credentialWriteRefusesUnreadableKeys();
    void writeAndReadBack();
    void makeDirectoryIfNeeded();
    void showDirectory();

private:
    fs::path Fixture() const
    {
        return fs::path(QFINDTESTDATA("fixtures/showstore/shows.json").toStdString()).parent_path();
    }
};

namespace {

void WriteAll(const fs::path& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary);
    out << bytes;
}

} // namespace

void TestZarnCoreShowStore::readsFixtureFolder()
{
    const fs::path data = Fixture();
    QVERIFY(!data.empty());
    const cmn::ShowStore store(data);
    QCOMPARE(store.DataFolder(), data);
    QCOMPARE(store.Shows().size(), std::size_t(2));
    const cmn::ShowRecord record = store.CurrentShowRecord(); // copyable
    QCOMPARE(record.id, std::string("spring_gala"));
    QCOMPARE(record.folder, std::string("spring_gala"));
    QCOMPARE(record.showName, std::string("Spring Gala"));
    QCOMPARE(record.customerName, std::string("Harbour Theatre"));
    QCOMPARE(record.AuthenticationHash().size(), std::size_t(64));
    QCOMPARE(store.CurrentShowId(), std::string("spring_gala"));
    QCOMPARE(store.CurrentShowFolder(), data / "spring_gala");
    QCOMPARE(store.CredentialFilePath(), data / "spring_gala" / "credential.json");
    QCOMPARE(store.ApiBaseUrl(), std::string("http://127.0.0.1:48123/api/v1"));
    QCOMPARE(store.GetShowRecord("winter_revue").apiBaseUrl, std::string("file:///srv/winter"));
    try {
        store.GetShowRecord("autumn");
        QFAIL("found");
    } catch (const std::out_of_range& e) {
        QVERIFY(QString(e.what()).contains("autumn"));
    }
    QVERIFY(cmn::ShowRecord() == cmn::ShowRecord());
}

void TestZarnCoreShowStore::credentialAndScoreKey()
{
    const cmn::ShowStore store(Fixture());
    const auto key = store.GetScoreKey();
    QCOMPARE(key.size(), std::size_t(32));
    QCOMPARE(int(key[0]), 0x00);
    QCOMPARE(int(key[10]), 0x0A);
    QCOMPARE(int(key[31]), 0x1F);
    const auto iv = store.GetScoreIv();
    QCOMPARE(iv.size(), std::size_t(16));
    QCOMPARE(int(iv[0]), 0xF0);
    QCOMPARE(store.GetAccountData(), std::string("account-7"));
    QCOMPARE(store.GetCredential().showId, std::string("spring_gala"));
}

void TestZarnCoreShowStore::showWithoutScore()
{
    // The fixture's other show has a credential without score key material; a third has none at all.
    QTemporaryDir dir;
    const fs::path data = dir.path().toStdString();
    fs::create_directories(data / "winter_revue");
    fs::copy_file(Fixture() / "winter_revue" / "credential.json", data / "winter_revue" / "credential.json");
    cmn::ShowStore::Write(data, "winter_revue", {{"winter_revue", "winter_revue", "Winter Revue", "L", "00ff", ""},
                                                 {"bare", "bare", "Bare", "L", "", ""}});
    const cmn::ShowStore winter(data);
    QVERIFY(winter.GetScoreKey().empty());
    QVERIFY(winter.GetScoreIv().empty());
    QCOMPARE(winter.ApiBaseUrl(), std::string(cmn::ShowStore::kDefaultApiBaseUrl));

    cmn::ShowStore::Write(data, "bare", {{"bare", "bare", "Bare", "L", "", ""}});
    const cmn::ShowStore bare(data);
    QVERIFY(bare.GetScoreKey().empty());
    QCOMPARE(bare.GetCredential(), cmn::ShowCredential());
}

void TestZarnCoreShowStore::brokenStores_data()
{
    QTest::addColumn<QString>("json"); // "-" means no shows.json at all
    QTest::addColumn<QString>("message");
    QTest::newRow("no file") << "-" << "No show is installed";
    QTest::newRow("no shows") << R"({"current":"a","shows":[]})" << "No show is installed";
    QTest::newRow("no list") << R"({"current":"a"})" << "No show is installed";
    QTest::newRow("not json") << "{\"current\":" << "not valid JSON";
    QTest::newRow("not an object") << "[1]" << "JSON object";
    QTest::newRow("shows not a list") << R"({"shows":{}})" << "not a list";
    QTest::newRow("unknown current") << R"({"current":"b","shows":[{"id":"a","folder":"a"}]})" << "\"b\" is not among";
    QTest::newRow("folder escapes") << R"({"shows":[{"id":"a","folder":".."}]})" << "plain folder name";
    QTest::newRow("folder path") << R"({"shows":[{"id":"a","folder":"x/../../etc"}]})" << "plain folder name";
    QTest::newRow("absolute folder") << R"({"shows":[{"id":"a","folder":"/etc"}]})" << "plain folder name";
    QTest::newRow("no id") << R"({"shows":[{"folder":"a"}]})" << "no id";
    QTest::newRow("name not text") << R"({"shows":[{"id":"a","showName":5}]})" << "\"showName\"";
}

void TestZarnCoreShowStore::brokenStores()
{
    QFETCH(QString, json);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const fs::path data = dir.path().toStdString();
    if (json != "-")
        WriteAll(data / "shows.json", json.toStdString());
    try {
        cmn::ShowStore store(data);
        QFAIL("accepted");
    } catch (const std::runtime_error& e) {
        QVERIFY2(QString(e.what()).contains(message), e.what());
    }
}

void TestZarnCoreShowStore::brokenCredential_data()
{
    const auto keys = [](int keyHexDigits, int ivHexDigits) {
        QByteArray json = "{";
        if (keyHexDigits > 0)
            json += "\"scoreKey\":\"" + QByteArray(keyHexDigits, '0') + "\"";
        if (keyHexDigits > 0 && ivHexDigits > 0)
            json += ",";
        if (ivHexDigits > 0)
            json += "\"scoreIv\":\"" + QByteArray(ivHexDigits, 'f') + "\"";
        return json + "}";
    };
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("message");
    QTest::newRow("not json") << QByteArray("nonsense") << "not valid JSON";
    QTest::newRow("not an object") << QByteArray("[1]") << "JSON object";
    QTest::newRow("not utf-8") << QByteArray("{\"accountData\":\"\xff\"}") << "not valid JSON";
    QTest::newRow("key not text") << QByteArray(R"({"scoreKey":5})") << "\"scoreKey\" is not a text";
    QTest::newRow("account not text") << QByteArray(R"({"accountData":7})") << "\"accountData\" is not a text";
    QTest::newRow("key not hex") << QByteArray(R"({"scoreKey":"zz"})") << "\"scoreKey\" is not hexadecimal";
    QTest::newRow("odd hex digit count") << QByteArray(R"({"scoreKey":"0g"})") << "\"scoreKey\" is not hexadecimal";
    QTest::newRow("key of one byte") << keys(2, 2) << "\"scoreKey\" has the wrong length";
    QTest::newRow("key of 20 bytes") << keys(40, 32) << "\"scoreKey\" has the wrong length";
    QTest::newRow("iv of 17 bytes") << keys(64, 34) << "\"scoreIv\" has the wrong length";
    QTest::newRow("key without iv") << keys(64, 0) << "needs its IV";
    QTest::newRow("iv without key") << keys(0, 32) << "needs its IV";
}

void TestZarnCoreShowStore::brokenCredential()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const fs::path data = dir.path().toStdString();
    fs::create_directories(data / "a");
    cmn::ShowStore::Write(data, "a", {{"a", "a", "A", "C", "h", ""}});
    WriteAll(data / "a" / "credential.json", json.toStdString());
    try {
        cmn::ShowCredential::TryReadFromFolder(data / "a");
        QFAIL("a broken credential file was accepted");
    } catch (const std::runtime_error& e) {
        QVERIFY2(QString(e.what()).contains("credential.json"), e.what());
        QVERIFY2(QString(e.what()).contains(message), e.what());
    }
    // The store and everything else read it through the same reader.
    const cmn::ShowStore store(data);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, store.GetScoreKey());
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, store.GetAccountData());
}

void TestZarnCoreShowStore::credentialRoundTrip_data()
{
    QTest::addColumn<int>("keyBytes"); // 0: a show without a score
    QTest::addColumn<QString>("accountData");
    QTest::newRow("256-bit key") << 32 << "account \"7\"";
    QTest::newRow("192-bit key") << 24 << "acct";
    QTest::newRow("128-bit key") << 16 << "";
    QTest::newRow("no score") << 0 << "Grüße\\n{}";
}

void TestZarnCoreShowStore::credentialRoundTrip()
{
    QFETCH(int, keyBytes);
    QFETCH(QString, accountData);
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    QVERIFY(!cmn::ShowCredential::TryReadFromFolder(folder).has_value());
    try {
        cmn::ShowCredential::ReadFromFolder(folder);
        QFAIL("a missing credential file was read");
    } catch (const std::runtime_error& e) {
        QVERIFY2(QString(e.what()).contains(dir.path()), e.what());
    }

    cmn::ShowCredential written{.showId = "demo", .authHash = "abc123", .accountData = accountData.toStdString()};
    for (int i = 0; i < keyBytes; ++i)
        written.scoreKey.push_back(static_cast<std::uint8_t>(0xF0 + i));
    if (keyBytes > 0)
        written.scoreIv = std::vector<std::uint8_t>(cmn::ShowCredential::kScoreIvBytes, 0x5A);
    written.WriteToFolder(folder);
    QCOMPARE(cmn::ShowCredential::ReadFromFolder(folder), written);
    // Rewriting replaces the file whole.
    written.showId = "other";
    written.WriteToFolder(folder);
    QCOMPARE(cmn::ShowCredential::TryReadFromFolder(folder), std::optional(written));
}

void TestZarnCoreShowStore::credentialWriteRefusesUnreadableKeys()
{
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    const cmn::ShowCredential good{.showId = "demo",
                                   .scoreKey = std::vector<std::uint8_t>(32, 1),
                                   .scoreIv = std::vector<std::uint8_t>(16, 2)};
    good.WriteToFolder(folder);
    auto keyWithoutIv = good;
    keyWithoutIv.scoreIv.clear();
    auto shortKey = good;
    shortKey.scoreKey.resize(20);
    auto longIv = good;
    longIv.scoreIv.push_back(3);
    for (const auto& bad : {keyWithoutIv, shortKey, longIv})
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, bad.WriteToFolder(folder));
    QCOMPARE(cmn::ShowCredential::ReadFromFolder(folder), good);
    // A write that cannot be made is reported.
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, good.WriteToFolder(folder / "missing" / "folder"));
}

void TestZarnCoreShowStore::writeAndReadBack()
{
    QTemporaryDir dir;
    const fs::path data = dir.path().toStdString();
    const std::vector<cmn::ShowRecord> shows = {
        {"one", "one_folder", "Show One", "Customer \"Q\"", "abc", ""},
        {"two", "two", "Show Two", "C2", "def", "http://127.0.0.1:1/api/v1"}};
    cmn::ShowStore::Write(data, "two", shows, "http://127.0.0.1:2/api/v1");
    const cmn::ShowStore store(data);
    QCOMPARE(store.Shows(), shows);
    QCOMPARE(store.CurrentShowId(), std::string("two"));
    QCOMPARE(store.ApiBaseUrl(), std::string("http://127.0.0.1:1/api/v1"));

    cmn::ShowCredential credential;
    credential.showId = "two";
    credential.authHash = "def";
    credential.scoreKey = std::vector<std::uint8_t>(32, 0xAB);
    credential.scoreIv = std::vector<std::uint8_t>(16, 0x01);
    credential.accountData = "acct";
    fs::create_directories(store.CurrentShowFolder());
    credential.WriteToFolder(store.CurrentShowFolder());
    QCOMPARE(store.GetCredential(), credential);

    QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                             cmn::ShowStore::Write(data, "x", {{"x", "../x", "X", "C", "", ""}}));
    // The refused write left the earlier file alone.
    QCOMPARE(cmn::ShowStore(data).Shows(), shows);
}

void TestZarnCoreShowStore::makeDirectoryIfNeeded()
{
    QTemporaryDir dir;
    const fs::path base = dir.path().toStdString();
    const fs::path nested = base / "a" / "b" / "c";
    zarn::MakeDirectoryIfNeeded(nested.string());
    QVERIFY(fs::is_directory(nested));
    zarn::MakeDirectoryIfNeeded(nested.string()); // already there
    WriteAll(base / "file", "x");
    QVERIFY_THROWS_EXCEPTION(fs::filesystem_error, zarn::MakeDirectoryIfNeeded((base / "file").string()));
    QVERIFY_THROWS_EXCEPTION(fs::filesystem_error, zarn::MakeDirectoryIfNeeded((base / "file" / "sub").string()));
}

void TestZarnCoreShowStore::showDirectory()
{
    ::directories.SetShowDirectory("/data/corvane/spring_gala");
    QCOMPARE(::directories.GetShowDirectory(), std::string("/data/corvane/spring_gala"));
    ::directories.SetShowDirectory("");
}

QTEST_GUILESS_MAIN(TestZarnCoreShowStore)
#include "tst_zarn_core_showstore.moc"
