#pragma once
// The run sequence's own messages.

#include <cstdint>
#include <string>

#include "core/local_text.h"

constexpr LocalText checksum_message = {
    "Input-files invalid",
    "This Install-file has a checksum-error, so we won't continue install.",
    "Diese Installationsdatei hat eine Checksummenfehler\r\n"
    "Daher kann die Installation nicht durchfegührt werden.",
};

constexpr const char* success_caption = "Install complete";

// "Sucessfully installed N Files." or its German form.
inline std::string success_text(bool german, std::int32_t files) {
  const std::string n = std::to_string(files);
  return german ? "Es wurden " + n + " Dateien erfolgreich installiert."
                : "Sucessfully installed " + n + " Files.";
}
