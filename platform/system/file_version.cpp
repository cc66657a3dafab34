#include "platform/system/file_version.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace sys {

namespace {

// Every field below is decoded by hand from little-endian bytes, with its
// offset in the ELF32 or ELF64 layout, so that any byte offset taken from the
// file is checked against the file's size before it is used.

constexpr std::uint32_t kNoteSectionType = 7;  // SHT_NOTE
constexpr std::uint32_t kNoteSegmentType = 4;  // PT_NOTE
constexpr std::uint32_t kVersionNoteType = 1;
constexpr char kVersionNoteName[] = "FileVersion";  // compared with its terminator
constexpr std::uint64_t kNoteHeaderSize = 12;

class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const std::string& path)
      // Non-blocking, so that opening a FIFO by mistake does not hang.
      : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {
    struct stat info {};
    if (fd_ >= 0 && fstat(fd_, &info) == 0 && S_ISREG(info.st_mode)) {
      size_ = static_cast<std::uint64_t>(info.st_size);
      regular_ = true;
    }
  }
  ~ReadOnlyFile() {
    if (fd_ >= 0) close(fd_);
  }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  bool usable() const { return regular_; }
  std::uint64_t size() const { return size_; }

  // Exactly count bytes from offset; false when any of them lies past the end.
  bool Read(std::uint64_t offset, unsigned char* out, std::size_t count) const {
    if (offset > size_ || count > size_ - offset) return false;
    while (count > 0) {
      const ssize_t got = pread(fd_, out, count, static_cast<off_t>(offset));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
      out += got;
      count -= static_cast<std::size_t>(got);
      offset += static_cast<std::uint64_t>(got);
    }
    return true;
  }

 private:
  int fd_;
  std::uint64_t size_ = 0;
  bool regular_ = false;
};

std::uint64_t LittleEndian(const unsigned char* bytes, std::size_t width) {
  std::uint64_t value = 0;
  for (std::size_t i = width; i-- > 0;) value = value << 8 | bytes[i];
  return value;
}

std::uint32_t LittleEndian32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(LittleEndian(bytes, 4));
}

