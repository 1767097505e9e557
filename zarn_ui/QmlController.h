#pragma once

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QVariantMap>

#include <string>

class QQmlEngine;
class QQuickItem;
class QQuickCloseEvent;

namespace zarn::qt {

// Base of the controllers that stand behind a QML window or item. It either loads its
// QML from a resource URL and owns what it created, or wraps an object that exists
// already (never deleting it). The controller itself has no Qt parent: its owner holds it.
//
// The loading form takes the parent the created object hangs from: an item parent makes a
// created item its child item (and a created window transient for the item's window); a
// window parent makes a created window its Qt child and transient window, as the tool windows
// are to the main window. What was created may go with that parent before the controller:
// it is held weakly, so the controller then neither uses nor deletes it again.
class QmlController : public QObject
{
    Q_OBJECT

public:
    QmlController(QQmlEngine* engine, const QUrl& url, QObject* parent, bool owns,
                  const QVariantMap& initialProperties);
    QmlController(QObject* object, QQmlEngine* engine);
    ~QmlController() override;

    void DeleteQmlObject();
    QObject* GetQmlObject() const;
    int GetX() const;
    int GetRightEdge() const;
    void SetZ(int z);
    void SetVisible(bool visible);
    // The root object's "currentIndex" as an int; -1 without an object or when it does not
    // read as a number.
    int ReadCurrentIndex() const;

signals:
    void information(std::string message, std::string title);
    void error(std::string message, std::string title);

public slots:
    void Closing_(QQuickCloseEvent* event);

protected:
    QQmlEngine* engine_ = nullptr;
    QPointer<QObject> qmlObject_;
    bool owns_ = true;
};

} // namespace zarn::qt
