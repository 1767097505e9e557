// The timeline's item controllers on a QML engine: what they write into their items, and
// how the items' clicks, double clicks and drags come back as signals with the event.
#include "QmlModuleLoader.h"
#include "TimeLineCaesuraController.h"
#include "TimeLineGlyphController.h"
#include "TimeLineMarkerController.h"
#include "TimeRegionController.h"
#include "TimelineMetaTypes.h"
#include "zarn_core/ZarnEventCode.h"

#include <QColor>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace zarn::qt;

class TestTimelineItems : public QObject
{
    Q_OBJECT

    std::unique_ptr<QQmlEngine> engine_;
    std::unique_ptr<QQuickItem> row_;
    cmn::ZarnEvent event_{codes::Vamp, 2500, 5000, "v1"};

    QQuickItem* Item(ZarnEventController& controller)
    {
        return qobject_cast<QQuickItem*>(controller.GetQmlObject());
    }

private slots:
    void initTestCase()
    {
        RegisterTimelineMetaTypes();
        // A wrong signature string must fail the test, not only print a warning.
        QTest::failOnWarning(QRegularExpression("QObject::connect"));
        engine_ = std::make_unique<QQmlEngine>();
        QmlModuleLoader::PrepareEngine(*engine_);
    }

    void init()
    {
        row_ = std::make_unique<QQuickItem>();
        row_->setSize(QSizeF(2000, 16));
    }

    void cleanup()
    {
        row_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void regionColours_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("colour");
        const char* expected[] = {"#DC143C", "#6e3493", "#DAA520", "#00BFFF", "#0d6d97", "#FFFF00", "#3da893"};
        for (int kind = 0; kind < 7; ++kind)
            QTest::addRow("kind %d", kind) << kind << expected[kind];
        QTest::newRow("kind 7 has no entry") << 7 << "#cccccc";
        QTest::newRow("kind 8") << 8 << "#FF66CC";
        QTest::newRow("kind 9 has no entry") << 9 << "#cccccc";
        QTest::newRow("negative kind") << -1 << "#cccccc";
    }

    void regionColours()
    {
        QFETCH(int, kind);
        QFETCH(QString, colour);
        TimeRegionController region(&event_, true, "Vamp", 100, 100, kind, engine_.get(), row_.get());
        QCOMPARE(Item(region)->property("baseColor").value<QColor>(), QColor(colour));
    }

    void regionIsPlacedAtItsFinalWidth()
    {
        TimeRegionController region(&event_, true, "Vamp", 100, 40, 3, engine_.get(), row_.get());
        QQuickItem* item = Item(region);
        QVERIFY(item);
        QCOMPARE(item->parentItem(), row_.get());
        QCOMPARE(item->x(), 100.0);
        QCOMPARE(item->width(), 40.0);
        auto* right = item->findChild<QQuickItem*>("rightHandle");
        QVERIFY(right);
        QCOMPARE(right->x(), 37.0); // the width written before the position
        QCOMPARE(item->property("editable").toBool(), true);
        QCOMPARE(region.GetEvent(), &event_);

        region.SetRegionViewScale(2.0);
        QCOMPARE(item->x(), 200.0);
        QCOMPARE(item->width(), 80.0);
        QCOMPARE(right->x(), 77.0);
    }

    void clicksSelectAndReEmit()
    {
        TimeRegionController region(&event_, true, "Vamp", 0, 40, 3, engine_.get(), row_.get());
        QSignalSpy selected(&region, &ZarnEventController::SelectedSignal);
        QMetaObject::invokeMethod(region.GetQmlObject(), "clicked");
        QCOMPARE(selected.count(), 1);
        QCOMPARE(selected.at(0).at(0).value<const cmn::ZarnEvent*>(), &event_);
        QCOMPARE(region.GetQmlObject()->property("selected").toBool(), true);
        // Alone, a second click flips it back; the timeline then selects it again.
        QMetaObject::invokeMethod(region.GetQmlObject(), "clicked");
        QCOMPARE(selected.count(), 2);
        QCOMPARE(region.GetQmlObject()->property("selected").toBool(), false);
        region.SetSelected(true);
        QCOMPARE(region.GetQmlObject()->property("selected").toBool(), true);
    }

    void dragsCarryTheEvent_data()
    {
        QTest::addColumn<int>("kind"); // 0 range, 1 caesura, 2 marker, 3 glyph
        QTest::addColumn<bool>("fourArguments");
        QTest::newRow("range") << 0 << true;
        QTest::newRow("caesura") << 1 << false;
        QTest::newRow("marker") << 2 << false;
        QTest::newRow("glyph") << 3 << false;
    }

