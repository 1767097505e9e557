// The score page with a large score: 100 grey pages of 1654 x 2339 pixels (about 200 KB of
// PNG each), packed with the project's packer and enciphered as a show's score is.
//   bench_score [--runs N]
// Prints:
// - the load (LoadScorePages): median of N runs (5 unless told), the peak of resident memory
//   during the first and what stays resident after it, the size of the pages' URLs, and the
//   median of the cipher stream alone on the same file;
// - page turns: from SetCurrentPage(n) to the first frame swapped after page n is on screen
//   (its image loaded, nothing decoding over it), for n = 1..100, single page and two-up,
//   first visit and revisit: median, 95th percentile and maximum (between turns, untimed, the
//   view finishes decoding the pages it fetches ahead, as it does in a show whose pages turn
//   seconds apart); the GUI thread's longest
//   stall meanwhile (the widest gap between the ticks of a 1 ms timer), and how many turns
//   found their page already decoded when the request returned (decoded ahead);
// - a zoom step at 2x on a spread (2.00 <-> 2.01): time to the next frame swapped.
// The score view is the real one, alone in a 1600 x 1000 window. Run it on a virtual X
// display with GL (tests/zarn_ui/run_under_xvfb.sh), pinned to two cores.
#include "ScoreFixture.h"

#include "QmlModuleLoader.h"
#include "ScorePacker.h"
#include "ScoreViewController.h"
#include "TwoFishCipherStream.h"

#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickView>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// A /proc/self/status figure in MiB ("VmRSS", "VmHWM").
double StatusMiB(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) == 0)
            return std::stod(line.substr(key.size())) / 1024.0;
    }
    return 0;
}

void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

struct Figures
{
    double median = 0, p95 = 0, max = 0;
};

Figures Summarise(std::vector<double> v)
{
    Figures f;
    if (v.empty())
        return f;
    std::sort(v.begin(), v.end());
    f.median = v[v.size() / 2];
    f.p95 = v[std::min(v.size() - 1, static_cast<std::size_t>(0.95 * double(v.size())))];
    f.max = v.back();
    return f;
}

// A page of music paper: staves, note heads, and a share of grainy pixels that sets the PNG's size.
QImage MakePage(int number, double grain)
{
    QImage image(1654, 2339, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 3));
    QRandomGenerator random(static_cast<quint32>(number));
    for (int staff = 0; staff < 12; ++staff) {
        const int top = 220 + staff * 170;
        for (int line = 0; line < 5; ++line)
            painter.drawLine(120, top + line * 18, 1534, top + line * 18);
        painter.setBrush(Qt::black);
        for (int note = 0; note < 28; ++note)
            painter.drawEllipse(QPointF(160 + note * 49, top + random.bounded(0, 80)), 11, 8);
    }
    painter.setFont(QFont(QStringLiteral("Liberation Sans"), 40));
    painter.drawText(QRect(0, 60, 1654, 100), Qt::AlignCenter, QStringLiteral("Page %1").arg(number));
    painter.end();
    const qint64 pixels = qint64(image.width()) * image.height();
    for (qint64 i = 0; i < qint64(grain * double(pixels)); ++i) {
        const int x = random.bounded(image.width());
        const int y = random.bounded(image.height());
        image.scanLine(y)[x] = static_cast<uchar>(random.bounded(160, 256));
    }
    return image;
}

qint64 PngSize(const QString& path)
{
    return QFileInfo(path).size();
}

// Frames that show a state: the first swap after a scene-graph sync that began after `Arm`.
class FrameWatch
{
public:
    explicit FrameWatch(QQuickWindow* window)
    {
        QObject::connect(window, &QQuickWindow::afterSynchronizing, window, [this] {
            if (armed_.load())
                synced_ = true;
        }, Qt::DirectConnection);
        QObject::connect(window, &QQuickWindow::frameSwapped, window, [this] {
            if (synced_.load() && !done_.load()) {
                swappedAt_ = Clock::now().time_since_epoch().count();
                done_ = true;
            }
        }, Qt::DirectConnection);
    }

    void Arm()
    {
        done_ = false;
        synced_ = false;
        armed_ = true;
    }

