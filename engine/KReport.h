#pragma once

/// How grave a report of the engine's is, and where it goes unless the
/// program routes reports itself (KMiscTools::setReportHandler).
enum EReportLevel {
  /// No failure: an outcome the user is told in a message box ("export ok").
  K_REPORT_NOTE = 0,
  /// An operation failed and its result says so (false, null, a code):
  /// written to standard error.
  K_REPORT_WARNING = 1,
  /// A failure the engine tells the user in a message box.
  K_REPORT_ERROR = 2,
};

/// One report of the engine's: what happened, to what, and why. Its texts
/// last until the next report.
struct KReport {
  EReportLevel level;
  /// What happened ("could not create window"): a message box's heading.
  const char *heading;
  /// What it happened to (a file, a part of the engine), the box's second
  /// text as the engine has always shown it; "" for none.
  const char *detail;
  /// Why, in plain words (often the system's own); "" when nobody knows.
  const char *reason;
};

/// Receives every report in place of the routing by level.
typedef void (*KReportHandler)(const KReport &report);
