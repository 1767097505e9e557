#include "ApiTransport.h"

#include "ServerRequestHandler.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <exception>

namespace zarn::networking {

ApiTransport::ApiTransport(const QString& baseUrl)
    : base_(baseUrl)
{
    while (base_.endsWith(QLatin1Char('/'))) {
        base_.chop(1);
    }
    const QUrl url(base_);
    if (url.isLocalFile()) {
        localRoot_ = url.toLocalFile();
        handler_ = std::make_unique<ServerRequestHandler>(localRoot_);
    }
}

ApiTransport::~ApiTransport() = default;

bool ApiTransport::IsLocal() const
{
    return handler_ != nullptr;
}

QString ApiTransport::PublicBase() const
{
    return base_;
}

void ApiTransport::SetTimeoutMs(int milliseconds)
{
    timeoutMs_ = milliseconds > 0 ? milliseconds : 1;
}

ApiResponse ApiTransport::Send(const QByteArray& method, const QString& target, const HeaderList& headers,
                               const QByteArray& body)
{
    return IsLocal() ? SendLocal(method, target, headers, body, nullptr, nullptr)
                     : SendHttp(method, target, headers, body, nullptr, nullptr);
}

ApiResponse ApiTransport::Stream(const QString& target, const HeaderList& headers, const ChunkSink& sink,
                                 const ShouldStop& shouldStop)
{
    return IsLocal() ? SendLocal("GET", target, headers, {}, &sink, &shouldStop)
                     : SendHttp("GET", target, headers, {}, &sink, &shouldStop);
}

std::pair<std::unique_ptr<ApiTransport>, QString> ApiTransport::ForLink(const QString& link)
{
    const QUrl url(link);
    if (!url.isValid() || url.scheme().isEmpty()) {
        return {std::unique_ptr<ApiTransport>(), QString()};
    }
    const QString query = url.hasQuery() ? QStringLiteral("?") + url.query(QUrl::FullyEncoded) : QString();
    if (url.isLocalFile()) {
        static const QRegularExpression route(QStringLiteral("^(.*)(/changelogs/\\d+\\.\\d+/file)$"));
        const auto match = route.match(url.path());
        if (!match.hasMatch() || match.captured(1).isEmpty()) {
            return {std::unique_ptr<ApiTransport>(), QString()};
        }
        return {std::make_unique<ApiTransport>(QUrl::fromLocalFile(match.captured(1)).toString()),
                match.captured(2) + query};
    }
    if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) {
        return {std::unique_ptr<ApiTransport>(), QString()};
    }
    QUrl base = url;
    base.setPath(QString());
    base.setQuery(QString());
    base.setFragment(QString());
    return {std::make_unique<ApiTransport>(base.toString()), url.path(QUrl::FullyEncoded) + query};
}

ApiResponse ApiTransport::SendLocal(const QByteArray& method, const QString& target, const HeaderList& headers,
                                    const QByteArray& body, const ChunkSink* sink, const ShouldStop* shouldStop)
{
    ServerRequest request;
    request.method = method;
    request.target = target.toUtf8();
    for (const auto& [name, value] : headers) {
        request.headers.insert(name.toLower(), value);
    }
    request.body = body;
    request.publicBase = base_;
    const ServerResponse response = handler_->Handle(request);

    ApiResponse result;
    result.httpStatus = response.status;
    if (response.filePath.isEmpty()) {
        // Error answers keep their body for the message, as over HTTP.
        if (sink && response.status == 200) {
            result.stopped = !(*sink)(response.body.constData(), response.body.size());
        } else {
            result.body = response.body;
        }
        return result;
    }
    QFile file(response.filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        result.httpStatus = 0;
        result.transportError = QStringLiteral("Cannot read %1: %2").arg(response.filePath, file.errorString());
        return result;
    }
    if (!sink) {
        result.body = file.readAll();
        return result;
    }
    QByteArray chunk(kChunkBytes, Qt::Uninitialized);
    for (;;) {
        if (shouldStop && *shouldStop && (*shouldStop)()) {
            result.stopped = true;
            return result;
        }
        const qint64 got = file.read(chunk.data(), chunk.size());
        if (got < 0) {
            result.httpStatus = 0;
            result.transportError = QStringLiteral("Cannot read %1: %2").arg(response.filePath, file.errorString());
            return result;
        }
        if (got == 0) {
            return result;
        }
        if (!(*sink)(chunk.constData(), got)) {
            result.stopped = true;
            return result;
        }
    }
}

QNetworkAccessManager& ApiTransport::Manager()
{
    // A manager belongs to the thread that made it; a transport used from another thread
    // (the show download's worker) gets its own.
    if (!manager_ || manager_->thread() != QThread::currentThread()) {
        if (manager_) {
            // Its own thread deletes it; deleting it here, across threads, is not allowed.
            manager_.release()->deleteLater();
        }
        manager_ = std::make_unique<QNetworkAccessManager>();
        manager_->setAutoDeleteReplies(false);
    }
    return *manager_;
}

