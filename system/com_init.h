#pragma once
// The platform's object system, initialised once at start-up for the
// program's one thread (the shell-link objects need it). It stays
// initialised until the process ends.
void initialise_com();
