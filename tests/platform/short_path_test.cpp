// SPDX-License-Identifier: GPL-3.0-or-later
// The short path stand-in on real files: blank-free paths pass unchanged, others become links
// from a private folder that name the same file and keep the extension. Names are bytes: one
// that is not UTF-8 passes or is linked to just the same.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/short_path.h"

namespace zelko {

namespace fs = std::filesystem;
using zelko::platform::getShortPathName;

namespace {

class ShortPath : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(::mkdtemp(m_dir.data())); }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string makeFile(const std::string& name)
    {
        fs::path path = m_dir + "/" + name;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "data";
        return path.string();
    }
    std::string m_dir = (fs::temp_directory_path() / "zelko-short-XXXXXX").string();
};

TEST_F(ShortPath, SplittingPathsBecomeShortLinksToTheSameFileAndMissingFilesGiveZero)
{
    const std::string deep = std::string(120, 'd') + "/" + std::string(120, 'e') + "/clip.mpg";
    for (std::string name : {"clip.mpg", "Ünïcödé-名前.mp3", "a,b;c'(d).wav", "my clip.mpg", "say \"hi\".mp3",
                             "tab\there.wav", "nöt \"q\".MPG", "na\xEFve.wav", "caf\xE9 \x93q\x94.wav", deep.c_str()}) {
        std::string path = makeFile(name);
        char buffer[255] = {};
        uint32_t n = getShortPathName(path, buffer, sizeof buffer);
        ASSERT_TRUE(n > 0 && n < sizeof buffer) << path;
        std::string shortPath(buffer, n);
        bool unchanged = path.size() <= 128 && path.find_first_of(" \t\"") == std::string::npos;
        EXPECT_EQ(shortPath == path, unchanged) << shortPath;
        EXPECT_EQ(shortPath.find_first_of(" \t\"\r\n"), std::string::npos) << shortPath;
        EXPECT_LE(shortPath.size(), 128u);  // the opening command is never cut
        EXPECT_TRUE(fs::equivalent(shortPath, path)) << shortPath;
        EXPECT_EQ(fs::path(shortPath).extension(), fs::path(path).extension()) << shortPath;
        if (!unchanged) {
            EXPECT_EQ(fs::status(fs::path(shortPath).parent_path()).permissions(), fs::perms::owner_all);
        }
    }
    // A missing file gives 0; a buffer too small gets the size needed and nothing written.
    char buffer[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
    for (std::string missing : {m_dir + "/missing.mpg", m_dir + "/missing one.mpg", std::string()}) {
        EXPECT_EQ(getShortPathName(missing, buffer, sizeof buffer), 0u) << missing;
    }
    std::string path = makeFile("clip.mpg");
    EXPECT_EQ(getShortPathName(path, buffer, sizeof buffer), path.size() + 1);
    EXPECT_EQ(std::string(buffer, 8), "xxxxxxxx");  // nothing written
    EXPECT_EQ(getShortPathName(path, nullptr, 0), path.size() + 1);
    std::vector<char> exact(path.size() + 1);
    EXPECT_EQ(getShortPathName(path, exact.data(), static_cast<uint32_t>(exact.size())), path.size());
    EXPECT_EQ(std::string(exact.data()), path);
}

TEST_F(ShortPath, LinksAreRemovedWhenTheProcessExits)
{
    std::string path = makeFile("gone at exit.mpg");
    FILE* child = ::popen((ZELKO_SHORT_PATH_CHILD " '" + path + "'").c_str(), "r");
    ASSERT_NE(child, nullptr);
    char link[256] = {};
    ASSERT_GT(std::fread(link, 1, sizeof link - 1, child), 0u);
    ASSERT_EQ(::pclose(child), 0);
    EXPECT_NE(link, path);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << link;
    EXPECT_FALSE(fs::exists(fs::path(link).parent_path())) << link;
    EXPECT_TRUE(fs::exists(path));
}

}  // namespace

}  // namespace zelko
