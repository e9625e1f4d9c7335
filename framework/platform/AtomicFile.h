// Whole-file writes that a crash can never leave half done: what the player made, settings, caches.
#pragma once

#include <string>

namespace Olvarn
{

// What follows the target's name in a temporary file's name, before six random letters or digits.
inline constexpr const char* kTemporaryMarker = ".olvarn-tmp.";

// Writes the bytes to the native path through a temporary file in the same folder, flushed and
// renamed over the old file, then flushes the folder so the rename survives a crash too. On failure
// the old file is untouched, the temporary file is gone, and the error text (when asked for) names
// the step and the system's reason. Temporaries that an earlier, killed writer left behind are
// swept; no other file in the folder is touched.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* error = nullptr);

} // namespace Olvarn