ApiResponse ApiTransport::SendHttp(const QByteArray& method, const QString& target, const HeaderList& headers,
                                   const QByteArray& body, const ChunkSink* sink, const ShouldStop* shouldStop)
{
    ApiResponse result;
    const QUrl url(base_ + target, QUrl::StrictMode);
    if (!url.isValid()) {
        result.transportError = QStringLiteral("Invalid server address: %1").arg(base_ + target);
        return result;
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    for (const auto& [name, value] : headers) {
        request.setRawHeader(name, value);
    }
    if (!body.isNull() || method == "POST") {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/octet-stream"));
    }

    QNetworkAccessManager& manager = Manager();
    // A plain get(): a custom verb with a body buffer does not honour the read buffer limit,
    // and a 200 MB download would then sit in memory.
    std::unique_ptr<QNetworkReply> reply(method == "GET"    ? manager.get(request)
                                         : method == "POST" ? manager.post(request, body)
                                                            : manager.sendCustomRequest(request, method, body));
    QByteArray chunk;
    if (sink) {
        // Bounded buffering: the socket is not read faster than we write the file, and one
        // buffer is reused for every chunk.
        reply->setReadBufferSize(kChunkBytes);
        chunk.resize(kChunkBytes);
    }

    QEventLoop loop;
    QTimer inactivity;
    inactivity.setSingleShot(true);
    inactivity.setInterval(timeoutMs_);
    QTimer stopPoll;
    stopPoll.setInterval(20);
    bool sinkFailed = false;
    std::exception_ptr sinkError;

    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&inactivity, &QTimer::timeout, &loop, [&] {
        result.timedOut = true;
        reply->abort();
    });
    QObject::connect(reply.get(), &QNetworkReply::uploadProgress, &inactivity, [&] { inactivity.start(); });
    QObject::connect(reply.get(), &QNetworkReply::downloadProgress, &inactivity, [&] { inactivity.start(); });
    if (sink) {
        QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
            if (result.stopped || sinkFailed) {
                return;
            }
            const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            if (status != 200) {
                // An error answer is small: keep it for its message.
                result.body += reply->readAll();
                return;
            }
            while (reply->bytesAvailable() > 0) {
                if (*shouldStop && (*shouldStop)()) {
                    result.stopped = true;
                    reply->abort();
                    return;
                }
                const qint64 got = reply->read(chunk.data(), chunk.size());
                if (got <= 0) {
                    break;
                }
                bool accepted = false;
                try {
                    accepted = (*sink)(chunk.constData(), got);
                } catch (...) {
                    // Not through Qt's event loop: carried out and rethrown after it.
                    sinkError = std::current_exception();
                }
                if (!accepted) {
                    sinkFailed = true;
                    reply->abort();
                    return;
                }
            }
        });
        QObject::connect(&stopPoll, &QTimer::timeout, &loop, [&] {
            if (*shouldStop && (*shouldStop)() && !result.stopped) {
                result.stopped = true;
                reply->abort();
            }
        });
        stopPoll.start();
    }
    inactivity.start();
    if (!reply->isFinished()) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    inactivity.stop();
    stopPoll.stop();

    if (sinkError) {
        std::rethrow_exception(sinkError);
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (result.stopped) {
        return result;
    }
    if (sinkFailed) {
        result.stopped = true;
        return result;
    }
    if (result.timedOut) {
        result.httpStatus = 0;
        result.transportError = QStringLiteral("The server did not answer within %1 s")
                                    .arg(QString::number(timeoutMs_ / 1000.0, 'g', 3));
        return result;
    }
    if (status.isValid()) {
        result.httpStatus = status.toInt();
        if (!sink || result.httpStatus != 200) {
            result.body += reply->readAll();
        } else {
            // Bytes that arrived with the end of the transfer, after the last readyRead.
            while (reply->bytesAvailable() > 0) {
                const qint64 got = reply->read(chunk.data(), chunk.size());
                if (got <= 0) {
                    break;
                }
                if (!(*sink)(chunk.constData(), got)) {
                    result.stopped = true;
                    return result;
                }
            }
        }
        // An answer cut short (server gone mid-body) is a transport failure, not an answer.
        if (reply->error() != QNetworkReply::NoError && result.httpStatus == 200) {
            result.httpStatus = 0;
            result.transportError = reply->errorString();
        }
        return result;
    }
    result.transportError = reply->errorString();
    if (result.transportError.isEmpty()) {
        result.transportError = QStringLiteral("No answer from the server");
    }
    return result;
}

} // namespace zarn::networking
