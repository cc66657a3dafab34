// Windows and window messages between processes of one user.
//
// A window is an endpoint: a Unix domain socket in the user's window
// directory, with a positive 32-bit handle and a caption by which other
// processes find it. A message is (number, wParam, lParam) with an optional
// UTF-8 text; a text message carries in wParam an atom number that the
// sender's layer assigns and in lParam the text's length in characters, and
// the receiver reads the text back from that atom.
//
// The window directory is $SOLVO_WINDOWS_DIR when set, otherwise
// $XDG_RUNTIME_DIR/solvo-windows, otherwise /tmp/solvo-windows-<uid>; it is
// created with mode 0700 so that no other user can reach the windows.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "platform/window/message_loop.h"

namespace win {

using Handle = std::int32_t;  // 0 is "no window"

struct Message {
  std::uint32_t msg = 0;
  std::int64_t wParam = 0;
  std::int64_t lParam = 0;
  std::optional<std::string> text;  // present when the message carries a text
  bool posted = false;              // queued by the sender, which is not waiting
};

// A window owned by the thread that runs `loop`; its handler runs there, one
// message at a time, and its result goes back to a waiting sender (a posted
// message's result is dropped). A handler must not throw; if it does, the
// error is logged and the result is 0.
class Window {
 public:
  using Handler = std::function<std::int64_t(const Message&)>;

  // Creates the endpoint. Raises std::system_error when it cannot.
  Window(MessageLoop& loop, std::string caption, Handler handler);
  // Removes the endpoint; later messages to its handle fail.
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  Handle GetHandle() const { return handle_; }
  const std::string& Caption() const { return caption_; }

 private:
  struct Impl;
  MessageLoop& loop_;
  std::string caption_;
  Handler handler_;
  Handle handle_ = 0;
  int listenFd_ = -1;
  std::string socketPath_;
  std::string captionPath_;
  std::thread::id ownerThread_;
  void OnReadable();
};

// How long SendMessage waits for a result by default.
inline constexpr std::chrono::milliseconds kDefaultSendTimeout{120'000};

// Delivers the message and waits for the handler's result. Returns nullopt
// when the window does not exist, is gone, or does not answer in time; never
// hangs beyond the timeout. Any thread. Sent from the thread that owns the
// window, the message is handled at once on that thread, after the messages
// already queued for the window (its loop cannot run while the thread waits).
std::optional<std::int64_t> SendMessage(Handle to, std::uint32_t msg, std::int64_t wParam,
                                        std::int64_t lParam,
                                        std::chrono::milliseconds timeout = kDefaultSendTimeout);

// The same with a text: the layer assigns an atom for it, puts the atom in
// wParam and the text's length in characters in lParam. A text over 1 MiB is
// not sent (nullopt).
std::optional<std::int64_t> SendTextMessage(
    Handle to, std::uint32_t msg, const std::string& text,
    std::chrono::milliseconds timeout = kDefaultSendTimeout);

// Queues the message without waiting for it to be handled. False when the
// window does not exist or is gone. Messages posted and sent from one thread
// to one window arrive in the order they were issued. Any thread.
bool PostMessage(Handle to, std::uint32_t msg, std::int64_t wParam, std::int64_t lParam);

// The handle of a live window with exactly this caption, 0 when there is
// none (one of them when several have it). Entries whose process has gone are
// removed on the way.
Handle FindWindow(const std::string& caption);

// The text of an atom received with a text message in this process, and its
// removal; an unknown atom gives nullopt. Atom numbers are assigned by each
// sending process, so two senders may use the same number: the text received
// last under a number replaces the earlier one.
std::optional<std::string> GetAtomText(std::int64_t atom);
void DeleteAtom(std::int64_t atom);

// The window directory in use (created on first use). Raises std::system_error
// when it cannot be created, or is not a directory of this user that others
// cannot enter.
std::string WindowDirectory();

}  // namespace win
