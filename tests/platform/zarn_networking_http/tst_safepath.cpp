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
};

QTEST_GUILESS_MAIN(SafePathTest)
#include "tst_safepath.moc"
