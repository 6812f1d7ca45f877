#pragma once
// Controls of the dialog that show_box.exe shows in "dialog" mode; shared by
// its resource script and the tests.

#define IDD_DRIVER_TEST 100

#define IDC_NAME 201      // edit field
#define IDC_OPTION 202    // automatic check box
#define IDC_THREE 203     // automatic three-state check box
#define IDC_LANGUAGE 204  // combo box with an edit field
#define IDC_STATUS 205    // shows the last combo box notification
#define IDC_NESTED 206    // opens a message box of its own
#define IDC_ANSWER 207    // shows that message box's answer
#define IDC_LOCKED 208    // a disabled button
#define IDC_EDITS 209     // counts CBN_EDITCHANGE notifications

// EndDialog value when the dialog is closed from its system menu.
#define DRIVER_TEST_CLOSED 99
