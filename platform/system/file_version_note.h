// Embeds a program's file version in its executable, where ReadFileVersion
// (file_version.h) finds it:
//
//   FILE_VERSION_NOTE(1, 0, 0, 1)
//
// at namespace scope in exactly one source file that is linked into the
// executable itself (an object left unreferenced in a static library is never
// pulled in). The record is an ELF note (owner "FileVersion", type 1, four
// little-endian 32-bit numbers) in the section ".note.file_version": the
// assembler gives a ".note" section the note type, and the linker keeps note
// sections even with --gc-sections.
#pragma once

#include <cstdint>

namespace sys {

// The in-file layout of one ELF note with a 12-byte owner name and a 16-byte
// descriptor; both sizes are multiples of 4, so no padding is needed.
struct FileVersionNote {
  std::uint32_t name_size;
  std::uint32_t descriptor_size;
  std::uint32_t type;
  char name[12];
  std::uint32_t version[4];
};

static_assert(sizeof(FileVersionNote) == 40);

}  // namespace sys

#define FILE_VERSION_NOTE(major, minor, release, build)                                  \
  __attribute__((used, section(".note.file_version"),                                    \
                 aligned(4))) static const ::sys::FileVersionNote file_version_note_ = { \
      12, 16, 1, "FileVersion", {major, minor, release, build}}
