#include "StatusBannerWriter.h"

#include <QColor>
#include <QLatin1String>
#include <QMetaObject>
#include <QObject>

namespace zarn::qt {

namespace {

QColor FlowControlColour(const QString& label)
{
    // The first kind named wins: a label naming both skip and repeat is a skip.
    const QString lower = label.toLower();
    if (lower.contains(QLatin1String("skip")))
        return QColor(QStringLiteral("#6e3493"));
    if (lower.contains(QLatin1String("repeat")))
        return QColor(QStringLiteral("#DAA520"));
    if (lower.contains(QLatin1String("vamp")))
        return QColor(QStringLiteral("#00BFFF"));
    if (lower.contains(QLatin1String("caesura")))
        return QColor(QStringLiteral("#DC143C"));
    return QColor(QStringLiteral("#333"));
}

} // namespace

StatusBannerWriter::StatusBannerWriter(QObject* window)
    : window_(window)
{
}

bool StatusBannerWriter::Write(int id, int value, const QString& text)
{
    switch (id) {
    case 4:
        SetFlowControl(value, text);
        return true;
    case 5:
        Set("key", text);
        return true;
    case 6:
        Set("tempo", text);
        return true;
    case 7:
        Set("meter", text);
        return true;
    case 8:
        Set("transpose", QString::number(value));
        return true;
    case 9:
        Set("tempoScale", text);
        return true;
    case 10:
        // A text shorter than the part asked for is taken whole.
        Set("beat", text.right(2));
        Set("measure", text.left(4));
        return true;
    case 14:
        Set("songTitle", text);
        return true;
    case 21:
        Set("volumeLevelPercent", value / 1000.0);
        return true;
    default:
        return false;
    }
}

void StatusBannerWriter::SetFlowControl(int value, const QString& text)
{
    const QString label = text == QLatin1String("ClearPickupBeat") ? QString() : text;
    Set("flowControlLabel", label);
    Set("flowControlValue", !label.isEmpty() && value != 0 ? QString::number(value) : QString());
    Set("flowControlBackgroundColor", FlowControlColour(label));
}

void StatusBannerWriter::SetContinueHighlight(bool highlight)
{
    Set("highlightContinueButton", highlight);
}

void StatusBannerWriter::Flash(const char* bannerFunction)
{
    if (!window_)
        return;
    if (auto* banner = window_->property("statusBannerControl").value<QObject*>())
        QMetaObject::invokeMethod(banner, bannerFunction, Qt::AutoConnection);
}

void StatusBannerWriter::Set(const char* name, const QVariant& value)
{
    if (window_)
        window_->setProperty(name, value);
}

} // namespace zarn::qt
