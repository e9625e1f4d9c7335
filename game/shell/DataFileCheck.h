// Verification of the shipped property files against the checksums in the signature file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tilvan
{

// CRC-32 with the reflected polynomial 0xEDB88320, starting at 0 and without the final inversion.
uint32_t Checksum(size_t length, const unsigned char* bytes);
// Reads the file whole; false when it cannot be read or its checksum differs in any bit.
bool FileChecksumMatches(const std::string& path, uint32_t expected);
// Every "properties\*.xml" file (sub-folders skipped) against section "crc" of the signature
// file; the name of the first that fails, or "" when all pass (or there is no such folder).
std::string FindModifiedDataFile(const std::string& signatureFileName);

inline constexpr const char* kModifiedFilesMessage =
    "Some files are modified or missing. Game will not run. Try to re-install the game.";

} // namespace tilvan
