#include "list_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <map>
#include <set>
#include <system_error>
#include <utility>

#include "penalties/civil_date.h"
#include "runtime/atomic_file.h"
#include "runtime/text.h"
#include "penalties/penalty_tables.h"

namespace vorstel {

namespace fs = std::filesystem;

namespace {

constexpr char kSeparator = '\x02';
// Beyond this many lines not loaded from one file, the rest are counted in one message.
constexpr std::size_t kReportedLines = 10;

std::string ErrnoText(int err) { return std::generic_category().message(err); }

enum class ReadOutcome { Read, Missing, Failed };

ReadOutcome ReadWhole(const fs::path& path, std::string& out, std::string& why) {
    // Opened without a look first: the lists are read at every scan, and each look is one more
    // walk of the path.
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        if (errno == ENOENT || errno == ENOTDIR) return ReadOutcome::Missing;
        why = ErrnoText(errno);
        return ReadOutcome::Failed;
    }
    out.clear();
    char buffer[1 << 16];
    std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
    // A file longer than one read gets room for all of it at once: growing by doubling would
    // hold it up to three times.
    std::error_code ec;
    if (n == sizeof buffer)
        if (const auto size = fs::file_size(path, ec); !ec) out.reserve(static_cast<std::size_t>(size));
    for (; n > 0; n = std::fread(buffer, 1, sizeof buffer, f)) out.append(buffer, n);
    const bool failed = std::ferror(f) != 0;
    const int err = errno;
    std::fclose(f);
    if (failed) {
        out.clear();
        why = err == EISDIR ? "it is a directory" : ErrnoText(err);
        return ReadOutcome::Failed;
    }
    return ReadOutcome::Read;
}

// Calls `f` with each line of `text`, without its end.
template <typename F>
void ForEachLine(std::string_view text, F f) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            f(text.substr(start));
            break;
        }
        f(text.substr(start, end - start));
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
}

struct ListFile {
    const char* name;
    std::size_t fields;
    Table& table;
};

// Dates read in another short form, counted by the form, for one message each at the end.
struct DateConversions {
    DateOrder order;
    std::map<std::string, std::pair<std::size_t, std::set<std::string>>> byForm;  // count, files
    std::vector<std::string> pending;  // forms read in the line at hand

    // Points a date that is not YYYY-MM-DD but reads in another form at its rewriting, held in
    // `rewritten`; others stay as they are.
    void Convert(std::string_view& field, std::string& rewritten) {
        if (field.empty() || ParseDate(field)) return;
        const auto read = ParseShortDate(field, order);
        if (!read) return;
        rewritten = FormatDate(read->date);
        field = rewritten;
        pending.push_back(read->form);
    }
    // The line was taken (loaded, or dropped as over): its dates count.
    void Count(const char* file) {
        for (const auto& form : pending) {
            auto& entry = byForm[form];
            ++entry.first;
            entry.second.insert(file);
        }
        pending.clear();
    }
};

