#include "MalformedDatagrams.h"
#include "OscServer.h"
#include "OscUdpClient.h"
#include "RecordingHandler.h"
#include "StreamCapture.h"

#include <QProcess>
#include <QUdpSocket>
#include <QtTest>

using namespace zarn::osc;

namespace {

quint16 freeLoopbackPort()
{
    QUdpSocket probe;
    if (!probe.bind(QHostAddress::LocalHost, 0))
        return 0;
    return probe.localPort();
}

// True while some other socket holds the port on the loopback address.
bool portIsHeld(quint16 port)
{
    QUdpSocket probe;
    return !probe.bind(QHostAddress::LocalHost, port, QAbstractSocket::DontShareAddress);
}

struct ServerFixture
{
    QStringList calls;
    bool handlerDestroyed = false;

    std::unique_ptr<OscServer> start(int port, const QHostAddress& address = QHostAddress::LocalHost)
    {
        return std::make_unique<OscServer>(
            port, std::make_unique<RecordingHandler>(&calls, [this] { handlerDestroyed = true; }), address);
    }
};

} // namespace

class TestOscServer : public QObject
{
    Q_OBJECT
private slots:
    void survivesMalformedDatagramsThenObeysOscsend();
    void datagramsArrivingTogetherAreHandledInOrder();
    void heldPortThrowsAndDestroysHandler();
    void portOutOfRangeIsRefused_data();
    void portOutOfRangeIsRefused();
    void destructionPrintsAndFreesPort();
    void clientSend_data();
    void clientSend();
    void clientRefusesBadDestinations_data();
    void clientRefusesBadDestinations();
    void oscdumpReadsWhatWeSend();
};

void TestOscServer::survivesMalformedDatagramsThenObeysOscsend()
{
    const quint16 port = freeLoopbackPort();
    QVERIFY(port != 0);
    ServerFixture fixture;
    auto server = fixture.start(port);

    const std::vector<MalformedDatagram> table = malformedDatagrams();
    QString expectedErrors;
    {
        StreamCapture errors(stderr);
        QUdpSocket sender;
        for (const MalformedDatagram& d : table) {
            QCOMPARE(sender.writeDatagram(d.bytes, QHostAddress::LocalHost, port), qint64(d.bytes.size()));
            expectedErrors += d.error + "\n";
        }
        QTRY_COMPARE(errors.text(), expectedErrors);
    }
    QCOMPARE(fixture.calls, QStringList());

    QProcess oscsend;
    oscsend.start("oscsend", {"127.0.0.1", QString::number(port), "/zarn/play"});
    QVERIFY2(oscsend.waitForFinished(10000), "oscsend did not finish");
    QCOMPARE(oscsend.exitCode(), 0);
    QTRY_COMPARE(fixture.calls, (QStringList{"message /zarn/play", "play [] []"}));
}

void TestOscServer::datagramsArrivingTogetherAreHandledInOrder()
{
    const quint16 port = freeLoopbackPort();
    ServerFixture fixture;
    auto server = fixture.start(port);
    QUdpSocket sender;
    sender.writeDatagram(EncodeOscMessage("/zarn/song/1/play"), QHostAddress::LocalHost, port);
    sender.writeDatagram(EncodeOscMessage("/zarn/pause"), QHostAddress::LocalHost, port);
    QTRY_COMPARE(fixture.calls.size(), 4);
    QCOMPARE(fixture.calls,
             (QStringList{"message /zarn/song/1/play", "play [] [1]", "message /zarn/pause", "pause [] []"}));
}

void TestOscServer::heldPortThrowsAndDestroysHandler()
{
    QUdpSocket holder;
    QVERIFY(holder.bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress));
    const quint16 port = holder.localPort();

    // What Qt says about the port in use, for comparison with the server's message.
    QUdpSocket second;
    QVERIFY(!second.bind(QHostAddress::LocalHost, port, QAbstractSocket::DefaultForPlatform));
    const QString qtText = second.errorString();

    ServerFixture fixture;
    try {
        fixture.start(port);
        QFAIL("binding a held port did not throw");
    } catch (const std::runtime_error& e) {
        QCOMPARE(QString::fromStdString(e.what()),
                 QString("Unable to bind to OSC server port %1: %2").arg(port).arg(qtText));
    }
    QVERIFY(fixture.handlerDestroyed);
}

void TestOscServer::portOutOfRangeIsRefused_data()
{
    QTest::addColumn<int>("port");
    QTest::newRow("zero") << 0;
    QTest::newRow("negative") << -1;
    QTest::newRow("above 16 bits") << 65536 + 55037; // would truncate to 55037
}

