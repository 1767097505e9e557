// The main window's score page on the demo show, rendered with GL on a virtual display and
// saved in the build folder for looking at: the first page alone, the spread of pages 2 and 3
// after "Double Page", and that spread at twice the size.
#include "GalleryShot.h"
#include "MainWindowFixture.h"

#include "ScoreViewController.h"

#include <QFile>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

#include <filesystem>
#include <memory>

class TestScorePictures : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f_;

    QObject* Score() const { return f_->WindowProperty("scoreControl").value<QObject*>(); }

    // Whether a page image shows, loaded and with no page decoding over it.
    static bool Ready(QObject* image, QObject* preload)
    {
        return image->property("status").toInt() == 1 && !preload->property("visible").toBool();
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            QSKIP("needs an X display with GL: run under xvfb-run");
        f_ = std::make_unique<MainWindowFixture>();
        namespace fs = std::filesystem;
        const fs::path folder = f_->showFolder.toStdString();
        fs::copy_file(CORVANE_DEMO_SERVER_SHOW "/lanterns.score", folder / "lanterns.score");
        fs::copy_file(CORVANE_DEMO_SERVER_SHOW "/credential.json", folder / "credential.json");
        f_->Create();
        auto* window = qobject_cast<QQuickWindow*>(f_->Window());
        QVERIFY(window);
        window->resize(1400, 900);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QObject* modeBar = f_->WindowProperty("modeBarControl").value<QObject*>();
        QVERIFY(modeBar);
        modeBar->setProperty("currentIndex", 1);
    }

    void cleanupTestCase()
    {
        f_.reset();
    }

    void firstPage()
    {
        auto* window = qobject_cast<QQuickWindow*>(f_->Window());
        QObject* score = Score();
        QTRY_VERIFY(Ready(score->property("leftImage").value<QObject*>(), score->property("leftPreload").value<QObject*>()));
        QCOMPARE(score->property("counterText").toString(), QStringLiteral("Page 1 of 6"));
        QImage image;
        GalleryShot::Grab(window, QStringLiteral(CORVANE_PICTURES_DIR "/score_page1.png"), image);
        if (QTest::currentTestFailed() || image.isNull())
            return;
        // The page is white paper in the middle of the dark page area.
        auto* left = score->property("leftImage").value<QQuickItem*>();
        const QPointF middle = left->mapToScene(QPointF(left->width() / 2, 40));
        QVERIFY2(image.pixelColor(middle.toPoint()).lightness() > 200, qPrintable(image.pixelColor(middle.toPoint()).name()));
    }

    void spreadOfPagesTwoAndThree()
    {
        auto* window = qobject_cast<QQuickWindow*>(f_->Window());
        QObject* score = Score();
        f_->controller->GetScoreViewController()->SetCurrentPage(2);
        auto* button = score->property("pageModeButton").value<QQuickItem*>();
        QTest::mouseClick(window, Qt::LeftButton, {}, button->mapToScene(QPointF(10, 10)).toPoint());
        QCOMPARE(score->property("twoUpMode").toBool(), true);
        QTRY_VERIFY(Ready(score->property("leftImage").value<QObject*>(), score->property("leftPreload").value<QObject*>()));
        QTRY_VERIFY(Ready(score->property("rightImage").value<QObject*>(), score->property("rightPreload").value<QObject*>()));
        const QStringList pages = score->property("imageListModel").toStringList();
        QCOMPARE(score->property("currentImage1").toString(), pages.at(1));
        QCOMPARE(score->property("currentImage2").toString(), pages.at(2));
        QImage image;
        GalleryShot::Grab(window, QStringLiteral(CORVANE_PICTURES_DIR "/score_spread.png"), image);
    }

    void spreadAtTwiceTheSize()
    {
        auto* window = qobject_cast<QQuickWindow*>(f_->Window());
        QObject* score = Score();
        score->property("zoomSlider").value<QObject*>()->setProperty("value", 2.0);
        // Scrolled to the middle, where the two pages meet.
        auto* area = score->property("pageArea").value<QObject*>();
        const double middle = area->property("contentWidth").toDouble() / 2 - area->property("width").toDouble() / 2;
        QVERIFY(qAbs(area->property("contentX").toDouble() - middle) < 1);
        QImage image;
        GalleryShot::Grab(window, QStringLiteral(CORVANE_PICTURES_DIR "/score_spread_zoom2.png"), image);
    }
};

QTEST_MAIN(TestScorePictures)
#include "tst_score_pictures.moc"
