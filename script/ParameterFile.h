#pragma once
#include <string>
#include <vector>

// The ".par" file of an installed setup: the recorded installer properties,
// one text per CR LF line. A text that a line cannot hold as it is (one with
// a lone CR or LF, or one that starts with the marker itself) is written as
// the marker followed by its bytes in hexadecimal, so every byte comes back;
// files without such lines read as plain line lists.
std::string EncodeParameterFile(const std::vector<std::string>& texts);
std::vector<std::string> DecodeParameterFile(const std::string& file);
