#include "engine/core/start_folder.h"

#include <gtest/gtest.h>

namespace varlo {
namespace {

TEST(DialogStartFolder, IsTheFolderOfTheFieldOrElseOfTheInput) {
    const struct {
        ConvertField field;
        std::string fieldText;
        std::string input;
        std::string folder;
    } cases[] = {
        {ConvertField::Input, "/m/a.wav", "/m/a.wav", "/m/"},
        {ConvertField::Output, "/o/x.aac", "/m/a.wav", "/o/"},
        {ConvertField::Output, "", "/m/a.wav", "/m/"},
        {ConvertField::Output, "x.aac", "/m/a.wav", ""},
        {ConvertField::Input, "", "", ""},
        {ConvertField::Converter, "\"/opt/my tools/conv\" -q", "/m/a.wav", "/opt/my tools/"},
        {ConvertField::Converter, "/usr/bin/ffmpeg -nostdin -y -i", "/m/a.wav", "/usr/bin/"},
        {ConvertField::Converter, "ffmpeg -i", "/m/a.wav", ""},
        {ConvertField::Converter, "", "/m/a.wav", "/m/"},
        {ConvertField::Converter, "  ", "/m/a.wav", ""},
        {ConvertField::Input, "/m/a b/c d.wav", "", "/m/a b/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.folder, DialogStartFolder(c.field, c.fieldText, c.input, kPosixPathRules))
            << "field \"" << c.fieldText << "\", input \"" << c.input << "\"";
    }
    // Windows paths keep their drive.
    EXPECT_EQ("C:\\wav\\",
              DialogStartFolder(ConvertField::Output, "", "C:\\wav\\a.wav", kCp932PathRules));
    EXPECT_EQ("C:\\Program Files\\conv\\",
              DialogStartFolder(ConvertField::Converter, "\"C:\\Program Files\\conv\\conv.exe\"",
                                "", kCp932PathRules));
    EXPECT_EQ("D:", DialogStartFolder(ConvertField::Input, "D:take.wav", "", kCp932PathRules));
}

}  // namespace
}  // namespace varlo
