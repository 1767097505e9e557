#include "OscMessage.h"

#include "OscFloat32.h"
#include "OscInt32.h"
#include "OscString.h"

#include <bit>
#include <stdexcept>

namespace zarn::osc {

namespace {

void appendPadded(QByteArray& out, QByteArray text)
{
    // A zero byte inside the text would end the OSC string early and leave the rest of
    // it as garbage padding that receivers refuse; the text ends at the first one.
    const qsizetype zero = text.indexOf('\0');
    if (zero >= 0)
        text.truncate(zero);
    out.append(text);
    out.append('\0');
    while (out.size() % 4 != 0)
        out.append('\0');
}

void appendBigEndian(QByteArray& out, uint32_t value)
{
    out.append(static_cast<char>((value >> 24) & 0xFF));
    out.append(static_cast<char>((value >> 16) & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
    out.append(static_cast<char>(value & 0xFF));
}

struct EncodedArguments
{
    QByteArray tags{","};
    QByteArray bytes;

    void addString(const QString& token)
    {
        tags.append('s');
        appendPadded(bytes, token.toUtf8());
    }

    void addTyped(const QString& token)
    {
        bool ok = false;
        const int asInt = token.toInt(&ok, 10);
        if (ok) {
            tags.append('i');
            appendBigEndian(bytes, static_cast<uint32_t>(asInt));
            return;
        }
        const float asFloat = token.toFloat(&ok);
        if (ok) {
            tags.append('f');
            appendBigEndian(bytes, std::bit_cast<uint32_t>(asFloat));
            return;
        }
        addString(token);
    }
};

std::unique_ptr<OscParam> readArgument(int32_t typeCode, const char* data, std::size_t available,
                                       std::size_t& used)
{
    switch (typeCode) {
    case kOscTypeInt32:
        return std::make_unique<OscInt32>(data, available, used);
    case kOscTypeFloat32:
        return std::make_unique<OscFloat32>(data, available, used);
    case kOscTypeString:
        return std::make_unique<OscString>(data, available, used);
    default:
        throw std::runtime_error("Unsupported or unknown OSC Type.");
    }
}

int32_t typeCodeOf(char tag)
{
    switch (tag) {
    case 'i': return kOscTypeInt32;
    case 'f': return kOscTypeFloat32;
    case 's': return kOscTypeString;
    case 'b': return kOscTypeBlob;
    default: return kOscTypeUnknown;
    }
}

} // namespace

QByteArray EncodeOscMessage(const QString& command)
{
    QByteArray out;
    if (command.isEmpty())
        return out;

    const qsizetype space = command.indexOf(QLatin1Char(' '));
    const QString address = space < 0 ? command : command.left(space);
    const QString argumentText = space < 0 ? QString() : command.mid(space + 1);
    appendPadded(out, address.toUtf8());

    EncodedArguments arguments;
    bool atTokenStart = true;
    bool inQuotes = false;
    QString token;
    for (const QChar c : argumentText) {
        if (c == QLatin1Char(' ') && atTokenStart && !inQuotes)
            continue;
        if (c == QLatin1Char('"')) {
            if (!inQuotes) {
                inQuotes = true;
                atTokenStart = false;
            } else {
                arguments.addString(token);
                token.clear();
                inQuotes = false;
                atTokenStart = true;
            }
            continue;
        }
        if (c == QLatin1Char(' ') && !inQuotes) {
            arguments.addTyped(token);
            token.clear();
            atTokenStart = true;
            continue;
        }
        token.append(c);
        atTokenStart = false;
    }
    if (!token.isEmpty()) {
        if (inQuotes)
            arguments.addString(token);
        else
            arguments.addTyped(token);
    }

    if (arguments.tags.size() > 1) {
        appendPadded(out, arguments.tags);
        out.append(arguments.bytes);
    } else {
        // OSC 1.0 receivers refuse a message without a type-tag string, so a message
        // without arguments still carries the lone ",".
        appendPadded(out, arguments.tags);
    }
    return out;
}

OscMessage ParseOscMessage(const char* data, std::size_t size, std::size_t& used)
{
    if (data == nullptr)
        size = 0;
    std::size_t position = 0;
    OscMessage message;
    {
        std::size_t taken = 0;
        OscString address(data, size, taken);
        message.address = std::move(address.value);
        position = taken;
    }
    if (message.address == "#bundle")
        throw std::runtime_error("OSC Bundle detected. OSC Bundles unsupported at this time.");

    if (position >= size || data[position] != ',') {
        used = position;
        return message;
    }

    std::size_t taken = 0;
    const OscString tags(data + position, size - position, taken);
    position += taken;

    for (std::size_t i = 1; i < tags.value.size(); ++i) {
        std::size_t argumentBytes = 0;
        message.arguments.push_back(
            readArgument(typeCodeOf(tags.value[i]), data + position, size - position, argumentBytes));
        position += argumentBytes;
    }
    used = position;
    return message;
}

} // namespace zarn::osc
