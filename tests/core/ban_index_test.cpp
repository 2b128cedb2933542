// The indexed ban walk and escalation against the plain walks they replace: seeded random
// tables, masks, player addresses and edits between two steps of the walk.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "penalties/ban_index.h"
#include "penalties/escalation.h"
#include "penalties/patrol.h"
#include "penalties/penalty_tables.h"

namespace vorstel {
namespace {

// Every row, in the order the table had when the walk began; a row gone meanwhile is passed
// over, each row is matched by its address when reached.
class PlainWalk {
public:
    PlainWalk(const Table& t, std::string address) : t_(t), address_(std::move(address)) {
        for (const auto& row : t.rows()) ids_.push_back(row.id);
    }
    std::optional<RowId> next() {
        while (j_ < ids_.size()) {
            const auto index = t_.indexOf(ids_[j_++]);
            if (index && address_.rfind(BanPrefix(t_.rowAtIndex(*index).cell(0)), 0) == 0)
                return t_.rowAtIndex(*index).id;
        }
        return std::nullopt;
    }

private:
    const Table& t_;
    std::string address_;
    std::vector<RowId> ids_;
    std::size_t j_ = 0;
};

struct Random {
    std::mt19937 rng;
    int below(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }
    // Few distinct octets, so that prefixes meet often: 1.12.1.2 starts with 1.1 and 1.12.
    std::string octet() {
        static const char* kOctets[] = {"1", "12", "2", "21", "120"};
        return kOctets[below(5)];
    }
    std::string address() { return octet() + "." + octet() + "." + octet() + "." + octet(); }
    std::string banned() {
        switch (below(8)) {
            case 0: return octet() + "." + octet() + "." + octet() + ".xxx";
            case 1: return octet() + "." + octet() + ".xxx.xxx";
            case 2: return octet() + ".xxx.xxx.xxx";
            case 3: return below(4) == 0 ? "xxx" : octet() + "..";
            default: return address();
        }
    }
    // Each cell appended to its start: g++ 12 at -O3 warns, falsely, of an overlapping copy
    // in "text" + std::string.
    std::string numbered(std::string text, int n) { return text.append(std::to_string(n)); }
    std::vector<std::string> row() {
        return {banned(), numbered("n", below(9)), numbered("r", below(3)),
                numbered("2026-0", 1 + below(3)).append("-01"), below(2) ? "" : "2030-01-01"};
    }
};

void Edit(Table& t, Random& r) {
    const auto any = [&] { return static_cast<std::size_t>(r.below(static_cast<int>(t.rowCount()))); };
    switch (r.below(7)) {
        case 0: t.addRow(r.row()); break;
        case 1: if (t.rowCount()) t.removeAtIndex(any()); break;
        case 2: if (t.rowCount()) t.setCell(any(), 0, r.banned()); break;  // a widened or edited address
        case 3: if (t.rowCount()) t.setCell(any(), static_cast<std::size_t>(1 + r.below(4)), r.row()[1]); break;
        case 4: t.headerClick(static_cast<std::size_t>(r.below(5))); break;
        case 5: t.addRows({r.row(), r.row(), r.row()}); break;
        default: if (r.below(10) == 0) t.clear(); break;
    }
}

TEST(BanIndexTest, GivesTheRowsOfThePlainWalkInItsOrderWhateverChangesDuringTheWalk) {
    for (unsigned seed = 1; seed <= 400; ++seed) {
        Random r{std::mt19937(seed)};
        Table bans("Bans");
        SetUpBansTable(bans);
        for (int i = r.below(40); i > 0; --i) bans.addRow(r.row());
        BanIndex index(bans);  // built from rows already there, then kept up to date
        for (int i = r.below(40); i > 0; --i) Edit(bans, r);
        for (int player = 0; player < 5; ++player) {
            const std::string address = r.below(6) ? r.address() : "127.0.0.1";
            BanWalk walk(index, address);
            PlainWalk plain(bans, address);
            const bool edits = seed % 2 == 0;
            for (int step = 0;; ++step) {
                const auto expected = plain.next();
                const auto got = walk.next();
                ASSERT_EQ(got ? std::optional(bans.rowAtIndex(*got).id) : std::nullopt, expected)
                    << "seed " << seed << ", player " << address << ", step " << step;
                if (!expected) break;
                if (edits)
                    for (int i = r.below(3); i > 0; --i) Edit(bans, r);
            }
        }
    }
}

// The escalation as a plain walk over every row.
int PlainEscalation(Table& t, const std::string& ip, int threshold, const std::function<void()>& convert) {
    std::vector<std::size_t> seen;
    int conversions = 0;
    for (std::size_t i = 0; i < t.rowCount(); ++i) {
        if (t.rowAtIndex(i).cell(0) != ip) continue;
        seen.push_back(i);
        if (seen.size() < static_cast<std::size_t>(threshold)) continue;
        convert();
        ++conversions;
        for (auto it = seen.rbegin(); it != seen.rend(); ++it) t.removeAtIndex(*it);
        seen.clear();
        i -= static_cast<std::size_t>(threshold);
    }
    return conversions;
}

TEST(BanIndexTest, EscalationConvertsTheRowsOfThePlainWalkWhateverEachConversionChanges) {
    const std::string kPlayers[] = {"1.2.1.2", "12.1.xxx.xxx"};
    for (unsigned seed = 1; seed <= 300; ++seed) {
        // Two tables made alike by the same draws; each conversion edits its table alike.
        Table plain("Warnings"), indexed("Warnings");
        const BanIndex index(indexed);
        const auto run = [&](Table& t, bool useIndex) {
            std::vector<RowId> log;  // the rows at each conversion, and each pass's count
            Random r{std::mt19937(seed)};
            const auto add = [&] {
                auto row = r.row();
                if (r.below(3)) row[0] = kPlayers[r.below(2)];
                t.addRow(row);
            };
            const auto convert = [&] {
                for (const auto& row : t.rows()) log.push_back(row.id);
                if (seed % 2 == 0) add();
                for (int i = r.below(3); i > 0; --i) Edit(t, r);
            };
            SetUpWarningsTable(t);
            for (int i = r.below(50); i > 0; --i) add();
            for (int i = r.below(8); i > 0; --i) Edit(t, r);
            for (int player = 0; player < 4; ++player) {
                const std::string& ip = kPlayers[r.below(2)];
                const int k = 1 + r.below(4);
                log.push_back(static_cast<RowId>(useIndex ? EscalationPass(index, ip, k, convert)
                                                          : PlainEscalation(t, ip, k, convert)));
            }
            for (const auto& row : t.rows()) log.push_back(row.id);
            return log;
        };
        ASSERT_EQ(run(indexed, true), run(plain, false)) << "seed " << seed;
    }
}

}  // namespace
}  // namespace vorstel
