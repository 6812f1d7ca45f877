#include "system/com_init.h"

#include <objbase.h>

void initialise_com() {
  // S_FALSE (already initialised) and failures alike leave nothing to do:
  // without COM only the shortcuts fail, and they report that themselves.
  CoInitialize(nullptr);
}
