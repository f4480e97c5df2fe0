#include "ui/qt/text_boundary.h"

#include <gtest/gtest.h>

#include <random>

namespace varlo {
namespace {

using namespace std::string_literals;

TEST(TextBoundary, ValidUtf8ReadsAsText) {
    EXPECT_EQ(QString::fromUtf8("日本語 ﾊﾝｶｸ é 😀"), ToQString("日本語 ﾊﾝｶｸ é 😀"));
    EXPECT_EQ("日本語 ﾊﾝｶｸ é 😀", ToBytes(QString::fromUtf8("日本語 ﾊﾝｶｸ é 😀")));
    EXPECT_EQ(QString(QChar(0)), ToQString("\0"s));
}

TEST(TextBoundary, EveryOtherByteBecomesAnEscapeAndBack) {
    const struct {
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"\xff", u"\xdcff"},
        {"a\x80z", u"a\xdc80z"},
        {"\xc0\xaf", u"\xdcc0\xdcaf"},                      // overlong '/'
        {"\xed\xa0\x80", u"\xdced\xdca0\xdc80"},            // an encoded surrogate
        {"\xf4\x90\x80\x80", u"\xdcf4\xdc90\xdc80\xdc80"},  // beyond U+10FFFF
        {"\xe3\x81", u"\xdce3\xdc81"},                      // cut short
        {"\xe3\x81\x82\xe3", u"\x3042\xdce3"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QString::fromStdU16String(c.text), ToQString(c.bytes));
        EXPECT_EQ(c.bytes, ToBytes(ToQString(c.bytes)));
    }
}

TEST(TextBoundary, AnyByteStringRoundTrips) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(static_cast<std::size_t>(round % 40), '\0');
        for (char& c : bytes) {
            c = static_cast<char>(byte(random));
        }
        ASSERT_EQ(bytes, ToBytes(ToQString(bytes)));
    }
}

TEST(TextBoundary, LoneSurrogatesNoByteStandsBehindBecomeReplacementCharacters) {
    EXPECT_EQ("\xef\xbf\xbd", ToBytes(QString(QChar(0xD800))));
    EXPECT_EQ(
        "\xef\xbf\xbd"
        "a",
        ToBytes(QString::fromStdU16String(u"\xdc10"
                                          "a")));
}

}  // namespace
}  // namespace varlo
