// String resources of the recent documents' popups, in the program's own
// resources and its satellite libraries (resource scripts include this file
// through resource.h). The popups carry the English text for a library without it.
#pragma once

#define IDS_RECENT_CLEAR 320 // "Clear recent items", the last item of the Recent Items popup
