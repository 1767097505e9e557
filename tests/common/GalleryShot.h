#pragma once

#include <QImage>
#include <QString>

#include <memory>

class QQuickItem;
class QQuickView;
class QQuickWindow;

// A gallery page of the controls rendered on a GL display (the graphical effects draw nothing
// on the software renderer), grabbed once and saved for looking at, for tests that check its
// pixels. Render reports through QtTest, so call it from initTestCase: off an X display it
// skips the whole test, and a page that does not load or render fails it.
class GalleryShot
{
public:
    GalleryShot();
    ~GalleryShot();

    void Render(const QString& qmlFile, const QString& pngFile);
    // For a window built elsewhere (a harness with its controllers): waits until it is exposed,
    // rendered with GL and settled, then grabs it into `image` and saves it. Reports through
    // QtTest like Render; skips off an X display.
    static void Grab(QQuickWindow* window, const QString& pngFile, QImage& image);
    // Whether the item is ready for its picture: every popup it shows has finished opening and
    // no image is still loading.
    static bool Settled(QQuickItem* item);
    // Asks the window for a frame and waits until one is swapped: what is grabbed after it
    // shows the window's present state. False when none came within the time.
    static bool FreshFrame(QQuickWindow* window, int timeoutMs = 5000);
    // For the picture programs: shows the window, waits until it is exposed, settled and freshly
    // rendered, saves it as `name` in `folder` and prints the file, its size and the window's
    // title; false (with the reason on standard error) when any of that fails.
    static bool ShowAndSave(QQuickWindow* window, const QString& folder, const QString& name);

    QQuickItem* Root() const;
    // Searches the visual tree: items a Repeater makes have no object parent to find them by.
    QQuickItem* FindItem(const QString& objectName) const;
    const QImage& Image() const { return shot_; }

private:
    std::unique_ptr<QQuickView> view_;
    QImage shot_;
};
