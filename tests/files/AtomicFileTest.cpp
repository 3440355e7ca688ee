// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "TempFolder.h"
#include "files/AtomicFile.h"

namespace tarpel::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

const std::vector<std::uint8_t> NewBytes{1, 2, 3, 4};

TEST(AtomicFile, AReplacedFileKeepsItsPermissionsAndItsLinks) {
    TempFolder folder;
    const std::string target = folder.Path("image.bin");
    std::ofstream(target) << "old";
    ::chmod(target.c_str(), 0640);
    const std::string link = folder.Path("link.bin");
    fs::create_symlink(target, link);

    ASSERT_TRUE(files::WriteFileAtomically(link, NewBytes));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Contents(target), NewBytes);
    EXPECT_EQ(ModeOf(target), 0640u);
    // Nothing of the temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path("")), fs::directory_iterator()), 2);
}

TEST(AtomicFile, ANameNearTheFolderLimitStillSaves) {
    TempFolder folder;
    const std::string target = folder.Path(std::string(250, 'n') + ".bin");
    ASSERT_TRUE(files::WriteFileAtomically(target, NewBytes));
    EXPECT_EQ(Contents(target), NewBytes);
}

// Permissions bind only an ordinary user: the superuser may write anything.
TEST(AtomicFile, AReadOnlyFileIsRefusedAndAWritableFileInAReadOnlyFolderIsRewritten) {
    if (::geteuid() == 0) GTEST_SKIP() << "the superuser is not bound by file permissions";
    TempFolder folder;
    const std::string readOnly = folder.Path("locked.bin");
    std::ofstream(readOnly) << "keep";
    ::chmod(readOnly.c_str(), 0444);
    EXPECT_FALSE(files::WriteFileAtomically(readOnly, NewBytes));
    EXPECT_EQ(Contents(readOnly), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));

    const std::string writable = folder.Path("open.bin");
    std::ofstream(writable) << "old";
    ::chmod(folder.Path("").c_str(), 0555);
    EXPECT_TRUE(files::WriteFileAtomically(writable, NewBytes));
    EXPECT_FALSE(files::WriteFileAtomically(folder.Path("new.bin"), NewBytes));
    ::chmod(folder.Path("").c_str(), 0755);
    EXPECT_EQ(Contents(writable), NewBytes);
}

}  // namespace
}  // namespace tarpel::test
