#pragma once

#include "OscProcInterface.h"

#include <QString>
#include <QStringList>

#include <functional>

// Writes every call it receives as one line of text, so a test compares whole call lists.
class RecordingHandler : public zarn::osc::OscProcInterface
{
public:
    explicit RecordingHandler(QStringList* calls, std::function<void()> onDestroyed = {})
        : calls_(calls), onDestroyed_(std::move(onDestroyed)) {}
    ~RecordingHandler() override
    {
        if (onDestroyed_)
            onDestroyed_();
    }

    void OnStop(const std::string& show, const std::string& song) override { add("stop", show, song); }
    void OnPlay(const std::string& show, const std::string& song) override { add("play", show, song); }
    void OnFadeOut(const std::string& show, const std::string& song, float seconds) override
    {
        add("fadeout", show, song, num(seconds));
    }
    void OnFadeTo(const std::string& show, const std::string& song, float seconds, float gain, bool next) override
    {
        add("fadeto", show, song, num(seconds), num(gain), next ? "next" : "stay");
    }
    void OnVolume(float gain) override { *calls_ << "volume " + num(gain); }
    void OnAdvance(const std::string& show, const std::string& song) override { add("advance", show, song); }
    void OnPause(const std::string& show, const std::string& song) override { add("pause", show, song); }
    void OnEventAdvance(const std::string& show, const std::string& song, const std::string& id) override
    {
        add("eventAdvance", show, song, QString::fromStdString(id));
    }
    void OnError(const std::string& detail, const std::string& context) override
    {
        *calls_ << QString("error %1: %2").arg(QString::fromStdString(context), QString::fromStdString(detail));
    }
    void OnSfxPlay(const std::string& show, const std::string& id) override { add("sfxPlay", show, id); }
    void OnSfxStop(const std::string& show, const std::string& id) override { add("sfxStop", show, id); }
    void OnSfxStopAll(const std::string& show) override { *calls_ << "sfxStopAll [" + QString::fromStdString(show) + "]"; }
    void OnMessage(const zarn::osc::OscMessage& message) override
    {
        *calls_ << "message " + QString::fromStdString(message.address);
    }
    void OnSfxFadeTo(const std::string& show, const std::string& id, double gain, float ms) override
    {
        add("sfxFadeTo", show, id, num(gain), num(ms));
    }

    // Numbers with six significant digits, so a gain computed in float or double compares.
    static QString num(double value) { return QString::number(value, 'g', 6); }

private:
    void add(const QString& what, const std::string& show, const std::string& song, const QString& a = {},
             const QString& b = {}, const QString& c = {})
    {
        QString line = QString("%1 [%2] [%3]").arg(what, QString::fromStdString(show), QString::fromStdString(song));
        for (const QString& extra : {a, b, c})
            if (!extra.isEmpty())
                line += " " + extra;
        *calls_ << line;
    }

    QStringList* calls_;
    std::function<void()> onDestroyed_;
};
