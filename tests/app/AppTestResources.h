// Resource ids of the dialog templates of the dialog utility tests.
#pragma once

#define IDD_APP_LAYOUT 400
#define IDC_L_LEFT 2001
#define IDC_L_SPLIT 2002
#define IDC_L_RIGHT 2003
#define IDC_L_FRAME 2004
#define IDC_L_BTN1 2005
#define IDC_L_BTN2 2006
#define IDC_L_OUTSIDE 2007
#define IDC_L_STATUS 2008

#define IDD_APP_CONTROLS 401
#define IDC_C_DROPDOWN 2101
#define IDC_C_SIMPLE 2102
#define IDC_C_LIST 2103
#define IDC_C_OTHER 2104
#define IDC_C_LINK_EMPTY 2105
#define IDC_C_LINK 2106
