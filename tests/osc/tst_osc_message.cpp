#include "OscFloat32.h"
#include "OscInt32.h"
#include "OscMessage.h"
#include "OscString.h"
#include "MalformedDatagrams.h"

#include <QtTest>

#include <cmath>
#include <limits>
#include <string_view>

using namespace zarn::osc;
using namespace std::string_view_literals;

namespace {

QByteArray bytes(std::string_view raw)
{
    return QByteArray(raw.data(), static_cast<qsizetype>(raw.size()));
}

OscMessage parse(const QByteArray& datagram, std::size_t* usedOut = nullptr)
{
    std::size_t used = 0;
    OscMessage message = ParseOscMessage(datagram.constData(), static_cast<std::size_t>(datagram.size()), used);
    if (usedOut)
        *usedOut = used;
    return message;
}

} // namespace

class TestOscMessage : public QObject
{
    Q_OBJECT
private slots:
    void encode_data();
    void encode();
    void encodeSpecialNumbers();
    void roundTrip_data();
    void roundTrip();
    void parseWellFormed_data();
    void parseWellFormed();
    void parseMalformed_data();
    void parseMalformed();
    void conversions();
};

void TestOscMessage::encode_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("no arguments carry a lone comma")
        << "/zarn/play" << bytes("/zarn/play\0\0,\0\0\0"sv);
    QTest::newRow("int and float")
        << "/zarn/fadeto -6 2.5" << bytes("/zarn/fadeto\0\0\0\0,if\0\xFF\xFF\xFF\xFA\x40\x20\x00\x00"sv);
    QTest::newRow("quoted text with a space")
        << "/a \"hello world\"" << bytes("/a\0\0,s\0\0hello world\0"sv);
    QTest::newRow("empty quotes give an empty string")
        << "/a \"\"" << bytes("/a\0\0,s\0\0\0\0\0\0"sv);
    QTest::newRow("leading, repeated and trailing spaces")
        << "/a   7    -12   " << bytes("/a\0\0,ii\0\0\0\0\x07\xFF\xFF\xFF\xF4"sv);
    QTest::newRow("tab stays inside a token")
        << "/a x\ty" << bytes("/a\0\0,s\0\0x\ty\0"sv);
    QTest::newRow("unterminated quote takes the rest of the line")
        << "/a \"abc def" << bytes("/a\0\0,s\0\0abc def\0"sv);
    QTest::newRow("characters before an opening quote stay in the token")
        << "/a ab\"cd ef\"" << bytes("/a\0\0,s\0\0abcd ef\0"sv);
    QTest::newRow("quoted number stays a string")
        << "/a \"5\"" << bytes("/a\0\0,s\0\0" "5\0\0\0"sv);
    QTest::newRow("integer beyond int32 becomes a float")
        << "/a 3000000000" << bytes("/a\0\0,f\0\0\x4F\x32\xD0\x5E"sv);
    QTest::newRow("exponent is a float")
        << "/a 1e3" << bytes("/a\0\0,f\0\0\x44\x7A\x00\x00"sv);
    QTest::newRow("closing quote directly followed by a token")
        << "/a \"x\"5" << bytes("/a\0\0,si\0x\0\0\0\0\0\0\x05"sv);
    QTest::newRow("leading space gives an empty address")
        << " 1" << bytes("\0\0\0\0,i\0\0\0\0\0\x01"sv);
    QTest::newRow("four-byte address takes eight bytes")
        << "/abc" << bytes("/abc\0\0\0\0,\0\0\0"sv);
    QTest::newRow("utf-8 text")
        << "/a \xC3\xA9t\xC3\xA9" << bytes("/a\0\0,s\0\0\xC3\xA9t\xC3\xA9\0\0\0"sv);
    // A zero character would end the OSC string early and corrupt the datagram.
    QTest::newRow("text ends at a zero character")
        << QString("/a x") + QChar(0) + QString("yz") << bytes("/a\0\0,s\0\0x\0\0\0"sv);
}

void TestOscMessage::encode()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, expected);
    const QByteArray actual = EncodeOscMessage(command);
    QCOMPARE(actual.toHex(' '), expected.toHex(' '));
}

void TestOscMessage::encodeSpecialNumbers()
{
    const OscMessage inf = parse(EncodeOscMessage("/a inf -inf nan"));
    QCOMPARE(inf.arguments.size(), 3u);
    for (const auto& argument : inf.arguments)
        QCOMPARE(argument->type, int(kOscTypeFloat32));
    QVERIFY(std::isinf(inf.arguments[0]->toFloat32()) && inf.arguments[0]->toFloat32() > 0);
    QVERIFY(std::isinf(inf.arguments[1]->toFloat32()) && inf.arguments[1]->toFloat32() < 0);
    QVERIFY(std::isnan(inf.arguments[2]->toFloat32()));
}

