#pragma once

#include <QByteArray>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// A UDP socket on 127.0.0.1 with its own thread that stamps each datagram with the
// steady-clock time it arrived, for timing checks that the test's event loop would blur.
class LoopbackReceiver
{
public:
    struct Arrival
    {
        std::chrono::steady_clock::time_point time;
        QByteArray datagram;
    };

    // `busyPoll`: the receiving thread polls without sleeping (taking a core meanwhile),
    // so that the arrival stamps measure the sender rather than this thread's own
    // wake-up on a busy or virtual machine.
    explicit LoopbackReceiver(bool busyPoll = false) : busyPoll_(busyPoll)
    {
        fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        int bufferSize = 8 * 1024 * 1024;
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &bufferSize, sizeof(bufferSize));
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
            socklen_t length = sizeof(address);
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
            port_ = ntohs(address.sin_port);
        }
        thread_ = std::thread([this] { run(); });
    }

    ~LoopbackReceiver()
    {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }

    LoopbackReceiver(const LoopbackReceiver&) = delete;
    LoopbackReceiver& operator=(const LoopbackReceiver&) = delete;

    std::uint16_t port() const { return port_; }

    std::vector<Arrival> arrivals() const
    {
        std::lock_guard lock(mutex_);
        return arrivals_;
    }

    std::size_t count() const
    {
        std::lock_guard lock(mutex_);
        return arrivals_.size();
    }

    void clear()
    {
        std::lock_guard lock(mutex_);
        arrivals_.clear();
    }

private:
    void run()
    {
        std::vector<char> buffer(65536);
        while (!stop_) {
            pollfd descriptor{fd_, POLLIN, 0};
            if (::poll(&descriptor, 1, busyPoll_ ? 0 : 10) <= 0) {
                if (busyPoll_)
                    std::this_thread::yield();
                continue;
            }
            const ssize_t size = ::recv(fd_, buffer.data(), buffer.size(), 0);
            const auto now = std::chrono::steady_clock::now();
            if (size < 0)
                continue;
            std::lock_guard lock(mutex_);
            arrivals_.push_back({now, QByteArray(buffer.data(), qsizetype(size))});
        }
    }

    bool busyPoll_ = false;
    int fd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<Arrival> arrivals_;
    std::thread thread_;
};
