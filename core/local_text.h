#pragma once
// A user-visible message: the same caption in both languages, a German and an
// English text. Texts are Windows-1252 in the binary (the sources are UTF-8
// and the compiler converts string literals).

struct LocalText {
  const char* caption;
  const char* english;
  const char* german;
};
