#pragma once

class CMainWindow;
class CPage;

// Makes the program's page for slot `index` (0 main menu, 1 … 9 the
// functions) as a child of the main window; nullptr when it cannot.
CPage* CreatePage(int index, CMainWindow* owner);
