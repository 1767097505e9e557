#pragma once

#include "ServerMessages.h"

#include <QFile>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace zarn::tools {

class ReferenceServer;

// One HTTP exchange on one socket: reads a request (bounded header and body sizes), has the
// handler answer it, writes the answer and closes. Deletes itself when done.
class HttpConnection : public QObject {
    Q_OBJECT

public:
    HttpConnection(QTcpSocket* socket, ReferenceServer& server);

    static constexpr qsizetype kMaxHeaderBytes = 64 * 1024;

private:
    void ReadRequest();
    bool ParseHeader();
    void Answer();
    void Send(const networking::ServerResponse& response);
    void SendError(int status, const QString& message);
    void PumpFile();
    void Finish();

    QTcpSocket* socket_;
    ReferenceServer& server_;
    QByteArray buffer_;
    bool headerDone_ = false;
    qint64 contentLength_ = 0;
    networking::ServerRequest request_;
    QString requestPath_;
    std::unique_ptr<QFile> file_;
    qint64 fileRemaining_ = 0;
    qint64 cutAfter_ = -1;
    bool answered_ = false;
    QTimer idle_;
};

} // namespace zarn::tools
