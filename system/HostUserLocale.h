#pragma once

// Host side of the user's locale: the language identifier tests set.
int& HostUserLanguageId();
