#pragma once
// Resource names and ids shared by the resource scripts and the program.
// (Also included by resource scripts, so only preprocessor definitions here.)

// The seven product texts: English ids 2000 to 2006, German ids 1000 higher,
// in the order product folder, game path, uninstaller path, title, uninstall
// title, game comment, uninstall comment.
#define IDS_PRODUCT_FOLDER 2000
#define IDS_PRODUCT_TEXT_COUNT 7
// [Release]'s version and publisher, one text for both languages; a product
// without [Release] has neither.
#define IDS_PRODUCT_VERSION 2100
#define IDS_PUBLISHER 2101

#define LOGO_BITMAP_NAME "LOGOBMP"
#define APP_ICON_NAME "APPICON"
