#pragma once

#include "CPosixAcl.h"

// How an item's lists change so that every user of the computer can use it.
// "Everyone" is the other class: its entry is replaced; owner, owning group,
// named users and named groups keep their entries.

// The rights everyone gets: read and write, and search on a folder. A file
// gets execute only when someone can already run it (owner, the group class
// or others), so data files do not turn into programs.
std::uint16_t EveryoneRights(const CPosixAcl& access, bool folder);

// Sets the others entry of an access list to EveryoneRights and widens the
// mask, if there is one, so that it cuts none of those rights from the group
// class. Returns whether the list changed.
bool OpenAccessToEveryone(CPosixAcl& access, bool folder);

// The default list of a folder, which files and folders created in it
// inherit. `present` says whether the folder has one: an existing list gets
// full rights for others and a mask that cuts none of them; a missing one is
// created with full rights for owner, owning group and others, so later
// items are not narrower for their own creator than for everyone else.
// Returns whether the list changed (always when it was missing).
bool OpenDefaultToEveryone(CPosixAcl& defaults, bool present);
