#pragma once

#include "log/LogColors.h"

#include <QString>

#include <cstdint>

// Log lines are compared as "colour: text".
inline QString coloured(int32_t color, const QString &text)
{
    return QString::fromLatin1(color == LogRed     ? "red: "
                               : color == LogGreen ? "green: "
                               : color == LogBlack ? "black: "
                                                   : "other: ") +
           text;
}
