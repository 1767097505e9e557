#pragma once

#include <QAbstractSocket>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <memory>

class QUdpSocket;

namespace zarn::osc {

// Sends one text command as one OSC datagram. Lives entirely on the thread that made it.
class OscUdpClient : public QObject
{
    Q_OBJECT
public:
    explicit OscUdpClient(QObject* parent = nullptr);
    ~OscUdpClient() override;

    // Readies the socket for sends to `destination`'s address family ahead of time (the
    // first write on a fresh socket costs far more than the later ones). The operating
    // system still picks the sending port. Optional; false when the socket cannot be
    // readied, in which case send() tries again by itself.
    bool prepare(const QHostAddress& destination);

    // True only when the whole datagram was written. A blank command sends nothing and
    // gives false; so do a port outside 1-65535, an address that is not an IP address
    // and a failed write, each with one line on standard error.
    bool send(const QString& command, const QHostAddress& address, int port);

signals:
    void onError(QString errorDescription);

public slots:
    void onSocketError(QAbstractSocket::SocketError error);

private:
    std::unique_ptr<QUdpSocket> socket_;
};

} // namespace zarn::osc
