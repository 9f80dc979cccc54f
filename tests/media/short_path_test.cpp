// The short path stand-in on real files: blank-free paths pass unchanged, others become links
// from a private folder that names the same file and keeps the extension.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/short_path.h"

namespace fs = std::filesystem;
using zelko::platform::getShortPathName;

namespace {

class ShortPath : public testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "zelko-short-XXXXXX").string();
        ASSERT_TRUE(::mkdtemp(pattern.data()));
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string makeFile(const std::string& name)
    {
        fs::path path = m_dir / name;
        std::ofstream(path) << "data";
        return path.string();
    }

    static std::string shortOf(const std::string& path)
    {
        char buffer[255] = {};
        uint32_t n = getShortPathName(path, buffer, sizeof buffer);
        EXPECT_GT(n, 0u) << path;
        EXPECT_LT(n, sizeof buffer);
        return std::string(buffer, n < sizeof buffer ? n : 0);
    }

    static bool sameFile(const std::string& a, const std::string& b)
    {
        struct stat sa {}, sb {};
        return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
               sa.st_ino == sb.st_ino;
    }

    fs::path m_dir;
};

TEST_F(ShortPath, PathWithoutBlanksPassesUnchanged)
{
    for (const char* name : {"clip.mpg", "Ünïcödé-名前.mp3", "a,b;c'(d).wav"}) {
        std::string path = makeFile(name);
        EXPECT_EQ(shortOf(path), path);
    }
}

TEST_F(ShortPath, BlanksQuotesAndTabsBecomeALinkToTheSameFile)
{
    for (const char* name : {"my clip.mpg", "say \"hi\".mp3", "tab\there.wav", "nöt ascii \"q\".MPG"}) {
        std::string path = makeFile(name);
        std::string shortPath = shortOf(path);
        EXPECT_EQ(shortPath.find_first_of(" \t\"\r\n"), std::string::npos) << shortPath;
        EXPECT_TRUE(sameFile(shortPath, path)) << shortPath;
        EXPECT_EQ(fs::path(shortPath).extension(), fs::path(path).extension()) << shortPath;
        struct stat folder {};
        ASSERT_EQ(::stat(fs::path(shortPath).parent_path().c_str(), &folder), 0);
        EXPECT_EQ(folder.st_mode & 0777, 0700u);
    }
}

TEST_F(ShortPath, LongPathBecomesAShortLinkSoTheOpeningCommandIsNeverCut)
{
    fs::path folder = m_dir / std::string(120, 'd') / std::string(120, 'e');
    fs::create_directories(folder);
    std::string path = (folder / "clip.mpg").string();
    std::ofstream(path) << "data";
    std::string shortPath = shortOf(path);
    EXPECT_LE(shortPath.size(), 128u);
    EXPECT_TRUE(sameFile(shortPath, path));
    EXPECT_EQ(fs::path(shortPath).extension(), ".mpg");
}

TEST_F(ShortPath, SameFileGetsTheSameLink)
{
    std::string path = makeFile("twice over.mpg");
    EXPECT_EQ(shortOf(path), shortOf(path));
}

TEST_F(ShortPath, RelativePathWithBlanksLinksTheRightFile)
{
    std::string path = makeFile("relative one.wav");
    fs::path old = fs::current_path();
    fs::current_path(m_dir);
    std::string shortPath = shortOf("relative one.wav");
    fs::current_path(old);
    EXPECT_TRUE(sameFile(shortPath, path));
}

TEST_F(ShortPath, MissingFileIsZero)
{
    char buffer[255] = {'x'};
    EXPECT_EQ(getShortPathName((m_dir / "missing.mpg").string(), buffer, sizeof buffer), 0u);
    EXPECT_EQ(getShortPathName((m_dir / "missing one.mpg").string(), buffer, sizeof buffer), 0u);
    EXPECT_EQ(getShortPathName("", buffer, sizeof buffer), 0u);
    EXPECT_EQ(buffer[0], 'x');
}

TEST_F(ShortPath, SmallBufferGetsTheSizeNeededAndNothingWritten)
{
    std::string path = makeFile("clip.mpg");
    char buffer[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(getShortPathName(path, buffer, sizeof buffer), path.size() + 1);
    EXPECT_EQ(std::string(buffer, 8), "xxxxxxxx");
    EXPECT_EQ(getShortPathName(path, nullptr, 0), path.size() + 1);
    std::vector<char> exact(path.size() + 1);
    EXPECT_EQ(getShortPathName(path, exact.data(), static_cast<uint32_t>(exact.size())), path.size());
    EXPECT_EQ(std::string(exact.data()), path);
}

TEST_F(ShortPath, LinksAreRemovedWhenTheProcessExits)
{
    std::string path = makeFile("gone at exit.mpg");
    int output[2];
    ASSERT_EQ(::pipe(output), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(output[1], STDOUT_FILENO);
        ::execl(ZELKO_SHORT_PATH_CHILD, "short_path_child", path.c_str(), nullptr);
        ::_exit(127);
    }
    ::close(output[1]);
    std::string link;
    char chunk[256];
    for (ssize_t n; (n = ::read(output[0], chunk, sizeof chunk)) > 0;)
        link.append(chunk, static_cast<std::size_t>(n));
    ::close(output[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_FALSE(link.empty());
    EXPECT_NE(link, path);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << link;
    EXPECT_FALSE(fs::exists(fs::path(link).parent_path())) << link;
    EXPECT_TRUE(fs::exists(path));
}

}  // namespace
