// Where the import thread's reports go: the host window that START named.
// The thread calls it; it may be swapped for a recording one in tests.
#pragma once

#include <cstdint>
#include <string>

#include "platform/window/messages.h"

class TKanalHosta {
 public:
  virtual ~TKanalHosta() = default;
  // Sends and waits until the host has handled the message.
  virtual void Wyslij(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) = 0;
  // Sends a text (in an atom, its length in lParam) and waits.
  virtual void WyslijTekst(std::uint32_t msg, const std::string& tekst) = 0;
  // Queues without waiting.
  virtual void Kolejkuj(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) = 0;
};

// The host's real window. A host that has gone away is not an error of the
// import: the message is dropped.
class TKanalOknaHosta : public TKanalHosta {
 public:
  explicit TKanalOknaHosta(win::Handle okno) : okno_(okno) {}
  void Wyslij(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) override;
  void WyslijTekst(std::uint32_t msg, const std::string& tekst) override;
  void Kolejkuj(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) override;

 private:
  win::Handle okno_;
};
