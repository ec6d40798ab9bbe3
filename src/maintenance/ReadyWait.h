#pragma once

#include <string>

class CPrinterLink;
class QWidget;

// The readiness wait as the pages ask for it: with the busy dialog (caption:
// the application title, over `parent`, else the main window), or without
// it. Without the dialog, a `parent` that is disabled (a dialog of the page
// is up) keeps getting its messages during the waits; otherwise the waits
// are plain sleeps. The result is CPrinterLink::WaitUntilReady's.
int WaitUntilReady(CPrinterLink& link, const std::string& printer, bool showBusyDialog, QWidget* parent);
