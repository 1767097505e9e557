#include "HttpConnection.h"

#include "ReferenceServer.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

namespace zarn::tools {
namespace {

QByteArray ReasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 409: return "Conflict";
    case 413: return "Payload Too Large";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

constexpr qint64 kSendChunk = 1 << 20;
constexpr qint64 kMaxQueued = 4 * kSendChunk;

} // namespace

HttpConnection::HttpConnection(QTcpSocket* socket, ReferenceServer& server)
    : QObject(&server)
    , socket_(socket)
    , server_(server)
{
    socket_->setParent(this);
    connect(socket_, &QTcpSocket::readyRead, this, &HttpConnection::ReadRequest);
    connect(socket_, &QTcpSocket::bytesWritten, this, &HttpConnection::PumpFile);
    connect(socket_, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    // A client that stalls (sends nothing, or stops reading) does not hold the connection forever.
    idle_.setSingleShot(true);
    idle_.setInterval(30000);
    connect(&idle_, &QTimer::timeout, this, [this] { socket_->abort(); deleteLater(); });
    connect(socket_, &QTcpSocket::readyRead, &idle_, qOverload<>(&QTimer::start));
    connect(socket_, &QTcpSocket::bytesWritten, &idle_, qOverload<>(&QTimer::start));
    idle_.start();
    if (socket_->bytesAvailable() > 0) {
        ReadRequest();
    }
}

void HttpConnection::ReadRequest()
{
    if (answered_) {
        socket_->readAll();
        return;
    }
    buffer_ += socket_->readAll();
    if (!headerDone_) {
        const qsizetype end = buffer_.indexOf("\r\n\r\n");
        if (end < 0) {
            if (buffer_.size() > kMaxHeaderBytes) {
                SendError(431, QStringLiteral("Request header too large"));
            }
            return;
        }
        const QByteArray header = buffer_.left(end);
        buffer_.remove(0, end + 4);
        headerDone_ = true;
        const QList<QByteArray> lines = header.split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        if (requestLine.size() != 3 || !requestLine[2].startsWith("HTTP/1.") || !requestLine[1].startsWith('/')) {
            SendError(400, QStringLiteral("Malformed request line"));
            return;
        }
        request_.method = requestLine[0];
        request_.target = requestLine[1];
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines[i].trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0) {
                continue;
            }
            request_.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
        }
        bool lengthOk = true;
        const QByteArray length = request_.headers.value("content-length", "0");
        contentLength_ = length.toLongLong(&lengthOk);
        if (!lengthOk || contentLength_ < 0) {
            SendError(400, QStringLiteral("Invalid Content-Length"));
            return;
        }
        if (request_.headers.contains("transfer-encoding")) {
            SendError(400, QStringLiteral("Chunked requests are not supported; send Content-Length"));
            return;
        }
        if (contentLength_ > networking::ServerRequestHandler::kMaxUploadBytes) {
            SendError(413, QStringLiteral("Change log too large"));
            return;
        }
    }
    if (buffer_.size() < contentLength_) {
        return;
    }
    request_.body = buffer_.left(contentLength_);
    buffer_.clear();
    Answer();
}

void HttpConnection::Answer()
{
    answered_ = true;
    const ReferenceServerOptions& options = server_.Options();
    const QByteArray basePath = options.basePath.toUtf8();
    if (!basePath.isEmpty()) {
        if (!request_.target.startsWith(basePath + '/')) {
            SendError(404, QStringLiteral("No such resource"));
            return;
        }
        request_.target.remove(0, basePath.size());
    }
    const qsizetype query = request_.target.indexOf('?');
    requestPath_ = QUrl::fromPercentEncoding(query < 0 ? request_.target : request_.target.left(query));
    request_.publicBase = QStringLiteral("http://127.0.0.1:%1").arg(server_.Port()) + options.basePath;
    if (!options.failPath.isEmpty() && requestPath_ == options.failPath) {
        SendError(500, QStringLiteral("Injected failure"));
        return;
    }
    if (options.canned.contains(requestPath_)) {
        networking::ServerResponse canned;
        canned.filePath = options.canned.value(requestPath_);
        canned.fileSize = QFileInfo(canned.filePath).size();
        Send(canned);
        return;
    }
    const auto respond = [this] {
        networking::ServerResponse response = server_.Handler().Handle(request_);
        const ReferenceServerOptions& options = server_.Options();
        if (!options.cutPath.isEmpty() && requestPath_ == options.cutPath) {
            const qint64 size = response.filePath.isEmpty() ? response.body.size() : response.fileSize;
            cutAfter_ = size / 2;
        }
        Send(response);
    };
    if (!options.slowPath.isEmpty() && requestPath_ == options.slowPath && options.slowMs > 0) {
        QTimer::singleShot(options.slowMs, this, respond);
        return;
    }
    respond();
}

void HttpConnection::SendError(int status, const QString& message)
{
    answered_ = true;
    networking::ServerResponse response;
    response.status = status;
    response.body = QJsonDocument(QJsonObject{{QStringLiteral("error"), message}}).toJson(QJsonDocument::Compact);
    Send(response);
}

void HttpConnection::Send(const networking::ServerResponse& response)
{
    qint64 length = response.body.size();
    if (!response.filePath.isEmpty()) {
        file_ = std::make_unique<QFile>(response.filePath);
        if (!file_->open(QIODevice::ReadOnly)) {
            file_.reset();
            SendError(500, QStringLiteral("Cannot read the file"));
            return;
        }
        length = file_->size();
        fileRemaining_ = length;
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + ReasonPhrase(response.status) + "\r\n";
    head += "Content-Type: " + response.contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket_->write(head);
    if (!file_) {
        if (cutAfter_ >= 0) {
            socket_->write(response.body.left(cutAfter_));
            socket_->flush();
            socket_->abort();
            deleteLater();
            return;
        }
        socket_->write(response.body);
        Finish();
        return;
    }
    PumpFile();
}

void HttpConnection::PumpFile()
{
    if (!file_) {
        return;
    }
    // Keep only a few chunks queued in the socket, so a 200 MB show costs a few MB of memory.
    while (fileRemaining_ > 0 && socket_->bytesToWrite() < kMaxQueued) {
        qint64 want = std::min(kSendChunk, fileRemaining_);
        const qint64 sent = file_->size() - fileRemaining_;
        if (cutAfter_ >= 0 && sent + want >= cutAfter_) {
            want = cutAfter_ - sent;
            socket_->write(file_->read(want));
            socket_->flush();
            socket_->abort();
            file_.reset();
            deleteLater();
            return;
        }
        const QByteArray chunk = file_->read(want);
        if (chunk.isEmpty()) {
            socket_->abort();
            file_.reset();
            deleteLater();
            return;
        }
        socket_->write(chunk);
        fileRemaining_ -= chunk.size();
    }
    if (fileRemaining_ == 0) {
        file_.reset();
        Finish();
    }
}

void HttpConnection::Finish()
{
    socket_->disconnectFromHost();
    if (socket_->state() == QAbstractSocket::UnconnectedState) {
        deleteLater();
    }
}

} // namespace zarn::tools
