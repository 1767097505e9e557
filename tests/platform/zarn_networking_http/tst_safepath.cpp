#include "ChangelogName.h"
#include "SafePath.h"

#include <QtTest>

using namespace zarn::networking;

class SafePathTest : public QObject {
    Q_OBJECT

private slots:
    void relativePaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("safe");
        QTest::addColumn<bool>("bareName");
        QTest::newRow("plain") << "show.json" << true << true;
        QTest::newRow("sub-folder") << "audio/song 1.wav" << true << false;
        QTest::newRow("dots inside a name") << "a..b.wav" << true << true;
        QTest::newRow("empty") << "" << false << false;
        QTest::newRow("parent") << ".." << false << false;
        QTest::newRow("parent inside") << "audio/../../x" << false << false;
        QTest::newRow("current") << "./x" << false << false;
        QTest::newRow("absolute") << "/etc/passwd" << false << false;
        QTest::newRow("backslash") << "..\\x" << false << false;
        QTest::newRow("drive") << "C:x" << false << false;
        QTest::newRow("double slash") << "a//b" << false << false;
        QTest::newRow("trailing slash") << "a/" << false << false;
        QTest::newRow("control character") << "a\nb" << false << false;
    }
    void relativePaths()
    {
        QFETCH(QString, path);
        QFETCH(bool, safe);
        QFETCH(bool, bareName);
        QCOMPARE(IsSafeRelativePath(path.toStdString()), safe);
        QCOMPARE(IsSafeFileName(path.toStdString()), bareName);
    }

    void insideFolder()
    {
        QVERIFY(IsInsideFolder("/data/show", "/data/show/a/b"));
        QVERIFY(!IsInsideFolder("/data/show", "/data/show"));
        QVERIFY(!IsInsideFolder("/data/show", "/data/show/../other"));
        QVERIFY(!IsInsideFolder("/data/show", "/data/showx/a"));
    }

    void changelogNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("major"); // -1: not a change-log name
        QTest::addColumn<int>("minor");
        QTest::newRow("simple") << "demo-3.2.logdata" << 3 << 2;
        QTest::newRow("dashes in the stem") << "my-show-10.255.logdata" << 10 << 255;
        QTest::newRow("out of range") << "x-256.0.logdata" << -1 << 0;
        QTest::newRow("no dash") << "x3.2.logdata" << -1 << 0;
        QTest::newRow("no dot") << "x-3.logdata" << -1 << 0;
        QTest::newRow("upper-case suffix") << "x-3.2.LOGDATA" << -1 << 0;
        QTest::newRow("not a number") << "x-a.2.logdata" << -1 << 0;
    }
    void changelogNames()
    {
        QFETCH(QString, name);
        QFETCH(int, major);
        QFETCH(int, minor);
        const auto version = ChangelogVersionFromName(name.toStdString());
        QCOMPARE(version.has_value(), major >= 0);
        if (version) {
            QCOMPARE(version->major, major);
            QCOMPARE(version->minor, minor);
        }
    }
};

QTEST_GUILESS_MAIN(SafePathTest)
#include "tst_safepath.moc"
