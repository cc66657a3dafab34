// The baseline of a pass: one prepared EXECUTE PROCEDURE called with
// ready-made input messages, a commit after every 2000th call and at the
// end. Text blobs are created per call, as any client has to.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench/raw_firebird.h"

namespace bench {

struct RecordedCall {
  std::vector<unsigned char> message;                   // the input message, blob ids left to fill
  std::vector<std::pair<unsigned, std::string>> blobs;  // offset of a blob id, its text
};

struct LoopResult {
  std::size_t calls = 0;
  double seconds = 0;
  std::map<int, std::size_t> outcomes;  // second output (the outcome) → calls
};

class BareLoop {
 public:
  BareLoop(RawAttachment& target, const std::string& procedure, unsigned inputCount);
  ~BareLoop();
  BareLoop(const BareLoop&) = delete;
  BareLoop& operator=(const BareLoop&) = delete;

  // Reads the calls `select` returns from `source`, laid out as this loop's
  // input message (the columns are the procedure's inputs, in order).
  std::vector<RecordedCall> ReadCalls(RawAttachment& source, const std::string& select);
  LoopResult Run(const std::vector<RecordedCall>& calls);

 private:
  RawAttachment& target_;
  Firebird::IStatement* statement_ = nullptr;
  Firebird::IMessageMetadata* input_ = nullptr;
  Firebird::IMessageMetadata* output_ = nullptr;
};

}  // namespace bench
