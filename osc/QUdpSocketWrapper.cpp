#include "QUdpSocketWrapper.h"

#include <QUdpSocket>
#include <QVariant>

namespace zarn::osc {

QUdpSocketWrapper::QUdpSocketWrapper(QObject* parent)
    : QObject(parent), socket_(std::make_unique<QUdpSocket>())
{
    connect(socket_.get(), &QUdpSocket::readyRead, this, &QUdpSocketWrapper::onReadyRead);
}

QUdpSocketWrapper::~QUdpSocketWrapper() = default;

bool QUdpSocketWrapper::bind(const QHostAddress& address, quint16 port)
{
    if (!socket_->bind(address, port, QAbstractSocket::DefaultForPlatform))
        return false;
    // Datagrams are read on the GUI thread, which a show load or a slow frame can hold
    // for a while; a larger receive queue keeps a console's burst from being dropped
    // meanwhile (the system caps the size at its own limit).
    socket_->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, QVariant(4 * 1024 * 1024));
    return true;
}

void QUdpSocketWrapper::close()
{
    socket_->close();
}

QString QUdpSocketWrapper::errorString() const
{
    return socket_->errorString();
}

void QUdpSocketWrapper::onReadyRead()
{
    while (socket_->hasPendingDatagrams()) {
        const qint64 size = socket_->pendingDatagramSize();
        QByteArray datagram(size > 0 ? size : 0, Qt::Uninitialized);
        const qint64 read = socket_->readDatagram(datagram.data(), datagram.size());
        if (read < 0)
            break; // nothing could be taken off the socket; the next readyRead retries
        datagram.truncate(read);
        emit datagramReceived(datagram);
    }
}

} // namespace zarn::osc
