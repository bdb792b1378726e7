// Resource ids of the test dialog template (shared by WinTest.rc and the tests).
#pragma once

#define IDD_TEST_DIALOG 200
#define IDC_TEST_EDIT 1001