    // Runs the event loop until the armed frame swapped; its time, or none after 10 s.
    bool Wait(QQuickWindow* window, Clock::time_point& at)
    {
        window->update();
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (!done_.load()) {
            if (Clock::now() > deadline)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        }
        armed_ = false;
        at = Clock::time_point(Clock::duration(swappedAt_.load()));
        return true;
    }

private:
    std::atomic<bool> armed_{false};
    std::atomic<bool> synced_{false};
    std::atomic<bool> done_{false};
    std::atomic<Clock::rep> swappedAt_{0};
};

// The widest gap between the ticks of a 1 ms timer on the GUI thread while it runs.
class StallWatch
{
public:
    StallWatch()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            if (last_ != Clock::time_point())
                widest_ = std::max(widest_, Ms(now - last_));
            last_ = now;
        });
    }
    void Start()
    {
        widest_ = 0;
        last_ = Clock::time_point();
        timer_.start();
    }
    double Stop()
    {
        timer_.stop();
        return widest_;
    }

private:
    QTimer timer_;
    Clock::time_point last_;
    double widest_ = 0;
};

// Whether page n stands on the left (or single) side of the view.
bool OnLeft(bool twoUp, int page)
{
    const int index = page - 1;
    return !twoUp || index % 2 == 1;
}

bool Shown(QObject* view, int page, const QStringList& pages)
{
    const int index = page - 1;
    const bool onLeft = OnLeft(view->property("twoUpMode").toBool(), page);
    QObject* image = view->property(onLeft ? "leftImage" : "rightImage").value<QObject*>();
    QObject* preload = view->property(onLeft ? "leftPreload" : "rightPreload").value<QObject*>();
    return image->property("status").toInt() == 1 && !preload->property("visible").toBool()
           && image->property("source").toUrl().toString() == pages.at(index);
}

