#include "EventInfoItem.h"

#include "zarn_core/ZarnEventCode.h"

#include <cctype>
#include <cmath>
#include <exception>
#include <iostream>
#include <limits>

namespace zarn::qt {

namespace {

std::string Trim(const std::string& text)
{
    const char* space = " \t\n\r\f\v";
    const auto first = text.find_first_not_of(space);
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(space);
    return text.substr(first, last - first + 1);
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string Lower(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// Halves away from zero, held to the int range: a factor far outside any sensible tempo
// scale (a damaged file) must still give a readable text, not undefined behaviour.
int RoundedPercent(float factor)
{
    const float p = factor * 100.0f;
    const double rounded = p >= 0 ? std::trunc(static_cast<double>(p) + 0.5)
                                  : std::trunc(static_cast<double>(p) - 0.5);
    if (std::isnan(rounded))
        return 0;
    if (rounded >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (rounded <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(rounded);
}

} // namespace

QString MakeOscDisplayText(const std::string& message)
{
    const std::string s = Trim(message);
    try {
        const std::string sfxPrefix = "/zarn/sfx/";
        if (StartsWith(s, sfxPrefix)) {
            const auto slash = s.find('/', sfxPrefix.size());
            if (slash == std::string::npos) {
                std::cerr << "Invalid format: Unable to find the ending '/'" << std::endl;
                return QString::fromStdString(s);
            }
            const std::string name = s.substr(sfxPrefix.size(), slash - sfxPrefix.size());
            const auto space = s.find(' ', slash + 1);
            std::string command = s.substr(slash + 1, space == std::string::npos
                                                          ? std::string::npos
                                                          : space - slash - 1);
            // Only an ASCII letter is raised: a UTF-8 lead byte must stay as it is.
            if (!command.empty() && command[0] >= 'a' && command[0] <= 'z')
                command[0] = static_cast<char>(command[0] - 'a' + 'A');
            const std::string lower = Lower(command);
            QString shown = QString::fromStdString(command);
            if (lower == "play")
                shown = QString(QChar(0x25B6));
            else if (lower == "stop")
                shown = QString(QChar(0x23F9));
            else if (lower == "fadeto")
                shown = QStringLiteral("Fade");
            return shown + QLatin1Char(' ') + QString::fromStdString(name);
        }
        if (StartsWith(s, "/zarn/volume"))
            return QStringLiteral("Volume Change");
        if (StartsWith(s, "/zarn/fadeto"))
            return QStringLiteral("Fade To...");
    } catch (const std::exception& e) {
        std::cerr << e.what() << std::endl;
    }
    return QString::fromStdString(s);
}

EventInfoItem MakeEventInfoItem(const cmn::ZarnEvent& event)
{
    EventInfoItem item;
    item.startTick = event.start();
    item.endTick = event.end();
    item.code = static_cast<unsigned char>(event.code());
    item.paired = event.IsPairedEvent();
    switch (event.code()) {
    case codes::Vamp:
    case codes::Repeat:
        item.text = event.int_value() != 0 ? QString::number(event.int_value()) + QLatin1Char('x')
                                           : QString(QChar(0x221E));
        break;
    case codes::Osc:
        item.text = MakeOscDisplayText(event.osc_properties().Message());
        break;
    case codes::Transpose:
        item.text = (event.int_value() >= 0 ? QStringLiteral("+") : QString())
                    + QString::number(event.int_value());
        break;
    case codes::TempoScale:
        item.text = QString::number(RoundedPercent(event.float_value())) + QLatin1Char('%');
        break;
    case codes::Sfx:
    case codes::AmbientSfx:
        item.text = QString::fromStdString(event.sfx_properties().name());
        break;
    default:
        break;
    }
    return item;
}

} // namespace zarn::qt
