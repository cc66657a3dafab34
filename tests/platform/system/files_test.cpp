#include "platform/system/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// A fresh directory holding one of each kind of entry the queries tell apart.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "files_test.XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    std::ofstream(root_ / "file") << "x";
    fs::create_directory(root_ / "dir");
    fs::create_symlink(root_ / "file", root_ / "link_to_file");
    fs::create_directory_symlink(root_ / "dir", root_ / "link_to_dir");
    fs::create_symlink(root_ / "missing", root_ / "dangling");
    ASSERT_EQ(mkfifo((root_ / "fifo").c_str(), 0600), 0);
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string Path(const std::string& relative) const { return (root_ / relative).string(); }

  fs::path root_;
};

TEST_F(FilesTest, IsExistingNonDirectoryByKindOfEntry) {
  const struct {
    std::string relative;
    bool expected;
  } cases[] = {
      {"file", true},
      {"fifo", true},
      {"link_to_file", true},
      {"dir", false},
      {"dir/", false},
      {"link_to_dir", false},
      {"dangling", false},
      {"missing", false},
      {"file/inner", false},           // ENOTDIR
      {std::string(300, 'n'), false},  // ENAMETOOLONG
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sys::IsExistingNonDirectory(Path(c.relative)), c.expected) << c.relative;
  }
  EXPECT_FALSE(sys::IsExistingNonDirectory(""));
}

TEST_F(FilesTest, ListedAsNonDirectoryReadsTheParentsListing) {
  const struct {
    std::string relative;
    bool expected;
  } cases[] = {
      {"file", true}, {"fifo", true},     {"dangling", true},  // listed, whatever it points to
      {"dir", false}, {"missing", false}, {"dir/", false},    {"fil", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sys::ListedAsNonDirectory(Path(c.relative)), c.expected) << c.relative;
  }
  EXPECT_FALSE(sys::ListedAsNonDirectory("/tmp"));
}

// Marker files are looked up by their bare name in the working directory.
TEST_F(FilesTest, BareNamesAreLookedUpInTheWorkingDirectory) {
  const fs::path before = fs::current_path();
  fs::current_path(root_);
  const bool file = sys::IsExistingNonDirectory("file");
  const bool dir = sys::IsExistingNonDirectory("dir");
  const bool listed_file = sys::ListedAsNonDirectory("file");
  const bool listed_dir = sys::ListedAsNonDirectory("dir");
  fs::current_path(before);
  EXPECT_TRUE(file);
  EXPECT_FALSE(dir);
  EXPECT_TRUE(listed_file);
  EXPECT_FALSE(listed_dir);
}

// A directory that may be listed but not searched makes stat fail with EACCES
// for every entry, so only the listing can answer. Root is never refused, so
// the check runs in a child process that drops to an unprivileged user.
TEST_F(FilesTest, UnsearchableDirectoryIsDecidedByItsListing) {
  const fs::path locked = root_ / "locked";
  fs::create_directory(locked);
  std::ofstream(locked / "file") << "x";
  fs::create_directory(locked / "dir");
  fs::permissions(root_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

  constexpr int kSkipped = 100;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(kSkipped);
    struct stat info {};
    if (stat((locked / "file").c_str(), &info) == 0 || errno != EACCES) _exit(kSkipped);
    int failures = 0;
    if (!sys::IsExistingNonDirectory((locked / "file").string())) failures |= 1;
    if (sys::IsExistingNonDirectory((locked / "dir").string())) failures |= 2;
    if (sys::IsExistingNonDirectory((locked / "missing").string())) failures |= 4;
    _exit(failures);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  fs::permissions(locked, fs::perms::owner_all);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == kSkipped) GTEST_SKIP() << "cannot make stat fail with EACCES here";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "bits: 1 file not found, 2 dir taken as file, "
                                       "4 missing entry found";
}

TEST(ExecutablePath, NamesThisTestProgram) {
  const std::string path = sys::ExecutablePath();
  EXPECT_EQ(sys::DirectoryOf(path), std::string(TEST_EXECUTABLE_DIR) + "/");
  EXPECT_TRUE(sys::IsExistingNonDirectory(path));
}

TEST(DirectoryOf, KeepsEverythingUpToTheLastSlash) {
  const struct {
    const char* path;
    const char* expected;
  } cases[] = {
      {"/opt/imp/run", "/opt/imp/"},
      {"/opt/imp/", "/opt/imp/"},
      {"/run", "/"},
      {"imp/run", "imp/"},
      {"run", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(sys::DirectoryOf(c.path), c.expected) << c.path;
}

}  // namespace
