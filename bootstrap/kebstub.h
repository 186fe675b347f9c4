#pragma once
// kebstub: the engine's whole run: start-up, the setup script, clean-up. Returns the
// process exit code.
int RunSetupEngine();
