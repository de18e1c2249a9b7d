#pragma once

#include <QString>

// Why a site user name cannot be used, or an empty text when it can. A name
// becomes a folder and part of file names, so it must not hold a path
// separator or name a folder of its own ("." and ".."), nor hold control
// characters, which also end up in request lines.
QString userNameProblem(const QString &name);
