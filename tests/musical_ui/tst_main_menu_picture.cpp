// The main window with its menu open on the Player commands, rendered with GL on a virtual
// display (the icon's colour overlay draws nothing on the software renderer) and saved in the
// build folder for looking at.
#include "GalleryShot.h"
#include "MainWindowFixture.h"
#include "MenuEntry.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

#include <memory>

class TestMainMenuPicture : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f_;

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            QSKIP("needs an X display with GL: run under xvfb-run");
        f_ = std::make_unique<MainWindowFixture>();
        f_->UseFakeEngine();
        f_->Create();
    }

    void cleanupTestCase()
    {
        f_.reset();
    }

    void menuOpenOnThePlayerCommands()
    {
        auto* window = qobject_cast<QQuickWindow*>(f_->Window());
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QObject* menuItem = f_->WindowProperty("menu").value<QObject*>();
        auto* icon = menuItem->findChild<QQuickItem*>(QStringLiteral("menuIcon"));
        QObject* menu = menuItem->property("popupMenu").value<QObject*>();
        QTest::mouseClick(window, Qt::LeftButton, {}, icon->mapToScene(QPointF(10, 10)).toPoint());
        QTRY_VERIFY(menu->property("opened").toBool());

        QQuickItem* player = MenuEntry(menu, QStringLiteral("Player"));
        QVERIFY(player);
        const QPoint entry = player->mapToScene(QPointF(30, player->height() / 2)).toPoint();
        QTest::mouseMove(window, entry);
        QTest::mouseClick(window, Qt::LeftButton, {}, entry);
        QObject* sub = player->property("subMenu").value<QObject*>();
        QTRY_VERIFY(sub->property("opened").toBool());

        QImage image;
        GalleryShot::Grab(window, QStringLiteral(CORVANE_PICTURES_DIR "/main_menu_open.png"), image);
        if (QTest::currentTestFailed() || image.isNull())
            return;
        // The icon's bars in the menu's grey, the open sub-menu's entry highlighted, and the
        // Player commands' background below it.
        const QPoint bar = icon->mapToScene(QPointF(10, 10)).toPoint();
        QCOMPARE(image.pixelColor(bar).name(), QStringLiteral("#d3d3d3"));
        QCOMPARE(image.pixelColor(player->mapToScene(QPointF(5, 5)).toPoint()).name(), QStringLiteral("#363636"));
        QQuickItem* stop = nullptr;
        QMetaObject::invokeMethod(sub, "itemAt", Q_RETURN_ARG(QQuickItem*, stop), Q_ARG(int, 1));
        QVERIFY(stop);
        QCOMPARE(stop->property("text").toString(), QStringLiteral("Stop"));
        QCOMPARE(image.pixelColor(stop->mapToScene(QPointF(stop->width() - 3, 3)).toPoint()).name(),
                 QStringLiteral("#2e2e2e"));
    }
};

QTEST_MAIN(TestMainMenuPicture)
#include "tst_main_menu_picture.moc"
