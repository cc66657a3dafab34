#include "bench/raw_firebird.h"

namespace bench {

using namespace Firebird;

namespace {
IMaster* Master() { return fb_get_master_interface(); }
}  // namespace

RawAttachment::RawAttachment(const std::string& database, const std::string& password)
    : status_(Master()->getStatus()) {
  IXpbBuilder* dpb =
      Master()->getUtilInterface()->getXpbBuilder(&status_, IXpbBuilder::DPB, nullptr, 0);
  dpb->insertString(&status_, isc_dpb_user_name, "SYSDBA");
  dpb->insertString(&status_, isc_dpb_password, password.c_str());
  dpb->insertString(&status_, isc_dpb_lc_ctype, "WIN1250");
  IProvider* provider = Master()->getDispatcher();
  try {
    attachment_ = provider->attachDatabase(
        &status_, database.c_str(), dpb->getBufferLength(&status_), dpb->getBuffer(&status_));
  } catch (...) {
    dpb->dispose();
    provider->release();
    throw;
  }
  dpb->dispose();
  provider->release();
}

RawAttachment::~RawAttachment() {
  if (attachment_ == nullptr) return;
  try {
    attachment_->detach(&status_);
  } catch (const FbException&) {
    attachment_->release();
  }
}

ITransaction* RawAttachment::StartTransaction() {
  IXpbBuilder* tpb =
      Master()->getUtilInterface()->getXpbBuilder(&status_, IXpbBuilder::TPB, nullptr, 0);
  for (const int tag : {isc_tpb_read_committed, isc_tpb_rec_version, isc_tpb_wait, isc_tpb_write})
    tpb->insertTag(&status_, static_cast<unsigned char>(tag));
  ITransaction* t = attachment_->startTransaction(&status_, tpb->getBufferLength(&status_),
                                                  tpb->getBuffer(&status_));
  tpb->dispose();
  return t;
}

std::string ErrorText(const FbException& e) {
  char text[1024];
  Master()->getUtilInterface()->formatStatus(text, sizeof text, e.getStatus());
  return text;
}

}  // namespace bench
