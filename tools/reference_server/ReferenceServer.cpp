#include "ReferenceServer.h"

#include "HttpConnection.h"

#include <QHostAddress>

namespace zarn::tools {

ReferenceServer::ReferenceServer(ReferenceServerOptions options, QObject* parent)
    : QObject(parent)
    , options_(std::move(options))
    , handler_(options_.root, options_.auth)
{
    connect(&server_, &QTcpServer::newConnection, this, &ReferenceServer::AcceptConnections);
}

bool ReferenceServer::Listen(QString* error)
{
    if (!server_.listen(QHostAddress::LocalHost, options_.port)) {
        if (error) {
            *error = server_.errorString();
        }
        return false;
    }
    return true;
}

quint16 ReferenceServer::Port() const
{
    return server_.serverPort();
}

void ReferenceServer::AcceptConnections()
{
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        // The connection owns the socket and deletes itself when the exchange is over.
        new HttpConnection(socket, *this);
    }
}

} // namespace zarn::tools
