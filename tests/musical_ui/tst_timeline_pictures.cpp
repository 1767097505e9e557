// Pictures of the editing page's timeline on the demo show, rendered with GL on a virtual
// display (the drop shadows draw nothing on the software renderer) and saved in the build
// folder for looking at: song 1 at three scales with the playhead and a selection band,
// songs 2 and 3, and the whole editing page with its lists.
#include "GalleryShot.h"
#include "TimelineFixture.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

#include <algorithm>
#include <memory>

class TestTimelinePictures : public QObject
{
    Q_OBJECT

    std::unique_ptr<TimelineFixture> f_;

    static QString Png(const QString& name)
    {
        return QStringLiteral(CORVANE_PICTURES_DIR "/") + name;
    }

    // Beat lines fade for half a second after a zoom; the picture shows where they end.
    bool FadesDone() const
    {
        for (const auto& line : f_->controller->GetBarsBeatsView()->GetItems()) {
            if (QObject* fade = line->GetQmlObject()->property("fade").value<QObject*>();
                fade && fade->property("running").toBool())
                return false;
        }
        return true;
    }

    QImage Shot(const QString& name)
    {
        QImage image;
        [&] { QTRY_VERIFY_WITH_TIMEOUT(FadesDone(), 5000); }();
        GalleryShot::Grab(f_->window.get(), Png(name), image);
        return image;
    }

    // The pixel at position unit `pos` of the strip's content, in window coordinates.
    int ContentX(double pos) const
    {
        QObject* flick = f_->timeline->property("flickable").value<QObject*>();
        const double scale = f_->timeline->property("viewScale").toDouble();
        return qRound(90 + 30 + pos * scale - flick->property("contentX").toDouble());
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            QSKIP("needs an X display with GL: run under xvfb-run");
        f_ = std::make_unique<TimelineFixture>();
    }

    void cleanupTestCase()
    {
        f_.reset();
    }

    void songOneWithPlayheadAndBand()
    {
        f_->LoadSong("1");
        const auto bar3 = f_->editModel->barsBeats->GetBarInfo(2);
        f_->controller->SetPlayhead(bar3.tick + 8);
        f_->timeline->setProperty("selectionStart", 420);
        f_->timeline->setProperty("selectionEnd", 520);
        f_->timeline->setProperty("selectionActive", true);
        const QImage image = Shot("timeline_song1_scale1.png");
        if (QTest::currentTestFailed() || image.isNull())
            return;
        // The playhead's blue line runs down the strip at bar 3.
        const int x = ContentX(bar3.tick / 25);
        QCOMPARE(image.pixelColor(x, 150).name(), QStringLiteral("#26a5de"));
    }

    void songOneZoomedOut()
    {
        f_->LoadSong("1");
        f_->timeline->setProperty("viewScale", 0.3);
        Shot("timeline_song1_scale03.png");
    }

    void songOneZoomedIn()
    {
        f_->LoadSong("1");
        f_->timeline->setProperty("viewScale", 4.0);
        Shot("timeline_song1_scale4.png");
    }

    // Song 1 with "Letter A" passed and an event row chosen: the lists' columns, icons,
    // attacca states, the passed and chosen rows' colours and the log version.
    void editingPageOnSongOne()
    {
        f_->LoadSong("1");
        const auto& markers = f_->editModel->markers;
        const auto letterA = std::find_if(markers.begin(), markers.end(),
                                          [](const cmn::ZarnEvent* m) { return m->value() == "Letter A"; });
        QVERIFY(letterA != markers.end());
        f_->markerList->setPassedIndex(f_->markerList->GetPassedIndex((*letterA)->abs_time()));
        f_->eventList->SetCurrentIndex(1);
        // The row highlight glides to the chosen row.
        QQuickItem* highlight = f_->PanelPart("eventListControl")->findChild<QQuickItem*>("highlight");
        QVERIFY(highlight);
        QTRY_COMPARE(highlight->y(), 25.0);
        Shot("editing_page_song1.png");
    }

    void songsTwoAndThree()
    {
        for (const char* song : {"2", "3"}) {
            f_->LoadSong(song);
            Shot(QStringLiteral("timeline_song%1_scale1.png").arg(song));
        }
    }
};

QTEST_MAIN(TestTimelinePictures)
#include "tst_timeline_pictures.moc"
