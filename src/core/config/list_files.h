#pragma once
// The list files of the working directory.
//
// warnings.lst, kicks.lst (IP, Name, Reason, Date) and bans.lst (IP, Name, Reason, Date,
// Until): one row a line, fields separated by the byte 0x02 with none after the last, lines
// ended by CR LF (a lone CR or LF also ends a line when reading), no header, nothing quoted.
//
// A line that cannot be loaded is never dropped: it is kept, reported, and written back
// unchanged after the rows at the next save, so the operator can mend it. A file that exists
// but cannot be read is not overwritten at all.
//
// skins.txt and reserved.txt: one entry a line, whole lines; the program only reads them.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "form/table.h"
#include "runtime/calendar.h"

namespace vorstel {

inline constexpr const char* kWarningsFile = "warnings.lst";
inline constexpr const char* kKicksFile = "kicks.lst";
inline constexpr const char* kBansFile = "bans.lst";
inline constexpr const char* kSkinsFile = "skins.txt";
inline constexpr const char* kReservedFile = "reserved.txt";

struct PenaltyTables {
    Table& warnings;
    Table& kicks;
    Table& bans;
};

// What a list file held beyond its loaded rows, to be written back at save.
struct KeptLines {
    std::vector<std::string> lines;  // as read, without the line end, in file order
    bool unreadable = false;         // the file exists but could not be read
};

struct PenaltyListsState {
    KeptLines warnings, kicks, bans;
};

struct PenaltyListsLoad {
    PenaltyListsState kept;             // hand back to SavePenaltyLists
    std::vector<std::string> messages;  // for the operator: lines not loaded, files not read
    std::size_t expiredBans = 0;        // bans whose end has come: dropped, as intended
};

// Replaces the three tables' rows with the files' (warnings, kicks, bans, in that order),
// sorted by column 0. A missing file loads nothing and says nothing. A ban is loaded when it
// has no end or today (by `calendar`) is before its end. Lines that are blank, have fewer
// fields than the file's, extra fields that are not empty, or a ban end that is not a date
// are kept. Empty extra fields (trailing separators) are ignored.
PenaltyListsLoad LoadPenaltyLists(const std::filesystem::path& dir, PenaltyTables tables, const Calendar& calendar);

// Writes each table in its display order, then its kept lines. Fields holding 0x02, CR or
// LF have each such byte written as a space, so every row reads back as one row. Each file
// is replaced atomically and each is attempted whatever happened to the others. Returns one
// message per file not written.
std::vector<std::string> SavePenaltyLists(const std::filesystem::path& dir, PenaltyTables tables,
                                          const PenaltyListsState& kept);

// A missing or unreadable file leaves `list` and `count` as they were and returns false.
// Otherwise `list` becomes the file's lines exactly (blank lines too, nothing trimmed) and
// `count` their number.
bool ReadSkinList(const std::filesystem::path& path, std::vector<std::string>& list, int& count);

// The lines of a text: CR LF, CR or LF ends a line; a last line without an end counts.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace vorstel
