// What holds for POSIX paths only: links, "file/", names holding '\' or ':', and folders deeper
// than 255 bytes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/converter_run.h"
#include "engine/core/path_parts.h"
#include "engine/output_path.h"
#include "engine/platform/file_names.h"
#include "engine/platform/name_limit.h"
#include "temp_folder.h"

namespace varlo {
namespace {

TEST(PathExists, TrueForFilesAndFoldersOnly) {
    test::CTempFolder folder;
    test::WriteFile("file.wav", "x");
    ASSERT_EQ(0, ::mkdir("song.aac", 0755));
    ASSERT_EQ(0, ::symlink("missing-target", "dangling"));
    ASSERT_EQ(0, ::symlink("file.wav", "link"));

    EXPECT_TRUE(PathExists("file.wav"));
    EXPECT_TRUE(PathExists(folder.Path() + "/file.wav"));
    EXPECT_TRUE(PathExists("song.aac")) << "a folder exists too";
    EXPECT_TRUE(PathExists("link"));
    EXPECT_FALSE(PathExists("dangling"));
    EXPECT_FALSE(PathExists("file.wav/"));
    EXPECT_FALSE(PathExists("missing.wav"));
    EXPECT_FALSE(PathExists(""));
    EXPECT_FALSE(PathExists(std::string("file.wav\0junk", 13))) << "a NUL must not cut the name";
}

TEST(FileKey, OneFileHasOneKeyThroughLinkedFoldersAndADanglingLinkIsTaken) {
    test::CTempFolder folder;
    ASSERT_EQ(0, ::mkdir("data", 0755));
    ASSERT_EQ(0, ::mkdir("data/Music", 0755));
    ASSERT_EQ(0, ::symlink("data/Music", "Music"));
    const std::string key = folder.Path() + "/data/Music/take.aac";
    const struct {
        std::string path, key;
    } cases[] = {
        {"Music/take.aac", key},
        {"data/Music/take.aac", key},
        {folder.Path() + "/Music//./take.aac", key},
        {"./take.aac", folder.Path() + "/take.aac"},
        {"gone/../x/take.aac", folder.Path() + "/x/take.aac"},  // no such folder: as written
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.key, FileKey(c.path)) << c.path;
    }

    EXPECT_EQ("\"b.wav\"", PathFromField("\"b.wav\"")) << "a '\"' is part of a POSIX name";

    // A name that a dangling link bears is taken: the converter would write through it.
    ASSERT_EQ(0, ::symlink("../elsewhere/other.aac", "data/song.aac"));
    EXPECT_EQ("data/song(1).aac", ProposeOutputPath("data/song.wav"));
}

TEST(RecordHeader, KeepsBackslashesAndColonsOfPosixNames) {
    EXPECT_EQ("back\\slash.wav -> back\\slash.aac\r\n",
              RecordHeader("back\\slash.wav", "back\\slash.aac"));
    EXPECT_EQ("a:b.wav -> a:b.aac\r\n", RecordHeader("/m/a:b.wav", "/m/a:b.aac"));
}

TEST(ProposeOutputPath, KeepsDeepPosixFoldersWhole) {
    test::CTempFolder folder;
    std::string deep = folder.Path();
    while (deep.size() < 600) {
        deep += "/" + std::string(60, 'f');
        ASSERT_EQ(0, ::mkdir(deep.c_str(), 0755));
    }
    test::WriteFile(deep + "/a.aac", "");
    EXPECT_EQ(deep + "/a(1).aac", ProposeOutputPath(deep + "/a.wav"));
}

TEST(ProposeOutputPath, ProposesANameTheFolderCanHold) {
    test::CTempFolder folder;
    const auto created = [](const std::string& path) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        return fd >= 0 && ::close(fd) == 0;
    };
    // The longest name the folder holds is taken: "(1)" costs three bytes of the base name.
    const std::size_t limit = FolderNameLimit(folder.Path());
    ASSERT_NE(kNoNameLimit, limit);
    const std::string base(limit - 4, 'b');
    ASSERT_TRUE(created(base + ".aac"));
    const std::string numbered = ProposeOutputPath(base + ".wav");
    EXPECT_EQ(base.substr(0, base.size() - 3) + "(1).aac", numbered);
    EXPECT_TRUE(created(numbered)) << "the converter can make the proposed file";

    // Three-byte characters: the name is cut before the character that does not fit.
    std::string kana;
    while (kana.size() + 4 <= limit) {
        kana += "あ";
    }
    const std::string proposal = ProposeOutputPath(folder.Path() + "/" + kana + ".wav");
    EXPECT_EQ(folder.Path() + "/" + kana.substr(0, (limit - 4) / 3 * 3) + ".aac", proposal);
    EXPECT_TRUE(created(proposal));
}

}  // namespace
}  // namespace varlo
