// Test builds only: the hooks come from the environment.
#include "core/environment.h"
#include "engine/test_hooks.h"

TestHooks test_hooks() {
  TestHooks hooks;
  hooks.stop_at = environment_value("SETUP_TEST_STOP_AT");
  hooks.no_record = environment_value("SETUP_TEST_NO_RECORD") == "1";
  hooks.record_full_at = environment_value("SETUP_TEST_RECORD_FULL_AT");
  hooks.no_space_check = environment_value("SETUP_TEST_NO_SPACE_CHECK") == "1";
  return hooks;
}
