#include "app/pliki.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

TEST(Pliki, PlikIstniejeIWersjaPliku) {
  std::string wzor = (fs::temp_directory_path() / "pliki_test.XXXXXX").string();
  ASSERT_NE(mkdtemp(wzor.data()), nullptr);
  const fs::path katalog = wzor;
  const std::string plik = (katalog / "debug_import.txt").string();
  std::ofstream(plik) << "x";

  EXPECT_TRUE(PlikIstnieje(plik));
  EXPECT_FALSE(PlikIstnieje(katalog.string()));
  EXPECT_FALSE(PlikIstnieje((katalog / "brak.txt").string()));

  EXPECT_EQ(WersjaPliku(VERSION_PROBE), "1.2.3.4");
  EXPECT_EQ(WersjaPliku(plik), "");
  EXPECT_EQ(WersjaPliku("/proc/self/exe"), "");

  fs::remove_all(katalog);
}

}  // namespace
