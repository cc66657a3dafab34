#include "platform/system/file_version.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;
using sys::FileVersion;

constexpr FileVersion kProbeVersion = {1, 2, 3, 4};
// Numbers that show a field read at the wrong width or byte order.
constexpr FileVersion kWide = {7, 0x10000, 0x01020304, 0xFFFFFFFF};

void Put(Bytes& bytes, std::size_t at, std::uint64_t value, std::size_t width) {
  if (bytes.size() < at + width) bytes.resize(at + width);
  for (std::size_t i = 0; i < width; ++i) {
    bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
  }
}

void Append(Bytes& bytes, std::uint64_t value, std::size_t width) {
  Put(bytes, bytes.size(), value, width);
}

// One note: header, name and descriptor, each padded to the alignment.
Bytes Note(std::string_view name, std::uint32_t type, const Bytes& descriptor,
           std::size_t alignment = 4) {
  Bytes note;
  Append(note, name.size(), 4);
  Append(note, descriptor.size(), 4);
  Append(note, type, 4);
  note.insert(note.end(), name.begin(), name.end());
  while (note.size() % alignment != 0) note.push_back(0);
  note.insert(note.end(), descriptor.begin(), descriptor.end());
  while (note.size() % alignment != 0) note.push_back(0);
  return note;
}

Bytes Numbers(const FileVersion& version) {
  Bytes bytes;
  for (const std::uint32_t n : version) Append(bytes, n, 4);
  return bytes;
}

constexpr std::string_view kOwner{"FileVersion\0", 12};

Bytes VersionNote(const FileVersion& version) { return Note(kOwner, 1, Numbers(version)); }

Bytes GnuNote(std::size_t alignment = 4) {
  return Note(std::string_view("GNU\0", 4), 3, Bytes(12, 0xAB), alignment);
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

enum class Tables { kSections, kSegments };

// Offsets inside the images that BuildElf makes.
constexpr std::size_t kNotesAt = 0x100;
constexpr std::size_t kDecoyAt = 0x200;
constexpr std::size_t kProgramHeadersAt = 0x300;
constexpr std::size_t kSectionHeadersAt = 0x400;

// A minimal little-endian ELF file whose notes are reachable either through a
// note section or through a note segment, not both. A version note with other
// numbers sits in a non-note section and segment, where it must not be found.
Bytes BuildElf(bool is64, Tables tables, const Bytes& notes, std::uint64_t alignment = 4) {
  const std::size_t word = is64 ? 8 : 4;
  Bytes elf = {0x7F, 'E', 'L', 'F', static_cast<unsigned char>(is64 ? 2 : 1), 1, 1};
  Put(elf, 16, 2, 2);                // executable
  Put(elf, 18, is64 ? 0x3E : 3, 2);  // x86-64 or i386
  Put(elf, 20, 1, 4);
  const std::size_t ph_offset = is64 ? 0x20 : 0x1C;
  const std::size_t sh_offset = is64 ? 0x28 : 0x20;
  const std::size_t sizes = is64 ? 0x36 : 0x2A;  // phentsize, phnum, shentsize, shnum
  const std::size_t ph_size = is64 ? 56 : 32;
  const std::size_t sh_size = is64 ? 64 : 40;
  Put(elf, sizes - 2, is64 ? 64 : 52, 2);

  elf.resize(kNotesAt);
  elf.insert(elf.end(), notes.begin(), notes.end());
  elf.resize(kDecoyAt);
  const Bytes decoy = VersionNote({9, 9, 9, 9});
  elf.insert(elf.end(), decoy.begin(), decoy.end());

  struct Area {
    std::uint32_t type;
    std::uint64_t offset, size, align;
  };
  if (tables == Tables::kSegments) {
    Put(elf, ph_offset, kProgramHeadersAt, word);
    Put(elf, sizes, ph_size, 2);
    Put(elf, sizes + 2, 2, 2);
    const Area segments[] = {{1, kDecoyAt, decoy.size(), 4},  // PT_LOAD
                             {4, kNotesAt, notes.size(), alignment}};
    std::size_t at = kProgramHeadersAt;
    for (const Area& s : segments) {
      Put(elf, at, s.type, 4);
      Put(elf, at + (is64 ? 8 : 4), s.offset, word);
      Put(elf, at + (is64 ? 32 : 16), s.size, word);
      Put(elf, at + (is64 ? 48 : 28), s.align, word);
      at += ph_size;
    }
    elf.resize(at);
  } else {
    Put(elf, sh_offset, kSectionHeadersAt, word);
    Put(elf, sizes + 4, sh_size, 2);
    Put(elf, sizes + 6, 3, 2);
    const Area sections[] = {{0, 0, 0, 0},
                             {1, kDecoyAt, decoy.size(), 4},  // SHT_PROGBITS
                             {7, kNotesAt, notes.size(), alignment}};
    std::size_t at = kSectionHeadersAt;
    for (const Area& s : sections) {
      Put(elf, at + 4, s.type, 4);
      Put(elf, at + (is64 ? 24 : 16), s.offset, word);
      Put(elf, at + (is64 ? 32 : 20), s.size, word);
      Put(elf, at + (is64 ? 48 : 32), s.align, word);
      at += sh_size;
    }
    elf.resize(at);
  }
  return elf;
}

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FileVersionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "file_version_test.XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
  }
  void TearDown() override { fs::remove_all(root_); }

  std::optional<FileVersion> ReadBytes(const Bytes& bytes) const {
    const std::string path = (root_ / "image").string();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return sys::ReadFileVersion(path);
  }

  fs::path root_;
};

