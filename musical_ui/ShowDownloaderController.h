#pragma once

#include "DownloadPlan.h"
#include "IReportProgressCallback.h"
#include "NetworkRecords.h"
#include "QmlController.h"

#include <QMetaType>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

class QQmlApplicationEngine;

Q_DECLARE_METATYPE(cmn::ShowRecord)

namespace zarn::qt {

// The "Downloading Show" window (ShowDownloader.qml) and the worker that fetches a show's
// missing files behind it. The library's callbacks become the window's status, bar and size
// label; Cancel and the error dialog's acknowledgement lead to DownloadCompleteSignal, which
// the launcher answers by deleting this controller and opening the main window.
//
// Threads: construction, Download, the slots and the destructor on the GUI thread; the
// reports on the worker (or whichever thread calls them). Everything that reaches the window
// from the worker is queued, never blocking, so the destructor's join cannot meet a worker
// that waits for the GUI thread.
class ShowDownloaderController : public QmlController, public zarn::networking::IReportProgressCallback
{
    Q_OBJECT

public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    // Reports closer together than this are dropped, except a file's last one.
    static constexpr std::chrono::milliseconds kReportInterval{100};

    // `clock` drives the report throttle; empty: the steady clock.
    ShowDownloaderController(QQmlApplicationEngine* engine, QObject* parent, int productNumber, Clock clock = {});
    ~ShowDownloaderController() override;

    // Starts the worker on a validated plan (joining a previous one first). Throws
    // std::system_error when no thread can be started; nothing runs then.
    void Download(cmn::ShowRecord record, std::unique_ptr<zarn::networking::DownloadPlan> plan);

    void ReportStatus(const std::string& text) override;
    void ReportProgress(std::string fileName, uint64_t received, uint64_t total) override;
    void SetStatus(std::string text);
    void SetExpectedTotal(int64_t bytes);
    void ReportError(std::string text);

    // True once a worker has returned from the library with every file of its plan in
    // place: not after a cancel or an error.
    bool FetchedEveryFile() const { return fetchedEveryFile_.load(); }
    std::string GetStatus() const;

signals:
    void statusChanged(const QString& status);
    void progressChanged(int bytesReceived, int total);
    void totalProgressChanged(int bytesReceived, int total);
    void downloadError(const QString& msg);
    void Cancelled();
    void Closing();
    void DownloadCompleteSignal(cmn::ShowRecord record);

public slots:
    void Cancel_();
    void DownloadComplete_();

private:
    struct WorkerArguments {
        cmn::ShowRecord record;
        std::unique_ptr<zarn::networking::DownloadPlan> plan;
    };

    void Work(WorkerArguments arguments);
    void SetWindowVisibleLater(bool visible);
    void StopWorker();

    const Clock clock_;
    const int productNumber_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> fetchedEveryFile_{false};

    // The bookkeeping of the reports. The library reports from one thread, but a lock costs
    // nothing at its rate and keeps a second reporting thread sound.
    mutable std::mutex mutex_;
    std::string status_;
    cmn::ShowRecord record_;
    std::chrono::steady_clock::time_point lastReport_;
    // Per file: {bytes received, bytes of the file} of its last report that passed.
    std::map<std::string, std::pair<uint64_t, uint64_t>> files_;
    // 64-bit inside; the window's ints get them capped.
    int64_t runningTotal_ = 0;
    int64_t expectedTotal_ = 0; // 0: not reported
};

} // namespace zarn::qt
