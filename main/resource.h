// Resource identifiers of the main program; the satellite libraries use the same.
#pragma once

#include "../common/LaunchIds.h"
#include "parts/PinIds.h"
#include "parts/RecentIds.h"

#define IDR_VELMAR_ICON 1

#define IDR_MENU_SHUTDOWN 129
#define IDR_MENU_STARTBUTTON 132
#define IDR_MENU_POPUP 133

#define ID_SHUTDOWN_SWITCHUSER 0x8009
#define ID_SHUTDOWN_LOGOFF 0x800A
#define ID_SHUTDOWN_RESTART 0x800B
#define ID_SHUTDOWN_SLEEP 0x800C
#define ID_SHUTDOWN_LOCK 0x800D
#define ID_START_EXPLORER 32784
#define ID_START_PROPERTIES 32785
#define ID_START_EXIT 32786
#define ID_POPUP_PROPERTIES 0x8011
#define ID_POPUP_OPTIONS 0x8017
