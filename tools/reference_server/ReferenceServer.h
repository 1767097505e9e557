#pragma once

#include "ServerRequestHandler.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTcpServer>

#include <optional>

namespace zarn::tools {

struct ReferenceServerOptions {
    QString root;
    std::optional<QByteArray> auth;
    quint16 port = 0;
    QString basePath; // e.g. "/api/v1": routes are served under it
    // Test hooks, each naming one request path (without the query):
    QString failPath;  // answered 500
    QString slowPath;  // answered after slowMs
    int slowMs = 0;
    QString cutPath;   // connection dropped halfway through the body
    QHash<QString, QString> canned; // path -> file whose bytes answer it (200, JSON)
};

// The show server over HTTP/1.1 on 127.0.0.1 only: one request per connection, answers with
// Content-Length, files streamed in chunks as the socket drains.
class ReferenceServer : public QObject {
    Q_OBJECT

public:
    explicit ReferenceServer(ReferenceServerOptions options, QObject* parent = nullptr);

    // Binds 127.0.0.1 on the port given (0: any free one). False with a reason on failure.
    bool Listen(QString* error);
    quint16 Port() const;

    networking::ServerRequestHandler& Handler() { return handler_; }
    const ReferenceServerOptions& Options() const { return options_; }

private:
    void AcceptConnections();

    ReferenceServerOptions options_;
    networking::ServerRequestHandler handler_;
    QTcpServer server_;
};

} // namespace zarn::tools
