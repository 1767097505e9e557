#pragma once

#include "QmlModuleLoader.h"
#include "WavFile.h"

#include <QPointF>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QString>
#include <QTest>

#include <cmath>
#include <memory>
#include <vector>

namespace zarn::testing {

// A sine tone of the given length as a 16-bit mono WAV at 48 kHz: a sound effect to pack,
// list and audition.
inline void WriteTone(const QString& path, double seconds, double frequency)
{
    const int rate = 48000;
    std::vector<int16_t> samples(std::size_t(seconds * rate));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(8000.0 * std::sin(2.0 * M_PI * frequency * double(i) / rate));
    zarn::audio::WavFile::Save(path.toStdString(), rate, 1, samples);
}

// Searches the visual tree: the rows a list makes have no object parent to find them by.
inline QQuickItem* FindItem(QQuickItem* root, const QString& name)
{
    if (!root)
        return nullptr;
    if (root->objectName() == name)
        return root;
    for (QQuickItem* child : root->childItems()) {
        if (QQuickItem* found = FindItem(child, name))
            return found;
    }
    return nullptr;
}

inline QQuickItem* FindItem(QQuickWindow* window, const QString& name)
{
    return window ? FindItem(window->contentItem(), name) : nullptr;
}

// A left click on a shown, enabled item, at its centre unless a point is given.
inline bool Click(QQuickItem* item, QPointF at = QPointF(-1, -1))
{
    if (!item || !item->window() || !item->isVisible() || !item->isEnabled())
        return false;
    if (at.x() < 0)
        at = QPointF(item->width() / 2, item->height() / 2);
    QTest::mouseClick(item->window(), Qt::LeftButton, Qt::NoModifier, item->mapToScene(at).toPoint());
    return true;
}

// One type of the control module, created bare in the engine; null (with the reason as a
// warning) when it does not load.
inline std::unique_ptr<QObject> CreateZarnUi(QQmlEngine& engine, const QString& type)
{
    QQmlComponent component(&engine);
    zarn::qt::QmlModuleLoader::LoadFromModule(component, zarn::qt::QmlModuleLoader::kZarnUiModule, type);
    std::unique_ptr<QObject> object(component.create());
    if (!object)
        qWarning("%s", qPrintable(component.errorString()));
    return object;
}

} // namespace zarn::testing
