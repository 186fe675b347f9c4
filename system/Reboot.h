#pragma once

// Asks the system to restart (no force), after enabling the shutdown
// privilege of the process; failures are ignored. The host raises NeedsWindows.
void RestartComputer();
