#pragma once
#include <string>

class CommandContext;

// Fetches a web media block for the running command (the recording
// commands, "Apply Changes" and plug-in commands in the application-data
// caching mode) from the block set by the last "Web Media Block" command.
// When the block cannot be provided the message is shown in an error box
// owned by the dialog on screen, or, in a silent run, written to the log
// given on the command line; the script ends and false is returned.
bool FetchBlockForCommand(CommandContext& c, const std::string& block);

// An engine message that would stop a run: a box, or in a silent run a line
// in the log (when one was given), since nobody is there to click.
void ReportStoppingMessage(const std::string& message);
