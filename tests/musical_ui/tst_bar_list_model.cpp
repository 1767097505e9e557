// The bar and beat pickers' model: which bars and beats it offers from a start tick on, and
// which tick a chosen bar and beat give.
#include "BarListModel.h"
#include "TimelineMetaTypes.h"

#include <QAbstractItemModelTester>
#include <QtTest>

using zarn::qt::BarListModel;

namespace {

using Sequence = TL::TimelineSequence<TL::BarsBeats>;

Sequence Bars5And6()
{
    return Sequence({TL::BarsBeats(1000, 1, "5"), TL::BarsBeats(1480, 2, "5"),
                     TL::BarsBeats(1960, 3, "5"), TL::BarsBeats(2440, 1, "6")});
}

} // namespace

Q_DECLARE_METATYPE(QList<uint>)

class TestBarListModel : public QObject
{
    Q_OBJECT

private slots:
    void rows_data()
    {
        QTest::addColumn<bool>("null");
        QTest::addColumn<uint>("start");
        QTest::addColumn<QStringList>("bars");
        QTest::addColumn<QList<QList<uint>>>("beats");
        QTest::addColumn<QList<uint>>("bar5Ticks");
        QTest::addColumn<uint>("frontTick");
        QTest::addColumn<QString>("frontBar");
        QTest::addColumn<int>("frontBeat");

        QTest::newRow("null sequence") << true << 0u << QStringList() << QList<QList<uint>>()
                                       << QList<uint>() << 0u << QString() << 0;
        QTest::newRow("start 0") << false << 0u << QStringList{"5", "6"}
                                 << QList<QList<uint>>{{1, 2, 3}, {1}} << QList<uint>{1000, 1480, 1960}
                                 << 0u << QString() << 0;
        QTest::newRow("start inside a beat") << false << 1700u << QStringList{"5", "6"}
                                             << QList<QList<uint>>{{2, 3}, {1}} << QList<uint>{1480, 1960}
                                             << 1480u << QStringLiteral("5") << 2;
        QTest::newRow("start on a beat") << false << 1480u << QStringList{"5", "6"}
                                         << QList<QList<uint>>{{2, 3}, {1}} << QList<uint>{1480, 1960}
                                         << 0u << QString() << 0;
        QTest::newRow("start after the last") << false << 5000u << QStringList{"6"}
                                              << QList<QList<uint>>{{1}} << QList<uint>() << 2440u
                                              << QStringLiteral("6") << 1;
    }

    void rows()
    {
        QFETCH(bool, null);
        QFETCH(uint, start);
        QFETCH(QStringList, bars);
        QFETCH(QList<QList<uint>>, beats);
        QFETCH(QList<uint>, bar5Ticks);

        const Sequence sequence = Bars5And6();
        BarListModel model(nullptr, null ? nullptr : &sequence, start);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

        QCOMPARE(model.rowCount(), bars.size());
        QCOMPARE(model.bars, bars);
        QCOMPARE(model.barBeats, beats);
        QCOMPARE(model.barTimes.value("5"), bar5Ticks);
        QTEST(model.frontTick, "frontTick");
        QTEST(model.frontBar, "frontBar");
        QTEST(model.frontBeat, "frontBeat");
        for (int row = 0; row < model.rowCount(); ++row) {
            const QModelIndex index = model.index(row);
            QCOMPARE(model.data(index, BarListModel::BarRole).toString(), bars[row]);
            QCOMPARE(model.data(index, BarListModel::BeatsRole).toUInt(), beats[row].first());
            QCOMPARE(model.data(index, BarListModel::TimesRole).value<QList<uint>>(),
                     model.barTimes.value(bars[row]));
            QVERIFY(!model.data(index, Qt::DisplayRole).isValid());
            QCOMPARE(model.getBeats(row).value<QList<uint>>(), beats[row]);
        }
    }

    void rolesAndTimes()
    {
        const Sequence sequence = Bars5And6();
        BarListModel model(nullptr, &sequence, 1700);
        QCOMPARE(model.roleNames(), (QHash<int, QByteArray>{{257, "bar"}, {258, "beats"}, {259, "times"}}));
        QCOMPARE(model.getTime(std::string("5"), 2).toUInt(), 1480u);
        QCOMPARE(model.getTime(std::string("5"), 3).toUInt(), 1960u);
        QCOMPARE(model.getTime(std::string("5"), 1).toUInt(), 1480u); // not offered: the bar's first
        QCOMPARE(model.getTime(std::string("6"), 1).toUInt(), 2440u);
    }

    void argumentsFromQmlAreChecked()
    {
        const Sequence sequence = Bars5And6();
        BarListModel model(nullptr, &sequence, 0);
        QCOMPARE(model.getBeats(-1).value<QList<uint>>(), QList<uint>());
        QCOMPARE(model.getBeats(2).value<QList<uint>>(), QList<uint>());
        QCOMPARE(model.getTime(QStringLiteral("99"), 1).toUInt(), 0u);
        QCOMPARE(model.getTime(QString(), 1).toUInt(), 0u);
        QVERIFY(!model.data(model.index(0).sibling(5, 0), BarListModel::BarRole).isValid());
    }

    void aReturningBarTextKeepsBeatsAndTicksPaired()
    {
        const Sequence sequence({TL::BarsBeats(0, 1, "1"), TL::BarsBeats(480, 2, "1"),
                                 TL::BarsBeats(960, 1, "2"), TL::BarsBeats(1440, 3, "1")});
        BarListModel model(nullptr, &sequence, 0);
        QCOMPARE(model.bars, (QStringList{"1", "2"}));
        QCOMPARE(model.barBeats, (QList<QList<uint>>{{1, 2, 3}, {1}}));
        QCOMPARE(model.getTime(std::string("1"), 3).toUInt(), 1440u);
        QCOMPARE(model.getTime(std::string("2"), 1).toUInt(), 960u);
    }

    void isAMetaType()
    {
        zarn::qt::RegisterTimelineMetaTypes();
        QVERIFY(QMetaType::fromName("zarn::qt::BarListModel*").isValid());
        BarListModel empty;
        QCOMPARE(empty.rowCount(), 0);
    }
};

QTEST_MAIN(TestBarListModel)
#include "tst_bar_list_model.moc"
