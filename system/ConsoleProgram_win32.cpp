#include <windows.h>

#include "system/ConsoleProgram.h"
#include "system/OwnedHandle_win32.h"

bool RunHiddenConsoleProgram(const std::string& program, const std::string& arguments) {
    std::string commandLine = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                        nullptr, &startup, &started))
        return false;
    const OwnedHandle process = Own(started.hProcess);
    const OwnedHandle thread = Own(started.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    return true;
}
