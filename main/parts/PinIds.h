// String resources of pinning from the menu's lists, in the program's own
// resources and its satellite libraries (resource scripts include this file
// through resource.h). The lists carry English texts for a library without them.
#pragma once

#define IDS_PIN_VERB 310        // "Pin to Start menu"
#define IDS_UNPIN_VERB 311      // "Unpin from Start menu"
#define IDS_PIN_READ_ERROR 312  // the list file is there but cannot be read
#define IDS_PIN_WRITE_ERROR 313 // the list file could not be saved
#define IDS_PIN_NO_LIST 314     // the skin names no list file