void LoadList(const fs::path& dir, const ListFile& file, KeptLines& kept, const std::string& today,
              DateConversions& dates, PenaltyListsLoad& result) {
    Table& table = file.table;
    table.clear();
    table.setSortColumn(0);
    table.setSorted(true);
    kept = {};

    std::string text, why;
    switch (ReadWhole(dir / file.name, text, why)) {
        case ReadOutcome::Missing:
            return;
        case ReadOutcome::Failed:
            kept.unreadable = true;
            result.messages.push_back(std::string(file.name) + ": could not be read (" + why +
                                      "); it will not be overwritten");
            return;
        case ReadOutcome::Read:
            break;
    }

    const bool bans = file.fields == kBanFields;
    // The rows are made from views into the file's text: the text is held once, not three times.
    std::vector<TableRow> rows;
    rows.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    std::vector<std::string_view> pieces;
    std::size_t notLoaded = 0, number = 0;
    ForEachLine(text, [&](std::string_view line) {
        ++number;
        std::string problem;
        if (line.find_first_not_of(" \t") == std::string::npos) {
            return;  // a blank line holds nothing
        } else {
            pieces.clear();
            for (std::size_t from = 0;;) {
                const auto at = line.find(kSeparator, from);
                pieces.push_back(line.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
                if (at == std::string_view::npos) break;
                from = at + 1;
            }
            if (pieces.size() < file.fields) {
                problem = std::to_string(pieces.size()) + " field(s) where " + std::to_string(file.fields) +
                          " are needed";
            } else if (std::any_of(pieces.begin() + static_cast<std::ptrdiff_t>(file.fields), pieces.end(),
                                   [](std::string_view p) { return !p.empty(); })) {
                problem = std::to_string(pieces.size()) + " fields where " + std::to_string(file.fields) +
                          " are expected";
            } else {
                pieces.resize(file.fields);
                dates.pending.clear();
                std::string date, end;
                dates.Convert(pieces[penalty_column::Date], date);
                if (bans) dates.Convert(pieces[penalty_column::Until], end);
                const std::string_view until = bans ? pieces[penalty_column::Until] : std::string_view();
                if (!until.empty() && !ParseDate(until)) {
                    problem = "the ban's end is not a date (YYYY-MM-DD)";
                } else if (!until.empty() && !(today < until)) {
                    dates.Count(file.name);
                    ++result.expiredBans;
                    return;
                } else {
                    dates.Count(file.name);
                    rows.emplace_back(0, pieces);
                    return;
                }
            }
        }
        if (++notLoaded <= kReportedLines)
            result.messages.push_back(std::string(file.name) + " line " + std::to_string(number) + ": " + problem +
                                      "; not loaded, kept in the file");
        kept.lines.emplace_back(line);
    });
    std::string().swap(text);
    if (notLoaded > kReportedLines)
        result.messages.push_back(std::string(file.name) + ": " + std::to_string(notLoaded - kReportedLines) +
                                  " more lines not loaded, kept in the file");
    table.addRows(std::move(rows));
}

void AppendField(std::string& out, std::string_view field) {
    const std::size_t start = out.size();
    out += field;
    for (std::size_t i = start; i < out.size(); ++i)
        if (out[i] == kSeparator || out[i] == '\r' || out[i] == '\n') out[i] = ' ';
}

std::string ListText(const ListFile& file, const KeptLines& kept) {
    std::string out;
    out.reserve(file.table.rowCount() * 64);
    for (const TableRow& row : file.table.rows()) {
        for (std::size_t f = 0; f < file.fields; ++f) {
            if (f > 0) out += kSeparator;
            AppendField(out, row.cell(f));
        }
        out += "\r\n";
    }
    for (const std::string& line : kept.lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

}  // namespace

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    ForEachLine(text, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

PenaltyListsLoad LoadPenaltyLists(const fs::path& dir, PenaltyTables tables, const Calendar& calendar) {
    PenaltyListsLoad result;
    const std::string today = calendar.now().date();
    DateConversions dates{calendar.shortDateOrder(), {}, {}};
    LoadList(dir, {kWarningsFile, kWarningFields, tables.warnings}, result.kept.warnings, today, dates, result);
    LoadList(dir, {kKicksFile, kWarningFields, tables.kicks}, result.kept.kicks, today, dates, result);
    LoadList(dir, {kBansFile, kBanFields, tables.bans}, result.kept.bans, today, dates, result);
    for (const auto& [form, entry] : dates.byForm) {
        std::string files;
        for (const auto& f : entry.second) files += (files.empty() ? "" : ", ") + f;
        result.messages.push_back(files + ": " + std::to_string(entry.first) + (entry.first == 1 ? " date" : " dates") +
                                  " read in the form " + form + "; saved as YYYY-MM-DD from now on");
    }
    return result;
}

std::vector<std::string> SavePenaltyLists(const fs::path& dir, PenaltyTables tables, const PenaltyListsState& kept) {
    std::vector<std::string> failures;
    const std::pair<ListFile, const KeptLines*> files[] = {
        {{kWarningsFile, kWarningFields, tables.warnings}, &kept.warnings},
        {{kKicksFile, kWarningFields, tables.kicks}, &kept.kicks},
        {{kBansFile, kBanFields, tables.bans}, &kept.bans}};
    for (const auto& [file, lines] : files) {
        if (lines->unreadable) {
            failures.push_back(std::string(file.name) +
                               ": not saved, because it could not be read at start-up and would be lost");
            continue;
        }
        std::string why;
        if (!WriteFileAtomically(dir / file.name, ListText(file, *lines), FileAccess::Everyone, &why))
            failures.push_back(std::string(file.name) + ": could not be saved (" + why + ")");
    }
    return failures;
}

bool ReadSkinList(const fs::path& path, std::vector<std::string>& list, int& count) {
    std::string text, why;
    if (ReadWhole(path, text, why) != ReadOutcome::Read) return false;
    list = SplitLines(text);
    count = static_cast<int>(list.size());
    return true;
}

}  // namespace vorstel
