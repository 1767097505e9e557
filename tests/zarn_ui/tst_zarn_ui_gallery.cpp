#include "IsolatedDataHome.h"
#include "QmlModuleLoader.h"

#include <QDir>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QRegularExpression>
#include <QSGRendererInterface>
#include <QtTest>

// Renders the control gallery on a GL display (the graphical effects draw nothing on the
// software renderer), saves the picture for looking at, and checks the bevels' pixels.
class TestZarnUiGallery : public QObject
{
    Q_OBJECT

private:
    QImage shot_;
    std::unique_ptr<QQuickView> view_;

    QPoint sceneOrigin(const char* objectName)
    {
        auto* item = view_->rootObject()->findChild<QQuickItem*>(QString::fromLatin1(objectName));
        if (!item)
            return QPoint(-1000, -1000);
        return item->mapToScene(QPointF(0, 0)).toPoint();
    }

    QString pixel(QPoint origin, int x, int y) const
    {
        return shot_.pixelColor(origin + QPoint(x, y)).name();
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            QSKIP("needs an X display with GL: run under xvfb-run");

        QTest::failOnWarning(QRegularExpression(QStringLiteral("\\.qml")));
        static IsolatedDataHome dataHome;
        view_ = std::make_unique<QQuickView>();
        zarn::qt::QmlModuleLoader::PrepareEngine(*view_->engine());
        view_->setSource(QUrl::fromLocalFile(QStringLiteral(CORVANE_GALLERY_QML)));
        QVERIFY2(view_->status() == QQuickView::Ready, qPrintable(view_->errors().isEmpty() ? QString()
                                                                   : view_->errors().first().toString()));
        view_->show();
        QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
        QCOMPARE(view_->rendererInterface()->graphicsApi(), QSGRendererInterface::OpenGL);
        QVERIFY(QMetaObject::invokeMethod(view_->rootObject(), "showPopups"));
        // Images load and popups finish opening.
        QTest::qWait(800);
        shot_ = view_->grabWindow();
        QVERIFY(!shot_.isNull());
        const QString path = QStringLiteral(CORVANE_GALLERY_PNG);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QVERIFY2(shot_.save(path), qPrintable(path));
        qInfo("gallery picture: %s", qPrintable(path));
    }

    void basicBevelIn100x30()
    {
        const QPoint o = sceneOrigin("bevel100x30");
        QCOMPARE(pixel(o, 0, 15), QStringLiteral("#2a2a2a"));  // left
        QCOMPARE(pixel(o, 50, 0), QStringLiteral("#2a2a2a"));  // top
        QCOMPARE(pixel(o, 99, 15), QStringLiteral("#1d1d1d")); // right, inside
        QCOMPARE(pixel(o, 50, 30), QStringLiteral("#1d1d1d")); // one pixel below
        QCOMPARE(pixel(o, 50, 15), QStringLiteral("#202020"));
        QCOMPARE(pixel(o, 50, 29), QStringLiteral("#202020"));
    }

    void recessedBevelIn50x20()
    {
        const QPoint o = sceneOrigin("bevel50x20");
        QCOMPARE(pixel(o, -1, 10), QStringLiteral("#1d1d1d")); // dark vertical at x -1
        QCOMPARE(pixel(o, 50, 10), QStringLiteral("#2a2a2a")); // light vertical at x 50
        QCOMPARE(pixel(o, 25, 20), QStringLiteral("#2a2a2a")); // light horizontal at y 20
        QCOMPARE(pixel(o, 25, 0), QStringLiteral("#1d1d1d"));  // dark horizontal at y 0
        QCOMPARE(pixel(o, 0, 10), QStringLiteral("#202020"));
        QCOMPARE(pixel(o, 49, 10), QStringLiteral("#202020"));
    }
};

QTEST_MAIN(TestZarnUiGallery)
#include "tst_zarn_ui_gallery.moc"
