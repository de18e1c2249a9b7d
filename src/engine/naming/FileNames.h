#pragma once

#include <QString>

// Local file names of downloaded submissions. These are pure functions of the
// address, the title, the naming option and the user name: the listing side
// (to skip files already on disk) and the transfer side (to name the file it
// fetches) must arrive at the same name from the same inputs.
//
// Text is one character per received byte (codes 0 to 255).

// The part of path after its last "/": the whole text when it holds none, an
// empty text when it ends with "/".
QString FName(const QString &path);

// One level of entity decoding: "&quot;" and "&lt;" vanish, "&gt;" becomes ">",
// "&amp;" becomes "&" (decoded last, so "&amp;gt;" gives "&gt;").
QString StripHTML(const QString &html);

// nameMode: -1 none selected (as "Title only"), 0 Original filename, 1 Title only,
// 2 Author - Title. currentUser is used as stored, less the characters a title
// loses. A title that leaves nothing after cleaning gives way to the file's own
// name from url, so that no title becomes a hidden ".png". The result is always a name the file
// system stores: no control characters, never empty, "." or ".." (the file's own name from url is
// used instead, then one made from url), and at most 255 bytes (a longer name is cut, keeping its
// extension, the same way every time).
QString MakeFileName(const QString &url, const QString &title, int nameMode,
                     const QString &currentUser);

// "Sketch (2).png" for "Sketch.png" and 2: the number goes before the
// extension, or at the end of a name without one, and the result is kept
// within the longest name the file system stores.
QString numberedName(const QString &name, int number);
