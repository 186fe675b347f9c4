// Shows one dialog of the engine's dialog runtime modelessly and feeds its
// progress from a worker thread, as a long command does during a setup:
//
//   dialogrunner FORM.dfm MAXIMUM
//
// The worker stores "Copying files", the range 0 to MAXIMUM and the
// position MAXIMUM / 2 until the user confirms the dialog's cancel button. Then the dialog
// is hidden. Prints "shown", "cancelled visible=0|1" (whether the dialog was
// still on screen when the cancel arrived) and "hidden visible=0|1".
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "core/ProgressState.h"
#include "dialogs/uDlgAPI.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: dialogrunner FORM.dfm MAXIMUM\n");
        return 2;
    }
    try {
        const std::string form = argv[1];
        const int64_t maximum = std::strtoll(argv[2], nullptr, 10);
        InitDialogs(form.substr(0, form.find_last_of('\\') + 1));
        LoadDialog("0", form);
        PrepareDialog("0");
        const DialogOutcome shown = ShowDialog("0", false);
        const HWND window = reinterpret_cast<HWND>(shown.window);
        std::printf("shown\n");
        std::fflush(stdout);

        SetLongOperation(true);
        std::atomic<bool> stop{false};
        std::thread worker([&] {
            while (!stop) {
                SetProgress("Copying files", 0, maximum, maximum / 2);
                Sleep(50);
            }
        });
        while (CancelState() != -1) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (!IsDialogMessageA(window, &message)) {
                    TranslateMessage(&message);
                    DispatchMessageA(&message);
                }
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
        stop = true;
        worker.join();
        SetLongOperation(false);
        std::printf("cancelled visible=%d\n", IsWindowVisible(window) ? 1 : 0);
        HideCurrentDialog("temp");
        std::printf("hidden visible=%d\n", IsWindowVisible(window) ? 1 : 0);
        FreeDialogs();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
