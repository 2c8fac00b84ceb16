#include "QuillsetMain.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
    return QuillsetMain(instance, showCommand);
}
