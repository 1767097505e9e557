#include "OscUdpClient.h"

#include "OscMessage.h"

#include <QNetworkProxy>
#include <QUdpSocket>

#include <iostream>

namespace zarn::osc {

OscUdpClient::OscUdpClient(QObject* parent)
    : QObject(parent), socket_(std::make_unique<QUdpSocket>())
{
    // Cues go straight to show-control machines on the local network.
    socket_->setProxy(QNetworkProxy::NoProxy);
    connect(socket_.get(), &QUdpSocket::errorOccurred, this, &OscUdpClient::onSocketError);
}

bool OscUdpClient::prepare(const QHostAddress& destination)
{
    if (destination.isNull() || socket_->state() == QAbstractSocket::BoundState)
        return false;
    const bool ipv6 = destination.protocol() == QAbstractSocket::IPv6Protocol;
    return socket_->bind(ipv6 ? QHostAddress::AnyIPv6 : QHostAddress::AnyIPv4, 0);
}

OscUdpClient::~OscUdpClient() = default;

bool OscUdpClient::send(const QString& command, const QHostAddress& address, int port)
{
    if (command.trimmed().isEmpty())
        return false;
    if (port < 1 || port > 65535) {
        std::cerr << "OSC send refused: port " << port << " is not between 1 and 65535" << std::endl;
        return false;
    }
    // Qt would send to a null address as if it were 0.0.0.0, that is to this machine.
    if (address.isNull()) {
        std::cerr << "OSC send refused: the destination is not an IP address" << std::endl;
        return false;
    }
    const QByteArray bytes = EncodeOscMessage(command);
    if (bytes.isEmpty())
        return false;
    const qint64 written = socket_->writeDatagram(bytes, address, static_cast<quint16>(port));
    if (written != bytes.size()) {
        std::cerr << "OSC send to " << address.toString().toStdString() << ":" << port
                  << " failed: " << socket_->errorString().toStdString() << std::endl;
        return false;
    }
    return true;
}

void OscUdpClient::onSocketError(QAbstractSocket::SocketError error)
{
    emit onError(QStringLiteral("OSC Socket Error Occured (%1): %2")
                     .arg(static_cast<int>(error))
                     .arg(socket_->errorString()));
}

} // namespace zarn::osc