void TestOscServer::portOutOfRangeIsRefused()
{
    QFETCH(int, port);
    ServerFixture fixture;
    try {
        fixture.start(port);
        QFAIL("an out-of-range port was accepted");
    } catch (const std::runtime_error& e) {
        QCOMPARE(QString::fromStdString(e.what()),
                 QString("Unable to bind to OSC server port %1: the port must be between 1 and 65535").arg(port));
    }
    QVERIFY(fixture.handlerDestroyed);
}

void TestOscServer::destructionPrintsAndFreesPort()
{
    const quint16 port = freeLoopbackPort();
    StreamCapture out(stdout);
    ServerFixture fixture;
    auto server = fixture.start(port);
    QCOMPARE(server->port(), port);
    QVERIFY(portIsHeld(port));
    server.reset();
    QVERIFY(fixture.handlerDestroyed);
    QVERIFY(!portIsHeld(port));
    QCOMPARE(out.text(), QString("****Opening port %1\n****Closing port %1\n").arg(port));
}

void TestOscServer::clientSend_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<QByteArray>("datagram");
    QTest::newRow("empty") << QString() << false << QByteArray();
    QTest::newRow("only spaces") << "    " << false << QByteArray();
    QTest::newRow("trailing spaces add no argument") << "/zarn/play   " << true << EncodeOscMessage("/zarn/play");
    QTest::newRow("arguments") << "/zarn/fadeto -6 2.5" << true << EncodeOscMessage("/zarn/fadeto -6 2.5");
}

void TestOscServer::clientSend()
{
    QFETCH(QString, command);
    QFETCH(bool, sent);
    QFETCH(QByteArray, datagram);

    QUdpSocket receiver;
    QVERIFY(receiver.bind(QHostAddress::LocalHost, 0));
    OscUdpClient client;
    QCOMPARE(client.send(command, QHostAddress::LocalHost, receiver.localPort()), sent);
    if (sent) {
        QTRY_VERIFY(receiver.hasPendingDatagrams());
        QByteArray received(receiver.pendingDatagramSize(), Qt::Uninitialized);
        receiver.readDatagram(received.data(), received.size());
        QCOMPARE(received.toHex(' '), datagram.toHex(' '));
    } else {
        QTest::qWait(20);
        QVERIFY(!receiver.hasPendingDatagrams());
    }
}

void TestOscServer::clientRefusesBadDestinations_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("errorLine");
    QTest::newRow("not an ip address") << "console.local" << 53000
                                        << "OSC send refused: the destination is not an IP address";
    QTest::newRow("port zero") << "127.0.0.1" << 0 << "OSC send refused: port 0 is not between 1 and 65535";
    QTest::newRow("port above 16 bits") << "127.0.0.1" << 70000
                                        << "OSC send refused: port 70000 is not between 1 and 65535";
}

void TestOscServer::clientRefusesBadDestinations()
{
    QFETCH(QString, address);
    QFETCH(int, port);
    QFETCH(QString, errorLine);
    StreamCapture errors(stderr);
    OscUdpClient client;
    QVERIFY(!client.send("/zarn/play", QHostAddress(address), port));
    const QString text = errors.text();
    QVERIFY2(text.startsWith(errorLine) && text.count('\n') == 1, qPrintable(text));
}

void TestOscServer::oscdumpReadsWhatWeSend()
{
    const quint16 port = freeLoopbackPort();
    QProcess oscdump;
    oscdump.start("oscdump", {"-L", QString::number(port)});
    QVERIFY2(oscdump.waitForStarted(5000), "oscdump did not start");
    QTRY_VERIFY_WITH_TIMEOUT(portIsHeld(port), 10000);

    OscUdpClient client;
    QVERIFY(client.send("/zarn/fadeto -6 2.5", QHostAddress::LocalHost, port));
    QVERIFY(client.send("/zarn/play", QHostAddress::LocalHost, port));

    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += oscdump.readAllStandardOutput()).count('\n') >= 2, 10000);
    const QByteArray errors = oscdump.readAllStandardError();
    oscdump.kill();
    oscdump.waitForFinished(5000);

    const QList<QByteArray> lines = output.trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    // oscdump starts each line with the message's time tag.
    const QRegularExpression timeTag("^[0-9a-f]+\\.[0-9a-f]+ ");
    QCOMPARE(QString::fromUtf8(lines[0]).remove(timeTag).trimmed(), QString("/zarn/fadeto if -6 2.500000"));
    QCOMPARE(QString::fromUtf8(lines[1]).remove(timeTag).trimmed(), QString("/zarn/play"));
    QVERIFY2(errors.isEmpty(), errors.constData());
}

QTEST_GUILESS_MAIN(TestOscServer)
#include "tst_osc_server.moc"
