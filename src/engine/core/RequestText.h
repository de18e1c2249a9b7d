#pragma once

#include <QString>
#include <QStringView>

// Texts that end up in the lines of a request. A line break in one of them
// would end its header line early and start a line of the sender's choosing.

// True when text holds a character below 32 (CR and LF among them) or DEL.
bool holdsControlCharacter(QStringView text);

// The text less its control characters: for cookies and user names as they
// are read from the window, where a pasted line break is never meant.
QString withoutControlCharacters(const QString &text);
