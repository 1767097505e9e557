#include "MenuEntry.h"

#include <QMetaObject>
#include <QQuickItem>

QQuickItem* MenuEntry(QObject* menu, const QString& title)
{
    for (int i = 0; i < menu->property("count").toInt(); ++i) {
        QQuickItem* item = nullptr;
        QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem*, item), Q_ARG(int, i));
        if (item && item->property("text").toString() == title)
            return item;
    }
    return nullptr;
}
