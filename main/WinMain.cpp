#include "Startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
    return VelmarMain(instance, showCommand);
}
