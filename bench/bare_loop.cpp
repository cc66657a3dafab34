#include "bench/bare_loop.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace bench {

using namespace Firebird;

namespace {

constexpr std::size_t kCallsBetweenCommits = 2000;
constexpr std::size_t kSegment = 32768;  // a blob segment holds at most 64 KB

bool IsNull(const unsigned char* message, unsigned nullOffset) {
  std::int16_t flag = 0;
  std::memcpy(&flag, message + nullOffset, sizeof flag);
  return flag != 0;
}

}  // namespace

BareLoop::BareLoop(RawAttachment& target, const std::string& procedure, unsigned inputCount)
    : target_(target) {
  std::string sql = "EXECUTE PROCEDURE " + procedure + "(";
  for (unsigned i = 0; i < inputCount; ++i) sql += i == 0 ? "?" : ", ?";
  sql += ")";
  ThrowStatusWrapper& st = target_.status();
  ITransaction* t = target_.StartTransaction();
  statement_ =
      target_.get()->prepare(&st, t, 0, sql.c_str(), 1, IStatement::PREPARE_PREFETCH_METADATA);
  t->commit(&st);
  input_ = statement_->getInputMetadata(&st);
  output_ = statement_->getOutputMetadata(&st);
}

BareLoop::~BareLoop() {
  if (input_ != nullptr) input_->release();
  if (output_ != nullptr) output_->release();
  if (statement_ != nullptr) {
    try {
      statement_->free(&target_.status());
    } catch (const FbException&) {
      statement_->release();
    }
  }
}

std::vector<RecordedCall> BareLoop::ReadCalls(RawAttachment& source, const std::string& select) {
  ThrowStatusWrapper& st = source.status();
  ITransaction* t = source.StartTransaction();
  IResultSet* rows =
      source.get()->openCursor(&st, t, 0, select.c_str(), 1, nullptr, nullptr, input_, nullptr, 0);
  const unsigned length = input_->getMessageLength(&st);
  const unsigned count = input_->getCount(&st);
  std::vector<RecordedCall> calls;
  std::vector<unsigned char> message(length);
  while (rows->fetchNext(&st, message.data()) == IStatus::RESULT_OK) {
    RecordedCall call{message, {}};
    for (unsigned i = 0; i < count; ++i) {
      if (input_->getType(&st, i) != SQL_BLOB ||
          IsNull(message.data(), input_->getNullOffset(&st, i)))
        continue;
      const unsigned offset = input_->getOffset(&st, i);
      ISC_QUAD id;
      std::memcpy(&id, message.data() + offset, sizeof id);
      IBlob* blob = source.get()->openBlob(&st, t, &id, 0, nullptr);
      std::string text;
      char segment[8192];
      unsigned got = 0;
      for (;;) {
        const int r = blob->getSegment(&st, sizeof segment, segment, &got);
        if (r != IStatus::RESULT_OK && r != IStatus::RESULT_SEGMENT) break;
        text.append(segment, got);
      }
      blob->close(&st);
      call.blobs.emplace_back(offset, std::move(text));
    }
    calls.push_back(std::move(call));
  }
  rows->close(&st);
  t->commit(&st);
  return calls;
}

LoopResult BareLoop::Run(const std::vector<RecordedCall>& calls) {
  ThrowStatusWrapper& st = target_.status();
  IAttachment* a = target_.get();
  std::vector<unsigned char> message;
  std::vector<unsigned char> out(output_->getMessageLength(&st));
  const unsigned outcomeOffset = output_->getOffset(&st, 1);
  const bool outcomeIsShort = output_->getType(&st, 1) == SQL_SHORT;
  LoopResult result;
  const auto start = std::chrono::steady_clock::now();
  ITransaction* t = nullptr;
  for (const RecordedCall& call : calls) {
    if (t == nullptr) t = target_.StartTransaction();
    message = call.message;
    for (const auto& [offset, text] : call.blobs) {
      ISC_QUAD id;
      IBlob* blob = a->createBlob(&st, t, &id, 0, nullptr);
      for (std::size_t done = 0; done < text.size(); done += kSegment) {
        const std::size_t chunk = std::min(kSegment, text.size() - done);
        blob->putSegment(&st, static_cast<unsigned>(chunk), text.data() + done);
      }
      blob->close(&st);
      std::memcpy(message.data() + offset, &id, sizeof id);
    }
    statement_->execute(&st, t, input_, message.data(), output_, out.data());
    int outcome = 0;
    if (outcomeIsShort) {
      std::int16_t v;
      std::memcpy(&v, out.data() + outcomeOffset, sizeof v);
      outcome = v;
    } else {
      std::memcpy(&outcome, out.data() + outcomeOffset, sizeof outcome);
    }
    ++result.outcomes[outcome];
    if (++result.calls % kCallsBetweenCommits == 0) {
      t->commit(&st);
      t = nullptr;
    }
  }
  if (t != nullptr) t->commit(&st);
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result;
}

}  // namespace bench
