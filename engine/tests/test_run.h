#pragma once
// An installation run for the engine's tests: its settings, the run that
// holds them, and who answers its questions (a silent run's answers unless
// the test hands its own).

#include "core/settings.h"
#include "engine/install_run.h"
#include "engine/questions.h"

struct TestRun {
  explicit TestRun(Questions* answers = nullptr) {
    settings.silent = answers == nullptr;
    run.questions = answers ? answers : &silent;
  }
  TestRun(const TestRun&) = delete;
  TestRun& operator=(const TestRun&) = delete;

  operator InstallRun&() { return run; }

  InstallerSettings settings;
  SilentAnswers silent{false, false};
  InstallRun run{settings};
};
