#pragma once

#include "QmlController.h"

#include <QString>

class QQmlEngine;
class QQuickItem;

namespace zarn::qt {

// The modal window with the notices of the software components the product uses, read
// from a text resource of the build.
class AcknowledgementsWindowController : public QmlController
{
public:
    AcknowledgementsWindowController(QQuickItem* parent, QQmlEngine* engine, const QString& filePath);
};

} // namespace zarn::qt
