#include "GalleryShot.h"

#include <QQuickItem>
#include <QtTest>

// Renders the control gallery on a GL display (the graphical effects draw nothing on the
// software renderer), saves the picture for looking at, and checks the bevels' pixels.
class TestZarnUiGallery : public QObject
{
    Q_OBJECT

private:
    GalleryShot gallery_;

    QPoint sceneOrigin(const char* objectName)
    {
        auto* item = gallery_.Root()->findChild<QQuickItem*>(QString::fromLatin1(objectName));
        if (!item)
            return QPoint(-1000, -1000);
        return item->mapToScene(QPointF(0, 0)).toPoint();
    }

    QString pixel(QPoint origin, int x, int y) const
    {
        return gallery_.Image().pixelColor(origin + QPoint(x, y)).name();
    }

private slots:
    void initTestCase()
    {
        gallery_.Render(QStringLiteral(CORVANE_GALLERY_QML), QStringLiteral(CORVANE_GALLERY_PNG));
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
