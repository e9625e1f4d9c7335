// Path helpers on narrow strings, for paths written with '\' or '/' as the data and code have them.
#pragma once

#include <string>

namespace Olvarn
{

// Resolves the leading "." and ".." segments of a relative path against a base directory; a path
// with a drive ("c:...") is returned as it is. The result uses one separator throughout.
std::string ResolveRelativePath(const std::string& path, const std::string& base);

// The part after the last separator; withoutExtension drops the name's last ".ext".
std::string PathFileName(const std::string& path, bool withoutExtension);
// The part before the last separator (with it when asked); "" when there is none.
std::string PathDirectory(const std::string& path, bool withSeparator);

std::string StripTrailingSeparator(const std::string& path);
// "" for "", the path itself when it ends in a separator, else the path plus '\' or '/'.
std::string EnsureTrailingSeparator(const std::string& path, bool backslash);

// Creates every directory along the path; errors (an existing directory among them) are ignored.
void MakeDirectories(const std::string& path);
// Deletes a directory and everything under it. Keeps going past failures and reports any as false.
// A symbolic link inside is removed as a link; what it points to is left alone.
bool DeleteDirectoryTree(const std::string& dir);

} // namespace Olvarn
