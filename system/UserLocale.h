#pragma once

// The language identifier of the user's default locale (1031 for German);
// 0 when it cannot be read.
int UserLanguageId();
