#pragma once

#include <QString>

namespace skywell::tuner
{

// The window title; Skywell closes the tuner's window by it.
inline const QString kTunerTitle = QStringLiteral("Skywell Tuner");

// "Skywell Tuner", or "Skywell Tuner - <stream title>" when there is one.
inline QString windowTitleFor(const QString &streamTitle)
{
    return streamTitle.isEmpty() ? kTunerTitle : kTunerTitle + QStringLiteral(" - ") + streamTitle;
}

} // namespace skywell::tuner
