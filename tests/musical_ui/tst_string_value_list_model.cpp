// The combo-box choice list: rows and roles as the QML side reads them, out-of-range rows,
// duplicates, and one insertion notice per append, under the model tester.
#include "StringValueListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Makes indexes for rows the model itself would not hand out (row == rowCount()).
class Probe : public StringValueListModel
{
public:
    QModelIndex at(int row) const { return createIndex(row, 0); }
};

struct Tested
{
    Tested() : tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest) {}
    Probe model;
    QAbstractItemModelTester tester;
};

} // namespace

class TestStringValueListModel : public QObject
{
    Q_OBJECT

private slots:
    void roles_data();
    void roles();
    void outOfRangeRows();
    void duplicatesKeptInOrder();
    void oneInsertNoticePerAppend();
    void pointerTravelsInAVariant();
};

void TestStringValueListModel::roles_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("displayname of row 1") << 1 << 258 << QVariant(QStringLiteral("B"));
    QTest::newRow("display role gives the text") << 1 << int(Qt::DisplayRole) << QVariant(QStringLiteral("B"));
    QTest::newRow("value of row 0") << 0 << 257 << QVariant(144);
    QTest::newRow("value of row 1") << 1 << 257 << QVariant(176);
    QTest::newRow("role 259 is nothing") << 0 << 259 << QVariant();
    QTest::newRow("edit role is nothing") << 0 << int(Qt::EditRole) << QVariant();
    QTest::newRow("tooltip role is nothing") << 1 << int(Qt::ToolTipRole) << QVariant();
}

void TestStringValueListModel::roles()
{
    QFETCH(int, row);
    QFETCH(int, role);
    QFETCH(QVariant, expected);

    Tested t;
    t.model.append({QStringLiteral("A"), 144});
    t.model.append({QStringLiteral("B"), 176});

    const QVariant got = t.model.data(t.model.index(row), role);
    QCOMPARE(got.isValid(), expected.isValid());
    if (expected.isValid()) {
        QCOMPARE(got.metaType(), expected.metaType());
        QCOMPARE(got, expected);
    }
    // The QML combo box binds textRole and valueRole by these names; the display role is not one.
    const QHash<int, QByteArray> expectedNames{{257, "value"}, {258, "displayname"}};
    QCOMPARE(t.model.roleNames(), expectedNames);
}

void TestStringValueListModel::outOfRangeRows()
{
    Tested t;
    for (int role : {0, 257, 258})
        QVERIFY(!t.model.data(t.model.at(0), role).isValid());

    t.model.append({QStringLiteral("Note On"), 144});
    for (int role : {0, 257, 258, 259}) {
        QVERIFY2(!t.model.data(t.model.at(-1), role).isValid(), qPrintable(QString::number(role)));
        QVERIFY2(!t.model.data(t.model.at(1), role).isValid(), qPrintable(QString::number(role)));
    }
    // A list has no rows below a row.
    QCOMPARE(t.model.rowCount(t.model.index(0)), 0);
}

void TestStringValueListModel::duplicatesKeptInOrder()
{
    Tested t;
    t.model.append({QStringLiteral("Note On"), 144});
    t.model.append({QStringLiteral("Also Note On"), 144});
    t.model.append({QStringLiteral("Note On"), 128});

    QCOMPARE(t.model.rowCount(), 3);
    QCOMPARE(t.model.data(t.model.index(0), 258).toString(), QStringLiteral("Note On"));
    QCOMPARE(t.model.data(t.model.index(1), 258).toString(), QStringLiteral("Also Note On"));
    QCOMPARE(t.model.data(t.model.index(2), 258).toString(), QStringLiteral("Note On"));
    QCOMPARE(t.model.data(t.model.index(1), 257).toInt(), 144);
    QCOMPARE(t.model.data(t.model.index(2), 257).toInt(), 128);
}

void TestStringValueListModel::oneInsertNoticePerAppend()
{
    Tested t;
    QSignalSpy inserted(&t.model, &QAbstractItemModel::rowsInserted);
    const int extremes[] = {0, -1, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()};
    int row = 0;
    for (int value : extremes) {
        t.model.append({QStringLiteral("row %1").arg(row), value});
        QCOMPARE(inserted.count(), row + 1);
        const QList<QVariant> notice = inserted.at(row);
        QVERIFY(!notice.at(0).value<QModelIndex>().isValid());
        QCOMPARE(notice.at(1).toInt(), row);
        QCOMPARE(notice.at(2).toInt(), row);
        QCOMPARE(t.model.data(t.model.index(row), 257).toInt(), value);
        ++row;
    }
}

void TestStringValueListModel::pointerTravelsInAVariant()
{
    // A controller hands the model to QML as a property value.
    StringValueListModel model;
    QVERIFY(model.parent() == nullptr);
    const QVariant v = QVariant::fromValue(&model);
    QCOMPARE(v.value<StringValueListModel*>(), &model);
    QCOMPARE(qobject_cast<QAbstractItemModel*>(v.value<QObject*>()), &model);
}

QTEST_GUILESS_MAIN(TestStringValueListModel)
#include "tst_string_value_list_model.moc"
