// The Qt Quick libraries' sources add the QML engine and item classes to the Qt set.
#pragma once

#include "QtPrecompiled.h"

#include <QAbstractListModel>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
// What the QML compiler's generated C++ of every QML file includes.
#include <QtQml/qqmlprivate.h>
