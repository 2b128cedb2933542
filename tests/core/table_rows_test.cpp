// A row's cells as they are packed together: long and empty texts, any bytes, cells added
// past the end by an edit.
#include <gtest/gtest.h>

#include "form/table.h"

namespace vorstel {
namespace {

TEST(TableRowsTest, CellsOfAnyLengthAndByteComeBackAsGiven) {
    const std::string longName(300, 'n');            // a length that takes two bytes to note
    const std::string bytes("a\0\x02\xff\r\n", 6);  // nothing in a cell is special
    Table t("Bans");
    t.addRow({"1.2.3.4", longName, "", bytes});
    TableRow copy = t.rowAtIndex(0);
    EXPECT_EQ(copy.cells(), (std::vector<std::string>{"1.2.3.4", longName, "", bytes}));
    EXPECT_EQ(copy.cell(4), "") << "a column the row has no cell for";

    t.setCell(0, 6, "late");
    t.setCell(0, 1, "short");
    EXPECT_EQ(t.rowAtIndex(0).cells(), (std::vector<std::string>{"1.2.3.4", "short", "", bytes, "", "", "late"}));
    EXPECT_EQ(copy.cell(1), longName) << "a copy keeps its own cells";
}

}  // namespace
}  // namespace vorstel
