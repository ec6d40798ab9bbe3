#pragma once

#include "cli/CliSentence.h"
#include "custompaper/CCustomFile.h"
#include "custompaper/CustomFileRecord.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace cli {

struct Context;

// plotcare-cli zmd: custom files from a shell, on the same reader and writer
// as the custom file page.
//   zmd list FILE                 the entries (number and name)
//   zmd show FILE ENTRY [--json]  one entry (ENTRY: its number or its name)
//   zmd save FILE --from F.json --name NAME [--overwrite]
// The model a file must belong to is that of --printer PRINTER's driver, or
// --model MODEL, else the Corvan Max 7100 (the build with custom files).
// Exit codes: 0 done; 1 usage (also a --from file that is no valid setting);
// 5 refused by a check (not a custom file of the model, a damaged entry,
// the name, a value out of range, an existing name without --overwrite);
// 6 the file could not be read or written (a failed save leaves it as it was).
int Zmd(Context& c);

// The JSON object of one entry, as `zmd show --json` prints it and
// `zmd save --from` reads it: "file", "entry", then the keys of the entry in
// file order (Hres, Vres and Mw only when the file holds them).
std::string CustomFileEntryJson(const std::string& file, int entry, const CustomFileRecord& record,
                                bool withResolution);

// The entry number ENTRY names in an attached custom file: its number (up to
// five digits), or the first entry of that name; 0 when there is none.
int FindCustomFileEntry(CCustomFile& file, const std::string& which);

// "FILE.ZMD:ENTRY" split at its last ':' when the part before it names a
// custom file (extension .zmd in any case) and the whole is no file itself.
bool CustomFileSource(const std::string& from, std::string& file, std::string& entry);

// Reads a setting from that JSON text: the numbers ID, SID, Mode, Density,
// Forward, Drytime, Paperthick, Paperdraw, PaperCut, Platen, Roller and the
// text InkMode are required; "file", "entry", "CustomName", "Hres", "Vres"
// and "Mw" may be present and are not taken (the name comes from --name,
// the resolution from the media table). Any other member, a missing one or
// a value of the wrong kind is refused with a message.
bool CustomFileRecordFromJson(std::string_view text, CustomFileRecord& record, Sentence& error);
// The same with the refusal in the chosen language.
bool CustomFileRecordFromJson(std::string_view text, CustomFileRecord& record, std::string& error);

// Why a custom file cannot be used, for people.
Sentence DescribeCustomFileProblem(CCustomFile::Problem p);

// That no media of the media table has the entry's ID and SID.
Sentence NoMediaOfFileIds(std::int32_t id, std::int32_t sid);

} // namespace cli
