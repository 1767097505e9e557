#include "ViewWindow.h"

#include "QmlModuleLoader.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <stdexcept>

ViewWindow::ViewWindow(const QString& type, const QString& properties, int width, int height)
    : engine(std::make_unique<QQmlEngine>())
{
    zarn::qt::QmlModuleLoader::PrepareEngine(*engine);
    const QString source = QStringLiteral("import QtQuick\nimport com.lanternhillstudios.musical_ui\n"
                                          "Window { width: %1; height: %2\n %3 { objectName: \"view\"; "
                                          "anchors.fill: parent\n %4 } }")
                               .arg(width).arg(height).arg(type, properties);
    QQmlComponent component(engine.get());
    component.setData(source.toUtf8(), QUrl(QStringLiteral("qrc:/view_window.qml")));
    QObject* root = component.create();
    if (!root)
        throw std::runtime_error(component.errorString().toStdString());
    window.reset(qobject_cast<QQuickWindow*>(root));
    if (!window)
        throw std::runtime_error("the view window is not a window");
    // Items declared in a Window are its QObject children, not its content item's.
    view = window->findChild<QQuickItem*>(QStringLiteral("view"));
    if (!view)
        throw std::runtime_error("the view window holds no view");
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        throw std::runtime_error("the view window was not shown");
}

ViewWindow::~ViewWindow()
{
    window.reset();
    engine.reset();
}

QQuickItem* ViewWindow::List() const
{
    auto* list = view->findChild<QQuickItem*>(QStringLiteral("list"));
    if (!list)
        throw std::runtime_error("the view has no inner list named \"list\"");
    return list;
}

QQuickItem* ViewWindow::InRow(int row, const char* objectName) const
{
    QQuickItem* list = List();
    list->ensurePolished();
    QQuickItem* delegate = nullptr;
    QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, delegate), Q_ARG(int, row));
    if (!delegate || !objectName)
        return delegate;
    return delegate->findChild<QQuickItem*>(QString::fromLatin1(objectName));
}

QPoint ViewWindow::RowCentre(int row, const char* objectName) const
{
    QQuickItem* target = InRow(row, objectName);
    if (!target)
        throw std::runtime_error("row " + std::to_string(row) + " has no " +
                                 (objectName ? objectName : "delegate"));
    return target->mapToScene(QPointF(target->width() / 2, target->height() / 2)).toPoint();
}
