#include "host/display.h"

#include <algorithm>

#include "host/phase_names.h"

namespace host {

namespace {

// Room for "[", "] 100% " and two counts of up to seven digits.
constexpr int kBarDecoration = 24;
constexpr int kMinBarCells = 10;
constexpr int kMaxBarCells = 40;

}  // namespace

Display::Display(std::ostream& out, std::ostream& err, int columns)
    : out_(out), err_(err), columns_(columns) {}

int Display::Percent() const {
  if (maximum_ <= 0) return 0;
  return static_cast<int>(std::clamp<std::int64_t>(position_ * 100 / maximum_, 0, 100));
}

std::string Display::BarText() const {
  const int cells = std::clamp(columns_ - kBarDecoration, kMinBarCells, kMaxBarCells);
  const int filled = Percent() * cells / 100;
  std::string bar = "[";
  bar.append(static_cast<std::size_t>(filled), '#');
  bar.append(static_cast<std::size_t>(cells - filled), '-');
  std::string percent = std::to_string(Percent());
  percent.insert(0, 3 - std::min<std::size_t>(3, percent.size()), ' ');
  bar += "] " + percent + "% " + std::to_string(position_) + "/" + std::to_string(maximum_);
  return bar;
}

void Display::ClearBar() {
  if (!barShown_) return;
  out_ << "\r\033[K" << std::flush;
  barShown_ = false;
}

void Display::DrawBar() {
  out_ << '\r' << BarText() << "\033[K" << std::flush;
  barShown_ = true;
}

void Display::Line(std::string_view text) {
  ClearBar();
  out_ << text << '\n';
  // A finished bar goes with the phase it counted; the next lines are the
  // phase's summary.
  if (barActive_ && position_ >= maximum_) barActive_ = false;
  if (barActive_) {
    DrawBar();
  } else {
    out_ << std::flush;
  }
}

void Display::Error(std::string_view text) {
  const bool redraw = barShown_;
  ClearBar();
  err_ << text << '\n' << std::flush;
  if (redraw) DrawBar();
}

void Display::Phase(std::int64_t code) {
  const char* name = PhaseName(code);
  Line("== " + (name != nullptr ? std::string(name) : std::to_string(code)) + " ==");
}

void Display::ProgressMaximum(std::int64_t maximum) {
  maximum_ = maximum;
  position_ = 0;
  lastTenth_ = 0;
  if (columns_ > 0) {
    barActive_ = maximum > 0;
    if (barActive_) DrawBar();
  }
}

void Display::ProgressPosition(std::int64_t position) {
  position_ = position;
  if (columns_ > 0) {
    if (barActive_) DrawBar();
    return;
  }
  const int tenth = Percent() / 10;
  if (tenth > lastTenth_) {
    lastTenth_ = tenth;
    out_ << "progress: " << tenth * 10 << "% (" << position_ << "/" << maximum_ << ")\n"
         << std::flush;
  }
}

void Display::EndProgress() {
  ClearBar();
  barActive_ = false;
}

}  // namespace host
