#pragma once

#include <QString>

// The request path and request text of one submission file.

// The address less its first 7 + length of the file host characters: the
// scheme and host are dropped by count, not by value.
QString fileRequestPath(const QString &url, const QString &fileHost);

// The whole HTTP/1.0 request, lines ended by CR LF, ending with a blank line.
// Control characters in the path or host are left out.
QString fileRequestText(const QString &filePath, const QString &fileHost);
