// Verification of the shipped property files against the checksums in the signature file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "data/DataChecksum.h"

namespace tilvan
{

// Reads the file whole; false when it cannot be read or its checksum differs in any bit.
bool FileChecksumMatches(const std::string& path, uint32_t expected);
// Every "properties\*.xml" file (sub-folders skipped) against section "crc" of the signature
// file. "" when all pass (or there is no such folder); otherwise what failed, for the log: the
// signature file missing, or the first file that does not match.
std::string FindModifiedDataFile(const std::string& signatureFileName);

inline constexpr const char* kModifiedFilesMessage =
    "Some files are modified or missing. Game will not run. Try to re-install the game.";

} // namespace tilvan
