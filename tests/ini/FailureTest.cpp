// Files that cannot be read or written: the error number reaches the caller and the old
// settings file survives a write that fails part way.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "LoadText.h"
#include "support/ErrorOf.h"

namespace zeb::testing {
namespace {

// Fails one chosen step of a file replacement with the given error number.
class FailingFileSystem : public FileSystem {
  public:
    enum class Step { Write, Sync, Rename };
    FailingFileSystem(Step step, int error) : step_(step), error_(error) {}

    ssize_t Write(int fd, const void* data, size_t size) const override {
        return Fail(Step::Write) ? -1 : FileSystem::Write(fd, data, size);
    }
    int Sync(int fd) const override { return Fail(Step::Sync) ? -1 : FileSystem::Sync(fd); }
    int Rename(const char* from, const char* to) const override {
        return Fail(Step::Rename) ? -1 : FileSystem::Rename(from, to);
    }

  private:
    bool Fail(Step step) const {
        if (step != step_) {
            return false;
        }
        errno = error_;
        return true;
    }
    Step step_;
    int error_;
};

// Writes at most a few bytes per call, as a write to a pipe or a busy disk may.
class TrickleFileSystem : public FileSystem {
  public:
    ssize_t Write(int fd, const void* data, size_t size) const override {
        return FileSystem::Write(fd, data, size < 3 ? size : 3);
    }
};

constexpr const char* kOldText = "[s]\r\nk=old\r\n";

class Failures : public ::testing::Test {
  protected:
    // A store loaded from an existing file and changed, whose writes go through `fs`.
    clsINI ChangedStore(std::shared_ptr<const FileSystem> fs) {
        WriteBytes(dir_.File("set.ini"), kOldText);
        clsINI ini(std::move(fs));
        ini.FileName(dir_.File("set.ini"));
        ini.Value("s", "k", "new");
        return ini;
    }
    TempDir dir_;
};

TEST_F(Failures, AFileThatExistsButCannotBeReadReportsItsErrorNumber) {
    // A folder under the settings name opens but cannot be read.
    std::filesystem::create_directory(dir_.Path() / "set.ini");
    clsINI ini;
    EXPECT_EQ(ErrorOf([&] { ini.FileName(dir_.File("set.ini")); }), EISDIR);
    EXPECT_EQ(ini.SectionsCount(), 0);
}

TEST_F(Failures, AFileWithoutReadPermissionReportsItsErrorNumber) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind the superuser";
    }
    WriteBytes(dir_.File("set.ini"), kOldText);
    ASSERT_EQ(::chmod(dir_.File("set.ini").c_str(), 0), 0);
    clsINI ini;
    EXPECT_EQ(ErrorOf([&] { ini.FileName(dir_.File("set.ini")); }), EACCES);
}

TEST_F(Failures, AMissingFileOrFolderIsNoError) {
    clsINI ini;
    EXPECT_EQ(ErrorOf([&] { ini.FileName(dir_.File("none/set.ini")); }), 0);
    EXPECT_EQ(ErrorOf([&] { ini.FileName(""); }), 0);
}

TEST_F(Failures, AFileThatCannotBeCreatedReportsItsErrorNumber) {
    clsINI ini;
    ini.FileName(dir_.File("none/set.ini"));
    ini.AddSection("s");
    EXPECT_EQ(ErrorOf([&] { ini.UpdateFile(); }), ENOENT);
}

// A changed store of set.ini, a link to "node", which does not exist yet.
clsINI StoreBehindLink(const TempDir& dir) {
    std::filesystem::create_symlink("node", dir.Path() / "set.ini");
    clsINI ini;
    ini.FileName(dir.File("set.ini"));
    ini.Value("s", "k", "new");
    return ini;
}

// Once the test made its node: loading refuses it at once (a pipe would wait for a writer
// forever), and a save fails before it writes anything, leaving the link and the node be.
void ExpectNodeLeftAlone(const TempDir& dir, clsINI& store, bool (*isKind)(mode_t)) {
    struct stat before {};
    ASSERT_EQ(::lstat(dir.File("node").c_str(), &before), 0);
    clsINI reader;
    EXPECT_EQ(ErrorOf([&] { reader.FileName(dir.File("set.ini")); }), ENOTSUP);

    std::string error = "no error";
    try {
        store.UpdateFile();
    } catch (const std::system_error& e) {
        error = e.what();
    }
    EXPECT_NE(error.find("node is a "), std::string::npos) << error;
    EXPECT_NE(error.find(", not a regular file"), std::string::npos) << error;

    struct stat after {};
    ASSERT_EQ(::lstat(dir.File("node").c_str(), &after), 0);
    EXPECT_TRUE(isKind(after.st_mode));
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("set.ini")));
    EXPECT_EQ(dir.Listing(), (std::vector<std::string>{"node", "set.ini"}));
}

