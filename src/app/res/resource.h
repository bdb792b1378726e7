// Resource and control ids of the main window (dialog template 102) and its dialogs.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_BROWSER 102
#define IDR_BROWSER_ITEMS 102

#define IDC_PLAYERS_ON_SERVER_TABLE 1009
#define IDC_SEARCH_TEXT 1010
#define IDC_PLAYER_TABLE 1011
#define IDC_SERVER_TABLE 1012
#define IDC_QUERY_MASTER 1004
#define IDC_SERVERS_TO_QUERY 1017
#define IDC_JOIN 1018
#define IDC_SEARCH 1019
#define IDC_AUTHOR_LINK 1020
#define IDC_PLAYER_COUNT 1021
#define IDC_INCLUDE_EMPTY 1022
#define IDC_TABS 1023
#define IDC_SPEED 1024
#define IDC_PROGRESS 1025
#define IDC_SERVER_COUNT 1027
#define IDC_OPTIONS_FRAME 1028
#define IDC_COUNTERS_FRAME 1029
#define IDC_SPLIT 1030
#define IDC_BUTTONS_FRAME 1031
#define IDC_DELETE_SEARCH 1032
#define IDC_PRODUCT_LINK 1033
#define IDC_SEARCH_GROUP 1035
#define IDC_VERSION 1036
#define IDC_PASSWORD 1041
#define IDC_QUERY_FAVORITES 1042
#define IDC_FAVORITES_DIALOG 1044
#define IDC_MASTER_DIALOG 1045
#define IDC_INCLUDE_FULL 1047
#define IDC_OPTIONS 1049

// The server info dialog (template 133): the placeholder of its table.
#define IDD_SERVER_INFO 133
#define IDC_INFO_TABLE 1009

// The master server dialog (template 135).
#define IDD_MASTER_SERVER 135
#define IDC_MASTER_TEXT 1046

// The options dialog (template 136).
#define IDD_OPTIONS 136
#define IDC_STARTUP_MASTER 1004
#define IDC_STARTUP_NOTHING 1016
#define IDC_STARTUP_FAVORITES 1042
#define IDC_AUTO_CLOSE 1050
#define IDC_AUTO_REQUERY 1052

// The favourites dialog (template 131).
#define IDD_FAVORITES 131
#define IDC_FAVORITES_NEW 1018
#define IDC_FAVORITES_DELETE 1019
#define IDC_FAVORITES_TABLE 1044
