// reference_server --root DIR [--auth HEX] [--port N] [--base-path /api/v1]
// Serves a show server root on 127.0.0.1 and prints "LISTENING <port>" once it accepts.
#include "ReferenceServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Serves a show server root over HTTP on 127.0.0.1."));
    parser.addHelpOption();
    const QCommandLineOption root(QStringLiteral("root"), QStringLiteral("Server root folder."), QStringLiteral("DIR"));
    const QCommandLineOption auth(QStringLiteral("auth"), QStringLiteral("Accepted credential (default: server.json's)."),
                                  QStringLiteral("HEX"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port, 0 for any free one."),
                                  QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption failPath(QStringLiteral("fail-path"), QStringLiteral("Answer 500 for this path."),
                                      QStringLiteral("PATH"));
    const QCommandLineOption slowPath(QStringLiteral("slow-path"), QStringLiteral("Delay the answer for this path."),
                                      QStringLiteral("PATH"));
    const QCommandLineOption slowMs(QStringLiteral("slow-ms"), QStringLiteral("Delay in milliseconds."),
                                    QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption cutPath(QStringLiteral("cut-path"),
                                     QStringLiteral("Drop the connection halfway through this path's body."),
                                     QStringLiteral("PATH"));
    const QCommandLineOption canned(QStringLiteral("canned"),
                                    QStringLiteral("Answer PATH with the bytes of FILE (repeatable)."),
                                    QStringLiteral("PATH=FILE"));
    const QCommandLineOption basePath(QStringLiteral("base-path"),
                                      QStringLiteral("Serve the routes under this path, e.g. /api/v1."),
                                      QStringLiteral("PATH"));
    parser.addOptions({root, auth, port, basePath, failPath, slowPath, slowMs, cutPath, canned});
    parser.process(app);

    if (!parser.isSet(root)) {
        std::fprintf(stderr, "reference_server: --root DIR is required\n");
        return 2;
    }
    bool portOk = false;
    const uint portNumber = parser.value(port).toUInt(&portOk);
    if (!portOk || portNumber > 65535) {
        std::fprintf(stderr, "reference_server: --port must be 0 to 65535\n");
        return 2;
    }
    zarn::tools::ReferenceServerOptions options;
    options.root = parser.value(root);
    if (parser.isSet(auth)) {
        options.auth = parser.value(auth).toUtf8();
    }
    options.port = static_cast<quint16>(portNumber);
    options.basePath = parser.value(basePath);
    while (options.basePath.endsWith(QLatin1Char('/'))) {
        options.basePath.chop(1);
    }
    if (!options.basePath.isEmpty() && !options.basePath.startsWith(QLatin1Char('/'))) {
        options.basePath.prepend(QLatin1Char('/'));
    }
    options.failPath = parser.value(failPath);
    options.slowPath = parser.value(slowPath);
    options.slowMs = parser.value(slowMs).toInt();
    options.cutPath = parser.value(cutPath);
    for (const QString& item : parser.values(canned)) {
        const qsizetype split = item.indexOf(QLatin1Char('='));
        if (split <= 0) {
            std::fprintf(stderr, "reference_server: --canned takes PATH=FILE\n");
            return 2;
        }
        options.canned.insert(item.left(split), item.mid(split + 1));
    }

    zarn::tools::ReferenceServer server(options);
    server.Handler().Warm();
    QString error;
    if (!server.Listen(&error)) {
        std::fprintf(stderr, "reference_server: cannot listen: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("LISTENING %u\n", static_cast<unsigned>(server.Port()));
    std::fflush(stdout);
    return app.exec();
}
