// The OSC destinations as an editable list: rows from the change log's paths and back, the
// roles the screens read and write, and the next free network id, under the model tester.
#include "NetworkListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using zarn::NetworkItem;
using zarn::NetworkListModel;

namespace {

CL::NetworkPath Path(const std::string& id, const std::string& name, const std::string& ip, int port, int tcp)
{
    return CL::NetworkPath(id, name, ip, port, tcp);
}

// The model under the tester, which fails the test on any break of the model rules.
struct Tested
{
    explicit Tested(const CL::NetworkPathVectorT& paths)
        : model(paths), tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest)
    {
    }
    NetworkListModel model;
    QAbstractItemModelTester tester;
};

std::shared_ptr<NetworkItem> ItemWithId(const QString& id)
{
    auto item = std::make_shared<NetworkItem>();
    item->networkId = id;
    return item;
}

} // namespace

class TestNetworkListModel : public QObject
{
    Q_OBJECT

private slots:
    void rowsFromPaths()
    {
        Tested t({Path("NETWORK0", "Lighting desk", "10.0.0.5", 53000, 0),
                  Path("NETWORK1", "Sound desk", "sound.local", 9000, 1)});
        NetworkListModel& m = t.model;
        QVERIFY(m.parent() == nullptr);
        QCOMPARE(m.rowCount(), 2);
        const QModelIndex second = m.index(1);
        QCOMPARE(m.data(second, NetworkListModel::NameRole).toString(), QStringLiteral("Sound desk"));
        QCOMPARE(m.data(second, NetworkListModel::IpAddressRole).toString(), QStringLiteral("sound.local"));
        QCOMPARE(m.data(second, NetworkListModel::NetworkIdRole).toString(), QStringLiteral("NETWORK1"));
        QCOMPARE(m.data(second, NetworkListModel::ModeRole).toString(), QStringLiteral("tcp"));
        QCOMPARE(m.data(second, NetworkListModel::PortRole).toInt(), 9000);
        QCOMPARE(m.data(second, NetworkListModel::PortRole).typeId(), QMetaType::Int);
        // The base's roles show what the row computes.
        QCOMPARE(m.data(second, Qt::DisplayRole).toString(), QStringLiteral("Sound desk"));
        QCOMPARE(m.data(second, DualRoledListModel::FirstRole).toString(), QStringLiteral("Sound desk"));
        QCOMPARE(m.data(second, DualRoledListModel::SecondRole).toString(), QStringLiteral("sound.local:9000, TCP"));
        QCOMPARE(m.data(m.index(0), DualRoledListModel::SecondRole).toString(),
                 QStringLiteral("10.0.0.5:53000, UDP"));
        QCOMPARE(m.data(second, DualRoledListModel::ValueRole).toInt(), 0);
        // What the screens ask by name.
        QCOMPARE(m.dataStr(0, QStringLiteral("networkId")).toString(), QStringLiteral("NETWORK0"));
        QCOMPARE(m.dataStr(1, QStringLiteral("port")).toInt(), 9000);
        for (int row : {-1, 2})
            QVERIFY(!m.data(m.index(row), NetworkListModel::NameRole).isValid());
        const auto names = m.roleNames();
        QCOMPARE(names.value(260), QByteArray("name"));
        QCOMPARE(names.value(261), QByteArray("ipAddress"));
        QCOMPARE(names.value(262), QByteArray("networkId"));
        QCOMPARE(names.value(263), QByteArray("mode"));
        QCOMPARE(names.value(264), QByteArray("port"));
        QCOMPARE(names.value(258), QByteArray("first"));
    }

