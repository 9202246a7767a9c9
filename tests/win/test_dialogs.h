// Resource identifiers of the tests' own dialogs (test_dialogs.rc).
#pragma once

#define IDD_TEST 900       // a dialog with one control of each kind the data exchange knows
#define IDD_TEST_PAGE 901  // a dialog page that lives inside another dialog

#define IDC_T_NAME 910
#define IDC_T_NUMBER 911
#define IDC_T_FLAG 912
#define IDC_T_COMBO 913
#define IDC_T_LIST 914
#define IDC_T_AFTER 915
#define IDC_T_NESTED 917
#define IDC_T_PAGE_TEXT 920
