#pragma once
// Which view of HKEY_LOCAL_MACHINE\Software the program under test writes to,
// so that a test reads where the program wrote.
//
// The product is the 32-bit setup.exe. On 64-bit Windows (and in a 64-bit
// Wine prefix) its writes below HKLM\Software are redirected into the 32-bit
// view (Software\Wow6432Node); that is where Add/Remove Programs finds the
// entry of a 32-bit program, and it is the behaviour that counts. The x86_64
// test build writes the 64-bit view, without redirection. In a 32-bit prefix
// there is one view, and the flag is ignored.
//
// The tests are built for the same architecture as the program they start,
// so the flag follows the tests' own pointer size. Scripts reading the
// registry from outside use `wine reg query ... $(wine_reg_view)`.

#include <windows.h>

inline REGSAM program_registry_view() { return sizeof(void*) == 4 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY; }

// True when this process is 32-bit code on 64-bit Windows.
inline bool running_under_wow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}