TEST_F(Failures, ANamedPipeBehindTheSettingsLinkIsNeitherReadNorReplaced) {
    clsINI store = StoreBehindLink(dir_);
    ASSERT_EQ(::mkfifo(dir_.File("node").c_str(), 0600), 0);
    ExpectNodeLeftAlone(dir_, store, [](mode_t mode) { return S_ISFIFO(mode); });
}

TEST_F(Failures, ADeviceBehindTheSettingsLinkIsNeitherReadNorReplaced) {
    clsINI store = StoreBehindLink(dir_);
    // A node with the null device's numbers, in this test's own folder.
    if (::mknod(dir_.File("node").c_str(), S_IFCHR | 0600, ::makedev(1, 3)) != 0) {
        GTEST_SKIP() << "making a device node is not permitted here (" << std::strerror(errno)
                     << ")";
    }
    ExpectNodeLeftAlone(dir_, store, [](mode_t mode) { return S_ISCHR(mode); });
}

// In a sticky folder anyone may write to (/tmp), another user's link may have been planted to
// make the save replace one of this user's files: it is not followed, as the kernel would not.
TEST_F(Failures, AnotherUsersLinkInAStickyOpenFolderIsNotFollowed) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving a link to another user needs the superuser";
    }
    constexpr uid_t kOtherUser = 65534;
    clsINI ini;
    ini.FileName(dir_.File("set.ini"));
    ini.Value("s", "k", "new");
    // Planted after the load: the save is where the link would do its harm.
    ASSERT_EQ(::chmod(dir_.Path().c_str(), 01777), 0);
    WriteBytes(dir_.File("victim.ini"), kOldText);
    std::filesystem::create_symlink("victim.ini", dir_.Path() / "set.ini");
    ASSERT_EQ(::lchown(dir_.File("set.ini").c_str(), kOtherUser, kOtherUser), 0);

    std::string error = "no error";
    try {
        ini.UpdateFile();
    } catch (const std::system_error& e) {
        error = e.what();
        EXPECT_EQ(e.code().value(), EACCES);
    }
    EXPECT_NE(error.find("will not follow the link " + dir_.File("set.ini")), std::string::npos)
        << error;
    EXPECT_EQ(ReadBytes(dir_.File("victim.ini")), kOldText);
    EXPECT_EQ(dir_.Listing(), (std::vector<std::string>{"set.ini", "victim.ini"}));

    // The folder's owner's link is followed, as the kernel follows it.
    ASSERT_EQ(::chown(dir_.Path().c_str(), kOtherUser, kOtherUser), 0);
    EXPECT_TRUE(ini.UpdateFile());
    EXPECT_EQ(ReadBytes(dir_.File("victim.ini")), "[s]\r\nk=new\r\n\r\n");
    EXPECT_TRUE(std::filesystem::is_symlink(dir_.File("set.ini")));
}

TEST_F(Failures, AFailedWriteLeavesTheOldFileAndNoLeftovers) {
    using Step = FailingFileSystem::Step;
    for (const auto& [step, error] : {std::pair{Step::Write, ENOSPC}, std::pair{Step::Sync, EIO},
                                      std::pair{Step::Rename, EXDEV}}) {
        clsINI ini = ChangedStore(std::make_shared<FailingFileSystem>(step, error));
        EXPECT_EQ(ErrorOf([&] { ini.UpdateFile(); }), error);
        EXPECT_EQ(ReadBytes(dir_.File("set.ini")), kOldText);
        EXPECT_EQ(dir_.Listing(), std::vector<std::string>{"set.ini"});
    }
}

TEST_F(Failures, ShortWritesStillWriteEverything) {
    clsINI ini = ChangedStore(std::make_shared<TrickleFileSystem>());
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(ReadBytes(dir_.File("set.ini")), "[s]\r\nk=new\r\n\r\n");
}

}  // namespace
}  // namespace zeb::testing
