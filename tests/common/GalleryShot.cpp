#include "GalleryShot.h"

#include "IsolatedDataHome.h"
#include "QmlModuleLoader.h"

#include <QDir>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QRegularExpression>
#include <QSGRendererInterface>
#include <QtTest>

#include <iostream>
#include <memory>

namespace {

QQuickItem* FindInTree(QQuickItem* root, const QString& objectName)
{
    if (root->objectName() == objectName)
        return root;
    for (QQuickItem* child : root->childItems())
        if (QQuickItem* found = FindInTree(child, objectName))
            return found;
    return nullptr;
}

} // namespace

GalleryShot::GalleryShot() = default;
GalleryShot::~GalleryShot() = default;

void GalleryShot::Render(const QString& qmlFile, const QString& pngFile)
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        QSKIP("needs an X display with GL: run under xvfb-run");

    QTest::failOnWarning(QRegularExpression(QStringLiteral("\\.qml")));
    static IsolatedDataHome dataHome;
    view_ = std::make_unique<QQuickView>();
    zarn::qt::QmlModuleLoader::PrepareEngine(*view_->engine());
    view_->setSource(QUrl::fromLocalFile(qmlFile));
    QVERIFY2(view_->status() == QQuickView::Ready,
             qPrintable(view_->errors().isEmpty() ? QString() : view_->errors().first().toString()));
    view_->show();
    QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
    QVERIFY(QMetaObject::invokeMethod(view_->rootObject(), "showPopups"));
    Grab(view_.get(), pngFile, shot_);
}

void GalleryShot::Grab(QQuickWindow* window, const QString& pngFile, QImage& image)
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        QSKIP("needs an X display with GL: run under xvfb-run");
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(window->rendererInterface()->graphicsApi(), QSGRendererInterface::OpenGL);
    QTRY_VERIFY_WITH_TIMEOUT(Settled(window->contentItem()), 10000);
    // Renders a frame of the settled page.
    image = window->grabWindow();
    QVERIFY(!image.isNull());
    QDir().mkpath(QFileInfo(pngFile).absolutePath());
    QVERIFY2(image.save(pngFile), qPrintable(pngFile));
    qInfo("picture: %s", qPrintable(pngFile));
}

bool GalleryShot::Settled(QQuickItem* item)
{
    if (item->inherits("QQuickImageBase") && item->property("status").toInt() == 2 /* Loading */)
        return false;
    // Popups hang off the items that declare them, not the visual tree.
    for (QObject* object : item->findChildren<QObject*>()) {
        if (object->inherits("QQuickPopup") && object->property("visible").toBool()
            && !object->property("opened").toBool())
            return false;
    }
    for (QQuickItem* child : item->childItems())
        if (!Settled(child))
            return false;
    return true;
}

QQuickItem* GalleryShot::Root() const
{
    return view_ ? view_->rootObject() : nullptr;
}

QQuickItem* GalleryShot::FindItem(const QString& objectName) const
{
    QQuickItem* root = Root();
    return root ? FindInTree(root, objectName) : nullptr;
}

bool GalleryShot::FreshFrame(QQuickWindow* window, int timeoutMs)
{
    // The signal comes from the render thread and is queued to this one: a delivery already
    // on its way when the wait ends must find the flag still there.
    const auto swapped = std::make_shared<bool>(false);
    const auto connection =
        QObject::connect(window, &QQuickWindow::frameSwapped, window, [swapped] { *swapped = true; });
    window->update();
    const bool framed = QTest::qWaitFor([swapped] { return *swapped; }, timeoutMs);
    QObject::disconnect(connection);
    return framed;
}

bool GalleryShot::ShowAndSave(QQuickWindow* window, const QString& folder, const QString& name)
{
    window->show();
    if (!QTest::qWaitForWindowExposed(window)) {
        std::cerr << name.toStdString() << ": the window was not exposed\n";
        return false;
    }
    QTest::qWaitFor([&] { return Settled(window->contentItem()); }, 3000);
    const bool framed = FreshFrame(window);
    const QImage image = window->grabWindow();
    const QString path = QDir(folder).filePath(name);
    if (!framed || image.isNull() || !image.save(path)) {
        std::cerr << "could not save " << path.toStdString() << "\n";
        return false;
    }
    std::cout << path.toStdString() << " " << image.width() << "x" << image.height() << " \""
              << window->title().toStdString() << "\"\n";
    return true;
}
