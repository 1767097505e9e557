#include "DualRoledListModel.h"

#include <QAbstractItemModelTester>
#include <QtTest>

namespace {

std::shared_ptr<DualRoleItem> Item(const QString& first, const QString& second, int value)
{
    auto item = std::make_shared<DualRoleItem>();
    item->firstText = first;
    item->secondText = second;
    item->value = value;
    return item;
}

// An item that computes what it shows, as derived rows do.
class ComputedItem : public DualRoleItem
{
public:
    QString first() override { return QStringLiteral("computed"); }
};

// A derived model adds a role of its own and hands the rest to the base.
class DerivedModel : public DualRoledListModel
{
public:
    QHash<int, QByteArray> roleNames() const override
    {
        auto names = DualRoledListModel::roleNames();
        names.insert(260, "extra");
        return names;
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == 260)
            return index.row() * 100;
        return DualRoledListModel::data(index, role);
    }
};

} // namespace

class TestDualRoledListModel : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        model_ = std::make_unique<DualRoledListModel>();
        tester_ = std::make_unique<QAbstractItemModelTester>(
            model_.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    void cleanup()
    {
        tester_.reset();
        model_.reset();
    }

    void dataByRoleAndRange()
    {
        model_->append(Item("a", "A", 1));
        model_->append(Item("b", "B", 2));
        model_->append(Item("c", "C", 3));
        QCOMPARE(model_->rowCount(), 3);
        QVERIFY(!model_->data(model_->index(3, 0), 258).isValid());
        QVERIFY(!model_->data(model_->index(-1, 0), 258).isValid());
        const QModelIndex second = model_->index(1, 0);
        QCOMPARE(model_->data(second, Qt::DisplayRole).toString(), QStringLiteral("b"));
        QCOMPARE(model_->data(second, 258).toString(), QStringLiteral("b"));
        QCOMPARE(model_->data(second, 259).toString(), QStringLiteral("B"));
        QCOMPARE(model_->data(second, 257).toInt(), 2);
        QVERIFY(!model_->data(second, 260).isValid());
        const auto names = model_->roleNames();
        QCOMPARE(names.size(), 3);
        QCOMPARE(names.value(257), QByteArray("value"));
        QCOMPARE(names.value(258), QByteArray("first"));
        QCOMPARE(names.value(259), QByteArray("second"));
    }

    void setDataWritesStoredMembers()
    {
        model_->append(Item("a", "A", 1));
        model_->append(std::make_shared<ComputedItem>());
        QSignalSpy changed(model_.get(), &QAbstractItemModel::dataChanged);

        QVERIFY(!model_->setData(model_->index(0, 0), 5, 260));
        QVERIFY(!model_->setData(model_->index(7, 0), 5, 257));
        QCOMPARE(changed.count(), 0);

        QVERIFY(model_->setData(model_->index(0, 0), QStringLiteral("12"), 257));
        QCOMPARE(model_->data(model_->index(0, 0), 257).toInt(), 12);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed[0][0].toModelIndex(), model_->index(0, 0));
        QCOMPARE(changed[0][1].toModelIndex(), model_->index(0, 0));
        QCOMPARE(changed[0][2].value<QList<int>>(), QList<int>{257});

        QVERIFY(model_->setData(model_->index(0, 0), QStringLiteral("z"), 259));
        QCOMPARE(model_->data(model_->index(0, 0), 259).toString(), QStringLiteral("z"));

        // A computed text is not overwritten by a write to its role.
        QVERIFY(model_->setData(model_->index(1, 0), QStringLiteral("stored"), 258));
        QCOMPARE(model_->data(model_->index(1, 0), 258).toString(), QStringLiteral("computed"));
    }

    void dataStrByRoleName()
    {
        model_->append(Item("a", "A", 1));
        QCOMPARE(model_->dataStr(0, QStringLiteral("second")).toString(), QStringLiteral("A"));
        QCOMPARE(model_->dataStr(0, QStringLiteral("value")).toInt(), 1);
        QCOMPARE(model_->dataStr(0, QStringLiteral("nosuchrole")).toString(), QStringLiteral("a"));
        QVERIFY(!model_->dataStr(4, QStringLiteral("first")).isValid());

        DerivedModel derived;
        derived.append(Item("x", "X", 0));
        derived.append(Item("y", "Y", 0));
        QCOMPARE(derived.dataStr(1, QStringLiteral("extra")).toInt(), 100);
        QCOMPARE(derived.dataStr(1, QStringLiteral("first")).toString(), QStringLiteral("y"));
    }

    void removeRowsTakesTheRange()
    {
        for (const char* name : {"a", "b", "c", "d"})
            model_->append(Item(name, "", 0));
        QSignalSpy removed(model_.get(), &QAbstractItemModel::rowsRemoved);
        QVERIFY(model_->removeRows(1, 2));
        QCOMPARE(removed.count(), 1);
        QCOMPARE(removed[0][1].toInt(), 1);
        QCOMPARE(removed[0][2].toInt(), 2);
        QCOMPARE(model_->rowCount(), 2);
        QCOMPARE(model_->data(model_->index(0, 0), 258).toString(), QStringLiteral("a"));
        QCOMPARE(model_->data(model_->index(1, 0), 258).toString(), QStringLiteral("d"));
    }

    void removeRowsRefusesBadRanges_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("count");
        QTest::newRow("negative row") << -1 << 1;
        QTest::newRow("zero count") << 0 << 0;
        QTest::newRow("negative count") << 1 << -2;
        QTest::newRow("past the end") << 2 << 2;
        QTest::newRow("row at count") << 3 << 1;
        QTest::newRow("overflowing count") << 1 << 2147483647;
    }
    void removeRowsRefusesBadRanges()
    {
        for (const char* name : {"a", "b", "c"})
            model_->append(Item(name, "", 0));
        QFETCH(int, row);
        QFETCH(int, count);
        QSignalSpy removed(model_.get(), &QAbstractItemModel::rowsRemoved);
        QVERIFY(!model_->removeRows(row, count));
        QCOMPARE(removed.count(), 0);
        QCOMPARE(model_->rowCount(), 3);
    }

    void appendAnnouncesTheNewRow()
    {
        QSignalSpy inserted(model_.get(), &QAbstractItemModel::rowsInserted);
        model_->append(Item("a", "", 0));
        model_->append(Item("b", "", 0));
        model_->append(Item("c", "", 0));
        QCOMPARE(inserted.count(), 3);
        QCOMPARE(inserted[0][1].toInt(), 0);
        QCOMPARE(inserted[0][2].toInt(), 0);
        QCOMPARE(inserted[2][1].toInt(), 2);
        QCOMPARE(inserted[2][2].toInt(), 2);
    }

    void itemsAreSharedNotCopied()
    {
        auto item = Item("a", "", 0);
        model_->append(item);
        item->value = 42;
        QCOMPARE(model_->data(model_->index(0, 0), 257).toInt(), 42);
        model_->removeRows(0, 1);
        QCOMPARE(item.use_count(), 1L);
    }

private:
    std::unique_ptr<DualRoledListModel> model_;
    std::unique_ptr<QAbstractItemModelTester> tester_;
};

QTEST_GUILESS_MAIN(TestDualRoledListModel)
#include "tst_dual_roled_list_model.moc"
