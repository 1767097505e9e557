#include "ReferenceServerProcess.h"
#include "ServerRootFixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QtTest>

namespace {

// One raw exchange, as a client that does not follow the rules would send it.
QByteArray Exchange(quint16 port, const QByteArray& request)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000)) {
        return {};
    }
    socket.write(request);
    socket.waitForBytesWritten(5000);
    QByteArray answer;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(5000)) {
        answer += socket.readAll();
    }
    answer += socket.readAll();
    return answer;
}

} // namespace

class ReferenceServerTest : public QObject {
    Q_OBJECT

private slots:
    void badRequests_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("status");
        const QByteArray auth = QByteArray("Authorization: Bearer ") + ServerRootFixture::kAuth + "\r\nX-Zarn-Product: 1\r\n";
        QTest::newRow("good") << QByteArray("GET /changelogs HTTP/1.1\r\nHost: x\r\n" + auth + "\r\n") << QByteArray("200");
        QTest::newRow("garbage") << QByteArray("HELLO\r\n\r\n") << QByteArray("400");
        QTest::newRow("no product") << QByteArray("GET /changelogs HTTP/1.1\r\nAuthorization: Bearer ")
                                           + ServerRootFixture::kAuth + "\r\n\r\n"
                                    << QByteArray("400");
        QTest::newRow("no credential") << QByteArray("GET /changelogs HTTP/1.1\r\n\r\n") << QByteArray("401");
        QTest::newRow("unknown route") << QByteArray("GET /admin HTTP/1.1\r\n" + auth + "\r\n") << QByteArray("404");
        QTest::newRow("escaping file") << QByteArray("GET /files/%2e%2e/server.json HTTP/1.1\r\n" + auth + "\r\n")
                                       << QByteArray("400");
        QTest::newRow("wrong method") << QByteArray("DELETE /changelogs HTTP/1.1\r\n" + auth + "\r\n") << QByteArray("405");
        QTest::newRow("huge upload") << QByteArray("POST /changelogs/9.0 HTTP/1.1\r\nContent-Length: 999999999\r\n" + auth
                                                   + "\r\n")
                                     << QByteArray("413");
        QTest::newRow("bad length") << QByteArray("POST /changelogs/9.0 HTTP/1.1\r\nContent-Length: -5\r\n" + auth + "\r\n")
                                    << QByteArray("400");
        QTest::newRow("header too large") << QByteArray("GET / HTTP/1.1\r\nX: " + QByteArray(70000, 'a')) << QByteArray("431");
    }
    void badRequests()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, status);
        ServerRootFixture root;
        ReferenceServerProcess server(root.Root());
        QString error;
        QVERIFY2(server.Start(&error), qPrintable(error));
        const QByteArray answer = Exchange(server.Port(), request);
        QVERIFY2(answer.startsWith("HTTP/1.1 " + status), answer.left(200).constData());
        QVERIFY(answer.contains("Content-Length: "));
        if (status != "200") {
            QVERIFY2(answer.contains("{\"error\":"), answer.constData()); // every refusal says why
        }
        // The server stays up for the next client.
        QVERIFY(Exchange(server.Port(), "GET /changelogs HTTP/1.1\r\n\r\n").startsWith("HTTP/1.1 401"));
    }

    // A link inside show/ that points out of it is neither listed nor served.
    void symlinkOutOfTheShow()
    {
        ServerRootFixture root;
        QVERIFY(QFile::link(QDir(root.Root()).filePath("server.json"), root.ShowFile("escape.json")));
        ReferenceServerProcess server(root.Root());
        QVERIFY(server.Start());
        const QByteArray auth = QByteArray("Authorization: Bearer ") + ServerRootFixture::kAuth + "\r\nX-Zarn-Product: 1\r\n";
        QVERIFY(Exchange(server.Port(), "GET /files/escape.json HTTP/1.1\r\n" + auth + "\r\n").startsWith("HTTP/1.1 404"));
        const QByteArray list = Exchange(server.Port(), "GET /show/files HTTP/1.1\r\n" + auth + "\r\n");
        QVERIFY(list.startsWith("HTTP/1.1 200"));
        QVERIFY(!list.contains("escape.json"));
    }

    void commandLine()
    {
        QProcess missingRoot;
        missingRoot.start(ReferenceServerProcess::ProgramPath(), {});
        QVERIFY(missingRoot.waitForFinished(10000));
        QCOMPARE(missingRoot.exitCode(), 2);
        QVERIFY(missingRoot.readAllStandardError().contains("--root"));

        // A credential given on the command line replaces server.json's.
        ServerRootFixture root;
        ReferenceServerProcess server(root.Root(), {"--auth", "other"});
        QVERIFY(server.Start());
        QVERIFY(Exchange(server.Port(), QByteArray("GET /changelogs HTTP/1.1\r\nAuthorization: Bearer ")
                                            + ServerRootFixture::kAuth + "\r\nX-Zarn-Product: 1\r\n\r\n")
                    .startsWith("HTTP/1.1 401"));
        QVERIFY(Exchange(server.Port(), "GET /changelogs HTTP/1.1\r\nAuthorization: Bearer other\r\nX-Zarn-Product: 1\r\n\r\n")
                    .startsWith("HTTP/1.1 200"));
    }
};

QTEST_GUILESS_MAIN(ReferenceServerTest)
#include "tst_referenceserver.moc"
