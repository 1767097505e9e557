// A datagram from a loopback sender to the handler call on the server's thread: latency
// at a steady 2,000 datagrams per second, and loss at fixed rates for a given time
// (OSC_BENCH_SECONDS, default 10).
#include "OscServer.h"
#include "Percentiles.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QUdpSocket>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <thread>

using namespace zarn::osc;
using Clock = std::chrono::steady_clock;

namespace {

std::int64_t nowNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// Each datagram carries its send time as two int32 arguments (high and low word).
class TimingHandler : public OscProcInterface
{
public:
    std::vector<double> latenciesUs;
    long received = 0;

    void OnMessage(const OscMessage& message) override
    {
        const std::int64_t now = nowNanoseconds();
        ++received;
        if (message.arguments.size() != 2)
            return;
        const auto high = std::uint32_t(message.arguments[0]->toInt32());
        const auto low = std::uint32_t(message.arguments[1]->toInt32());
        const auto sent = std::int64_t((std::uint64_t(high) << 32) | low);
        latenciesUs.push_back(double(now - sent) / 1000.0);
    }
};

quint16 freeLoopbackPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

class RawSender
{
public:
    explicit RawSender(quint16 port)
    {
        fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        to_.sin_family = AF_INET;
        to_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to_.sin_port = htons(port);
        datagram_ = EncodeOscMessage("/zarn/bench 0 0");
    }
    ~RawSender() { ::close(fd_); }

    bool send()
    {
        const auto stamp = std::uint64_t(nowNanoseconds());
        char* tail = datagram_.data() + datagram_.size() - 8;
        for (int i = 0; i < 8; ++i)
            tail[i] = char((stamp >> (56 - 8 * i)) & 0xFF);
        return ::sendto(fd_, datagram_.constData(), size_t(datagram_.size()), 0,
                        reinterpret_cast<const sockaddr*>(&to_), sizeof(to_)) == datagram_.size();
    }

private:
    int fd_;
    sockaddr_in to_{};
    QByteArray datagram_;
};

// Runs the server's event loop until the sender is done and the stragglers are in.
void runUntilDone(TimingHandler& handler, const std::atomic<bool>& senderDone, const std::atomic<long>& sent)
{
    QEventLoop loop;
    QTimer poll;
    Clock::time_point doneAt{};
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!senderDone)
            return;
        if (doneAt == Clock::time_point{})
            doneAt = Clock::now();
        if (handler.received >= sent || Clock::now() - doneAt > std::chrono::milliseconds(500))
            loop.quit();
    });
    poll.start(5);
    loop.exec();
}

int benchSeconds()
{
    const int seconds = qEnvironmentVariableIntValue("OSC_BENCH_SECONDS");
    return seconds > 0 ? seconds : 10;
}

std::map<long, bool> losslessByRate;

void BM_LoopbackLatency(benchmark::State& state)
{
    constexpr long kDatagrams = 10000;
    constexpr auto kInterval = std::chrono::microseconds(500);
    std::vector<double> latencies;
    for (auto _ : state) {
        const quint16 port = freeLoopbackPort();
        auto owned = std::make_unique<TimingHandler>();
        TimingHandler& handler = *owned;
        OscServer server(port, std::move(owned), QHostAddress::LocalHost);
        std::atomic<bool> done{false};
        std::atomic<long> sent{0};
        std::thread sender([&] {
            RawSender socket(port);
            const auto start = Clock::now();
            for (long i = 0; i < kDatagrams; ++i) {
                std::this_thread::sleep_until(start + i * kInterval);
                sent += socket.send() ? 1 : 0;
            }
            done = true;
        });
        runUntilDone(handler, done, sent);
        sender.join();
        latencies = handler.latenciesUs;
        state.counters["sent"] = double(sent);
        state.counters["received"] = double(handler.received);
    }
    state.counters["p50_us"] = percentile(latencies, 0.50);
    state.counters["p99_us"] = percentile(latencies, 0.99);
    state.counters["max_us"] = percentile(latencies, 1.0);
}
BENCHMARK(BM_LoopbackLatency)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoopbackSustainedRate(benchmark::State& state)
{
    const long rate = state.range(0);
    const int seconds = benchSeconds();
    for (auto _ : state) {
        const quint16 port = freeLoopbackPort();
        auto owned = std::make_unique<TimingHandler>();
        TimingHandler& handler = *owned;
        OscServer server(port, std::move(owned), QHostAddress::LocalHost);
        std::atomic<bool> done{false};
        std::atomic<long> sent{0};
        std::thread sender([&] {
            RawSender socket(port);
            const long perTick = rate / 1000; // one burst per millisecond
            const auto start = Clock::now();
            for (long tick = 0; tick < long(seconds) * 1000; ++tick) {
                std::this_thread::sleep_until(start + std::chrono::milliseconds(tick));
                for (long i = 0; i < perTick; ++i)
                    sent += socket.send() ? 1 : 0;
            }
            done = true;
        });
        runUntilDone(handler, done, sent);
        sender.join();
        const long lost = sent - handler.received;
        losslessByRate[rate] = lost == 0;
        state.counters["sent"] = double(sent);
        state.counters["lost"] = double(lost);
        state.counters["per_second"] = double(handler.received) / seconds;
        state.counters["p50_us"] = percentile(handler.latenciesUs, 0.50);
        state.counters["p99_us"] = percentile(handler.latenciesUs, 0.99);
    }
}
BENCHMARK(BM_LoopbackSustainedRate)
    ->Arg(10000)->Arg(20000)->Arg(50000)->Arg(100000)->Arg(200000)
    ->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The highest rate below which no tried rate lost anything.
    long highest = 0;
    for (const auto& [rate, lossless] : losslessByRate) {
        if (!lossless)
            break;
        highest = rate;
    }
    if (!losslessByRate.empty())
        std::printf("highest lossless rate: %ld datagrams/s for %d s\n", highest, benchSeconds());
    return 0;
}
