#pragma once

#include <string>

#include <QString>

// Cleans a number typed into an edit field, in place: minus signs anywhere
// make the number negative when their count is odd; digits stay; every other
// character goes (a multi-byte character whole). An empty result becomes
// "-" (negative, minimum below 0) or empty, and "0" is appended unless empty
// is allowed; otherwise the value is written clamped to minimum..maximum,
// with "-0" kept for a negative zero when the minimum is below 0.
void NormalizeNumberText(std::string& text, int minimum, int maximum, bool emptyAllowed);
QString NormalizeNumberText(const QString& text, int minimum, int maximum, bool emptyAllowed);
