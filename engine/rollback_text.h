#pragma once
// The texts of the rollback: the question after a failed installation, the
// question about a run that was stopped before it finished, and the report.

#include <cstdint>
#include <string>

constexpr const char* rollback_question_caption = "Install failed";
constexpr const char* rollback_report_caption = "rollback result";
constexpr const char* stopped_run_caption = "Installation not finished";

std::string rollback_question(bool german);

// folder: the installation folder the stopped run wrote to.
std::string stopped_run_question(bool german, const std::string& folder);

struct RollbackNumbers {
  std::int32_t saved = 0;
  std::int32_t restored = 0;
  std::int32_t unrestored = 0;
  std::int32_t not_saved = 0;
  std::int32_t files_left = 0;
  std::int32_t folders_left = 0;
  std::int32_t registrations_left = 0;
};

std::string rollback_report(bool german, const RollbackNumbers& n);
