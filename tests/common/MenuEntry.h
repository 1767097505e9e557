#pragma once

#include <QString>

class QObject;
class QQuickItem;

// The entry of a Qt Quick Controls menu whose text is `title`; null when it has none.
QQuickItem* MenuEntry(QObject* menu, const QString& title);
