#pragma once

#include "maintenance/CManualAlignment.h"

#include <string>

namespace cli {

struct Context;

// The manual alignment of the bidirectional and unidirectional pages:
//   align PRINTER --direction bi|uni print ITEM...   prints the patterns
//   align PRINTER --direction bi|uni save ITEM...    the printer keeps the values
//   align PRINTER restore                            back to the kept values
// ITEM: R (row R, every column 5), R=V,V,... (row R, one value per column)
// or R.C=V (row R, column C; its other columns 5); rows 1..4, values 1..9.
int Align(Context& c);

// The rows and values that the items give; false with `error` set for an
// item that is not one of the three forms or lies outside the grid.
struct AlignItems {
    CManualAlignment::Rows rows{};
    CManualAlignment::Grid values{};
};
bool ParseAlignItems(const std::vector<std::string>& items, int columns, AlignItems& out,
                     std::string& error);

} // namespace cli
