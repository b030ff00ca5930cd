// The one way the engine and this layer say what went wrong: a report with
// a level and a reason, routed to the program's handler or by its level,
// and kept for whoever asks after it.

#include "Platform.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace platform {

namespace {
// The report handler, the last report and the texts it points into.
struct ReportState {
  std::mutex lock; // the audio thread may report too
  KReportHandler handler = nullptr;
  EReportLevel level = K_REPORT_NOTE;
  std::string heading, detail, reason;
};
ReportState reports_;

// A box's second text: what it happened to, and why on a line of its own.
std::string boxText(const std::string &detail, const std::string &reason) {
  if (reason.empty() || reason == detail) return detail;
  return detail.empty() ? reason : detail + "\n" + reason;
}
} // namespace

void report(EReportLevel level, const char *heading, const char *detail, const char *reason) {
  KReportHandler handler;
  KReport kept;
  std::string heading_, detail_, reason_;
  {
    std::lock_guard<std::mutex> guard(reports_.lock);
    reports_.level = level;
    reports_.heading = heading ? heading : "";
    reports_.detail = detail ? detail : "";
    reports_.reason = reason ? reason : "";
    heading_ = reports_.heading;
    detail_ = reports_.detail;
    reason_ = reports_.reason;
    handler = reports_.handler;
  }
  if (handler) {
    kept = {level, heading_.c_str(), detail_.c_str(), reason_.c_str()};
    handler(kept);
    return;
  }
  if (level == K_REPORT_WARNING) {
    std::string line = heading_;
    if (!detail_.empty()) line += ": " + detail_;
    if (!reason_.empty()) line += " (" + reason_ + ")";
    toStandardError(line);
    return;
  }
  messageBox(heading_.c_str(), boxText(detail_, reason_).c_str());
}

void toStandardError(const std::string &line) { std::fprintf(stderr, "%s\n", line.c_str()); }

void setReportHandler(KReportHandler handler) {
  std::lock_guard<std::mutex> guard(reports_.lock);
  reports_.handler = handler;
}

KReport lastReport() {
  std::lock_guard<std::mutex> guard(reports_.lock);
  return {reports_.level, reports_.heading.c_str(), reports_.detail.c_str(), reports_.reason.c_str()};
}

std::string lastReason() {
  std::lock_guard<std::mutex> guard(reports_.lock);
  return reports_.reason;
}

} // namespace platform
