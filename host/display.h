// What the person running solvo-host sees: the importer's lines on stdout,
// its errors on stderr, and its progress. On a terminal the progress is one
// bar redrawn in place below the lines; in a pipe or a file it is at most one
// line per tenth, so that the output stays readable. Main thread only.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace host {

class Display {
 public:
  // `columns` is the terminal's width; 0 when the output is not a terminal.
  Display(std::ostream& out, std::ostream& err, int columns);

  void Line(std::string_view text);
  void Error(std::string_view text);
  void Phase(std::int64_t code);
  void ProgressMaximum(std::int64_t maximum);
  void ProgressPosition(std::int64_t position);
  // Takes the bar off the screen; later lines start on a clean line.
  void EndProgress();

 private:
  int Percent() const;
  std::string BarText() const;
  void ClearBar();
  void DrawBar();

  std::ostream& out_;
  std::ostream& err_;
  int columns_;
  std::int64_t maximum_ = 0;
  std::int64_t position_ = 0;
  bool barActive_ = false;  // a phase is counting and its bar belongs on screen
  bool barShown_ = false;   // the bar is on the current terminal line
  int lastTenth_ = 0;       // pipes: the last tenth already reported
};

}  // namespace host
