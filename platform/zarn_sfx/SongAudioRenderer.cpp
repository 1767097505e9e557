#include "SongAudioRenderer.h"

#include "SongAudioWorker.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace zarn::audio {

SongAudioRenderer::SongAudioRenderer()
    : shared_(std::make_shared<Shared>())
{
    if (!QCoreApplication::instance()) {
        shared_->problem = "No application object: playing silently.";
        return;
    }
    thread_ = std::make_unique<QThread>();
    thread_->setObjectName(QStringLiteral("song audio"));
    worker_ = new SongAudioWorker(shared_); // deleted in Shutdown, after its thread ended
    worker_->moveToThread(thread_.get());
    thread_->start();
}

SongAudioRenderer::~SongAudioRenderer()
{
    Shutdown();
}

void SongAudioRenderer::Shutdown()
{
    if (!thread_)
        return;
    QMetaObject::invokeMethod(worker_, &SongAudioWorker::Teardown, Qt::BlockingQueuedConnection);
    thread_->quit();
    thread_->wait();
    delete worker_;
    worker_ = nullptr;
    thread_.reset();
}

void SongAudioRenderer::SetDevice(const std::string& uid)
{
    if (!worker_)
        return;
    const QByteArray id = QByteArray::fromStdString(uid);
    QMetaObject::invokeMethod(worker_, [w = worker_, id] { w->ApplyDevice(id); }, Qt::QueuedConnection);
}

void SongAudioRenderer::SetSource(const std::string& wavPath)
{
    if (!worker_)
        return;
    const QString path = QString::fromStdString(wavPath);
    QMetaObject::invokeMethod(worker_, [w = worker_, path] { w->ApplySource(path); }, Qt::QueuedConnection);
}

void SongAudioRenderer::Update(bool playing, double secondsIntoFile, double gain)
{
    shared_->seconds = secondsIntoFile;
    shared_->gain = gain;
    shared_->playing = playing;
}

bool SongAudioRenderer::IsActive() const
{
    return shared_->active.load();
}

long long SongAudioRenderer::FramesRendered() const
{
    return shared_->framesRendered.load();
}

std::string SongAudioRenderer::LastProblem() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->problem;
}

} // namespace zarn::audio
