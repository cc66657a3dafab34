// A host channel that records what the import thread sends, for tests.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "importcore/kanal_hosta.h"

namespace testing_support {

struct RecordedMessage {
  std::uint32_t msg;
  std::int64_t wParam;
  std::int64_t lParam;
  std::optional<std::string> text;
  bool posted;
};

class RecordingChannel : public TKanalHosta {
 public:
  void Wyslij(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) override {
    Add({msg, wParam, lParam, std::nullopt, false});
  }
  void WyslijTekst(std::uint32_t msg, const std::string& tekst) override {
    Add({msg, 0, 0, tekst, false});
  }
  void Kolejkuj(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) override {
    Add({msg, wParam, lParam, std::nullopt, true});
  }

  std::vector<RecordedMessage> Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
  }
  // The texts of the messages with this number, in order.
  std::vector<std::string> Texts(std::uint32_t msg) const {
    std::vector<std::string> texts;
    for (const auto& m : Messages()) {
      if (m.msg == msg && m.text) texts.push_back(*m.text);
    }
    return texts;
  }
  std::vector<RecordedMessage> Only(std::uint32_t msg) const {
    std::vector<RecordedMessage> only;
    for (const auto& m : Messages()) {
      if (m.msg == msg) only.push_back(m);
    }
    return only;
  }

 private:
  void Add(RecordedMessage m) {
    std::lock_guard lock(mutex_);
    messages_.push_back(std::move(m));
  }
  mutable std::mutex mutex_;
  std::vector<RecordedMessage> messages_;
};

}  // namespace testing_support
