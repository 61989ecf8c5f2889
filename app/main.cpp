#include <windows.h>

#include "app/main_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { sorvane::RunProgram(); }