    void newRowDefaults()
    {
        Tested t({});
        QCOMPARE(t.model.rowCount(), 0);
        QSignalSpy inserted(&t.model, &QAbstractItemModel::rowsInserted);
        t.model.append(std::make_shared<NetworkItem>());
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted.at(0).at(1).toInt(), 0);
        const QModelIndex row = t.model.index(0);
        QCOMPARE(t.model.data(row, Qt::DisplayRole).toString(), QStringLiteral("Network Destination"));
        QCOMPARE(t.model.data(row, DualRoledListModel::SecondRole).toString(), QStringLiteral("127.0.0.1:8001, UDP"));
        QCOMPARE(t.model.data(row, NetworkListModel::NetworkIdRole).toString(), QString());
    }

    void backToPaths_data()
    {
        QTest::addColumn<CL::NetworkPathVectorT>("paths");
        QTest::newRow("none") << CL::NetworkPathVectorT{};
        QTest::newRow("udp and tcp, in order")
            << CL::NetworkPathVectorT{Path("NETWORK0", "Lighting desk", "127.0.0.1", 53000, 0),
                                      Path("B", "Sound desk", "10.1.2.3", 9000, 1),
                                      Path("NETWORK0", "", "", -5, 0)};
    }

    // Unchanged rows go back as the paths they came from; nothing is checked on the way.
    void backToPaths()
    {
        QFETCH(CL::NetworkPathVectorT, paths);
        Tested t(paths);
        QVERIFY(t.model.ToNetworkPaths() == paths);
    }

    void modeGoesBackAsTcpOnlyWhenExact_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("tcp");
        QTest::addColumn<QString>("shown");
        QTest::newRow("tcp") << QStringLiteral("tcp") << 1 << QStringLiteral("127.0.0.1:8001, TCP");
        QTest::newRow("TCP") << QStringLiteral("TCP") << 0 << QStringLiteral("127.0.0.1:8001, TCP");
        QTest::newRow("Tcp") << QStringLiteral("Tcp") << 0 << QStringLiteral("127.0.0.1:8001, TCP");
        QTest::newRow("udp") << QStringLiteral("udp") << 0 << QStringLiteral("127.0.0.1:8001, UDP");
    }

    void modeGoesBackAsTcpOnlyWhenExact()
    {
        QFETCH(QString, mode);
        QFETCH(int, tcp);
        QFETCH(QString, shown);
        Tested t({Path("NETWORK0", "Desk", "127.0.0.1", 8001, 0)});
        QVERIFY(t.model.setData(t.model.index(0), mode, NetworkListModel::ModeRole));
        QCOMPARE(t.model.data(t.model.index(0), DualRoledListModel::SecondRole).toString(), shown);
        QCOMPARE(t.model.ToNetworkPaths().at(0).tcp, tcp);
    }

    void setDataStoresByRole()
    {
        Tested t({Path("NETWORK0", "Desk", "127.0.0.1", 8001, 0)});
        NetworkListModel& m = t.model;
        const QModelIndex row = m.index(0);
        QSignalSpy changed(&m, &QAbstractItemModel::dataChanged);

        QVERIFY(m.setData(row, QStringLiteral("9000"), NetworkListModel::PortRole));
        QCOMPARE(m.data(row, NetworkListModel::PortRole).toInt(), 9000);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(2).value<QList<int>>(), QList<int>{NetworkListModel::PortRole});
        QVERIFY(m.setData(row, QStringLiteral("Stage"), NetworkListModel::NameRole));
        QVERIFY(m.setData(row, QStringLiteral("192.168.1.9"), NetworkListModel::IpAddressRole));
        QVERIFY(m.setData(row, QStringLiteral("STAGE"), NetworkListModel::NetworkIdRole));
        const CL::NetworkPath back = m.ToNetworkPaths().at(0);
        QVERIFY(back == Path("STAGE", "Stage", "192.168.1.9", 9000, 0));

        // An unknown role and rows outside the model change nothing.
        changed.clear();
        QVERIFY(!m.setData(row, 1, 300));
        QVERIFY(!m.setData(m.index(1), QStringLiteral("x"), NetworkListModel::NameRole));
        QVERIFY(!m.setData(m.index(-1), QStringLiteral("x"), NetworkListModel::NameRole));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(m.data(row, NetworkListModel::NameRole).toString(), QStringLiteral("Stage"));
    }

    void rowChanged()
    {
        Tested t({Path("A", "a", "1.1.1.1", 1, 0), Path("B", "b", "2.2.2.2", 2, 0)});
        QSignalSpy changed(&t.model, &QAbstractItemModel::dataChanged);
        t.model.rowChanged(-1);
        t.model.rowChanged(2);
        QCOMPARE(changed.count(), 0);
        t.model.rowChanged(1);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex(), t.model.index(1));
        QCOMPARE(changed.at(0).at(1).toModelIndex(), t.model.index(1));
        QVERIFY(changed.at(0).at(2).value<QList<int>>().isEmpty());
    }

    void nextFreeNetworkId_data()
    {
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QString>("next");
        QTest::newRow("empty") << QStringList{} << QStringLiteral("NETWORK0");
        QTest::newRow("0 and 1") << QStringList{"NETWORK0", "NETWORK1"} << QStringLiteral("NETWORK2");
        QTest::newRow("A and 2") << QStringList{"A", "NETWORK2"} << QStringLiteral("NETWORK3");
        QTest::newRow("0 and 5") << QStringList{"NETWORK0", "NETWORK5"} << QStringLiteral("NETWORK2");
        QTest::newRow("case counts") << QStringList{"network1"} << QStringLiteral("NETWORK1");
    }

    void nextFreeNetworkId()
    {
        QFETCH(QStringList, ids);
        QFETCH(QString, next);
        Tested t({});
        for (const QString& id : ids)
            t.model.append(ItemWithId(id));
        QCOMPARE(t.model.nextFreeNetworkId(), next);
    }

    // The OSC manager's list shrinks through the base's removal; the ids follow the rows left.
    void removeRowsThenNextId()
    {
        Tested t({Path("NETWORK0", "a", "", 1, 0), Path("NETWORK1", "b", "", 2, 0), Path("NETWORK2", "c", "", 3, 1)});
        QVERIFY(t.model.removeRows(0, 1));
        QCOMPARE(t.model.rowCount(), 2);
        QCOMPARE(t.model.data(t.model.index(0), NetworkListModel::NetworkIdRole).toString(), QStringLiteral("NETWORK1"));
        QCOMPARE(t.model.nextFreeNetworkId(), QStringLiteral("NETWORK3"));
        QCOMPARE(t.model.ToNetworkPaths().size(), std::size_t(2));
    }
};

QTEST_GUILESS_MAIN(TestNetworkListModel)
#include "tst_network_list_model.moc"
