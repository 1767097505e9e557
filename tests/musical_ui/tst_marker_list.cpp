// The marker list: its model (tick order, the passed-marker search, finding a row) under the
// model tester, and its controller on the real view over an edit model of a fake engine.
#include "EditModel.h"
#include "MarkerInfoItem.h"
#include "MarkerListController.h"
#include "MarkerListModel.h"
#include "ShowFakeEngine.h"
#include "ShowManager.h"
#include "TimelineMetaTypes.h"
#include "ViewWindow.h"
#include "QmlModuleLoader.h"
#include "zarn_core/CallbackDispatcher.h"
#include "zarn_core/Marker.h"
#include "zarn_core/NotifyNames.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using zarn::qt::EditModel;
using zarn::qt::MarkerInfoItem;
using zarn::qt::MarkerListController;
using zarn::qt::MarkerListModel;

namespace {

using Ticks = QList<uint>;

std::vector<MarkerInfoItem> AtTicks(const Ticks& ticks)
{
    std::vector<MarkerInfoItem> items;
    for (uint tick : ticks)
        items.emplace_back("M" + std::to_string(items.size()), "Bar", tick);
    return items;
}

QStringList Names(const MarkerListModel& model)
{
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names << model.data(model.index(row), MarkerListModel::NameRole).toString();
    return names;
}

// The row colour of the marker playback passed last, as the view computes it.
QColor PassedColour()
{
    return QColor::fromRgbF(54 / 255.0f, 54 / 255.0f, 54 / 255.0f).darker(130);
}

struct ListWindow : ViewWindow
{
    ListWindow() : ViewWindow(QStringLiteral("MarkerListView")) {}
};

const std::string kLongName =
    "Ouverture \xE2\x80\x94 tr\xC3\xA8s longue entr\xC3\xA9" "e des ch\xC5\x93urs apr\xC3\xA8s le rideau, mesure 12";

} // namespace

class TestMarkerList : public QObject
{
    Q_OBJECT

private:
    std::shared_ptr<ShowFakeEngine> engine_;
    std::shared_ptr<zarn::ShowManager> manager_;
    std::unique_ptr<EditModel> editModel_;
    std::unique_ptr<ListWindow> window_;
    std::unique_ptr<MarkerListController> controller_;
    // What the list announced, in order: "bus 2" for a bus post, "signal Chorus@3840 Bar 3"
    // for CurrentItemChangedSignal.
    std::vector<std::string> log_;
    std::vector<int> posted_;

    void AddMarker(std::uint32_t tick, const std::string& text)
    {
        engine_->markers.push_back(std::make_unique<CL::Marker>(tick, text, "E" + std::to_string(tick)));
    }

    // The view over the edit model of the fake; the engine lists Top, Verse, Chorus, Coda at
    // bars 1, 2, 3 and 4.
    void MakeList()
    {
        manager_ = std::make_shared<zarn::ShowManager>(engine_);
        editModel_ = std::make_unique<EditModel>(manager_, false);
        window_ = std::make_unique<ListWindow>();
        controller_ = std::make_unique<MarkerListController>(window_->view, editModel_.get());
        connect(controller_.get(), &MarkerListController::CurrentItemChangedSignal, this,
                [this](const MarkerInfoItem& item) {
                    log_.push_back("signal " + item.name + "@" + std::to_string(item.tick) + " " + item.location);
                });
    }

    void ClearLog()
    {
        log_.clear();
        posted_.clear();
    }

    QQuickItem* RowItem(int row, const char* objectName) const { return window_->InRow(row, objectName); }

    QColor RowColour(int row) const
    {
        QQuickItem* background = RowItem(row, "rowBackground");
        return background ? background->property("color").value<QColor>() : QColor();
    }

    int CurrentIndex() const { return window_->view->property("currentIndex").toInt(); }

    void Click(int row) { QTest::mouseClick(window_->window.get(), Qt::LeftButton, {}, window_->RowCentre(row)); }

private slots:
    void initTestCase() { zarn::qt::RegisterTimelineMetaTypes(); }

    void init()
    {
        QTest::failOnWarning(QRegularExpression("QObject::connect"));
        engine_ = std::make_shared<ShowFakeEngine>();
        engine_->barsBeats["1"] = TL::TimelineSequence<TL::BarsBeats>({{0, 1, "1"}, {1920, 1, "2"}});
        AddMarker(0, "Top");
        AddMarker(1920, "Verse");
        AddMarker(3840, "Chorus");
        AddMarker(5760, "Coda");
        ClearLog();
        notify::callbackDispatcher.AddCallback(this, notify::names::EVT_MARKER_PANEL_SELECTED, [this](void* p) {
            const int row = *static_cast<int*>(p);
            posted_.push_back(row);
            log_.push_back("bus " + std::to_string(row));
        });
    }