TEST_F(FileVersionTest, ProbeExecutableCarriesItsNoteInBothTables) {
  EXPECT_EQ(sys::ReadFileVersion(VERSION_PROBE), kProbeVersion);

  const Bytes probe = ReadAll(VERSION_PROBE);
  ASSERT_GT(probe.size(), 64u);
  ASSERT_EQ(probe[4], 2) << "expects a 64-bit build";
  Bytes sections_only = probe;
  Put(sections_only, 0x38, 0, 2);  // e_phnum
  EXPECT_EQ(ReadBytes(sections_only), kProbeVersion);
  Bytes segments_only = probe;
  Put(segments_only, 0x28, 0, 8);  // e_shoff
  Put(segments_only, 0x3C, 0, 2);  // e_shnum
  EXPECT_EQ(ReadBytes(segments_only), kProbeVersion);
}

TEST_F(FileVersionTest, ProgramsWithoutTheNoteHaveNoVersion) {
  EXPECT_EQ(sys::ReadFileVersion("/proc/self/exe"), std::nullopt);
  EXPECT_EQ(sys::ReadFileVersion(TEST_EXECUTABLE_DIR "/CTestTestfile.cmake"), std::nullopt);
}

TEST_F(FileVersionTest, FindsTheNoteInEitherTableOfEitherClass) {
  const Bytes notes = Concat(GnuNote(), VersionNote(kWide));
  for (const bool is64 : {false, true}) {
    for (const Tables tables : {Tables::kSections, Tables::kSegments}) {
      EXPECT_EQ(ReadBytes(BuildElf(is64, tables, notes)), kWide)
          << "ELF" << (is64 ? 64 : 32) << (tables == Tables::kSections ? " sections" : " segments");
    }
  }
}

TEST_F(FileVersionTest, NotesInAnAreaAlignedTo8ArePaddedTo8) {
  const Bytes notes = Concat(GnuNote(8), VersionNote(kWide));
  for (const Tables tables : {Tables::kSections, Tables::kSegments}) {
    EXPECT_EQ(ReadBytes(BuildElf(true, tables, notes, 8)), kWide);
  }
}

