// The default class map and its lookup: the first row naming the class decides.
#include <gtest/gtest.h>

#include <string>

#include "classlib/Classes.h"
#include "skin/SkinClassMap.h"

namespace {

TEST(SkinClassMap, DefaultRowsInTheirOrderWithTheirDuplicates) {
    TStringList rows;
    AddDefaultSkin3rd(rows);
    ASSERT_EQ(rows.Count(), 117);
    EXPECT_EQ(rows[0], "TCategoryButtons=scrollbar");
    EXPECT_EQ(rows[1], "TPngBitBtn=pngbitbtn");
    EXPECT_EQ(rows[116], "TOVCDBNUMERICFIELD=Edit");
    for (int row : {47, 48}) EXPECT_EQ(rows[row], "TDBCheckboxEh=Checkbox");
    for (int row : {68, 69}) EXPECT_EQ(rows[row], "TLMDFontSizeCombobox=combobox");
    for (int row : {96, 98}) EXPECT_EQ(rows[row], "TWWDBCombobox=Combobox");
    // Kinds counted without regard to case.
    const std::pair<const char*, int> counts[] = {
        {"combobox", 39}, {"edit", 26},       {"panel", 15}, {"scrollbar", 10}, {"radiogroup", 7},
        {"checkbox", 4},  {"speedbutton", 3}, {"bitbtn", 3}, {"checkgroup", 3}, {"radiobutton", 2},
        {"groupbox", 2},  {"pngbitbtn", 1},   {"button", 1}, {"menubtn", 1},
    };
    int total = 0;
    for (const auto& [kind, expected] : counts) {
        int n = 0;
        for (int i = 0; i < rows.Count(); ++i) {
            const std::string row = rows[i];
            n += LowerCase(row.substr(row.find('=') + 1)) == kind;
        }
        EXPECT_EQ(n, expected) << kind;
        total += n;
    }
    EXPECT_EQ(total, 117);
}

TEST(SkinClassMap, FirstRowStartingWithTheClassDecides) {
    TStringList rows;
    AddDefaultSkin3rd(rows);
    rows.Add("TMine=NIL");
    rows.Add("TLong=" + std::string(60, 'K'));
    struct Case {
        const char* cls;
        bool found;
        std::string kind;
    };
    const Case cases[] = {
        {"tlmdgroupbox", true, "groupbox"},  // row 47 comes before "TLMDGROUPBOX=Panel"
        {"TLMDGROUPBOX", true, "groupbox"},
        {"TDBCheckboxEh", true, "checkbox"},
        {"TCATEGORYBUTTONS", true, "scrollbar"},
        {"TMine", true, "nil"},
        {"TLong", true, std::string(50, 'k')},
        {"TLMD", false, ""},  // a class name's start is not the class
        {"TPngBitBtnX", false, ""},
        {"TButton", false, ""},
    };
    for (const Case& c : cases) {
        std::string kind = "untouched";
        EXPECT_EQ(SkinKindOfClass(rows, c.cls, kind), c.found) << c.cls;
        EXPECT_EQ(kind, c.found ? c.kind : "untouched") << c.cls;
    }
}

}  // namespace
