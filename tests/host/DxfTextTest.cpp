// Texts between the drawing (UTF-8) and DXF files of both kinds.
#include "host/DxfText.h"

#include <gtest/gtest.h>

namespace velrok::host {
namespace {

TEST(DxfText, CodePageFilesGetTheCodePagesBytesAndEscapesOnlyForTheRest)
{
    // é, the euro sign and Š are in Windows-1252; Ā and the Greek alpha are not.
    const std::string utf8 = "Propri\xc3\xa9t\xc3\xa9 \xe2\x82\xac \xc5\xa0 \xc4\x80\xce\xb1";
    const std::string written = EncodeDxfText(utf8, true);
    EXPECT_EQ(written, "Propri\xe9t\xe9 \x80 \x8a \\U+0100\\U+03B1");
    EXPECT_EQ(DecodeDxfText(written, true), utf8);
    // A later file keeps UTF-8 as it is.
    EXPECT_EQ(EncodeDxfText(utf8, false), utf8);
    // The control characters 0x80..0x9F that the code page leaves undefined stay escaped.
    EXPECT_EQ(EncodeDxfText("\xc2\x9d", true), "\\U+009D");
    EXPECT_EQ(DecodeDxfText("\\U+009D", true), "\xc2\x9d");
}

} // namespace
} // namespace velrok::host
