#include "Served.h"

#include <QtTest>

Served Serve(const ServerRootFixture& root, const QString& transport, const QStringList& extra)
{
    Served served;
    if (transport == QLatin1String("file")) {
        served.base = root.FileBase();
        return served;
    }
    served.process = std::make_unique<ReferenceServerProcess>(root.Root(), extra);
    QString error;
    if (!served.process->Start(&error)) {
        qWarning("%s", qPrintable(error));
        return served;
    }
    served.base = served.process->BaseUrl();
    return served;
}

void AddTransports()
{
    QTest::addColumn<QString>("transport");
    QTest::newRow("http") << "http";
    QTest::newRow("file") << "file";
}
