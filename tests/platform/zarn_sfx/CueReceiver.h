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
#include <cstring>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

namespace zarn::audio::test {

// A UDP socket on 127.0.0.1 that records when each datagram reached it, on the steady clock.
// The time is the kernel's receive stamp, not the moment a thread got round to reading it, so
// the figures measure the sender even on a loaded machine, and the receiving thread can sleep
// in poll instead of taking a core.
class CueReceiver
{
public:
    struct Arrival
    {
        std::chrono::steady_clock::time_point time;
        QByteArray datagram;
    };

    CueReceiver()
    {
        fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        int on = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof(on));
        int bufferSize = 4 * 1024 * 1024;
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &bufferSize, sizeof(bufferSize));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
            socklen_t length = sizeof(address);
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
            port_ = ntohs(address.sin_port);
        }
        thread_ = std::thread([this] { Run(); });
    }

    ~CueReceiver()
    {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }

    CueReceiver(const CueReceiver&) = delete;
    CueReceiver& operator=(const CueReceiver&) = delete;

    // 0 when the socket could not be bound.
    uint16_t Port() const { return port_; }

    std::vector<Arrival> Arrivals() const
    {
        std::lock_guard lock(mutex_);
        return arrivals_;
    }

    size_t Count() const
    {
        std::lock_guard lock(mutex_);
        return arrivals_.size();
    }

    // The number in an OSC message addressed "/cue/<n>", else -1.
    static int64_t CueNumber(const QByteArray& datagram)
    {
        const QByteArray address(datagram.constData(), qsizetype(::strnlen(datagram.constData(), size_t(datagram.size()))));
        if (!address.startsWith("/cue/"))
            return -1;
        bool ok = false;
        const int64_t number = address.mid(5).toLongLong(&ok);
        return ok ? number : -1;
    }

private:
    static int64_t Nanos(clockid_t clock)
    {
        timespec now{};
        ::clock_gettime(clock, &now);
        return int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
    }

    void Run()
    {
        std::vector<char> buffer(65536);
        alignas(cmsghdr) char control[256];
        while (!stop_) {
            pollfd descriptor{fd_, POLLIN, 0};
            if (::poll(&descriptor, 1, 20) <= 0)
                continue;
            iovec data{buffer.data(), buffer.size()};
            msghdr message{};
            message.msg_iov = &data;
            message.msg_iovlen = 1;
            message.msg_control = control;
            message.msg_controllen = sizeof(control);
            const ssize_t size = ::recvmsg(fd_, &message, 0);
            if (size < 0)
                continue;
            // The kernel stamps on the real-time clock: carried over to the steady clock by
            // their difference now, which drifts by nothing that matters within a test.
            const int64_t steadyNow = Nanos(CLOCK_MONOTONIC);
            const int64_t realNow = Nanos(CLOCK_REALTIME);
            int64_t arrived = steadyNow;
            for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
                if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_TIMESTAMPNS) {
                    timespec stamp{};
                    std::memcpy(&stamp, CMSG_DATA(header), sizeof(stamp));
                    arrived = int64_t(stamp.tv_sec) * 1'000'000'000 + stamp.tv_nsec - (realNow - steadyNow);
                }
            }
            const auto time = std::chrono::steady_clock::time_point(
                std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::nanoseconds(arrived)));
            std::lock_guard lock(mutex_);
            arrivals_.push_back({time, QByteArray(buffer.data(), qsizetype(size))});
        }
    }

    int fd_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<Arrival> arrivals_;
    std::thread thread_;
};

} // namespace zarn::audio::test
