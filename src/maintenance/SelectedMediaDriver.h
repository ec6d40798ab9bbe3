#pragma once

#include "maintenance/MediaDriver.h"

#include <functional>
#include <memory>

// The media driver of the application's selected printer, as the alignment
// pages use it: the driver-settings library with the printer's name, port
// and driver settings copy. The review renderings and the page tests put a
// source of their own in its place.
std::unique_ptr<MediaDriver> SelectedMediaDriver();

// Replaces the driver of the selected printer; an empty function goes back
// to the driver-settings library.
void SetSelectedMediaDriverSource(std::function<std::unique_ptr<MediaDriver>()> source);
