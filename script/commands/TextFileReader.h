#pragma once

// Closes the file that "Read from Text File" keeps open between commands
// and forgets its name; the interpreter calls it at the end of every run.
void CloseTextFileReader();
