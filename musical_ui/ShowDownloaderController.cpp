#include "ShowDownloaderController.h"

#include "DownloadCallbacks.h"
#include "PerformShowDownload.h"

#include <QMetaObject>
#include <QPointer>
#include <QQmlApplicationEngine>
#include <QUrl>

#include <algorithm>
#include <iostream>
#include <limits>

namespace zarn::qt {

namespace {

const QUrl kWindowUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/ShowDownloader.qml"));

int CappedForWindow(int64_t bytes)
{
    return static_cast<int>(std::clamp<int64_t>(bytes, 0, std::numeric_limits<int>::max()));
}

int CappedForWindow(uint64_t bytes)
{
    return static_cast<int>(std::min<uint64_t>(bytes, static_cast<uint64_t>(std::numeric_limits<int>::max())));
}

} // namespace

ShowDownloaderController::ShowDownloaderController(QQmlApplicationEngine* engine, QObject* parent, int productNumber,
                                                   Clock clock)
    : QmlController(engine, kWindowUrl, parent, true, {})
    , clock_(clock ? std::move(clock) : Clock([] { return std::chrono::steady_clock::now(); }))
    , productNumber_(productNumber)
    , lastReport_(clock_())
{
    qRegisterMetaType<cmn::ShowRecord>();
    SetWindowVisibleLater(true);

    QObject* window = GetQmlObject();
    if (!window)
        return; // the base has reported why
    connect(window, SIGNAL(cancel()), this, SLOT(Cancel_()));
    connect(window, SIGNAL(downloadErrorAcknowledged()), this, SLOT(DownloadComplete_()));
    connect(window, SIGNAL(closing(QQuickCloseEvent*)), this, SIGNAL(Closing()));
    connect(this, SIGNAL(statusChanged(QString)), window, SIGNAL(statusChanged(QString)));
    // Queued even when it comes from the GUI thread: the dialog shows before the window hides.
    connect(this, SIGNAL(downloadError(QString)), window, SIGNAL(downloadError(QString)), Qt::QueuedConnection);
    connect(this, SIGNAL(totalProgressChanged(int,int)), window, SIGNAL(totalProgressChanged(int,int)));
    connect(this, SIGNAL(progressChanged(int,int)), window, SIGNAL(progressChanged(int,int)));
}

ShowDownloaderController::~ShowDownloaderController()
{
    StopWorker();
}

void ShowDownloaderController::StopWorker()
{
    if (!worker_.joinable())
        return;
    cancel_.exchange(true);
    worker_.join();
}

void ShowDownloaderController::Download(cmn::ShowRecord record, std::unique_ptr<zarn::networking::DownloadPlan> plan)
{
    if (worker_.joinable())
        worker_.join();
    fetchedEveryFile_ = false;
    WorkerArguments arguments{std::move(record), std::move(plan)};
    worker_ = std::thread([this](WorkerArguments work) { Work(std::move(work)); }, std::move(arguments));
}

void ShowDownloaderController::Work(WorkerArguments arguments)
{
    try {
        auto callbacks = std::make_shared<zarn::networking::DownloadCallbacks>();
        callbacks->status = [this](const std::string& text) { SetStatus(text); };
        callbacks->statusReport = [this](const std::string& text) { ReportStatus(text); };
        callbacks->progress = [this](const std::string& name, uint64_t received, uint64_t total) {
            ReportProgress(name, received, total);
        };
        callbacks->expectedTotal = [this](int32_t bytes) { SetExpectedTotal(bytes); };
        callbacks->error = [this](const std::string& text) { ReportError(text); };

        cmn::ShowRecord result =
            zarn_download::PerformShowDownload(arguments.record.AuthenticationHash(), callbacks, &cancel_,
                                               std::string(), productNumber_, arguments.plan.get());
        // A cancel the library honoured leaves files behind; one that came after its last
        // check costs only a needless "incomplete".
        fetchedEveryFile_ = !cancel_.load();
        cmn::ShowRecord copy;
        {
            const std::lock_guard lock(mutex_);
            record_ = std::move(result);
            copy = record_;
        }
        emit DownloadCompleteSignal(copy);
    } catch (const zarn_download::DownloadException& e) {
        ReportError(e.what());
    } catch (const std::exception& e) {
        std::cerr << "An error occured: " << e.what() << std::endl;
        ReportError(e.what());
        SetStatus("Error!");
    } catch (...) {
        // Nothing may leave a thread of its own; the operator's OK still goes on.
        std::cerr << "An error occured: unknown exception" << std::endl;
        ReportError("The download stopped with an unknown error.");
        SetStatus("Error!");
    }
}

void ShowDownloaderController::SetWindowVisibleLater(bool visible)
{
    QObject* window = GetQmlObject();
    if (!window)
        return;
    // The window as context: a call still waiting when it is deleted is dropped.
    QMetaObject::invokeMethod(
        window, [window, visible] { window->setProperty("visible", visible); }, Qt::QueuedConnection);
}

void ShowDownloaderController::Cancel_()
{
    SetWindowVisibleLater(false);
    cancel_.exchange(true);
    emit Cancelled();
}

void ShowDownloaderController::DownloadComplete_()
{
    cmn::ShowRecord copy;
    {
        const std::lock_guard lock(mutex_);
        copy = record_;
    }
    emit DownloadCompleteSignal(copy);
}

void ShowDownloaderController::ReportStatus(const std::string& text)
{
    SetStatus(text);
}

void ShowDownloaderController::SetStatus(std::string text)
{
    QString status;
    {
        const std::lock_guard lock(mutex_);
        status_ = std::move(text);
        status = QString::fromStdString(status_);
    }
    emit statusChanged(status);
}

std::string ShowDownloaderController::GetStatus() const
{
    const std::lock_guard lock(mutex_);
    return status_;
}

void ShowDownloaderController::SetExpectedTotal(int64_t bytes)
{
    const std::lock_guard lock(mutex_);
    expectedTotal_ = bytes;
}

void ShowDownloaderController::ReportProgress(std::string fileName, uint64_t received, uint64_t total)
{
    if (total == 0)
        return;
    const auto now = clock_();
    // A file's last report always passes, so the bar and label end on what was fetched.
    const bool lastOfFile = received >= total;
    bool withTotal = false;
    int running = 0;
    int expected = 0;
    {
        const std::lock_guard lock(mutex_);
        if (!lastOfFile && now < lastReport_ + kReportInterval)
            return;
        if (expectedTotal_ != 0) {
            withTotal = true;
            const auto entry = files_.try_emplace(std::move(fileName), 0, 0).first;
            const int64_t delta = static_cast<int64_t>(received) - static_cast<int64_t>(entry->second.first);
            entry->second = {received, total};
            runningTotal_ += delta;
            running = CappedForWindow(runningTotal_);
            expected = CappedForWindow(expectedTotal_);
            lastReport_ = now;
        }
    }
    emit progressChanged(CappedForWindow(received), CappedForWindow(total));
    if (withTotal)
        emit totalProgressChanged(running, expected);
}

void ShowDownloaderController::ReportError(std::string text)
{
    emit downloadError(QString::fromStdString(text));
    SetWindowVisibleLater(false);
}

} // namespace zarn::qt
