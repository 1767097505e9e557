#pragma once

#include <QByteArray>
#include <QString>

#include <string_view>
#include <vector>

// Datagrams the parser must refuse, with the exact error each one gives. Shared by the
// byte-level table, the live-server survival test and the fuzz seeds.
struct MalformedDatagram
{
    const char* name;
    QByteArray bytes;
    QString error;
};

inline std::vector<MalformedDatagram> malformedDatagrams()
{
    using namespace std::string_view_literals;
    auto b = [](std::string_view raw) { return QByteArray(raw.data(), static_cast<qsizetype>(raw.size())); };
    const QString noTerminator = "OSC string is larger than buffer during read of null terminator.";
    const QString unsupported = "Unsupported or unknown OSC Type.";
    const QString int32Short = "Cannot read OSC Param of type int32 in less than four bytes.";
    return {
        {"empty", QByteArray(), noTerminator},
        {"no zero byte", b("/zarn/play"sv), noTerminator},
        {"padding past the end", b("/zarn/play\0"sv),
         "The OSC string /zarn/play is larger than buffer while zero padding."},
        {"non-zero padding", b("/zarn/play\0X"sv),
         "The OSC string /zarn/play does not contain proper pad to extend the string to a multiple of 4."},
        {"bundle", b("#bundle\0\0\0\0\0\0\0\0\x01"sv), "OSC Bundle detected. OSC Bundles unsupported at this time."},
        {"blob tag", b("/a\0\0,b\0\0\0\0\0\x04" "abcd"sv), unsupported},
        {"unknown tag", b("/a\0\0,x\0\0\0\0\0\x01"sv), unsupported},
        {"too few bytes for int32", b("/a\0\0,i\0\0\0\x01"sv), int32Short},
        {"too few bytes for float32", b("/a\0\0,f\0\0\x40\x20\x00"sv),
         "Cannot read OSC Param of type float32 in less than four bytes."},
        {"too few bytes for string", b("/a\0\0,s\0\0abcd"sv), noTerminator},
        {"more tags than bytes", b("/a\0\0,iii\0\0\0\0\0\0\0\x01"sv), int32Short},
        {"tag string without terminator", b("/a\0\0,iii"sv), noTerminator},
        // A blob whose length field points far past the end of the datagram.
        {"liblo blob length", b("/\0\0\0,bs\0\x00\x0F\x42\x3F" "abc\0"sv), unsupported},
    };
}
