#pragma once

// The detail dialogs a setting tab's Detail buttons ask for. The tabs only
// ask; the page that holds them opens the dialog for the tab's record.
enum class DetailKind {
    PaperFeed,    // feed adjustment (CFeedDryTab, CFileQualityTab)
    ColorDensity, // color density (CFileQualityTab)
    PrintQuality, // print mode (CFileQualityTab)
};
