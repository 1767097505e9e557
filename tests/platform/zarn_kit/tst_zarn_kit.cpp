#include "zarn_kit/NumericStringCompare.h"
#include "zarn_kit/PathSplit.h"

#include <QtTest>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

class TestZarnKit : public QObject
{
    Q_OBJECT

private slots:
    void numericOrder_data();
    void numericOrder();
    void numericOrderIsStrictWeak();
    void songMapSortsNumerically();
    void splitext_data();
    void splitext();
    void split_data();
    void split();
};

void TestZarnKit::numericOrder_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<bool>("less");

    QTest::newRow("2 < 10") << "2" << "10" << true;
    QTest::newRow("10 !< 2") << "10" << "2" << false;
    QTest::newRow("5 < 5A") << "5" << "5A" << true;
    QTest::newRow("5A < 6") << "5A" << "6" << true;
    QTest::newRow("5A < 5B") << "5A" << "5B" << true;
    QTest::newRow("9A < 10") << "9A" << "10" << true;
    QTest::newRow("equal !<") << "7" << "7" << false;
    QTest::newRow("numbers before letters") << "1" << "Encore" << true;
    QTest::newRow("leading zeros told apart") << "01" << "1" << true;
    QTest::newRow("1 !< 01") << "1" << "01" << false;
    QTest::newRow("empty first") << "" << "1" << true;
    QTest::newRow("huge run") << "99999999999999999999" << "100000000000000000000" << true;
    QTest::newRow("inner number") << "Act2-Song9" << "Act2-Song10" << true;
}

void TestZarnKit::numericOrder()
{
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(bool, less);
    QCOMPARE(kit::NumericStringCompare()(left.toStdString(), right.toStdString()), less);
}

void TestZarnKit::numericOrderIsStrictWeak()
{
    // Irreflexive, asymmetric and transitive over a mixed sample, so std::map and
    // std::sort stay sound.
    std::vector<std::string> sample = {"", "0", "00", "1", "01", "1A", "1a", "2", "10", "10A", "100", "A", "a",
                                       "5", "5A", "5B", "6", "12A", "12", "x1", "x10", "x2", "7-2", "7-10"};
    const kit::NumericStringCompare less;
    for (const auto& a : sample) {
        QVERIFY(!less(a, a));
        for (const auto& b : sample) {
            if (less(a, b))
                QVERIFY2(!less(b, a), (a + " / " + b).c_str());
            else if (a != b)
                QVERIFY2(less(b, a), ("not total: " + a + " / " + b).c_str()); // distinct texts are ordered
            for (const auto& c : sample) {
                if (less(a, b) && less(b, c))
                    QVERIFY2(less(a, c), (a + " < " + b + " < " + c).c_str());
            }
        }
    }
}

void TestZarnKit::songMapSortsNumerically()
{
    std::map<std::string, int, kit::NumericStringCompare> songs;
    for (const char* n : {"10", "2", "5A", "1", "5", "6", "11", "0"})
        songs[n] = 0;
    std::vector<std::string> keys;
    for (const auto& [k, v] : songs)
        keys.push_back(k);
    QCOMPARE(keys, (std::vector<std::string>{"0", "1", "2", "5", "5A", "6", "10", "11"}));
}

void TestZarnKit::splitext_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("ext");
    QTest::newRow("version text") << "3.1.logdata" << "3.1" << ".logdata";
    QTest::newRow("with folder") << "/shows/gala-3.1.logdata" << "/shows/gala-3.1" << ".logdata";
    QTest::newRow("no dot") << "README" << "README" << "";
    QTest::newRow("dot in folder only") << "a.b/c" << "a.b/c" << "";
    QTest::newRow("hidden file") << ".hidden" << ".hidden" << "";
    QTest::newRow("hidden with ext") << ".hidden.txt" << ".hidden" << ".txt";
    QTest::newRow("trailing dot") << "name." << "name" << ".";
    QTest::newRow("empty") << "" << "" << "";
}

void TestZarnKit::splitext()
{
    QFETCH(QString, path);
    QFETCH(QString, root);
    QFETCH(QString, ext);
    const auto [r, e] = kit::path::splitext(path.toStdString());
    QCOMPARE(QString::fromStdString(r), root);
    QCOMPARE(QString::fromStdString(e), ext);
}

void TestZarnKit::split_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("head");
    QTest::addColumn<QString>("tail");
    QTest::newRow("nested") << "a/b/c.txt" << "a/b" << "c.txt";
    QTest::newRow("plain name") << "c.txt" << "" << "c.txt";
    QTest::newRow("root") << "/c.txt" << "/" << "c.txt";
    QTest::newRow("trailing slash") << "a/b/" << "a/b" << "";
    QTest::newRow("doubled slash") << "a//b" << "a" << "b";
}

void TestZarnKit::split()
{
    QFETCH(QString, path);
    QFETCH(QString, head);
    QFETCH(QString, tail);
    const auto [h, t] = kit::path::split(path.toStdString());
    QCOMPARE(QString::fromStdString(h), head);
    QCOMPARE(QString::fromStdString(t), tail);
}

QTEST_GUILESS_MAIN(TestZarnKit)
#include "tst_zarn_kit.moc"
