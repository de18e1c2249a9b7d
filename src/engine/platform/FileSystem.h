#pragma once

#include <QString>

// The three questions the program asks the file system. None of them fails:
// a path that cannot be examined counts as absent.
namespace FileSystem {
bool FileExists(const QString &path);
bool FolderExists(const QString &path);
// Text after the last "." of the last component ("/" or "\" separated), without the dot.
QString GetExtensionName(const QString &path);
} // namespace FileSystem
