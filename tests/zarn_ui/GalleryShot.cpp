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
    QCOMPARE(view_->rendererInterface()->graphicsApi(), QSGRendererInterface::OpenGL);
    QVERIFY(QMetaObject::invokeMethod(view_->rootObject(), "showPopups"));
    // Images load and popups finish opening.
    QTest::qWait(800);
    shot_ = view_->grabWindow();
    QVERIFY(!shot_.isNull());
    QDir().mkpath(QFileInfo(pngFile).absolutePath());
    QVERIFY2(shot_.save(pngFile), qPrintable(pngFile));
    qInfo("gallery picture: %s", qPrintable(pngFile));
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