// Runs the event loop until no image of the view is loading.
void Settle(QObject* view)
{
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    const auto loading = [view] {
        for (QQuickItem* item : view->findChildren<QQuickItem*>()) {
            if (item->inherits("QQuickImage") && item->property("status").toInt() == 2)
                return true;
        }
        return false;
    };
    while (loading() && Clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
    }
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QGuiApplication app(argc, argv);

    // The score.
    ScoreShowFolder show;
    QTemporaryDir pagesDir;
    // The grain for about 200 KB a page, found by halving.
    double grain = 0.0;
    {
        const QString probe = pagesDir.filePath(QStringLiteral("probe.png"));
        double low = 0.0, high = 0.2;
        for (int step = 0; step < 8; ++step) {
            grain = (low + high) / 2;
            MakePage(0, grain).save(probe);
            (PngSize(probe) > 200 * 1000 ? high : low) = grain;
        }
        QFile::remove(probe);
    }
    qint64 pngBytes = 0;
    for (int n = 1; n <= 100; ++n) {
        const QString path = pagesDir.filePath(QStringLiteral("page%1.png").arg(n, 3, 10, QLatin1Char('0')));
        MakePage(n, grain).save(path);
        pngBytes += PngSize(path);
    }
    const auto scoreFile = show.Folder() / "bench.score";
    zarn::tools::ScorePacker::Pack(pagesDir.path().toStdString(), scoreFile, show.key, show.iv);
    std::printf("score: 100 pages, %.1f MB of PNG, file %.1f MB\n", double(pngBytes) / 1e6,
                double(std::filesystem::file_size(scoreFile)) / 1e6);

    QQuickView window;
    zarn::qt::QmlModuleLoader::PrepareEngine(*window.engine());
    window.setResizeMode(QQuickView::SizeRootObjectToView);
    window.setSource(QUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/ScoreView.qml")));
    if (!window.rootObject()) {
        std::fprintf(stderr, "the score view did not load\n");
        return 1;
    }
    window.resize(1600, 1000);
    window.show();
    QObject* view = window.rootObject();
    FrameWatch frames(&window);
    StallWatch stalls;
    {
        Clock::time_point at;
        frames.Arm();
        frames.Wait(&window, at);
    }
    std::printf("platform %s, graphics %d\n", qPrintable(QGuiApplication::platformName()),
                int(window.rendererInterface()->graphicsApi()));

    // The load.
    std::unique_ptr<zarn::qt::ScoreViewController> controller;
    std::vector<double> loads;
    double peak = 0, before = 0, after = 0;
    for (int run = 0; run < runs; ++run) {
        controller.reset();
        QCoreApplication::processEvents();
        if (run == 0) {
            // What earlier work freed goes back first, so the figures are the load's own.
            malloc_trim(0);
            before = StatusMiB("VmRSS");
            ResetPeak();
        }
        controller = std::make_unique<zarn::qt::ScoreViewController>(view, nullptr, show.Store(), window.engine());
        const auto start = Clock::now();
        controller->LoadScorePages();
        loads.push_back(Ms(Clock::now() - start));
        if (run == 0) {
            peak = StatusMiB("VmHWM");
            malloc_trim(0);
            after = StatusMiB("VmRSS");
        }
    }
    // Of which the cipher stream's share: reading, checking and deciphering the file.
    std::vector<double> deciphers;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        zarn_sec::TwoFishCipherStream stream(scoreFile.string(), show.key, show.iv);
        deciphers.push_back(Ms(Clock::now() - start));
    }
    const QStringList pages = controller->GetImageList();
    qint64 urlChars = 0;
    for (const QString& url : pages)
        urlChars += url.size();
    const Figures load = Summarise(loads);
    std::printf("\nload, %d runs: median %.1f ms, max %.1f ms; %lld pages; deciphering alone: median %.1f ms\n",
                runs, load.median, load.max, static_cast<long long>(pages.size()), Summarise(deciphers).median);
    std::printf("resident memory: %.1f MiB before, peak %.1f MiB (+%.1f), %.1f MiB after (+%.1f); "
                "pages' URLs %.1f MiB (UTF-16)\n",
                before, peak, peak - before, after, after - before, double(urlChars) * 2 / 1048576.0);

    // Page turns.
    std::printf("\npage turns, SetCurrentPage(n) to the first frame showing page n, n = 1..100:\n");
    std::printf("%-8s %-12s %8s %8s %8s %14s %10s\n", "mode", "visit", "median", "p95", "max", "GUI stall max",
                "decoded ahead");
    for (const bool twoUp : {false, true}) {
        view->setProperty("twoUpMode", twoUp);
        for (const char* visit : {"first", "revisit"}) {
            std::vector<double> turns;
            int decodedAhead = 0;
            stalls.Start();
            for (int n = 1; n <= 100; ++n) {
                const auto start = Clock::now();
                controller->SetCurrentPage(n);
                QObject* preload = view->property(OnLeft(twoUp, n) ? "leftPreload" : "rightPreload").value<QObject*>();
                if (preload->property("status").toInt() == 1)
                    ++decodedAhead;
                const auto deadline = Clock::now() + std::chrono::seconds(10);
                while (!Shown(view, n, pages) && Clock::now() < deadline)
                    QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
                frames.Arm();
                Clock::time_point at;
                if (!frames.Wait(&window, at)) {
                    std::fprintf(stderr, "no frame for page %d\n", n);
                    return 1;
                }
                turns.push_back(Ms(at - start));
                // Turns come seconds apart in a show: what the view decodes ahead finishes first.
                Settle(view);
            }
            const double stall = stalls.Stop();
            const Figures f = Summarise(turns);
            std::printf("%-8s %-12s %6.1f ms %6.1f ms %6.1f ms %11.1f ms %7d/100\n", twoUp ? "two-up" : "single",
                        visit, f.median, f.p95, f.max, stall, decodedAhead);
        }
    }

    // A zoom step on a spread at 2x.
    view->setProperty("twoUpMode", true);
    controller->SetCurrentPage(2);
    while (!Shown(view, 2, pages) || !Shown(view, 3, pages))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    QObject* slider = view->property("zoomSlider").value<QObject*>();
    slider->setProperty("value", 2.0);
    {
        Clock::time_point at;
        frames.Arm();
        frames.Wait(&window, at);
    }
    std::vector<double> zooms;
    stalls.Start();
    for (int i = 0; i < 60; ++i) {
        const auto start = Clock::now();
        slider->setProperty("value", i % 2 == 0 ? 2.01 : 2.0);
        frames.Arm();
        Clock::time_point at;
        if (!frames.Wait(&window, at))
            return 1;
        zooms.push_back(Ms(at - start));
    }
    const double zoomStall = stalls.Stop();
    const Figures z = Summarise(zooms);
    std::printf("\nzoom step at 2x on a spread, 60 steps: median %.1f ms, p95 %.1f ms, max %.1f ms; "
                "GUI stall max %.1f ms\n",
                z.median, z.p95, z.max, zoomStall);
    return 0;
}
