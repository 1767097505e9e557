#include "GalleryShot.h"

#include <QQuickItem>
#include <QtTest>

// Renders the gallery page of the lists, sliders, dial and indicators with GL (the drop
// shadows and the meter's glow need it), saves the picture for looking at, and checks a few
// pixels that only come out right when the controls draw as intended.
class TestZarnUiGalleryLists : public QObject
{
    Q_OBJECT

private:
    GalleryShot gallery_;

    QQuickItem* item(const QString& objectName) const
    {
        return gallery_.FindItem(objectName);
    }

    // The colour at (x, y) of the named item, in its own coordinates.
    QColor colourIn(const QString& objectName, qreal x, qreal y) const
    {
        QQuickItem* found = item(objectName);
        if (!found)
            return QColor();
        const QPoint p = found->mapToScene(QPointF(x, y)).toPoint();
        if (!gallery_.Image().rect().contains(p))
            return QColor();
        return gallery_.Image().pixelColor(p);
    }

private slots:
    void initTestCase()
    {
        gallery_.Render(QStringLiteral(CORVANE_GALLERY_QML), QStringLiteral(CORVANE_GALLERY_PNG));
    }

    void meterSegments()
    {
        // Value 0: every segment shows only its unlit colour.
        QCOMPARE(colourIn(QStringLiteral("meter0"), 6, 6).name(), QStringLiteral("#444444"));
        // Value 1: the first segment is lit green, and the yellow glow inside it adds red.
        const QColor lit = colourIn(QStringLiteral("meter1"), 6, 6);
        QVERIFY2(lit.green() > lit.blue() + 40, qPrintable(lit.name()));
        QVERIFY2(lit.red() > 0, qPrintable(lit.name() + QStringLiteral(": no glow drawn")));
    }

    void sliderTrackFillAndMark()
    {
        QQuickItem* slider = item(QStringLiteral("sliderAt03"));
        QVERIFY(slider);
        const qreal midY = slider->height() / 2;
        QCOMPARE(colourIn(QStringLiteral("sliderAt03"), 12, midY).name(), QStringLiteral("#26a5de"));
        QCOMPARE(colourIn(QStringLiteral("sliderAt03"), slider->width() - 12, midY).name(), QStringLiteral("#555555"));
    }

    void dialNotchStandsAboveTheBody()
    {
        // The body's top edge is at y 0; the lime notch shows above it, the body below it.
        QCOMPARE(colourIn(QStringLiteral("dialCentre"), 12, -2).name(), QStringLiteral("#00ff00"));
        QCOMPARE(colourIn(QStringLiteral("dialCentre"), 5, 12).name(), QStringLiteral("#69696a"));
    }

    void progressBar()
    {
        QCOMPARE(colourIn(QStringLiteral("progress40"), 20, 6).name(), QStringLiteral("#26a5de"));
        QCOMPARE(colourIn(QStringLiteral("progress40"), 290, 6).name(), QStringLiteral("#525252"));
    }

    void twoColumnListAndScrollBar()
    {
        QQuickItem* list = item(QStringLiteral("destinations"));
        QVERIFY(list);
        // Row 0 is not current: the list's own background shows in its spacer.
        QCOMPARE(colourIn(QStringLiteral("destinations"), 5, 15).name(), QStringLiteral("#282828"));
        // The scroll bar's track, below its handle.
        QCOMPARE(colourIn(QStringLiteral("destinations"), list->width() - 10, list->height() - 4).name(),
                 QStringLiteral("#171717"));
    }
};

QTEST_MAIN(TestZarnUiGalleryLists)
#include "tst_zarn_ui_gallery_lists.moc"
