#include "QmlController.h"

#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlProperty>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSet>

#include <iostream>
#include <memory>
#include <stdexcept>

namespace zarn::qt {

namespace {

// Components kept per engine and URL. The timeline makes thousands of items from a handful of
// files on every song load, and setting up a component for each item took as long again as
// creating the items. The cache is a child of the engine, so it goes with it.
QQmlComponent* CachedComponent(QQmlEngine* engine, const QUrl& url)
{
    static const QString kCacheName = QStringLiteral("corvaneComponentCache");
    QObject* cache = engine->findChild<QObject*>(kCacheName, Qt::FindDirectChildrenOnly);
    if (!cache) {
        cache = new QObject(engine);
        cache->setObjectName(kCacheName);
    }
    const QString key = url.toString();
    auto* component = cache->findChild<QQmlComponent*>(key, Qt::FindDirectChildrenOnly);
    if (!component) {
        component = new QQmlComponent(engine, url, cache);
        component->setObjectName(key);
    }
    return component;
}

// A component cannot start a second object before it has completed the first: an item whose
// completion creates another of its own kind gets a component of its own.
QSet<QQmlComponent*>& ComponentsCreating()
{
    static QSet<QQmlComponent*> creating;
    return creating;
}

} // namespace

QmlController::QmlController(QQmlEngine* engine, const QUrl& url, QObject* parent, bool owns,
                             const QVariantMap& initialProperties)
    : QObject(nullptr), engine_(engine)
{
    std::unique_ptr<QQmlComponent> ownComponent;
    QQmlComponent* component = CachedComponent(engine, url);
    if (ComponentsCreating().contains(component)) {
        ownComponent = std::make_unique<QQmlComponent>(engine, url);
        component = ownComponent.get();
    }
    if (component->isError()) {
        std::string text;
        for (const QQmlError& e : component->errors())
            text += e.toString().toStdString() + "\n";
        std::cerr << text << std::endl;
        return;
    }

    QObject* created = component->beginCreate(engine->rootContext());
    if (!created) {
        std::cerr << "Failed to create " << url.toString().toStdString() << "\n";
        for (const QQmlError& e : component->errors())
            std::cerr << e.toString().toStdString() << "\n";
        owns_ = false;
        return;
    }
    qmlObject_ = created;
    ComponentsCreating().insert(component);

    // Set before completion so the QML's own Component.onCompleted already sees them.
    component->setInitialProperties(created, initialProperties);
    owns_ = owns;
    if (parent) {
        // QObject's own setParent: QWindow's overload would embed a window into its parent.
        created->setParent(parent);
        auto* parentItem = qobject_cast<QQuickItem*>(parent);
        auto* parentWindow = qobject_cast<QWindow*>(parent);
        if (auto* window = qobject_cast<QWindow*>(created)) {
            // A window's transient parent is a window: the parent itself, or the one showing
            // the parent item.
            QWindow* transient = parentWindow ? parentWindow : parentItem ? parentItem->window() : nullptr;
            if (transient)
                window->setTransientParent(transient);
        } else {
            if (auto* item = qobject_cast<QQuickItem*>(created)) {
                if (parentItem)
                    item->setParentItem(parentItem);
                else if (auto* quickWindow = qobject_cast<QQuickWindow*>(parent))
                    item->setParentItem(quickWindow->contentItem());
            }
            created->setProperty("transientParent", parentItem ? QVariant::fromValue(parentItem)
                                                               : QVariant::fromValue(parent));
        }
    }
    component->completeCreate();
    ComponentsCreating().remove(component);
}

QmlController::QmlController(QObject* object, QQmlEngine* engine)
    : QObject(nullptr), engine_(engine), qmlObject_(object), owns_(false)
{
}

QmlController::~QmlController()
{
    DeleteQmlObject();
}

void QmlController::DeleteQmlObject()
{
    // An object that went with its parent already reads as null here.
    if (qmlObject_ && owns_) {
        qmlObject_->deleteLater();
        qmlObject_ = nullptr;
    }
}

QObject* QmlController::GetQmlObject() const
{
    return qmlObject_;
}

int QmlController::GetX() const
{
    return qmlObject_ ? qmlObject_->property("x").toInt() : 0;
}

int QmlController::GetRightEdge() const
{
    return qmlObject_ ? qmlObject_->property("x").toInt() + qmlObject_->property("width").toInt() : 0;
}

void QmlController::SetZ(int z)
{
    if (auto* item = qobject_cast<QQuickItem*>(qmlObject_))
        item->setZ(static_cast<double>(z));
}

void QmlController::SetVisible(bool visible)
{
    if (!qmlObject_)
        throw std::runtime_error("Cannot Set QML Object visible. Qml Object is null.");
    qmlObject_->setProperty("visible", visible);
}

int QmlController::ReadCurrentIndex() const
{
    if (!qmlObject_)
        return -1;
    bool ok = false;
    const int index = QQmlProperty::read(qmlObject_.data(), QStringLiteral("currentIndex")).toInt(&ok);
    return ok ? index : -1;
}

void QmlController::Closing_(QQuickCloseEvent*)
{
    DeleteQmlObject();
}

} // namespace zarn::qt
