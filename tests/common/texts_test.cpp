// The catalogue of texts: both languages for every text, and the language for the user's.
#include "common/texts.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace varlo {
namespace {

TEST(Texts, EveryTextHasBothLanguages) {
    for (int i = static_cast<int>(TextId::None) + 1; i < static_cast<int>(TextId::End); ++i) {
        const auto id = static_cast<TextId>(i);
        SCOPED_TRACE(i);
        EXPECT_FALSE(Text(id, Language::Japanese).empty());
        const std::string_view english = Text(id, Language::English);
        EXPECT_FALSE(english.empty());
        EXPECT_TRUE(std::all_of(english.begin(), english.end(),
                                [](char c) { return c >= ' ' && c <= '~'; }))
            << "English reads in plain ASCII: " << english;
    }
}

TEST(Texts, JapaneseForAJapaneseUserEnglishForEveryoneElse) {
    for (const char* tag : {"ja", "ja-JP", "ja_JP.UTF-8", "JA-jp"}) {
        EXPECT_EQ(Language::Japanese, LanguageOfTag(tag)) << tag;
    }
    for (const char* tag : {"", "C", "en-US", "de-DE", "de_DE.UTF-8", "fr", "jv", "jam"}) {
        EXPECT_EQ(Language::English, LanguageOfTag(tag)) << tag;
    }
}

}  // namespace
}  // namespace varlo