void TestOscMessage::roundTrip_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("arguments"); // "i:7", "f:2.500000", "s:text"

    QTest::newRow("play") << "/zarn/play" << "/zarn/play" << QStringList{};
    QTest::newRow("fadeto") << "/zarn/song/12/fadeto -6 2.5" << "/zarn/song/12/fadeto"
                            << QStringList{"i:-6", "f:2.500000"};
    QTest::newRow("mixed") << "/cue/1/go \"a b\" 42 0.5 word \"\"" << "/cue/1/go"
                           << QStringList{"s:a b", "i:42", "f:0.500000", "s:word", "s:"};
    QTest::newRow("int32 limits") << "/x 2147483647 -2147483648" << "/x"
                                  << QStringList{"i:2147483647", "i:-2147483648"};
}

void TestOscMessage::roundTrip()
{
    QFETCH(QString, command);
    QFETCH(QString, address);
    QFETCH(QStringList, arguments);

    const QByteArray datagram = EncodeOscMessage(command);
    std::size_t used = 0;
    const OscMessage message = parse(datagram, &used);
    QCOMPARE(used, std::size_t(datagram.size()));
    QCOMPARE(QString::fromStdString(message.address), address);
    QStringList actual;
    for (const auto& argument : message.arguments) {
        const char tag = argument->type == kOscTypeInt32 ? 'i' : argument->type == kOscTypeFloat32 ? 'f' : 's';
        actual << QString("%1:%2").arg(tag).arg(QString::fromStdString(argument->toString()));
    }
    QCOMPARE(actual, arguments);
}

void TestOscMessage::parseWellFormed_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("argumentCount");
    QTest::addColumn<int>("used");

    QTest::newRow("padded address only") << bytes("/zarn/play\0\0"sv) << "/zarn/play" << 0 << 12;
    QTest::newRow("address then a byte other than a comma")
        << bytes("/zarn/play\0\0xyz\0"sv) << "/zarn/play" << 0 << 12;
    QTest::newRow("lone comma") << bytes("/zarn/play\0\0,\0\0\0"sv) << "/zarn/play" << 0 << 16;
    QTest::newRow("bytes after the last argument are ignored")
        << bytes("/a\0\0,i\0\0\0\0\0\x01garbage"sv) << "/a" << 1 << 12;
    QTest::newRow("address kept byte for byte") << bytes("/ZARN/\xC3\xA9\0\0\0\0"sv) << "/ZARN/\xC3\xA9" << 0 << 12;
}

void TestOscMessage::parseWellFormed()
{
    QFETCH(QByteArray, datagram);
    QFETCH(QString, address);
    QFETCH(int, argumentCount);
    QFETCH(int, used);
    std::size_t actualUsed = 0;
    const OscMessage message = parse(datagram, &actualUsed);
    QCOMPARE(QString::fromStdString(message.address), address);
    QCOMPARE(int(message.arguments.size()), argumentCount);
    QCOMPARE(int(actualUsed), used);
}

void TestOscMessage::parseMalformed_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QString>("error");
    for (const MalformedDatagram& d : malformedDatagrams())
        QTest::newRow(d.name) << d.bytes << d.error;
}

void TestOscMessage::parseMalformed()
{
    QFETCH(QByteArray, datagram);
    QFETCH(QString, error);
    try {
        parse(datagram);
        QFAIL("the datagram was accepted");
    } catch (const std::runtime_error& e) {
        QCOMPARE(QString::fromStdString(e.what()), error);
    }
}

void TestOscMessage::conversions()
{
    auto errorOf = [](auto&& call) -> QString {
        try {
            call();
        } catch (const std::runtime_error& e) {
            return QString::fromStdString(e.what());
        }
        return QString();
    };
    const OscInt32 i(-7);
    const OscFloat32 f(0.5f);
    const OscString s("text");
    const OscParam base;

    QCOMPARE(i.toString(), std::string("-7"));
    QCOMPARE(i.toInt32(), -7);
    QCOMPARE(i.toFloat32(), -7.0f);
    QCOMPARE(f.toString(), std::string("0.500000"));
    QCOMPARE(f.toFloat32(), 0.5f);
    QCOMPARE(errorOf([&] { f.toInt32(); }), QString("Parameter does not convert to int32."));
    QCOMPARE(s.toString(), std::string("text"));
    QCOMPARE(errorOf([&] { s.toInt32(); }), QString("Parameter does not convert to int32."));
    QCOMPARE(errorOf([&] { s.toFloat32(); }), QString("Parameter does not convert to float32."));
    QCOMPARE(errorOf([&] { base.toString(); }), QString("Parameter does not convert to string."));
    QCOMPARE(errorOf([&] { base.toInt32(); }), QString("Parameter does not convert to int32."));
    QCOMPARE(errorOf([&] { base.toFloat32(); }), QString("Parameter does not convert to float32."));
    // The largest float prints in full rather than being cut off.
    QCOMPARE(OscFloat32(std::numeric_limits<float>::max()).toString().size(), std::size_t(46));
}

QTEST_GUILESS_MAIN(TestOscMessage)
#include "tst_osc_message.moc"
