// The version rules of saving and sharing, and of finding the newest local change log, on
// plain lists of names; the folder listing and the file time on a temporary folder.

#include "ChangeLogVersions.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using zarn::qt::VersionRefused;

namespace {

QString Text(const cmn::ZARNVersion& version)
{
    return QStringLiteral("%1.%2").arg(version.major).arg(version.minor);
}

std::vector<std::string> Names(const QStringList& names)
{
    std::vector<std::string> result;
    for (const QString& name : names)
        result.push_back(name.toStdString());
    return result;
}

// "" for a refusal, else the version as text.
QString NextSave(const QStringList& names)
{
    try {
        return Text(zarn::qt::NextSaveVersion(zarn::qt::NewestLogVersion(Names(names))));
    } catch (const VersionRefused&) {
        return QString();
    }
}

QString NextShare(const QList<int>& majors)
{
    zarn::networking::ChangelogInfoList logs;
    for (int major : majors)
        logs.push_back({static_cast<std::uint8_t>(major), 7, 0});
    try {
        return Text(zarn::qt::NextShareVersion(logs));
    } catch (const VersionRefused&) {
        return QString();
    }
}

} // namespace

class TestChangeLogVersions : public QObject
{
    Q_OBJECT

private slots:
    void nextSave_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("next"); // empty: refused
        QTest::newRow("numbers, not text: 1.12 above 1.4")
            << QStringList{"a-1.4.logdata", "a-1.12.logdata", "a-1.9.logdata"} << "1.13";
        QTest::newRow("major first") << QStringList{"a-3.1.logdata", "a-2.200.logdata"} << "3.2";
        QTest::newRow("none") << QStringList{} << "0.1";
        QTest::newRow("only 0.0") << QStringList{"a-0.0.logdata"} << "0.1";
        QTest::newRow("minor 255 refused") << QStringList{"a-2.255.logdata"} << "";
        QTest::newRow("minor 255 below a newer major") << QStringList{"a-2.255.logdata", "a-3.0.logdata"} << "3.1";
        QTest::newRow("stem with dashes") << QStringList{"my-show-2-4.7.logdata"} << "4.8";
        QTest::newRow("stray names skipped, not cut to 8 bits")
            << QStringList{"a-300.1.logdata", "a1.9.logdata", "a-7.logdata", "a-1.x.logdata", "a-5.0.logdata.bak",
                           "a-6.0.LOGDATA", "a-1.2.logdata"}
            << "1.3";
        QTest::newRow("only stray names") << QStringList{"a-300.1.logdata", "b-1.256.logdata", "notes.txt"} << "0.1";
    }
    void nextSave()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, next);
        QCOMPARE(NextSave(names), next);
    }

    void refusalsSayNothingWasWritten()
    {
        try {
            zarn::qt::NextSaveVersion(cmn::ZARNVersion(2, 255));
            QFAIL("a save past minor 255 was not refused");
        } catch (const VersionRefused& e) {
            const QString text = QString::fromUtf8(e.what());
            QVERIFY2(text.contains("2.255") && text.contains("nothing was saved"), e.what());
        }
        try {
            zarn::qt::NextShareVersion({{255, 0, 0}});
            QFAIL("a share over major 255 was not refused");
        } catch (const VersionRefused& e) {
            const QString text = QString::fromUtf8(e.what());
            QVERIFY2(text.contains("255") && text.contains("nothing was saved or uploaded"), e.what());
        }
    }

    void nextShare_data()
    {
        QTest::addColumn<QList<int>>("serverMajors");
        QTest::addColumn<QString>("next");
        QTest::newRow("none") << QList<int>{} << "1.0";
        QTest::newRow("0, 3, 2") << QList<int>{0, 3, 2} << "4.0";
        QTest::newRow("254") << QList<int>{254} << "255.0";
        QTest::newRow("255 refused") << QList<int>{12, 255} << "";
    }
    void nextShare()
    {
        QFETCH(QList<int>, serverMajors);
        QFETCH(QString, next);
        QCOMPARE(NextShare(serverMajors), next);
    }

    void newestFileName_data()
    {
        QTest::addColumn<QStringList>("names"); // in the folder's order
        QTest::addColumn<QString>("newest");
        QTest::newRow("by version, not by order")
            << QStringList{"a-1.12.logdata", "a-2.0.logdata", "a-1.4.logdata"} << "a-2.0.logdata";
        QTest::newRow("equal versions: the later one")
            << QStringList{"a-3.2.logdata", "b-3.2.logdata"} << "b-3.2.logdata";
        QTest::newRow("0.0 counts") << QStringList{"a-0.0.logdata"} << "a-0.0.logdata";
        QTest::newRow("none") << QStringList{"show.json"} << "";
        QTest::newRow("stray names never win nor throw")
            << QStringList{"a-300.1.logdata", "a-1.0.logdata", "x.logdata", "a-.logdata", "a-9.9.logdata.tmp",
                           "-", "a-9.9.9.logdata"}
            << "a-1.0.logdata";
    }
    void newestFileName()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, newest);
        QCOMPARE(QString::fromStdString(zarn::qt::NewestLogFileName(Names(names))), newest);
    }

    // A folder of the same name as a change log is no change log.
    void folderListingHoldsFilesOnly()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile file(dir.filePath("a-1.0.logdata"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(QDir(dir.path()).mkdir("a-1.1.logdata"));
        QCOMPARE(zarn::qt::FileNamesIn(dir.path().toStdString()), std::vector<std::string>{"a-1.0.logdata"});
        QVERIFY_THROWS_EXCEPTION(std::filesystem::filesystem_error,
                                 zarn::qt::FileNamesIn(dir.filePath("missing").toStdString()));
    }

    void fileTimeSetToNow()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("a-1.0.logdata");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write("{}"), 2);
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addDays(-3), QFileDevice::FileModificationTime));
        file.close();

        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        QVERIFY(zarn::qt::SetFileModifiedToNow(path));
        QVERIFY(QFileInfo(path).lastModified() >= before);
        QFile reread(path);
        QVERIFY(reread.open(QIODevice::ReadOnly));
        QCOMPARE(reread.readAll(), QByteArray("{}"));

        QVERIFY(!zarn::qt::SetFileModifiedToNow(dir.filePath("missing.logdata")));
        QVERIFY(!QFileInfo::exists(dir.filePath("missing.logdata")));
        QVERIFY(!zarn::qt::SetFileModifiedToNow(dir.path()));
    }
};

QTEST_GUILESS_MAIN(TestChangeLogVersions)
#include "tst_change_log_versions.moc"
