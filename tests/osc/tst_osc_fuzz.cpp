// Random and mutated datagrams through the parser and the dispatcher, built with
// AddressSanitizer and UndefinedBehaviorSanitizer: every call must return or throw
// std::runtime_error, and the sanitizers must stay silent (they abort the run).
#include "MalformedDatagrams.h"
#include "OscCommandDispatcher.h"
#include "OscCommandParts.h"
#include "OscMessage.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using namespace zarn::osc;

namespace {

// Exercises every conversion of every argument the dispatcher hands over.
class ProbingHandler : public OscProcInterface
{
public:
    long calls = 0;
    long errors = 0;

    void OnMessage(const OscMessage& message) override
    {
        ++calls;
        for (const auto& argument : message.arguments) {
            try { (void)argument->toString(); } catch (const std::runtime_error&) {}
            try { (void)argument->toInt32(); } catch (const std::runtime_error&) {}
            try { (void)argument->toFloat32(); } catch (const std::runtime_error&) {}
        }
    }
    void OnError(const std::string&, const std::string&) override { ++errors; }
    void OnPlay(const std::string&, const std::string&) override { ++calls; }
    void OnFadeTo(const std::string&, const std::string&, float, float, bool) override { ++calls; }
    void OnVolume(float) override { ++calls; }
};

const char* const kCommands[] = {
    "/zarn/play", "/zarn/song/12/fadeto -6 2.5", "/zarn/show/a_b/song/3/stop", "/zarn/volume -6.5",
    "/zarn/fadeout 3", "/zarn/event/E12/go", "/zarn/sfx/*/stop", "/zarn/sfx/4/fadeto -6 2",
    "/zarn/pause \"quoted text\" 42 1e3 -7", "/cue/1/go", "/zarn//play", "#bundle",
};

std::vector<std::vector<char>> seedDatagrams()
{
    std::vector<std::vector<char>> seeds;
    for (const char* command : kCommands) {
        const QByteArray bytes = EncodeOscMessage(QString::fromUtf8(command));
        seeds.emplace_back(bytes.begin(), bytes.end());
    }
    for (const MalformedDatagram& d : malformedDatagrams())
        seeds.emplace_back(d.bytes.begin(), d.bytes.end());
    return seeds;
}

std::vector<char> mutate(std::vector<char> data, std::mt19937& random)
{
    std::uniform_int_distribution<int> byteValue(0, 255);
    const char interesting[] = {'\0', ',', 'i', 'f', 's', 'b', 'x', '/', '#', '\x7f', '\xff'};
    const int rounds = 1 + int(random() % 4);
    for (int r = 0; r < rounds; ++r) {
        const std::size_t size = data.size();
        switch (random() % 7) {
        case 0: // flip a bit
            if (size) data[random() % size] ^= char(1 << (random() % 8));
            break;
        case 1: // overwrite with an interesting byte
            if (size) data[random() % size] = interesting[random() % sizeof(interesting)];
            break;
        case 2: // truncate
            data.resize(size ? random() % size : 0);
            break;
        case 3: // insert bytes
            data.insert(data.begin() + long(size ? random() % (size + 1) : 0), std::size_t(1 + random() % 8),
                        char(byteValue(random)));
            break;
        case 4: // delete a run
            if (size) {
                const std::size_t at = random() % size;
                data.erase(data.begin() + long(at), data.begin() + long(std::min(size, at + 1 + random() % 8)));
            }
            break;
        case 5: // append random bytes
            for (int i = int(random() % 16); i > 0; --i)
                data.push_back(char(byteValue(random)));
            break;
        default: // replace a 4-byte word with an extreme value
            if (size >= 4) {
                const std::size_t at = (random() % (size / 4)) * 4;
                const char extremes[][4] = {{'\x7f', '\xff', '\xff', '\xff'}, {'\x80', 0, 0, 0},
                                            {'\x7f', '\x80', 0, 0}, {'\x7f', '\xc0', 0, 0}, {0, 0, 0, 0}};
                std::memcpy(data.data() + at, extremes[random() % 5], 4);
            }
        }
    }
    return data;
}

std::vector<char> randomDatagram(std::mt19937& random)
{
    std::vector<char> data(random() % 64);
    for (char& c : data)
        c = char(random() % 256);
    if (data.size() >= 8 && random() % 2) { // a plausible head so the parser gets further
        std::memcpy(data.data(), "/zarn/\0\0", 8);
    }
    return data;
}

QString randomCommand(std::mt19937& random)
{
    const char16_t pieces[] = {u' ', u'"', u'/', u'1', u'-', u'.', u'e', u'z', u'\t', u'\0', u'\u00e9', u'\xd800'};
    QString text;
    for (int i = int(random() % 24); i > 0; --i)
        text.append(QChar(pieces[random() % (sizeof(pieces) / sizeof(pieces[0]))]));
    return text;
}

} // namespace

int main()
{
    constexpr int kRuns = 20000;
    std::mt19937 random(20261210);
    const auto seeds = seedDatagrams();
    auto handlerOwner = std::make_unique<ProbingHandler>();
    ProbingHandler* handler = handlerOwner.get();
    OscCommandDispatcher dispatcher(std::move(handlerOwner));

    long parsed = 0, refused = 0, failures = 0;
    for (int run = 0; run < kRuns; ++run) {
        std::vector<char> datagram =
            run % 3 == 0 ? randomDatagram(random) : mutate(seeds[random() % seeds.size()], random);
        // An exactly sized heap copy, so reading one byte past the end is caught.
        auto buffer = std::make_unique<char[]>(datagram.size());
        if (!datagram.empty())
            std::memcpy(buffer.get(), datagram.data(), datagram.size());
        try {
            std::size_t used = 0;
            const OscMessage message = ParseOscMessage(buffer.get(), datagram.size(), used);
            if (used > datagram.size()) {
                std::fprintf(stderr, "run %d: used %zu of %zu bytes\n", run, used, datagram.size());
                ++failures;
            }
            ++parsed;
            dispatcher.Dispatch(message);
            try { (void)ParseCommandAddress(message.address); } catch (const std::runtime_error&) {}
        } catch (const std::runtime_error&) {
            ++refused;
        } catch (...) {
            std::fprintf(stderr, "run %d: an exception other than std::runtime_error\n", run);
            ++failures;
        }

        // Whatever the encoder makes of any text, the parser reads back.
        const QByteArray encoded = EncodeOscMessage(randomCommand(random));
        if (!encoded.isEmpty()) {
            try {
                std::size_t used = 0;
                (void)ParseOscMessage(encoded.constData(), std::size_t(encoded.size()), used);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "run %d: encoder output refused: %s\n", run, e.what());
                ++failures;
            }
        }
    }
    std::printf("%d datagrams: %ld parsed, %ld refused; %ld handler calls, %ld reported errors\n", kRuns, parsed,
                refused, handler->calls, handler->errors);
    std::printf("%d passed, %ld failed\n", failures == 0 ? 1 : 0, failures);
    return failures == 0 ? 0 : 1;
}
