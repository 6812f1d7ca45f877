#include "engine/test_hooks.h"

TestHooks test_hooks() { return {}; }