std::uint64_t AlignUp(std::uint64_t value, std::uint64_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

// Where the fields sit in one ELF class; "word" is 4 bytes in ELF32 and 8 in
// ELF64 (addresses, offsets, sizes).
struct ElfLayout {
  std::size_t word;
  std::size_t header_size;
  std::size_t ph_offset, sh_offset, ph_entry_size, ph_count, sh_entry_size, sh_count;
  std::size_t section_size;  // minimum size of one section header
  std::size_t section_type, section_offset, section_bytes, section_align, section_info;
  std::size_t segment_size;  // minimum size of one program header
  std::size_t segment_type, segment_offset, segment_bytes, segment_align;
};

constexpr ElfLayout kElf32 = {.word = 4,
                              .header_size = 52,
                              .ph_offset = 0x1C,
                              .sh_offset = 0x20,
                              .ph_entry_size = 0x2A,
                              .ph_count = 0x2C,
                              .sh_entry_size = 0x2E,
                              .sh_count = 0x30,
                              .section_size = 40,
                              .section_type = 4,
                              .section_offset = 16,
                              .section_bytes = 20,
                              .section_align = 32,
                              .section_info = 28,
                              .segment_size = 32,
                              .segment_type = 0,
                              .segment_offset = 4,
                              .segment_bytes = 16,
                              .segment_align = 28};
constexpr ElfLayout kElf64 = {.word = 8,
                              .header_size = 64,
                              .ph_offset = 0x20,
                              .sh_offset = 0x28,
                              .ph_entry_size = 0x36,
                              .ph_count = 0x38,
                              .sh_entry_size = 0x3A,
                              .sh_count = 0x3C,
                              .section_size = 64,
                              .section_type = 4,
                              .section_offset = 24,
                              .section_bytes = 32,
                              .section_align = 48,
                              .section_info = 44,
                              .segment_size = 56,
                              .segment_type = 0,
                              .segment_offset = 8,
                              .segment_bytes = 32,
                              .segment_align = 48};

struct Table {
  std::uint64_t offset = 0;
  std::uint64_t entry_size = 0;
  std::uint64_t count = 0;
};

// A span of the file holding a sequence of notes.
struct NoteArea {
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
  std::uint64_t alignment = 4;
};

class ElfFile {
 public:
  ElfFile(const ReadOnlyFile& file, const ElfLayout& layout) : file_(file), layout_(layout) {}

  bool ReadHeader() {
    unsigned char header[64] = {};
    if (!file_.Read(0, header, layout_.header_size)) return false;
    sections_ = {Word(header + layout_.sh_offset), Half(header + layout_.sh_entry_size),
                 Half(header + layout_.sh_count)};
    segments_ = {Word(header + layout_.ph_offset), Half(header + layout_.ph_entry_size),
                 Half(header + layout_.ph_count)};
    ResolveExtendedCounts();
    Clamp(sections_, layout_.section_size);
    Clamp(segments_, layout_.segment_size);
    return true;
  }

  std::optional<FileVersion> FromSections() const {
    unsigned char entry[64];
    for (std::uint64_t i = 0; i < sections_.count; ++i) {
      if (!file_.Read(sections_.offset + i * sections_.entry_size, entry, layout_.section_size)) {
        break;
      }
      if (LittleEndian32(entry + layout_.section_type) != kNoteSectionType) continue;
      const NoteArea area{Word(entry + layout_.section_offset), Word(entry + layout_.section_bytes),
                          Word(entry + layout_.section_align)};
      if (auto version = FindVersionNote(area)) return version;
    }
    return std::nullopt;
  }

  std::optional<FileVersion> FromSegments() const {
    unsigned char entry[56];
    for (std::uint64_t i = 0; i < segments_.count; ++i) {
      if (!file_.Read(segments_.offset + i * segments_.entry_size, entry, layout_.segment_size)) {
        break;
      }
      if (LittleEndian32(entry + layout_.segment_type) != kNoteSegmentType) continue;
      const NoteArea area{Word(entry + layout_.segment_offset), Word(entry + layout_.segment_bytes),
                          Word(entry + layout_.segment_align)};
      if (auto version = FindVersionNote(area)) return version;
    }
    return std::nullopt;
  }

 private:
  std::uint64_t Word(const unsigned char* bytes) const { return LittleEndian(bytes, layout_.word); }
  static std::uint64_t Half(const unsigned char* bytes) { return LittleEndian(bytes, 2); }

  // More than 0xFFFF sections, or 0xFFFF program headers, put the real count
  // into the first section header.
  void ResolveExtendedCounts() {
    constexpr std::uint64_t kProgramHeaderCountInSection = 0xFFFF;
    if (sections_.offset == 0) {
      sections_.count = 0;
      return;
    }
    if (sections_.count != 0 && segments_.count != kProgramHeaderCountInSection) return;
    unsigned char first[64];
    if (sections_.entry_size < layout_.section_size ||
        !file_.Read(sections_.offset, first, layout_.section_size)) {
      return;
    }
    if (sections_.count == 0) sections_.count = Word(first + layout_.section_bytes);
    if (segments_.count == kProgramHeaderCountInSection) {
      segments_.count = LittleEndian32(first + layout_.section_info);
    }
  }

  // Keeps only the entries that lie wholly inside the file, which also keeps
  // offset + i * entry_size from overflowing.
  void Clamp(Table& table, std::uint64_t minimum_entry_size) const {
    if (table.entry_size < minimum_entry_size || table.offset > file_.size()) {
      table.count = 0;
      return;
    }
    table.count = std::min(table.count, (file_.size() - table.offset) / table.entry_size);
  }

  std::optional<FileVersion> FindVersionNote(NoteArea area) const {
    if (area.offset > file_.size() || area.size > file_.size() - area.offset) return std::nullopt;
    // Notes are padded to 4 bytes, or to 8 in an area aligned to 8.
    const std::uint64_t alignment = area.alignment == 8 ? 8 : 4;
    std::uint64_t at = 0;
    while (area.size - at >= kNoteHeaderSize) {
      unsigned char header[kNoteHeaderSize];
      if (!file_.Read(area.offset + at, header, sizeof header)) return std::nullopt;
      const std::uint32_t name_size = LittleEndian32(header);
      const std::uint32_t descriptor_size = LittleEndian32(header + 4);
      const std::uint32_t type = LittleEndian32(header + 8);
      const std::uint64_t descriptor_at = AlignUp(kNoteHeaderSize + name_size, alignment);
      if (descriptor_at > area.size - at || descriptor_size > area.size - at - descriptor_at) {
        return std::nullopt;
      }
      if (type == kVersionNoteType && name_size == sizeof kVersionNoteName &&
          descriptor_size == 16) {
        unsigned char name[sizeof kVersionNoteName];
        unsigned char numbers[16];
        if (!file_.Read(area.offset + at + kNoteHeaderSize, name, sizeof name) ||
            !file_.Read(area.offset + at + descriptor_at, numbers, sizeof numbers)) {
          return std::nullopt;
        }
        if (std::memcmp(name, kVersionNoteName, sizeof name) == 0) {
          return FileVersion{LittleEndian32(numbers), LittleEndian32(numbers + 4),
                             LittleEndian32(numbers + 8), LittleEndian32(numbers + 12)};
        }
      }
      at += AlignUp(descriptor_at + descriptor_size, alignment);
    }
    return std::nullopt;
  }

  const ReadOnlyFile& file_;
  const ElfLayout& layout_;
  Table sections_;
  Table segments_;
};

}  // namespace

std::optional<FileVersion> ReadFileVersion(const std::string& path) {
  const ReadOnlyFile file(path);
  if (!file.usable()) return std::nullopt;

  constexpr unsigned char kMagic[] = {0x7F, 'E', 'L', 'F'};
  constexpr unsigned char kClass32 = 1, kClass64 = 2, kLittleEndian = 1;
  unsigned char ident[16];
  if (!file.Read(0, ident, sizeof ident) || std::memcmp(ident, kMagic, sizeof kMagic) != 0 ||
      ident[5] != kLittleEndian || (ident[4] != kClass32 && ident[4] != kClass64)) {
    return std::nullopt;
  }

  ElfFile elf(file, ident[4] == kClass64 ? kElf64 : kElf32);
  if (!elf.ReadHeader()) return std::nullopt;
  if (auto version = elf.FromSections()) return version;
  return elf.FromSegments();
}

}  // namespace sys
