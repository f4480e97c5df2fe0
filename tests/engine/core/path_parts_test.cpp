#include "engine/core/path_parts.h"

#include <gtest/gtest.h>

namespace varlo {
namespace {

struct SplitCase {
    std::string path;
    PathParts expected;
};

// Windows with UTF-8 as its ANSI code page: no lead bytes, but drives and both separators.
const PathRules kUtf8WindowsRules{&NoLeadBytes, '\\', true};

void ExpectParts(const PathParts& expected, const PathParts& actual, const std::string& path) {
    SCOPED_TRACE("path: " + path);
    EXPECT_EQ(expected.drive, actual.drive);
    EXPECT_EQ(expected.directory, actual.directory);
    EXPECT_EQ(expected.baseName, actual.baseName);
    EXPECT_EQ(expected.extension, actual.extension);
}

TEST(SplitPath, SeparatesDriveFolderNameAndExtension) {
    const SplitCase cases[] = {
        {"C:\\wav\\song.wav", {"C:", "\\wav\\", "song", ".wav"}},
        {"\\\\server\\share\\a.b.wav", {"", "\\\\server\\share\\", "a.b", ".wav"}},
        {"C:\\dir.2\\take", {"C:", "\\dir.2\\", "take", ""}},
        {"song", {"", "", "song", ""}},
        {".wav", {"", "", "", ".wav"}},
        {"/home/u/Music/a.b.wav", {"", "/home/u/Music/", "a.b", ".wav"}},
        {"/mixed\\seps/x.y", {"", "/mixed\\seps/", "x", ".y"}},
        {"C:", {"C:", "", "", ""}},
        {"C", {"", "", "C", ""}},
        {"C:song.wav", {"C:", "", "song", ".wav"}},
        {"dir/", {"", "dir/", "", ""}},
        {"a.", {"", "", "a", "."}},
        {"", {"", "", "", ""}},
        {"/tmp/名前.wav", {"", "/tmp/", "名前", ".wav"}},
    };
    for (const SplitCase& c : cases) {
        ExpectParts(c.expected, SplitPath(c.path, kUtf8WindowsRules), c.path);
        ExpectParts(c.expected, SplitPath(c.path, kCp932PathRules), c.path);
    }
}

TEST(SplitPath, PosixNamesHaveNoDriveAndSplitAtSlashOnly) {
    const SplitCase cases[] = {
        {"back\\slash.wav", {"", "", "back\\slash", ".wav"}},
        {"a:b.wav", {"", "", "a:b", ".wav"}},
        {"C:\\wav\\song.wav", {"", "", "C:\\wav\\song", ".wav"}},
        {"/d\\e/x\\y.z", {"", "/d\\e/", "x\\y", ".z"}},
        {"/home/u/Music/a.b.wav", {"", "/home/u/Music/", "a.b", ".wav"}},
        {"dir\\", {"", "", "dir\\", ""}},
        {"/tmp/名前.wav", {"", "/tmp/", "名前", ".wav"}},
    };
    for (const SplitCase& c : cases) {
        ExpectParts(c.expected, SplitPath(c.path, kPosixPathRules), c.path);
    }
    // A folder ending in '\' still needs the separator.
    EXPECT_EQ("dir\\/a.aac", JoinPath("", "dir\\", "a", "aac", kPosixPathRules));
}

TEST(SplitPath, Cp932TrailByteIsNeverASeparatorOrDot) {
    // 表 is 0x95 0x5C and ソ is 0x83 0x5C in Shift-JIS: their trail byte is '\'.
    const std::string hyou = "\x95\x5C";
    const std::string so = "\x83\x5C";
    const std::string path = "C:\\w\\" + hyou + so + ".wav";
    ExpectParts({"C:", "\\w\\", hyou + so, ".wav"}, SplitPath(path, kCp932PathRules), path);
    // Scanned byte by byte, the same bytes split at the trail bytes: the rule matters.
    EXPECT_EQ("\\w\\" + hyou + "\x83\\", SplitPath(path, kUtf8WindowsRules).directory);

    // A trail byte '.' (0x2E is below 0x40, so use a lead byte before a real dot) and a lead
    // byte as the very last byte of the path.
    ExpectParts({"", "", "a\x81", ""}, SplitPath("a\x81", kCp932PathRules), "lead at end");
    ExpectParts({"", "d\\", "x\x81\x2E", ""}, SplitPath("d\\x\x81\x2E", kCp932PathRules),
                "0x2E after a lead byte belongs to its character");
}

TEST(SplitPath, CutsPartsTo255Bytes) {
    const std::string longName(300, 'n');
    const std::string longExt = "." + std::string(300, 'e');
    PathParts parts = SplitPath("/d/" + longName + longExt, kPosixPathRules);
    EXPECT_EQ(std::string(255, 'n'), parts.baseName);
    EXPECT_EQ(longExt.substr(0, 255), parts.extension);

    // Folders may be far longer than 255 bytes and keep them: a cut folder would be another one.
    const std::string deepFolder = "/" + std::string(400, 'f') + "/";
    EXPECT_EQ(deepFolder, SplitPath(deepFolder + "a.wav", kPosixPathRules).directory);
    EXPECT_EQ(deepFolder, SplitPath(deepFolder + "a.wav", kCp932PathRules).directory);

    // A cut that would fall between a lead byte and its trail byte keeps the whole character out.
    std::string sjisName(254, 'a');
    sjisName += "\x95\x5C";  // bytes 255 and 256
    EXPECT_EQ(std::string(254, 'a'), SplitPath(sjisName, kCp932PathRules).baseName);
}

TEST(JoinPath, BuildsPathsFromParts) {
    EXPECT_EQ("C:\\wav\\song.aac", JoinPath("C:", "\\wav\\", "song", "aac", kCp932PathRules));
    EXPECT_EQ("dir\\a.aac", JoinPath("", "dir", "a", ".aac", kCp932PathRules));
    EXPECT_EQ("dir\\a.aac", JoinPath("", "dir", "a", "aac", kCp932PathRules));
    EXPECT_EQ("dir/a.aac", JoinPath("", "dir", "a", "aac", kPosixPathRules));
    EXPECT_EQ("/d/a.aac", JoinPath("", "/d/", "a", "aac", kPosixPathRules));
    EXPECT_EQ("d\\/x", JoinPath("", "d\\/", "x", "", kCp932PathRules));
    EXPECT_EQ("D:x", JoinPath("Dz", "", "x", "", kCp932PathRules)) << "drive letter, then ':'";
    EXPECT_EQ("", JoinPath("", "", "", "", kPosixPathRules));

    // A folder ending in a character whose trail byte is '\' still needs a separator.
    EXPECT_EQ("\x95\x5C\\a", JoinPath("", "\x95\x5C", "a", "", kCp932PathRules));
    EXPECT_EQ(
        "\x95\x5C"
        "a",
        JoinPath("", "\x95\x5C", "a", "", kUtf8WindowsRules));
}

TEST(JoinPath, RejoinsWhatSplitPathSplit) {
    const std::string paths[] = {
        "C:\\wav\\song.wav",   "/home/u/a.b.wav", "rel/x", "\\\\srv\\s\\.hidden",
        "C:\\w\\\x95\x5C.wav", "noext",           "a."};
    for (const std::string& path : paths) {
        for (const PathRules* rules : {&kPosixPathRules, &kUtf8WindowsRules, &kCp932PathRules}) {
            PathParts p = SplitPath(path, *rules);
            EXPECT_EQ(path, JoinPath(p.drive, p.directory, p.baseName, p.extension, *rules));
        }
    }
}

TEST(ConverterArgumentPath, PutsTheCurrentFolderBeforeALeadingDash) {
    EXPECT_EQ("./-leading.wav", ConverterArgumentPath("-leading.wav", kPosixPathRules));
    EXPECT_EQ(".\\-leading.wav", ConverterArgumentPath("-leading.wav", kCp932PathRules));
    EXPECT_EQ("./--help", ConverterArgumentPath("--help", kPosixPathRules));
    EXPECT_EQ("./-", ConverterArgumentPath("-", kPosixPathRules));
    EXPECT_EQ("./a:b.wav", ConverterArgumentPath("a:b.wav", kPosixPathRules));
    EXPECT_EQ("./http:/x/y.wav", ConverterArgumentPath("http:/x/y.wav", kPosixPathRules));
    for (const std::string path :
         {"a-b.wav", "/tmp/-x.wav", " -x.wav", "./-x.wav", "", "/m/a:b.wav", "d/a:b.wav"}) {
        EXPECT_EQ(path, ConverterArgumentPath(path, kPosixPathRules));
    }
    EXPECT_EQ("C:-x.wav", ConverterArgumentPath("C:-x.wav", kCp932PathRules));
}

}  // namespace
}  // namespace varlo
