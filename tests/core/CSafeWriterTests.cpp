// CSafeWriter: what each kind of existing path ends as after a write, and
// that nothing half-written or temporary is ever left behind.
#include "core/CSafeWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

class SafeWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() / ("qf_safewriter_" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::permissions(folder, std::filesystem::perms::all, ignored);
        std::filesystem::remove_all(folder, ignored);
    }
    std::string file(const std::string& name) const { return (folder / name).string(); }
    std::vector<std::string> list() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::filesystem::path folder;
};

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

bool save(const std::string& path, const std::string& text, std::string* error = nullptr)
{
    return CSafeWriter::writeFile(path, text.data(), text.size(), error);
}

// Runs `check` as an ordinary user: in a child that has become "nobody" when
// the tests run as root, else in this process. True when the check passed.
bool asOrdinaryUser(const std::function<bool()>& check)
{
    if (::geteuid() != 0)
        return check();
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
        ::_exit(dropped && check() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

TEST_F(SafeWriterTest, ReplacesOnlyOnCommitKeepingPermissionsAndBreakingHardLinks)
{
    const std::string path = file("atlas.png");
    writeFile(path, "good");
    ::chmod(path.c_str(), 0640);
    ASSERT_EQ(::link(path.c_str(), file("other").c_str()), 0);
    {
        CSafeWriter writer;
        ASSERT_TRUE(writer.open(path, nullptr));
        writer.write("half", 4);
        // Abandoned (as after a failed encode): the good file stays.
    }
    EXPECT_EQ(readFile(path), "good");
    EXPECT_EQ(list(), (std::vector<std::string>{"atlas.png", "other"}));

    ASSERT_TRUE(save(path, "new"));
    EXPECT_EQ(readFile(path), "new");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    // The chosen behaviour: the path gets a new file, the other link keeps the old one.
    EXPECT_EQ(readFile(file("other")), "good");
    EXPECT_EQ(list(), (std::vector<std::string>{"atlas.png", "other"}));
}

TEST_F(SafeWriterTest, FollowsSymbolicLinksAndTakesLongNames)
{
    writeFile(file("real.xml"), "old");
    std::filesystem::create_symlink("real.xml", file("link.xml"));
    ASSERT_TRUE(save(file("link.xml"), "through the link"));
    EXPECT_TRUE(std::filesystem::is_symlink(file("link.xml")));
    EXPECT_EQ(readFile(file("real.xml")), "through the link");

    // A name of 250 bytes leaves no room for a temporary named after it.
    const std::string longName = std::string(246, 'a') + ".png";
    std::string error;
    ASSERT_TRUE(save(file(longName), "long", &error)) << error;
    ASSERT_TRUE(save(file(longName), "longer", &error)) << error;
    EXPECT_EQ(readFile(file(longName)), "longer");
    EXPECT_EQ(list().size(), 3u);
}

TEST_F(SafeWriterTest, WritesPipesAndDevicesDirectlyWithoutReplacingThem)
{
    const std::string fifo = file("pipe.xml");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    std::string received;
    std::thread reader([&] { received = readFile(fifo); });
    std::string error;
    EXPECT_TRUE(save(fifo, "through the pipe", &error)) << error;
    reader.join();
    EXPECT_EQ(received, "through the pipe");
    struct stat info {};
    ASSERT_EQ(::lstat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    if (::geteuid() == 0) {
        // A private copy of the null device.
        const std::string null = file("null");
        ASSERT_EQ(::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
        EXPECT_TRUE(save(null, "gone", &error)) << error;
        ASSERT_EQ(::lstat(null.c_str(), &info), 0);
        EXPECT_TRUE(S_ISCHR(info.st_mode));
    }
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_FALSE(save("/dev/full", "x", &error));
        EXPECT_EQ(error, "cannot write /dev/full: no space left on device");
        EXPECT_TRUE(std::filesystem::exists("/dev/full"));
    }
    EXPECT_EQ(list().size(), ::geteuid() == 0 ? 2u : 1u); // no temporaries
}

TEST_F(SafeWriterTest, RefusesFoldersAndMissingFolders)
{
    std::filesystem::create_directory(file("taken.png"));
    std::string error;
    EXPECT_FALSE(save(file("taken.png"), "x", &error));
    EXPECT_EQ(error, "cannot open " + file("taken.png") + " for writing: is a directory");
    EXPECT_FALSE(save(file("missing/a.png"), "x", &error));
    EXPECT_EQ(error, "cannot open " + file("missing/a.png") + " for writing: no such file or directory");
    EXPECT_FALSE(save("", "x", &error));
    EXPECT_EQ(list(), std::vector<std::string>{"taken.png"});
}

TEST_F(SafeWriterTest, OrdinaryUserIsRefusedProtectedFilesAndWritesInPlaceInClosedFolders)
{
    // Set up as the owner, then act as someone who may not write the folder.
    const std::string locked = file("locked");
    std::filesystem::create_directory(locked);
    const std::string readOnly = locked + "/ro.png";
    const std::string writable = locked + "/rw.png";
    writeFile(readOnly, "keep me");
    writeFile(writable, "old content, longer than the new one");
    ::chmod(readOnly.c_str(), 0444);
    ::chmod(writable.c_str(), 0666);
    ::chmod(folder.c_str(), 0755);
    ::chmod(locked.c_str(), 0555);

    EXPECT_TRUE(asOrdinaryUser([&] {
        std::string error;
        if (save(readOnly, "replaced", &error) || error != "cannot open " + readOnly + " for writing: permission denied")
            return false;
        // No temporary can be created in the folder; the file is rewritten in place.
        return save(writable, "new", &error) && readFile(writable) == "new";
    }));
    EXPECT_EQ(readFile(readOnly), "keep me");
    EXPECT_EQ(readFile(writable), "new");
    struct stat info {};
    ASSERT_EQ(::stat(readOnly.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0444u);
    ::chmod(locked.c_str(), 0755);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(locked), std::filesystem::directory_iterator()), 2);
}

TEST_F(SafeWriterTest, StaleTemporariesOfEndedWritersGoOthersStay)
{
    // An ended process's file goes; a live one's, ours, an old-style one
    // that is recent, and names that only look alike stay.
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ASSERT_GT(ended, 0);
    ::waitpid(ended, nullptr, 0);
    const std::string dead = ".qf-" + std::to_string(ended) + "-abcDE1";
    const std::string live = ".qf-1-abcDE1"; // init never ends
    const std::string ours = ".qf-" + std::to_string(::getpid()) + "-abcDE1";
    const std::vector<std::string> kept = {live, ours, ".qf-abcDE1", ".qf-" + std::to_string(ended) + "-abc",
                                           ".qf-x1-abcDE1", "qf-" + std::to_string(ended) + "-abcDE1"};
    writeFile(file(dead), "litter");
    for (const std::string& name : kept)
        writeFile(file(name), "keep");
    EXPECT_EQ(CSafeWriter::removeStaleTemporaries(folder.string()), 1u);
    std::vector<std::string> expected = kept;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(list(), expected);
}

TEST_F(SafeWriterTest, SetsArePreparedThenRenamedInOrder)
{
    writeFile(file("a"), "old a");
    CSafeWriter first;
    CSafeWriter second;
    ASSERT_TRUE(first.open(file("a"), nullptr));
    ASSERT_TRUE(second.open(file("b"), nullptr));
    first.write("new a", 5);
    second.write("new b", 5);
    ASSERT_TRUE(first.prepare(nullptr));
    EXPECT_EQ(readFile(file("a")), "old a"); // prepared, not yet in place
    std::string error;
    ASSERT_TRUE(CSafeWriter::commitAll({&first, &second}, &error)) << error;
    EXPECT_EQ(readFile(file("a")), "new a");
    EXPECT_EQ(readFile(file("b")), "new b");
    EXPECT_EQ(list(), (std::vector<std::string>{"a", "b"}));
}
