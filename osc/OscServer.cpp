#include "OscServer.h"

#include <QDebug>

#include <iostream>
#include <stdexcept>
#include <string>

namespace zarn::osc {

OscServer::OscServer(int port, std::unique_ptr<OscProcInterface> handler, const QHostAddress& address,
                     QObject* parent)
    : QObject(parent),
      dispatcher_(std::make_unique<OscCommandDispatcher>(std::move(handler))),
      socket_(std::make_unique<QUdpSocketWrapper>())
{
    connect(socket_.get(), &QUdpSocketWrapper::datagramReceived, this, &OscServer::onDatagramReceived);

    // A port outside the 16-bit range would otherwise be truncated to some other port.
    if (port < 1 || port > 65535) {
        const std::string text = "Unable to bind to OSC server port " + std::to_string(port)
                                 + ": the port must be between 1 and 65535";
        qDebug().noquote() << QString::fromStdString(text);
        throw std::runtime_error(text);
    }
    if (!socket_->bind(address, static_cast<quint16>(port))) {
        const std::string text = "Unable to bind to OSC server port " + std::to_string(port) + ": "
                                 + socket_->errorString().toStdString();
        qDebug().noquote() << QString::fromStdString(text);
        throw std::runtime_error(text);
    }
    port_ = static_cast<quint16>(port);
    std::cout << "****Opening port " << port_ << std::endl;
}

OscServer::~OscServer()
{
    socket_->close();
    std::cout << "****Closing port " << port_ << std::endl;
    dispatcher_.reset();
    socket_.reset();
}

void OscServer::onDatagramReceived(QByteArray datagram)
{
    try {
        std::size_t used = 0;
        const OscMessage message = ParseOscMessage(datagram.constData(),
                                                   static_cast<std::size_t>(datagram.size()), used);
        dispatcher_->Dispatch(message);
    } catch (const std::exception& e) {
        std::cerr << e.what() << std::endl;
    }
}

} // namespace zarn::osc