    void dragsCarryTheEvent()
    {
        QFETCH(int, kind);
        QFETCH(bool, fourArguments);
        std::unique_ptr<ZarnEventController> controller;
        switch (kind) {
        case 0: controller = std::make_unique<TimeRegionController>(&event_, true, "Vamp", 0, 40, 3, engine_.get(), row_.get()); break;
        case 1: controller = std::make_unique<TimeLineCaesuraController>(&event_, true, 10, engine_.get(), row_.get()); break;
        case 2: controller = std::make_unique<TimeLineMarkerController>(&event_, true, " A", 10, engine_.get(), row_.get()); break;
        default: controller = std::make_unique<TimeLineGlyphController>(&event_, true, 10, engine_.get(), row_.get(), QString(), true); break;
        }
        QSignalSpy dragged(controller.get(), &ZarnEventController::DraggedSignal);
        QSignalSpy doubled(controller.get(), &ZarnEventController::DoubleClickedSignal);
        if (fourArguments)
            QMetaObject::invokeMethod(controller->GetQmlObject(), "dragged", Q_ARG(int, 7), Q_ARG(int, 9),
                                      Q_ARG(bool, true), Q_ARG(bool, false));
        else
            QMetaObject::invokeMethod(controller->GetQmlObject(), "dragged", Q_ARG(int, 7), Q_ARG(int, 9));
        QCOMPARE(dragged.count(), 1);
        const QList<QVariant> args = dragged.at(0);
        QCOMPARE(args.at(0).value<const cmn::ZarnEvent*>(), &event_);
        QCOMPARE(args.at(1).toInt(), 7);
        QCOMPARE(args.at(2).toInt(), 9);
        QCOMPARE(args.at(3).toBool(), fourArguments);
        QCOMPARE(args.at(4).toBool(), false);
        QMetaObject::invokeMethod(controller->GetQmlObject(), "doubleClicked");
        QCOMPARE(doubled.count(), 1);
    }

    void pointItemsGetTheirProperties()
    {
        TimeLineMarkerController marker(nullptr, false, " 3/4", 40, engine_.get(), row_.get());
        QCOMPARE(Item(marker)->property("labelText").toString(), QStringLiteral(" 3/4"));
        QCOMPARE(Item(marker)->property("basePosition").toInt(), 40);
        QCOMPARE(Item(marker)->property("editable").toBool(), false);
        marker.SetLabelVisible(false);
        QCOMPARE(Item(marker)->property("visibleLabel").toBool(), false);
        marker.SetItemViewScale(2.0);
        QCOMPARE(Item(marker)->x(), 80.0);

        TimeLineCaesuraController caesura(&event_, true, 12, engine_.get(), row_.get());
        QCOMPARE(Item(caesura)->property("basePosition").toInt(), 12);
        QCOMPARE(Item(caesura)->property("editable").toBool(), true);

        TimeLineGlyphController lan(&event_, true, 30, engine_.get(), row_.get(), "qrc:/images/lan.svg", false);
        QCOMPARE(Item(lan)->property("glyphPath").toUrl(), QUrl("qrc:/images/lan.svg"));
        QCOMPARE(Item(lan)->property("enableOsc").toBool(), false);
        TimeLineGlyphController plain(&event_, true, 30, engine_.get(), row_.get(), QString(), true);
        QCOMPARE(Item(plain)->property("glyphPath").toUrl(), QUrl("qrc:/images/sfx.svg"));
    }

    void deletingAControllerReleasesItsItem()
    {
        auto marker = std::make_unique<TimeLineMarkerController>(&event_, true, " A", 0, engine_.get(), row_.get());
        QPointer<QObject> item = marker->GetQmlObject();
        marker.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(item.isNull());
    }

    void anItemThatCannotBeCreatedIsLeftAlone()
    {
        ZarnEventController missing(&event_, true, engine_.get(), "qrc:/no/such/Item.qml", row_.get());
        QVERIFY(!missing.GetQmlObject());
        missing.SetSelected(true);
        missing.SetItemViewScale(2.0);
        QSignalSpy selected(&missing, &ZarnEventController::SelectedSignal);
        missing.Clicked_();
        QCOMPARE(selected.count(), 1);
        QVERIFY(missing.IsSelected() == false); // flipped from true
    }
};

QTEST_MAIN(TestTimelineItems)
#include "tst_timeline_items.moc"
