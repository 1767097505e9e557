#pragma once

#include "OscCommandDispatcher.h"
#include "OscProcInterface.h"
#include "QUdpSocketWrapper.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>

#include <memory>

namespace zarn::osc {

// Listens for OSC datagrams on one UDP port and dispatches each to its handler, on the
// thread that owns the server. A server is bound for its whole life: construction
// throws std::runtime_error when the port is out of 1-65535 or cannot be bound, and the
// handler is destroyed with the server.
class OscServer : public QObject
{
    Q_OBJECT
public:
    OscServer(int port, std::unique_ptr<OscProcInterface> handler,
              const QHostAddress& address = QHostAddress::Any, QObject* parent = nullptr);
    ~OscServer() override;

    quint16 port() const { return port_; }
    OscProcInterface* handler() const { return dispatcher_ ? dispatcher_->handler() : nullptr; }

public slots:
    void onDatagramReceived(QByteArray datagram);

private:
    std::unique_ptr<OscCommandDispatcher> dispatcher_;
    std::unique_ptr<QUdpSocketWrapper> socket_;
    quint16 port_ = 0;
};

} // namespace zarn::osc