    void cleanup()
    {
        notify::callbackDispatcher.RemoveCallbacksForTarget(this);
        const bool postedNone = std::find(posted_.begin(), posted_.end(), -1) == posted_.end();
        controller_.reset();
        window_.reset();
        editModel_.reset();
        manager_.reset();
        engine_.reset();
        // Whatever a test did, no row of -1 ever reaches the edit controller.
        QVERIFY(postedNone);
    }

    // ---- the model ----

    void passedIndex_data()
    {
        QTest::addColumn<Ticks>("ticks");
        QTest::addColumn<uint>("tick");
        QTest::addColumn<int>("row");

        const Ticks four{100, 200, 200, 300};
        QTest::newRow("before the first") << four << 99u << -1;
        QTest::newRow("on the first") << four << 100u << 0;
        QTest::newRow("on two at one tick: the last") << four << 200u << 2;
        QTest::newRow("between: the second at 200") << four << 250u << 2;
        QTest::newRow("on the last") << four << 300u << 3;
        QTest::newRow("past the end") << four << 5000u << 3;
        QTest::newRow("largest tick") << four << 0xFFFFFFFFu << 3;
        QTest::newRow("empty, tick 0") << Ticks{} << 0u << -1;
        QTest::newRow("empty, tick 5000") << Ticks{} << 5000u << -1;
        QTest::newRow("one marker at 0, tick 0") << Ticks{0} << 0u << 0;
    }
    void passedIndex()
    {
        QFETCH(Ticks, ticks);
        QFETCH(uint, tick);
        QFETCH(int, row);
        MarkerListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
        model.SetItems(AtTicks(ticks));
        QCOMPARE(model.GetPassedIndex(tick), row);
    }

    void setItemsSortsByTickInOneReset()
    {
        MarkerListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);

        model.SetItems({{"Coda", "Bar 9", 300}, {"Verse A", "Bar 3", 200}, {"Top", "Bar 1", 100},
                        {"Verse B", "Bar 3", 200}, {"Verse C", "Bar 3", 200}});
        QCOMPARE(resets.count(), 1);
        QCOMPARE(inserts.count(), 0);
        // Equal ticks keep the order in which they came.
        QCOMPARE(Names(model), (QStringList{"Top", "Verse A", "Verse B", "Verse C", "Coda"}));
        QCOMPARE(model.ticks, (std::vector<std::uint32_t>{100, 200, 200, 200, 300}));
        QCOMPARE(model.data(model.index(4), MarkerListModel::LocationRole).toString(), QStringLiteral("Bar 9"));
        QCOMPARE(model.roleNames(), (QHash<int, QByteArray>{{257, "name"}, {258, "location"}}));

