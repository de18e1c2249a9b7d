#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>

// A broken property: report it and stop, so libFuzzer keeps the input.
#define FUZZ_CHECK(condition, detail)                                                              \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: %s\n  %s\n", __FILE__, __LINE__, #condition,              \
                         QString(detail).toUtf8().constData());                                    \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// Bytes as characters 0 to 255, the way the program reads the site's text.
inline QString latin1Text(const uint8_t *data, size_t size)
{
    return QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
}
