#pragma once

#include "ReferenceServerProcess.h"
#include "ServerRootFixture.h"

#include <QString>
#include <QStringList>

#include <memory>

// One server over a fixture's root for a test: the reference server as a child process for the
// transport "http", nothing for "file" (the root's file:// address). An empty base means the
// server did not start; the reason is logged.
struct Served {
    std::unique_ptr<ReferenceServerProcess> process;
    QString base;
};

Served Serve(const ServerRootFixture& root, const QString& transport, const QStringList& extra = {});

// The transports Serve knows, as the rows of a QtTest data table with the column "transport".
void AddTransports();