        // A second fill replaces every row, and the tick list with them.
        model.SetItems({{"Only", "Bar 2", 50}});
        QCOMPARE(resets.count(), 2);
        QCOMPARE(Names(model), QStringList{"Only"});
        QCOMPARE(model.ticks, std::vector<std::uint32_t>{50});
        model.SetItems({});
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(model.ticks.empty());
        QCOMPARE(model.GetPassedIndex(50), -1);
    }

    void rowsOutsideAndOtherRoles()
    {
        MarkerListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
        model.SetItems({{"Top", "Bar 1", 0}, {"Coda", "Bar 9", 900}});
        QCOMPARE(model.GetItem(1), MarkerInfoItem("Coda", "Bar 9", 900));
        QCOMPARE(model.GetItem(-1), MarkerInfoItem());
        QCOMPARE(model.GetItem(2), MarkerInfoItem());
        QVERIFY(!model.data(model.index(0), Qt::DisplayRole).isValid());
        QVERIFY(!model.data(model.index(0), 259).isValid());
        // A row past the end, as an index of a longer list would name it.
        MarkerListModel longer;
        longer.SetItems(AtTicks({1, 2, 3}));
        QVERIFY(!model.data(longer.index(2), MarkerListModel::NameRole).isValid());
        QVERIFY(!model.data(QModelIndex(), MarkerListModel::NameRole).isValid());
    }

    void textsComeFromUtf8()
    {
        MarkerListModel model;
        model.SetItems({{kLongName, "Takt 3\xC2\xBD", 0}, {"bad \xFF\xFE bytes", "", 10}});
        QCOMPARE(model.data(model.index(0), MarkerListModel::NameRole).toString(), QString::fromUtf8(kLongName.c_str()));
        QCOMPARE(model.data(model.index(0), MarkerListModel::LocationRole).toString(),
                 QString::fromUtf8("Takt 3\xC2\xBD"));
        const QString bad = model.data(model.index(1), MarkerListModel::NameRole).toString();
        QVERIFY(bad.startsWith("bad "));
        QVERIFY(bad.contains(QChar::ReplacementCharacter));
    }

    void indexOf_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<uint>("tick");
        QTest::addColumn<int>("row");

        QTest::newRow("found, location ignored") << "Verse" << 200u << 1;
        QTest::newRow("two equal rows: the first") << "Chorus" << 300u << 2;
        QTest::newRow("same text, other tick") << "Verse" << 201u << -1;
        QTest::newRow("same tick, other case") << "verse" << 200u << -1;
        QTest::newRow("same tick, trailing space") << "Verse " << 200u << -1;
        QTest::newRow("empty record") << "" << 0u << -1;
    }
    void indexOf()
    {
        QFETCH(QString, name);
        QFETCH(uint, tick);
        QFETCH(int, row);
        MarkerListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
        model.SetItems({{"Top", "Bar 1", 100}, {"Verse", "Bar 2", 200}, {"Chorus", "Bar 3", 300},
                        {"Chorus", "Bar 3 again", 300}});
        QCOMPARE(model.IndexOf(MarkerInfoItem(name.toStdString(), "somewhere else", tick)), row);
    }

    // ---- the controller on the view ----

    void constructionFillsTheListWithNoCurrentRow()
    {
        engine_->markers.clear();
        AddMarker(3840, "Chorus");
        AddMarker(0, "Top");
        AddMarker(1920, "Verse");
        MakeList();
        QCOMPARE(window_->view->property("model").value<QObject*>(), controller_->GetModel());
        QCOMPARE(window_->List()->property("count").toInt(), 3);
        QCOMPARE(CurrentIndex(), -1);
        QCOMPARE(controller_->passedIndex(), -1);
        QCOMPARE(window_->view->property("passedIndex").toInt(), -1);
        // In tick order, each with the engine's bar text.
        const QStringList expected{"Top|Bar 1", "Verse|Bar 2", "Chorus|Bar 3"};
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(RowItem(row, "nameText")->property("text").toString() + "|" +
                         RowItem(row, "locationText")->property("text").toString(),
                     expected[row]);
        }
        QVERIFY(log_.empty());
        QVERIFY(!controller_->signalsBlocked());
    }

    void clickAnnouncesTheRow_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("clicked");
        QTest::addColumn<int>("announcements");

        QTest::newRow("no current row") << -1 << 0 << 2;
        QTest::newRow("another row") << 0 << 2 << 2;
        QTest::newRow("the current row") << 2 << 2 << 1;
    }
    void clickAnnouncesTheRow()
    {
        QFETCH(int, current);
        QFETCH(int, clicked);
        QFETCH(int, announcements);
        MakeList();
        controller_->SetCurrentIndex(current);
        ClearLog();
        QSignalSpy clicks(window_->view, SIGNAL(itemClicked()));

        Click(clicked);
        QCOMPARE(CurrentIndex(), clicked);
        QCOMPARE(clicks.count(), 1);
        // The bus first, so the edit controller has selected the marker when the signal arrives.
        const MarkerInfoItem item = controller_->GetModel()->GetItem(clicked);
        const std::vector<std::string> once{
            "bus " + std::to_string(clicked),
            "signal " + item.name + "@" + std::to_string(item.tick) + " " + item.location};
        std::vector<std::string> expected;
        for (int i = 0; i < announcements; ++i)
            expected.insert(expected.end(), once.begin(), once.end());
        QCOMPARE(log_, expected);
    }

    void setCurrentIndexIsAnnouncedLikeAClick()
    {
        MakeList();
        // The edit controller connects by this signature string.
        QSignalSpy bySignature(controller_.get(), SIGNAL(CurrentItemChangedSignal(MarkerInfoItem)));
        QVERIFY(bySignature.isValid());
        controller_->SetCurrentIndex(3);
        QCOMPARE(CurrentIndex(), 3);
        QCOMPARE(log_, (std::vector<std::string>{"bus 3", "signal Coda@5760 Bar 4"}));
        QCOMPARE(bySignature.count(), 1);
        QCOMPARE(bySignature.at(0).at(0).value<MarkerInfoItem>(), MarkerInfoItem("Coda", "Bar 4", 5760));

        // Even right after a quiet selection.
        ClearLog();
        CL::Marker verse(1920, "Verse", "other id");
        controller_->SelectMarker(&verse);
        ClearLog();
        controller_->SetCurrentIndex(0);
        QCOMPARE(log_, (std::vector<std::string>{"bus 0", "signal Top@0 Bar 1"}));

        ClearLog();
        controller_->SetCurrentIndex(-1);
        QCOMPARE(CurrentIndex(), -1);
        QVERIFY(log_.empty());
    }

    void selectMarkerIsQuiet_data()
    {
        QTest::addColumn<bool>("null");
        QTest::addColumn<QString>("name");
        QTest::addColumn<uint>("tick");
        QTest::addColumn<int>("row");

        QTest::newRow("found whatever its location") << false << "Verse" << 1920u << 1;
        QTest::newRow("two alike: the first") << false << "Chorus" << 3840u << 2;
        QTest::newRow("the current row again") << false << "Coda" << 5760u << 4;
        QTest::newRow("text at another tick") << false << "Verse" << 1921u << -1;
        QTest::newRow("other text at the tick") << false << "Bridge" << 1920u << -1;
        QTest::newRow("no marker") << true << "" << 0u << -1;
    }
    void selectMarkerIsQuiet()
    {
        QFETCH(bool, null);
        QFETCH(QString, name);
        QFETCH(uint, tick);
        QFETCH(int, row);
        AddMarker(3840, "Chorus"); // listed last by the engine, shown after the first Chorus
        MakeList();
        controller_->SetCurrentIndex(4);
        ClearLog();

        const CL::Marker marker(tick, name.toStdString(), "not the engine's id");
        controller_->SelectMarker(null ? nullptr : &marker);
        QCOMPARE(CurrentIndex(), row);
        QVERIFY(!controller_->signalsBlocked());
        // The view still reports a new row, and the edit controller still hears of it on the
        // bus; only the controller's own signal is held back.
        std::vector<std::string> expected;
        if (row != -1 && row != 4)
            expected.push_back("bus " + std::to_string(row));
        QCOMPARE(log_, expected);
    }

    void refreshClearsTheCurrentRowButNotThePassedOne()
    {
        MakeList();
        controller_->setPassedIndex(1);
        controller_->SetCurrentIndex(2);
        ClearLog();
        QSignalSpy passedWrites(window_->view, SIGNAL(passedIndexChanged()));

        // The engine now lists one marker more, out of order.
        AddMarker(960, "Pickup");
        controller_->Refresh();
        QCOMPARE(window_->List()->property("count").toInt(), 5);
        QCOMPARE(controller_->GetModel()->GetItem(1), MarkerInfoItem("Pickup", "Bar 1", 960));
        QCOMPARE(editModel_->markers.size(), std::size_t(5));
        QCOMPARE(CurrentIndex(), -1);
        QVERIFY(log_.empty());
        QVERIFY(!controller_->signalsBlocked());
        // The old passed row stays marked until the next marker notification.
        QCOMPARE(controller_->passedIndex(), 1);
        QCOMPARE(window_->view->property("passedIndex").toInt(), 1);
        QCOMPARE(passedWrites.count(), 0);
        QCOMPARE(RowColour(1), PassedColour());

        // Down to no markers: still nothing current, the search finds none.
        engine_->markers.clear();
        controller_->Refresh();
        QCOMPARE(window_->List()->property("count").toInt(), 0);
        QCOMPARE(CurrentIndex(), -1);
        QCOMPARE(controller_->GetPassedIndex(5000), -1);
        QCOMPARE(controller_->passedIndex(), 1);
    }

    void passedIndexTouchesTheViewOnlyOnAChange()
    {
        MakeList();
        QSignalSpy passedWrites(window_->view, SIGNAL(passedIndexChanged()));
        QCOMPARE(controller_->GetPassedIndex(2000), 1);
        controller_->setPassedIndex(controller_->GetPassedIndex(2000));
        controller_->setPassedIndex(controller_->GetPassedIndex(3000));
        QCOMPARE(passedWrites.count(), 1);
        QCOMPARE(window_->view->property("passedIndex").toInt(), 1);

        // The same through the property, as QML or a string connection would do it.
        QVERIFY(controller_->setProperty("passedIndex", 3));
        QCOMPARE(controller_->property("passedIndex").toInt(), 3);
        QCOMPARE(window_->view->property("passedIndex").toInt(), 3);
        controller_->setPassedIndex(-1);
        QCOMPARE(window_->view->property("passedIndex").toInt(), -1);
        QCOMPARE(passedWrites.count(), 3);
        QVERIFY(log_.empty());
    }

    void passedColourOnlyOffTheCurrentRow()
    {
        MakeList();
        controller_->setPassedIndex(1);
        QCOMPARE(RowColour(1), PassedColour());
        for (int row : {0, 2, 3})
            QCOMPARE(RowColour(row).alpha(), 0);

        controller_->SetCurrentIndex(1);
        QCOMPARE(RowColour(1).alpha(), 0);

        Click(2);
        QCOMPARE(RowColour(1), PassedColour());
        QCOMPARE(RowColour(2).alpha(), 0);

        controller_->setPassedIndex(2);
        QCOMPARE(RowColour(1).alpha(), 0);
        QCOMPARE(RowColour(2).alpha(), 0);
    }

    void listKeepsItsPlaceWhenTheCurrentRowMoves()
    {
        for (std::uint32_t bar = 4; bar < 60; ++bar)
            AddMarker(bar * 1920, "Bar marker " + std::to_string(bar));
        MakeList();
        QQuickItem* list = window_->List();
        const qreal top = list->property("contentY").toReal();
        CL::Marker far(50 * 1920, "Bar marker 50", "id");
        controller_->SelectMarker(&far);
        QCOMPARE(CurrentIndex(), 50);
        controller_->SetCurrentIndex(55);
        // The highlight goes there all the same, out of sight.
        QTRY_COMPARE(list->findChild<QQuickItem*>("highlight")->y(), 55.0 * 25);
        QCOMPARE(list->property("contentY").toReal(), top);
    }

    void doubleClickAsksForTheMarkerTool()
    {
        MakeList();
        QSignalSpy edits(window_->view, SIGNAL(editSelectedItem()));
        QSignalSpy clicks(window_->view, SIGNAL(itemClicked()));
        QTest::mouseDClick(window_->window.get(), Qt::LeftButton, {}, window_->RowCentre(3));
        QCOMPARE(edits.count(), 1);
        // Its first click made the row current.
        QCOMPARE(CurrentIndex(), 3);
        QVERIFY(clicks.count() >= 1);
        QCOMPARE(posted_.front(), 3);

        Click(0);
        QCOMPARE(edits.count(), 1);
    }

    void longTextsAreCutWithTheWholeTextOnHover()
    {
        AddMarker(7680, kLongName);
        MakeList();
        QQuickItem* name = RowItem(4, "nameText");
        QVERIFY(name);
        QCOMPARE(name->property("text").toString(), QString::fromUtf8(kLongName.c_str()));
        QVERIFY(name->property("truncated").toBool());

        // No tool tip exists until the mouse rests on the cut text.
        auto* nameTip = name->findChild<QObject*>("toolTipLoader");
        QVERIFY(nameTip);
        QVERIFY(!nameTip->property("active").toBool());
        QTest::mouseMove(window_->window.get(), window_->RowCentre(4, "nameText"));
        QTRY_VERIFY(nameTip->property("active").toBool());
        auto* tip = nameTip->property("item").value<QObject*>()->findChild<QObject*>("toolTip");
        QVERIFY(tip);
        QCOMPARE(tip->property("text").toString(), QString::fromUtf8(kLongName.c_str()));
        QCOMPARE(tip->property("delay").toInt(), 1000);
        QCOMPARE(tip->property("timeout").toInt(), 5000);
        // Shown only once the mouse has rested there a while.
        QVERIFY(!tip->property("visible").toBool());
        QTRY_VERIFY_WITH_TIMEOUT(tip->property("opened").toBool(), 3000);

        // A text that fits never gets one.
        QQuickItem* location = RowItem(4, "locationText");
        QVERIFY(!location->property("truncated").toBool());
        QTest::mouseMove(window_->window.get(), window_->RowCentre(4, "locationText"));
        QTRY_VERIFY(!nameTip->property("active").toBool());
        QVERIFY(!location->findChild<QObject*>("toolTipLoader")->property("active").toBool());
    }
};

QTEST_MAIN(TestMarkerList)
#include "tst_marker_list.moc"
