// Resource identifiers of glintora.scr.
#pragma once

#define IDS_DESCRIPTION 1      // the saver's name in the system's list of savers
#define IDS_REGISTRY_KEY 101   // the settings key below Software
#define IDS_PREVIEW 104        // title of the preview window
#define IDI_GLINTORA 128       // application icon
#define IDS_APP_TITLE 57344    // the framework's application title, also its name
#define IDB_TWIRL_MASK 20000   // mask picture of the twirl transition
#define IDB_DIAMOND_MASK 20001 // mask picture of the diamond transitions
// Strings 8001 to 8101 are the transitions' display names (transition_names.rc).
