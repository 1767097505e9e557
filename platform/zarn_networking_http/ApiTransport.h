#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>
#include <memory>

class QNetworkAccessManager;

namespace zarn::networking {

class ServerRequestHandler;

// What came back for one request: an HTTP status and body, or the reason none came.
struct ApiResponse {
    int httpStatus = 0;       // 0 when no answer came
    QByteArray body;          // empty for streamed answers
    QString transportError;   // set when no answer came
    bool timedOut = false;
    bool stopped = false;     // the caller asked to stop (cancel) while streaming
};

using HeaderList = QList<QPair<QByteArray, QByteArray>>;

// Sends requests under a base address: http(s):// over Qt Network, file:// straight to the
// request handler of that server root. Every call blocks in a local event loop, bounded by
// a timeout on inactivity, and works on any thread that has no other event loop running
// for it (the calling thread owns the network manager it creates).
class ApiTransport {
public:
    explicit ApiTransport(const QString& baseUrl);
    ~ApiTransport();
    ApiTransport(const ApiTransport&) = delete;
    ApiTransport& operator=(const ApiTransport&) = delete;

    bool IsLocal() const;
    // The address links are made from: the base without a trailing slash.
    QString PublicBase() const;
    void SetTimeoutMs(int milliseconds);
    int TimeoutMs() const { return timeoutMs_; }

    // target: path and query under the base, starting with '/'.
    ApiResponse Send(const QByteArray& method, const QString& target, const HeaderList& headers,
                     const QByteArray& body = {});

    // Receives the body chunk by chunk. sink returns false to abandon the transfer (a failed
    // write); shouldStop is polled between chunks and while waiting.
    using ChunkSink = std::function<bool(const char* data, qint64 size)>;
    using ShouldStop = std::function<bool()>;
    ApiResponse Stream(const QString& target, const HeaderList& headers, const ChunkSink& sink,
                       const ShouldStop& shouldStop);

    // Splits an absolute address (a download link) into a transport for its server and the
    // target under it. A file:// link names "<root>/changelogs/<M>.<m>/file".
    static std::pair<std::unique_ptr<ApiTransport>, QString> ForLink(const QString& link);

    static constexpr qint64 kChunkBytes = 1 << 20;

private:
    ApiResponse SendLocal(const QByteArray& method, const QString& target, const HeaderList& headers,
                          const QByteArray& body, const ChunkSink* sink, const ShouldStop* shouldStop);
    ApiResponse SendHttp(const QByteArray& method, const QString& target, const HeaderList& headers,
                         const QByteArray& body, const ChunkSink* sink, const ShouldStop* shouldStop);
    QNetworkAccessManager& Manager();

    QString base_;
    QString localRoot_;
    int timeoutMs_ = 15000;
    std::unique_ptr<ServerRequestHandler> handler_;
    std::unique_ptr<QNetworkAccessManager> manager_;
};

} // namespace zarn::networking
