// Resource ids of the test dialog template (shared by WinTest.rc and the tests).
#pragma once

#define IDD_TEST_DIALOG 200
#define IDC_TEST_EDIT 1001
#define IDC_TEST_PLACEHOLDER 1002
#define IDC_TEST_LABEL 1003
#define IDC_TEST_TABS 1004
