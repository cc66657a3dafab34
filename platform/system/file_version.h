// The file version that an executable carries as a note (see
// file_version_note.h for how a program embeds it).
//
// All functions may be called from any thread.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace sys {

// Major, minor, release, build.
using FileVersion = std::array<std::uint32_t, 4>;

// The version stored in a little-endian ELF file (32- or 64-bit): the first
// note with owner "FileVersion" and type 1 in a note section or, when the
// section headers yield none, in a note segment. nullopt when the file cannot
// be read, is not such an ELF file, is damaged or has no such note. Never
// throws on file contents.
std::optional<FileVersion> ReadFileVersion(const std::string& path);

}  // namespace sys
