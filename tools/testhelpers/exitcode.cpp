// Ends with the exit code given as its first argument (decimal, full 32
// bits). A second argument names a file to write first: the working folder
// on its first line, then the environment, one entry a line. A third waits
// that many milliseconds before the end, so a test sees it still running.
#include <windows.h>

#include <cstdlib>
#include <fstream>

int main(int argc, char** argv) {
    if (argc > 2) {
        std::ofstream report(argv[2], std::ios::binary);
        char folder[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, folder);
        report << folder << "\r\n";
        if (char* block = GetEnvironmentStringsA()) {
            for (const char* entry = block; *entry; entry += lstrlenA(entry) + 1) report << entry << "\r\n";
            FreeEnvironmentStringsA(block);
        }
    }
    if (argc > 3) Sleep(static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)));
    return argc > 1 ? static_cast<int>(std::strtoul(argv[1], nullptr, 10)) : 0;
}
