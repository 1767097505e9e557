#include "QUdpSocketWrapper.h"

#include <QUdpSocket>

namespace zarn::osc {

QUdpSocketWrapper::QUdpSocketWrapper(QObject* parent)
    : QObject(parent), socket_(std::make_unique<QUdpSocket>())
{
    connect(socket_.get(), &QUdpSocket::readyRead, this, &QUdpSocketWrapper::onReadyRead);
}

QUdpSocketWrapper::~QUdpSocketWrapper() = default;

bool QUdpSocketWrapper::bind(const QHostAddress& address, quint16 port)
{
    return socket_->bind(address, port, QAbstractSocket::DefaultForPlatform);
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
