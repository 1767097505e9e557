#include "QmlController.h"
#include "QmlModuleLoader.h"

#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

#include <stdexcept>

namespace {

QUrl Fixture(const char* name)
{
    return QUrl::fromLocalFile(QStringLiteral(CORVANE_FIXTURES_DIR "/") + QLatin1String(name));
}

} // namespace

// Makes a second item from the nesting fixture while the first one completes.
class NestedMaker : public QObject
{
    Q_OBJECT

public:
    QQmlEngine* engine = nullptr;
    QQuickItem* parent = nullptr;
    QUrl url;
    std::unique_ptr<zarn::qt::QmlController> inner;

    Q_INVOKABLE void make()
    {
        inner = std::make_unique<zarn::qt::QmlController>(engine, url, parent, true, QVariantMap{});
    }
};

class TestQmlController : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        engine_ = std::make_unique<QQmlEngine>();
        zarn::qt::QmlModuleLoader::PrepareEngine(*engine_);
        parentItem_ = std::make_unique<QQuickItem>();
    }
    void cleanup()
    {
        parentItem_.reset();
        engine_.reset();
    }

    void itemsOfOneFileShareTheirComponent()
    {
        zarn::qt::QmlController first(engine_.get(), Fixture("ItemRoot.qml"), parentItem_.get(), true, {});
        zarn::qt::QmlController second(engine_.get(), Fixture("ItemRoot.qml"), parentItem_.get(), true, {});
        QVERIFY(first.GetQmlObject());
        QVERIFY(second.GetQmlObject());
        QVERIFY(first.GetQmlObject() != second.GetQmlObject());
        QCOMPARE(engine_->findChildren<QQmlComponent*>().size(), 1);

        // A file whose item makes another of its own kind while it completes still gets both.
        NestedMaker maker;
        maker.engine = engine_.get();
        maker.parent = parentItem_.get();
        maker.url = Fixture("NestedRoot.qml");
        engine_->rootContext()->setContextProperty(QStringLiteral("maker"), &maker);
        zarn::qt::QmlController outer(engine_.get(), maker.url, parentItem_.get(), true,
                                      {{QStringLiteral("nest"), true}});
        QVERIFY(outer.GetQmlObject());
        QVERIFY(maker.inner && maker.inner->GetQmlObject());
        QVERIFY(maker.inner->GetQmlObject() != outer.GetQmlObject());
        maker.inner.reset();
    }

    void missingUrlLeavesNoObject()
    {
        zarn::qt::QmlController controller(engine_.get(), Fixture("DoesNotExist.qml"), nullptr, true, {});
        QVERIFY(controller.GetQmlObject() == nullptr);
        try {
            controller.SetVisible(true);
            QFAIL("SetVisible without an object must throw");
        } catch (const std::runtime_error& e) {
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Cannot Set QML Object visible. Qml Object is null."));
        }
    }

    void brokenQmlLeavesNoObject()
    {
        zarn::qt::QmlController controller(engine_.get(), Fixture("Broken.qml"), parentItem_.get(), true, {});
        QVERIFY(controller.GetQmlObject() == nullptr);
    }

    void itemRootIsReparentedVisually()
    {
        zarn::qt::QmlController controller(engine_.get(), Fixture("ItemRoot.qml"), parentItem_.get(), true,
                                           {{QStringLiteral("caption"), QStringLiteral("hello")}});
        auto* item = qobject_cast<QQuickItem*>(controller.GetQmlObject());
        QVERIFY(item);
        QCOMPARE(item->parent(), static_cast<QObject*>(parentItem_.get()));
        QCOMPARE(item->parentItem(), parentItem_.get());
        QCOMPARE(item->property("transientParent").value<QQuickItem*>(), parentItem_.get());
        // Initial properties are in place before the document's own completion handler runs.
        QCOMPARE(item->property("captionAtCompletion").toString(), QStringLiteral("hello"));
        QCOMPARE(controller.GetX(), 10);
        QCOMPARE(controller.GetRightEdge(), 45);
        controller.SetZ(3);
        QCOMPARE(item->z(), 3.0);
        controller.SetVisible(false);
        QVERIFY(!item->isVisible());
    }

    void windowRootGetsTransientParentButNoVisualParent()
    {
        QQuickWindow mainWindow;
        parentItem_->setParentItem(mainWindow.contentItem());
        zarn::qt::QmlController controller(engine_.get(), Fixture("WindowRoot.qml"), parentItem_.get(), true, {});
        auto* window = qobject_cast<QQuickWindow*>(controller.GetQmlObject());
        QVERIFY(window);
        QCOMPARE(static_cast<QObject*>(window)->parent(), static_cast<QObject*>(parentItem_.get()));
        QCOMPARE(window->transientParent(), static_cast<QWindow*>(&mainWindow));
        QVERIFY(window->contentItem()->parentItem() == nullptr);
        controller.DeleteQmlObject();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        parentItem_->setParentItem(nullptr);
    }

    void windowParentHoldsAndCarriesTheWindow()
    {
        QQuickWindow mainWindow;
        zarn::qt::QmlController controller(engine_.get(), Fixture("WindowRoot.qml"), &mainWindow, true, {});
        auto* window = qobject_cast<QQuickWindow*>(controller.GetQmlObject());
        QVERIFY(window);
        QCOMPARE(static_cast<QObject*>(window)->parent(), static_cast<QObject*>(&mainWindow));
        QCOMPARE(window->transientParent(), static_cast<QWindow*>(&mainWindow));
        // A Qt child, but still a window of its own, not one embedded in the main window.
        QVERIFY(window->parent() == nullptr);
        QVERIFY(window->isTopLevel());

        // An item loaded under a window is shown in the window's content.
        zarn::qt::QmlController item(engine_.get(), Fixture("ItemRoot.qml"), &mainWindow, true, {});
        auto* quickItem = qobject_cast<QQuickItem*>(item.GetQmlObject());
        QVERIFY(quickItem);
        QCOMPARE(quickItem->parentItem(), mainWindow.contentItem());
    }

    void windowGoneWithItsParentIsLeftAlone()
    {
        auto mainWindow = std::make_unique<QQuickWindow>();
        zarn::qt::QmlController controller(engine_.get(), Fixture("WindowRoot.qml"), mainWindow.get(), true, {});
        QPointer<QObject> window = controller.GetQmlObject();
        QVERIFY(window);

        mainWindow.reset();
        QVERIFY(window.isNull());
        QVERIFY(controller.GetQmlObject() == nullptr);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, controller.SetVisible(true));
        // Neither deleting again now nor at the controller's end touches the freed window.
        controller.DeleteQmlObject();
        controller.Closing_(nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void closingTwiceDeletesOnce()
    {
        QPointer<QObject> object;
        {
            zarn::qt::QmlController controller(engine_.get(), Fixture("ItemRoot.qml"), parentItem_.get(), true, {});
            object = controller.GetQmlObject();
            QVERIFY(object);
            controller.Closing_(nullptr);
            QVERIFY(controller.GetQmlObject() == nullptr);
            controller.Closing_(nullptr);
            QVERIFY(object); // deleted later, through the event loop
        }
        QTRY_VERIFY(object.isNull());
    }

    void ownedObjectIsDeletedWithItsController()
    {
        QPointer<QObject> object;
        {
            zarn::qt::QmlController controller(engine_.get(), Fixture("ItemRoot.qml"), nullptr, true, {});
            object = controller.GetQmlObject();
            QVERIFY(object);
        }
        QTRY_VERIFY(object.isNull());
    }

    void wrappedObjectOutlivesItsController()
    {
        QQuickItem wrapped;
        QPointer<QObject> watch(&wrapped);
        {
            zarn::qt::QmlController controller(&wrapped, engine_.get());
            QCOMPARE(controller.GetQmlObject(), &wrapped);
            controller.Closing_(nullptr);
            QCOMPARE(controller.GetQmlObject(), &wrapped);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!watch.isNull());
    }

private:
    std::unique_ptr<QQmlEngine> engine_;
    std::unique_ptr<QQuickItem> parentItem_;
};

QTEST_MAIN(TestQmlController)
#include "tst_qml_controller.moc"
