#include "OscSettings.h"

#include <QtTest>

using namespace zarn::osc;

namespace {

const QByteArray kDefaultFile = "{\n    \"oscEnabled\": true,\n    \"oscListenPort\": 55037,\n    \"version\": \"1.0\"\n}\n";

void writeRaw(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readRaw(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestOscSettings : public QObject
{
    Q_OBJECT
private slots:
    void defaults();
    void writesExactBytes();
    void roundTrip();
    void read_data();
    void read();
    void unreadableFileWarnsAndKeepsValues();
    void createsMissingFolder();
    void failedWriteKeepsOldFileAndIsReported();
};

void TestOscSettings::defaults()
{
    QCOMPARE(OscSettings(), OscSettings(true, 55037));
    QVERIFY(QMetaType::fromType<OscSettings>().isValid());
}

void TestOscSettings::writesExactBytes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("osc_settings.zarn");
    QVERIFY(WriteOscSettings(OscSettings(), path.toStdString()));
    QCOMPARE(readRaw(path), kDefaultFile);

    QVERIFY(WriteOscSettings(OscSettings(false, 9000), path.toStdString()));
    QCOMPARE(readRaw(path),
             QByteArray("{\n    \"oscEnabled\": false,\n    \"oscListenPort\": 9000,\n    \"version\": \"1.0\"\n}\n"));
}

void TestOscSettings::roundTrip()
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("osc_settings.zarn").toStdString();
    for (const OscSettings& written : {OscSettings(), OscSettings(false, 1), OscSettings(true, 70000)}) {
        QVERIFY(WriteOscSettings(written, path));
        OscSettings read(false, 12);
        ReadOscSettings(read, path);
        QCOMPARE(read, written);
    }
}

void TestOscSettings::read_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("port");

    // The record starts as (false, 4242): an ignored file leaves it so.
    QTest::newRow("defaults file") << kDefaultFile << true << 55037;
    QTest::newRow("version only") << QByteArray(R"({"version": "1.0"})") << false << 0;
    QTest::newRow("other version") << QByteArray(R"({"version": "2.0", "oscEnabled": true, "oscListenPort": 1})")
                                   << false << 4242;
    QTest::newRow("no version") << QByteArray(R"({"oscEnabled": true, "oscListenPort": 1})") << false << 4242;
    QTest::newRow("numeric version") << QByteArray(R"({"version": 1.0, "oscEnabled": true})") << false << 4242;
    QTest::newRow("fractional port") << QByteArray(R"({"version": "1.0", "oscEnabled": true, "oscListenPort": 55037.5})")
                                     << true << 0;
    QTest::newRow("port beyond int32")
        << QByteArray(R"({"version": "1.0", "oscEnabled": true, "oscListenPort": 3000000000})") << true << 0;
    QTest::newRow("port as text") << QByteArray(R"({"version": "1.0", "oscEnabled": true, "oscListenPort": "9000"})")
                                  << true << 0;
    QTest::newRow("enabled as text") << QByteArray(R"({"version": "1.0", "oscEnabled": "true", "oscListenPort": 9000})")
                                     << false << 9000;
    QTest::newRow("broken json") << QByteArray(R"({"version": "1.0", )") << false << 4242;
    QTest::newRow("array") << QByteArray(R"([{"version": "1.0"}])") << false << 4242;
    QTest::newRow("empty file") << QByteArray() << false << 4242;
}

void TestOscSettings::read()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, enabled);
    QFETCH(int, port);
    QTemporaryDir dir;
    const QString path = dir.filePath("osc_settings.zarn");
    writeRaw(path, content);
    OscSettings settings(false, 4242);
    ReadOscSettings(settings, path.toStdString());
    QCOMPARE(settings, OscSettings(enabled, port));
}

void TestOscSettings::unreadableFileWarnsAndKeepsValues()
{
    QTemporaryDir dir;
    OscSettings settings(false, 4242);
    QTest::ignoreMessage(QtWarningMsg, "Failed to open osc settings file.");
    ReadOscSettings(settings, dir.filePath("missing.zarn").toStdString());
    QCOMPARE(settings, OscSettings(false, 4242));
}

void TestOscSettings::createsMissingFolder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a/b/osc_settings.zarn");
    QVERIFY(WriteOscSettings(OscSettings(), path.toStdString()));
    QCOMPARE(readRaw(path), kDefaultFile);
}

void TestOscSettings::failedWriteKeepsOldFileAndIsReported()
{
    QTemporaryDir dir;
    // The target is a folder: nothing can replace it.
    const QString target = dir.filePath("osc_settings.zarn");
    QVERIFY(QDir().mkpath(target));
    std::string error;
    QVERIFY(!WriteOscSettings(OscSettings(false, 1), target.toStdString(), &error));
    QVERIFY2(QString::fromStdString(error).startsWith("Cannot write the OSC settings file " + target + ": "),
             error.c_str());
    QVERIFY(QFileInfo(target).isDir());

    // A folder that refuses new files: the old file stays as it was.
    if (::geteuid() == 0)
        QSKIP("root may write into a read-only folder");
    const QString sub = dir.filePath("locked");
    QVERIFY(QDir().mkpath(sub));
    const QString path = sub + "/osc_settings.zarn";
    QVERIFY(WriteOscSettings(OscSettings(), path.toStdString()));
    QFile::setPermissions(sub, QFile::ReadOwner | QFile::ExeOwner);
    QVERIFY(!WriteOscSettings(OscSettings(false, 1), path.toStdString(), &error));
    QFile::setPermissions(sub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(readRaw(path), kDefaultFile);
}

QTEST_GUILESS_MAIN(TestOscSettings)
#include "tst_osc_settings.moc"
