#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <memory>

class QUdpSocket;

namespace zarn::osc {

// The listening socket: every pending datagram becomes one datagramReceived.
class QUdpSocketWrapper : public QObject
{
    Q_OBJECT
public:
    explicit QUdpSocketWrapper(QObject* parent = nullptr);
    ~QUdpSocketWrapper() override;

    bool bind(const QHostAddress& address, quint16 port);
    void close();
    QString errorString() const;

signals:
    void datagramReceived(QByteArray datagram);

public slots:
    void onReadyRead();

private:
    std::unique_ptr<QUdpSocket> socket_;
};

} // namespace zarn::osc
