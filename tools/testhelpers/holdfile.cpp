// Holds an existing file open for writing while refusing to share it for
// reading, as another program working on the file may.
//   holdfile PATH SECONDS
// Writes PATH.held once the file is held; lets go when PATH.release appears
// or the seconds have passed. Exit code 1 when the file cannot be opened.
#include <windows.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::string path = argv[1];
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    HANDLE marker = CreateFileA((path + ".held").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    const DWORD deadline = GetTickCount() + std::strtoul(argv[2], nullptr, 10) * 1000;
    while (GetFileAttributesA((path + ".release").c_str()) == INVALID_FILE_ATTRIBUTES &&
           static_cast<LONG>(deadline - GetTickCount()) > 0)
        Sleep(50);
    CloseHandle(file);
    return 0;
}
