#include "settings/profile_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "settings/profile_text.h"
#include "temp_folder.h"

namespace varlo {
namespace {

using Value = std::optional<std::string>;

class ProfileStoreTest : public ::testing::Test {
protected:
    std::string Profile() const { return m_folder.Path() + "/cfg/varloGui/profile.ini"; }

    test::CTempFolder m_folder;
};

// Sets an environment variable for one scope.
class CScopedEnv {
public:
    CScopedEnv(const char* name, const char* value) : m_name(name) {
        const char* old = std::getenv(name);
        m_old = old ? Value(old) : std::nullopt;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~CScopedEnv() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }

private:
    const char* m_name;
    Value m_old;
};

TEST(ProfileStorePath, FollowsXdgConfigHome) {
    CScopedEnv home("HOME", "/home/taro");
    {
        CScopedEnv config("XDG_CONFIG_HOME", "/etc/xdg-taro");
        EXPECT_EQ("/etc/xdg-taro/varloGui/profile.ini", CProfileStore::DefaultPath());
    }
    for (const char* ignored : {"", "relative/cfg", static_cast<const char*>(nullptr)}) {
        CScopedEnv config("XDG_CONFIG_HOME", ignored);
        EXPECT_EQ("/home/taro/.config/varloGui/profile.ini", CProfileStore::DefaultPath());
    }
}

TEST_F(ProfileStoreTest, FirstWriteCreatesTheFoldersAndAPrivateFile) {
    CProfileStore store(Profile());
    EXPECT_EQ(std::nullopt, store.ReadValue("varloGui", "AutoExec"));
    ASSERT_TRUE(store.WriteValue("varloGui", "AutoExec", "1").Ok());
    EXPECT_EQ(Value("1"), store.ReadValue("varloGui", "AutoExec"));
    EXPECT_EQ("[varloGui]\nAutoExec=1\n", test::ReadFile(Profile()));
    struct stat st;
    ASSERT_EQ(0, ::stat(Profile().c_str(), &st));
    EXPECT_EQ(0600u, st.st_mode & 0777);
}

TEST_F(ProfileStoreTest, WriteKeepsForeignContentAndTheFileMode) {
    CProfileStore store(Profile());
    ASSERT_TRUE(store.WriteValue("x", "y", "z").Ok());
    const std::string foreign = "\xEF\xBB\xBF; mine\r\n[Other]\r\nkey = keep me \r\n";
    test::WriteFile(Profile(), foreign);
    ASSERT_EQ(0, ::chmod(Profile().c_str(), 0644));

    ASSERT_TRUE(store.WriteValue("myConv", "ExecFile", "ffmpeg -nostdin -y -i").Ok());
    EXPECT_EQ(foreign + "[myConv]\r\nExecFile=ffmpeg -nostdin -y -i\r\n",
              test::ReadFile(Profile()));
    struct stat st;
    ASSERT_EQ(0, ::stat(Profile().c_str(), &st));
    EXPECT_EQ(0644u, st.st_mode & 0777);
}

TEST_F(ProfileStoreTest, FailedWriteChangesNothingAndSaysWhy) {
    CProfileStore store(Profile());
    ASSERT_TRUE(store.WriteValue("s", "k", "old").Ok());
    const std::string before = test::ReadFile(Profile());

    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(store.WriteValue("s", "k", "two\nlines").Ok());
    EXPECT_NE(std::string::npos, ::testing::internal::GetCapturedStderr().find(Profile()));
    EXPECT_EQ(before, test::ReadFile(Profile()));

    // A folder where the profile should be: nothing reads, nothing is replaced.
    const std::string folderProfile = m_folder.Path() + "/folder.ini";
    ASSERT_EQ(0, ::mkdir(folderProfile.c_str(), 0755));
    CProfileStore blocked(folderProfile);
    EXPECT_EQ(std::nullopt, blocked.ReadValue("s", "k"));
    ::testing::internal::CaptureStderr();
    const CStatus saved = blocked.WriteValue("s", "k", "v");
    EXPECT_NE(std::string::npos, ::testing::internal::GetCapturedStderr().find("Is a directory"));
    EXPECT_FALSE(saved.Ok());
    EXPECT_EQ(blocked.SaveError(), saved.Message());
    struct stat st;
    ASSERT_EQ(0, ::stat(folderProfile.c_str(), &st));
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST_F(ProfileStoreTest, HostileProfilesReadAndSaveWithoutLoss) {
    std::mt19937 random(99);
    std::string garbage(64 * 1024, '\0');
    for (char& c : garbage) {
        c = static_cast<char>(random());
    }
    std::string huge;
    while (huge.size() < 10 * 1024 * 1024) {
        huge += "[s" + std::to_string(huge.size()) + "]\r\nkey=" + std::string(200, 'v') + "\r\n";
    }
    const std::string profiles[] = {garbage, huge, "[varloGui]\nAutoExec=1", "\r\r\n\n[", "="};
    CProfileStore store(Profile());
    ASSERT_TRUE(store.WriteValue("x", "y", "z").Ok());
    for (const std::string& before : profiles) {
        test::WriteFile(Profile(), before);
        ASSERT_TRUE(store.WriteValue("varloGui", "ExecFile", "ffmpeg -i").Ok());
        EXPECT_EQ(Value("ffmpeg -i"), store.ReadValue("varloGui", "ExecFile"));
        const std::string after = test::ReadFile(Profile());
        EXPECT_EQ(0u, after.find(before.substr(0, before.find_last_of("\r\n") + 1)))
            << "what stood before is kept";
    }
}

TEST_F(ProfileStoreTest, ReadOnlyFolderRefusesTheSaveAndKeepsTheProfile) {
    CProfileStore store(Profile());
    ASSERT_TRUE(store.WriteValue("s", "k", "old").Ok());
    const std::string folder = m_folder.Path() + "/cfg/varloGui";
    ASSERT_EQ(0, ::chmod(folder.c_str(), 0555));
    ASSERT_EQ(0, ::chmod((m_folder.Path() + "/cfg").c_str(), 0755));
    ASSERT_EQ(0, ::chmod(m_folder.Path().c_str(), 0755));
    ASSERT_EQ(0, ::chmod(Profile().c_str(), 0644));
    // Permissions do not bind root, so the save is tried by an ordinary user.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(2);
        }
        const bool saved = store.WriteValue("s", "k", "new").Ok();
        const bool readable = store.ReadValue("s", "k") == Value("old");
        ::_exit(!saved && readable ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status)) << "1: saved or unreadable, 2: could not drop root";
    EXPECT_EQ("[s]\nk=old\n", test::ReadFile(Profile()));
    EXPECT_EQ((std::set<std::string>{"profile.ini", "profile.ini.lock"}),
              test::CTempFolder::NamesIn(folder))
        << "no temporary file is left";
}

TEST_F(ProfileStoreTest, ProfileBehindALinkIsSavedWhereTheLinkPoints) {
    const std::string real = m_folder.Path() + "/dotfiles.ini";
    test::WriteFile(real, "[s]\nk=old\n");
    ASSERT_EQ(0, ::symlink(real.c_str(), (m_folder.Path() + "/link.ini").c_str()));
    CProfileStore store(m_folder.Path() + "/link.ini");
    ASSERT_TRUE(store.WriteValue("s", "k", "new").Ok());
    struct stat st;
    ASSERT_EQ(0, ::lstat((m_folder.Path() + "/link.ini").c_str(), &st));
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ("[s]\nk=new\n", test::ReadFile(real));
}

TEST_F(ProfileStoreTest, DanglingLinkIsSavedWhereItPointsAndStaysALink) {
    const std::string link = m_folder.Path() + "/link.ini";
    const std::string real = m_folder.Path() + "/dotfiles/varlo/profile.ini";
    // Relative, through a second link, to a file in folders that do not exist yet.
    ASSERT_EQ(0, ::symlink("hop.ini", link.c_str()));
    ASSERT_EQ(0, ::symlink("dotfiles/varlo/profile.ini", (m_folder.Path() + "/hop.ini").c_str()));
    CProfileStore store(link);
    ASSERT_TRUE(store.WriteValue("s", "k", "v").Ok());
    ASSERT_TRUE(store.WriteValue("s", "k2", "w").Ok());
    EXPECT_EQ("[s]\nk=v\nk2=w\n", test::ReadFile(real));
    for (const std::string name : {"/link.ini", "/hop.ini"}) {
        struct stat st;
        ASSERT_EQ(0, ::lstat((m_folder.Path() + name).c_str(), &st));
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << name;
    }

    // Links that go round in a circle lead nowhere: the save is refused and both stay links.
    ASSERT_EQ(0, ::symlink("b.ini", (m_folder.Path() + "/a.ini").c_str()));
    ASSERT_EQ(0, ::symlink("a.ini", (m_folder.Path() + "/b.ini").c_str()));
    CProfileStore circle(m_folder.Path() + "/a.ini");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(circle.WriteValue("s", "k", "v").Ok());
    EXPECT_NE(std::string::npos,
              ::testing::internal::GetCapturedStderr().find("Too many levels of symbolic links"));
    struct stat st;
    ASSERT_EQ(0, ::lstat((m_folder.Path() + "/a.ini").c_str(), &st));
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST_F(ProfileStoreTest, TwoCopiesSavingAtOnceBothKeepTheirValues) {
    constexpr int kSaves = 60;
    CProfileStore store(Profile());
    ASSERT_TRUE(store.WriteValue("start", "k", "0").Ok());
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            bool ok = true;  // a key of its own at every save: a save that lost one shows
            for (int i = 1; i <= kSaves; ++i) {
                ok = store.WriteValue("copy" + std::to_string(c), "k" + std::to_string(i), "v")
                         .Ok() &&
                     ok;
            }
            ::_exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(child, ::waitpid(child, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::string lost;
    for (const std::string section : {"copy0", "copy1"}) {
        for (int i = 1; i <= kSaves; ++i) {
            const std::string key = "k" + std::to_string(i);
            lost += store.ReadValue(section, key) == Value("v") ? "" : " " + section + "/" + key;
        }
    }
    EXPECT_EQ("", lost);
    EXPECT_EQ(Value("0"), store.ReadValue("start", "k"));
}

TEST_F(ProfileStoreTest, WriterKilledAtAnyMomentLeavesAWholeProfile) {
    // Large values make each save take long enough to be interrupted in the middle.
    const std::string foreign = "; keep\n[other]\nkey=" + std::string(200000, 'f') + "\n";
    CProfileStore store(Profile());
    ASSERT_TRUE(store.WriteValue("s", "k", "a").Ok());
    test::WriteFile(Profile(), foreign + test::ReadFile(Profile()));
    std::mt19937 random(20261207);
    for (int round = 0; round < 25; ++round) {
        pid_t writer = ::fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            for (char c = 'a';; c = c == 'z' ? 'a' : static_cast<char>(c + 1)) {
                store.WriteValue("s", "k", std::string(100000, c));
            }
        }
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 20000)(random));
        ::kill(writer, SIGKILL);
        ::waitpid(writer, nullptr, 0);

        const std::string text = test::ReadFile(Profile());
        ASSERT_EQ(0u, text.find(foreign)) << "round " << round;
        const Value value = FindProfileValue(text, "s", "k");
        ASSERT_TRUE(value.has_value());
        EXPECT_TRUE(*value == "a" ||
                    (value->size() == 100000 &&
                     value->find_first_not_of(value->front()) == std::string::npos))
            << "round " << round << ": a value of " << value->size() << " bytes";
    }
}

}  // namespace
}  // namespace varlo
