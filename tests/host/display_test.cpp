#include "host/display.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace host {
namespace {

TEST(Display, PipedProgressIsAtMostOneLinePerTenth) {
  std::ostringstream out, err;
  Display display(out, err, 0);
  display.Phase(502);
  display.ProgressMaximum(1000);
  for (int position = 2; position <= 1000; position += 2) display.ProgressPosition(position);
  display.Line("  Nowych: 3");
  display.ProgressMaximum(7);
  display.ProgressPosition(7);  // one jump past several tenths: one line
  display.Phase(999);
  display.ProgressMaximum(0);
  display.ProgressPosition(5);  // no maximum: nothing to say

  std::string expected = "== Towary ==\n";
  for (int tenth = 1; tenth <= 10; ++tenth) {
    expected += "progress: " + std::to_string(tenth * 10) + "% (" + std::to_string(tenth * 100) +
                "/1000)\n";
  }
  expected += "  Nowych: 3\nprogress: 100% (7/7)\n== 999 ==\n";
  EXPECT_EQ(out.str(), expected);
  EXPECT_EQ(err.str(), "");
}

TEST(Display, TerminalBarStaysBelowTheLines) {
  std::ostringstream out, err;
  Display display(out, err, 80);
  display.ProgressMaximum(4);
  display.ProgressPosition(1);
  display.Line("wiersz");
  display.Error("BŁĄD: x");
  display.ProgressPosition(4);
  display.Line("po fazie");
  display.Line("dalej");

  const std::string clear = "\r\033[K";
  const std::string bar0 = "\r[" + std::string(40, '-') + "]   0% 0/4\033[K";
  const std::string bar25 =
      "\r[" + std::string(10, '#') + std::string(30, '-') + "]  25% 1/4\033[K";
  const std::string bar100 = "\r[" + std::string(40, '#') + "] 100% 4/4\033[K";
  // A finished bar is cleared by the next line and not drawn again.
  EXPECT_EQ(out.str(), bar0 + bar25 + clear + "wiersz\n" + bar25 + clear + bar25 + bar100 + clear +
                           "po fazie\n" + "dalej\n");
  EXPECT_EQ(err.str(), "BŁĄD: x\n");
}

}  // namespace
}  // namespace host