TEST_F(FileVersionTest, OnlyTheExactNoteCounts) {
  const struct {
    const char* what;
    Bytes notes;
  } cases[] = {
      {"no notes (the decoy outside note areas is ignored)", {}},
      {"other owner", Note(std::string_view("FileVersioN\0", 12), 1, Numbers(kWide))},
      {"owner without terminator", Note("FileVersion", 1, Numbers(kWide))},
      {"other type", Note(kOwner, 2, Numbers(kWide))},
      {"three numbers", Note(kOwner, 1, Bytes(12, 1))},
      {"five numbers", Note(kOwner, 1, Bytes(20, 1))},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadBytes(BuildElf(true, Tables::kSections, c.notes)), std::nullopt) << c.what;
  }
}

TEST_F(FileVersionTest, FilesThatAreNotLittleEndianElfHaveNoVersion) {
  const Bytes valid = BuildElf(true, Tables::kSections, VersionNote(kWide));
  Bytes big_endian = valid;
  big_endian[5] = 2;
  Bytes unknown_class = valid;
  unknown_class[4] = 3;
  Bytes bad_magic = valid;
  bad_magic[1] = 'e';
  for (const Bytes& bytes :
       {Bytes{}, Bytes{'t', 'e', 'x', 't', '\n'}, big_endian, unknown_class, bad_magic}) {
    EXPECT_EQ(ReadBytes(bytes), std::nullopt);
  }
  EXPECT_EQ(sys::ReadFileVersion((root_ / "missing").string()), std::nullopt);
  EXPECT_EQ(sys::ReadFileVersion(root_.string()), std::nullopt);
}

TEST_F(FileVersionTest, TruncatedFilesHaveNoVersion) {
  const Bytes probe = ReadAll(VERSION_PROBE);
  EXPECT_EQ(ReadBytes(Bytes(probe.begin(), probe.begin() + 100)), std::nullopt);

  // In these images the table naming the note area lies at the end, so every
  // proper prefix loses it.
  for (const Tables tables : {Tables::kSections, Tables::kSegments}) {
    const Bytes image = BuildElf(true, tables, VersionNote(kWide));
    ASSERT_EQ(ReadBytes(image), kWide);
    for (std::size_t size = 0; size < image.size(); ++size) {
      ASSERT_EQ(ReadBytes(Bytes(image.begin(), image.begin() + static_cast<long>(size))),
                std::nullopt)
          << "prefix of " << size << " bytes";
    }
  }
}

TEST_F(FileVersionTest, DamagedOffsetsAndSizesAreRejectedOrSkipped) {
  constexpr std::size_t kNoteSection = kSectionHeadersAt + 2 * 64;
  constexpr std::uint64_t kHuge = 0xFFFFFFFFFFFFFF00;
  const struct {
    const char* what;
    std::size_t at, width;
    std::uint64_t value;
    std::optional<FileVersion> expected;
  } cases[] = {
      {"section table beyond the end", 0x28, 8, kHuge, std::nullopt},
      {"section entries too small", 0x3A, 2, 8, std::nullopt},
      {"note area beyond the end", kNoteSection + 24, 8, kHuge, std::nullopt},
      {"note area longer than the file", kNoteSection + 32, 8, kHuge, std::nullopt},
      {"owner name longer than the area", kNotesAt, 4, 0xFFFFFFFF, std::nullopt},
      {"descriptor longer than the area", kNotesAt + 4, 4, 0xFFFFFFF0, std::nullopt},
      {"section count past the table's end", 0x3C, 2, 0xFFFF, kWide},
      {"extended section count of zero", 0x3C, 2, 0, std::nullopt},
  };
  const Bytes valid = BuildElf(true, Tables::kSections, VersionNote(kWide));
  for (const auto& c : cases) {
    Bytes damaged = valid;
    Put(damaged, c.at, c.value, c.width);
    EXPECT_EQ(ReadBytes(damaged), c.expected) << c.what;
  }

  // The count from the first section header, as with more than 0xFFFF sections.
  Bytes extended = valid;
  Put(extended, 0x3C, 0, 2);
  Put(extended, kSectionHeadersAt + 32, 3, 8);
  EXPECT_EQ(ReadBytes(extended), kWide);
  Put(extended, kSectionHeadersAt + 32, kHuge, 8);
  EXPECT_EQ(ReadBytes(extended), kWide);
}

}  // namespace
