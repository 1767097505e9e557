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

// Renders the gallery page of the lists, sliders, dial and indicators with GL (the drop
// shadows and the meter's glow need it), saves the picture for looking at, and checks a few
// pixels that only come out right when the controls draw as intended.
class TestZarnUiGalleryLists : public QObject
{
    Q_OBJECT

private:
    QImage shot_;
    std::unique_ptr<QQuickView> view_;

    // Searches the visual tree: items a Repeater makes have no object parent to find them by.
    static QQuickItem* findItem(QQuickItem* root, const QString& objectName)
    {
        if (root->objectName() == objectName)
            return root;
        for (QQuickItem* child : root->childItems())
            if (QQuickItem* found = findItem(child, objectName))
                return found;
        return nullptr;
    }

    QQuickItem* item(const QString& objectName) const
    {
        return findItem(view_->rootObject(), objectName);
    }

    // The colour at (x, y) of the named item, in its own coordinates.
    QColor colourIn(const QString& objectName, qreal x, qreal y) const
    {
        QQuickItem* found = item(objectName);
        if (!found)
            return QColor();
        const QPoint p = found->mapToScene(QPointF(x, y)).toPoint();
        if (!shot_.rect().contains(p))
            return QColor();
        return shot_.pixelColor(p);
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
        QVERIFY2(view_->status() == QQuickView::Ready,
                 qPrintable(view_->errors().isEmpty() ? QString() : view_->errors().first().toString()));
        view_->show();
        QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
        QCOMPARE(view_->rendererInterface()->graphicsApi(), QSGRendererInterface::OpenGL);
        QVERIFY(QMetaObject::invokeMethod(view_->rootObject(), "showPopups"));
        QTest::qWait(800);
        shot_ = view_->grabWindow();
        QVERIFY(!shot_.isNull());
        const QString path = QStringLiteral(CORVANE_GALLERY_PNG);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QVERIFY2(shot_.save(path), qPrintable(path));
        qInfo("gallery picture: %s", qPrintable(path));
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
