#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

// The program's pictures. They are drawn once with QPainter (vector shapes,
// antialiased) at the pixel sizes the windows place them at, so they stay
// crisp and need no image files beside the program.
namespace Artwork {

inline constexpr QSize kSplashSize{485, 250};     // splash and about forms
inline constexpr QSize kHeaderSize{600, 66};      // both header images
inline constexpr int kPageIconWidth = 34;         // page icons (34 × 34)
inline constexpr int kButtonPictureSize = 32;     // main menu function buttons
inline constexpr QSize kPrinterPictureSize{39, 36};
inline constexpr QSize kInkChipStripSize{456, 22}; // 12 chips of 38 × 22
inline constexpr int kInkChipCount = 12;

enum class HeaderKind { MainMenu, Page };
enum class SplashKind { Splash, About };

QIcon ProgramIcon();
QPixmap ProgramIconPixmap(int size);
QPixmap Splash(SplashKind kind);
QPixmap Header(HeaderKind kind);
// Function 1 … 9 (the page index); anything else gives an empty pixmap.
QPixmap PageIcon(int function);
QPixmap ButtonPicture(int function);
QPixmap PrinterPicture();
QPixmap InkChipStrip();

// The two action buttons of the nozzle check and head cleaning page (32 × 32):
// a printed check pattern, and a print head being cleaned.
QPixmap NozzleCheckPicture();
QPixmap HeadCleaningPicture();

} // namespace Artwork
