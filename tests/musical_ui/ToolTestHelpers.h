#pragma once

#include "EditToolController.h"

#include <QMetaObject>
#include <QObject>
#include <QPointF>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QString>
#include <QTest>

#include <string>

// What the tool tests and the tool pictures do to an event tool's window, as its user does it,
// and what they read back.

// The window's (or item's) descendant of that object name; a name the window does not hold
// ends the test program, as no test can go on without it.
inline QObject* Child(QObject* parent, const QString& name)
{
    auto* child = parent ? parent->findChild<QObject*>(name) : nullptr;
    if (!child)
        qFatal("no %s", qPrintable(name));
    return child;
}

inline QQuickWindow* WindowOf(const zarn::qt::EditToolController* tool)
{
    return tool ? qobject_cast<QQuickWindow*>(tool->GetQmlObject()) : nullptr;
}

// A left click in the item's middle.
inline void ClickItem(QQuickItem* item)
{
    QVERIFY(item);
    const QPoint centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
    QTest::mouseClick(item->window(), Qt::LeftButton, {}, centre);
}

// A bar row chosen in the bar picker of a side ("in" or "out") as the user chooses it, which
// gives that side's beat picker the bar's beats, then a beat position in that beat picker.
inline void Choose(QObject* window, const QString& side, int barRow, int beatPosition)
{
    QObject* bar = Child(window, side + QStringLiteral("BarInput"));
    bar->setProperty("currentIndex", barRow);
    QMetaObject::invokeMethod(bar, "activated", Q_ARG(int, barRow));
    Child(window, side + QStringLiteral("BeatInput"))->setProperty("currentIndex", beatPosition);
}

// The one error an edit controller's error(text, title) spy saw, as "title: text"; how many
// there were when not exactly one.
inline QString OnlyError(const QSignalSpy& errors)
{
    if (errors.size() != 1)
        return QStringLiteral("%1 errors").arg(errors.size());
    return QString::fromStdString(errors.at(0).at(1).value<std::string>() + ": "
                                  + errors.at(0).at(0).value<std::string>());
}
