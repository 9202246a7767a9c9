// Resource identifiers of glintora.scr.
#pragma once

#define IDS_DESCRIPTION 1      // the saver's name in the system's list of savers
#define IDS_REGISTRY_KEY 101   // the settings key below Software
#define IDS_PREVIEW 104        // title of the preview window
#define IDI_GLINTORA 128       // application icon
#define IDD_OPTIONS 129        // the options dialog
#define IDB_LOGO 130           // the options dialog's logo, drawn without its transparent colour
#define IDD_TRANSITIONS 132    // the transitions dialog
#define IDR_PREVIEW_B 133      // the transitions preview's picture B (type "JPEG")
#define IDR_PREVIEW_A 134      // the transitions preview's picture A (type "JPEG")
#define IDI_BANNER 136         // icon of the options dialog's banner
#define IDI_BROWSE 3000        // icon of the options dialog's browse button
#define IDS_NO_TRANSITION 1000 // the transitions dialog's warning when none is checked
#define IDS_APP_TITLE 57344    // the framework's application title, also its name
#define IDB_TWIRL_MASK 20000   // mask picture of the twirl transition
#define IDB_DIAMOND_MASK 20001 // mask picture of the diamond transitions
// Strings 8001 to 8101 are the transitions' display names (transition_names.rc).

// Controls of the options dialog.
#define IDC_DIRECTORY 1000
#define IDC_DELAY 1003
#define IDC_RANDOM 1004
#define IDC_RECURSIVE 1005
#define IDC_ENLARGE 1006
#define IDC_BROWSE 1008
#define IDC_FILES_HEADING 1009
#define IDC_DISPLAY_HEADING 1010
#define IDC_BOTTOM_LINE 1011
#define IDC_MOVIES_HEADING 1012
#define IDC_USE_TRANSITIONS 1013
#define IDC_VERSION 1015
#define IDC_WEB_LINK 1016
#define IDC_PRODUCT_LINK 1017
#define IDC_TRANSITIONS_SETUP 1019
#define IDC_PLAY_MOVIES 1022
#define IDC_MOVIE_ZOOM 1023
#define IDC_MUTE_MOVIES 1024
#define IDC_ALL_MONITORS 1025

// Controls of the transitions dialog.
#define IDC_SELECT_ALL 1054
#define IDC_UNSELECT_ALL 1055
#define IDC_SECONDS_LABEL 1328
#define IDC_PREVIEW 1347
#define IDC_TRANSITION_LIST 1348
#define IDC_DURATION_LABEL 1354
#define IDC_DURATION 1555

// The movie player's control bar: its pictures (drawn by the artwork generator) and controls.
#define IDB_SEEK_CHANNEL 30000
#define IDB_SEEK_CHANNEL_ACTIVE 30001
#define IDB_SEEK_THUMB 30002
#define IDB_SEEK_THUMB_ACTIVE 30003
#define IDB_PLAY 30004         // the play button while paused
#define IDB_PAUSE 30005        // the play button while playing
#define IDB_SOUND_OFF 30006    // the mute button while muted
#define IDB_SOUND_ON 30007     // the mute button while not muted
#define IDB_BAR_LEFT 30008     // between the play button and the seek bar
#define IDB_BAR_RIGHT 30009    // between the seek bar and the mute button
