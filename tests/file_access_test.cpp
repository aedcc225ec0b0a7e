#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/byte_reader.h"
#include "core/cp1251.h"
#include "core/file_access.h"

namespace fs = std::filesystem;

namespace {

// Each test works in a fresh folder below the test's working directory.
class FileAccess : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::remove_all("files");
        fs::create_directories("files/sub");
    }
    void TearDown() override
    {
        inject_write_failure(0);
        inject_rename_failure(false);
    }

    static std::string contents(const char* path)
    {
        char buffer[4096];
        int64_t n = read_whole_file(path, buffer, sizeof buffer);
        return n < 0 ? std::string("<missing>") : std::string(buffer, n);
    }

    static void write_file(const char* path, const std::string& text)
    {
        file_id f = open_write(path);
        ASSERT_NE(f, invalid_file);
        ASSERT_EQ(write_bytes(f, text.data(), static_cast<int>(text.size())), static_cast<int>(text.size()));
        close_file(f);
    }
};

TEST_F(FileAccess, BackslashPathsNameTheSameFile)
{
    write_file("files\\sub\\a.bin", "hello");
    EXPECT_TRUE(fs::exists("files/sub/a.bin"));
    EXPECT_EQ(contents("files/sub/a.bin"), "hello");
}

TEST_F(FileAccess, OpenReadOfMissingFileCreatesNothing)
{
    EXPECT_EQ(open_read("files\\missing.bin"), invalid_file);
    EXPECT_FALSE(fs::exists("files/missing.bin"));
}

TEST_F(FileAccess, OpenReadRefusesAFolder)
{
    EXPECT_EQ(open_read("files\\sub"), invalid_file);
}

TEST_F(FileAccess, OpenWriteTruncatesBeforeTheFirstWrite)
{
    write_file("files/a.bin", "old contents");
    file_id f = open_write("files/a.bin");
    ASSERT_NE(f, invalid_file);
    EXPECT_EQ(fs::file_size("files/a.bin"), 0u);
    close_file(f);
}

TEST_F(FileAccess, ShortReadReportsWhatWasRead)
{
    write_file("files/a.bin", "abc");
    file_id f = open_read("files/a.bin");
    char buffer[8] = "xxxxxxx";
    EXPECT_EQ(read_bytes(f, buffer, 8), 3);
    EXPECT_EQ(std::string(buffer, 4), "abcx");  // the rest keeps what it held
    EXPECT_EQ(read_bytes(f, buffer, 8), 0);
    close_file(f);
}

TEST_F(FileAccess, OverlongPathIsRefused)
{
    std::string name = "files/" + std::string(max_path_length, 'a');
    EXPECT_EQ(open_write(name.c_str()), invalid_file);
    save_file save;
    EXPECT_FALSE(begin_save(save, name.c_str()));
}

TEST_F(FileAccess, ReadWholeFileRefusesLargerThanBuffer)
{
    write_file("files/a.bin", "0123456789");
    char buffer[16];
    EXPECT_EQ(read_whole_file("files/a.bin", buffer, 9), -1);
    EXPECT_EQ(read_whole_file("files/a.bin", buffer, 10), 10);
}

TEST_F(FileAccess, SaveReplacesTheFileWhole)
{
    write_file("files/a.bin", "old");
    save_file save;
    ASSERT_TRUE(begin_save(save, "files\\a.bin"));
    save_u16(save, 0x1234);
    save_i32(save, -2);
    save_u8(save, 0x1FF);
    EXPECT_EQ(contents("files/a.bin"), "old");  // untouched until the save ends
    ASSERT_TRUE(end_save(save));
    EXPECT_EQ(contents("files/a.bin"), std::string("\x34\x12\xFE\xFF\xFF\xFF\xFF", 7));
    EXPECT_FALSE(fs::exists("files/a.bin.saving"));
}

// Each fault leaves the old file byte for byte and no temporary file behind.
TEST_F(FileAccess, FailedSavesKeepTheOldFile)
{
    struct fault {
        const char* name;
        int failing_write;
        bool failing_rename;
    };
    const fault faults[] = {
        {"first write half done", 1, false},
        {"third write half done", 3, false},
        {"rename fails", 0, true},
    };
    for (const fault& f : faults) {
        SCOPED_TRACE(f.name);
        write_file("files/a.bin", "precious");
        inject_write_failure(f.failing_write);
        inject_rename_failure(f.failing_rename);
        save_file save;
        ASSERT_TRUE(begin_save(save, "files/a.bin"));
        for (int i = 0; i < 4; ++i)
            save_i32(save, i);
        EXPECT_FALSE(end_save(save));
        EXPECT_EQ(contents("files/a.bin"), "precious");
        EXPECT_FALSE(fs::exists("files/a.bin.saving"));
        inject_write_failure(0);
        inject_rename_failure(false);
    }
}

TEST_F(FileAccess, SaveIntoMissingFolderFails)
{
    save_file save;
    forget_file_problem();
    EXPECT_FALSE(begin_save(save, "files\\nowhere\\a.bin"));
    EXPECT_FALSE(end_save(save));
    EXPECT_EQ(last_file_failure(), failure_missing);
}

// The program's code page 1251 names are UTF-8 on disk, every way in: a
// plain write, an atomic save, a read, the existence test. The one byte
// without a character names no file; names taken as given pass untouched.
TEST_F(FileAccess, CyrillicNamesAreUtf8OnDisk)
{
    write_file("files\\карта.bin"_cp, "plain");
    EXPECT_EQ(contents("files/карта.bin"_cp), "plain");
    EXPECT_TRUE(fs::exists("files/карта.bin"));
    save_file save;
    ASSERT_TRUE(begin_save(save, "files\\орк-тест.bin"_cp));
    save_u8(save, 'x');
    ASSERT_TRUE(end_save(save));
    EXPECT_EQ(contents("files/орк-тест.bin"_cp), "x");
    EXPECT_TRUE(fs::exists("files/орк-тест.bin"));
    EXPECT_TRUE(file_exists("files\\орк-тест.bin"_cp));
    EXPECT_FALSE(file_exists("files\\sub"));

    forget_file_problem();
    EXPECT_EQ(open_write("files/bad\x98.bin"), invalid_file);
    EXPECT_EQ(last_file_failure(), failure_bad_name);

    take_names_as_given(true);
    EXPECT_EQ(contents("files/карта.bin"), "plain");
    take_names_as_given(false);
}

// A folder's files of one kind, as the open dialogs list them: sorted with
// case folded, Latin before Cyrillic, without hidden files, folders,
// temporary files, other kinds or names code page 1251 cannot spell; the
// first of them when the table is small.
TEST_F(FileAccess, ListsTheFilesOfOneKind)
{
    for (const char* name : {"files/b.map", "files/A.map", "files/карта.map"_cp, "files/Ёлка.map"_cp,
                             "files/x.map.saving", "files/.hidden.map", "files/c.txt", "files/.map"})
        write_file(name, "m");
    // A name made elsewhere, in letters code page 1251 has not.
    std::fclose(std::fopen("files/日本.map", "w"));
    fs::create_directories("files/dir.map");
    char names[8][listed_name_size];
    ASSERT_EQ(list_files("files\\", ".map", names, 8), 4);
    EXPECT_STREQ(names[0], "A");
    EXPECT_STREQ(names[1], "b");
    EXPECT_STREQ(names[2], "Ёлка"_cp);
    EXPECT_STREQ(names[3], "карта"_cp);
    ASSERT_EQ(list_files("files", ".map", names, 2), 2);
    EXPECT_STREQ(names[1], "b");
    EXPECT_EQ(list_files("files\\nowhere", ".map", names, 8), 0);
}

// What the editors' status lines say comes from here: why an open or a
// save failed.
TEST_F(FileAccess, FailuresSayWhy)
{
    forget_file_problem();
    EXPECT_EQ(open_read("files\\missing.bin"), invalid_file);
    EXPECT_EQ(last_file_failure(), failure_missing);
    EXPECT_EQ(last_file_problem(), file_cannot_open);

    write_file("files/a.bin", "precious");
    forget_file_problem();
    inject_disk_full(3);
    save_file save;
    ASSERT_TRUE(begin_save(save, "files/a.bin"));
    save_i32(save, 1);
    EXPECT_FALSE(end_save(save));
    inject_disk_full(-1);
    EXPECT_EQ(last_file_failure(), failure_disk_full);
    EXPECT_EQ(contents("files/a.bin"), "precious");

    forget_file_problem();
    EXPECT_EQ(last_file_failure(), failure_none);
    EXPECT_EQ(last_file_problem(), file_ok);
}

}  // namespace

TEST(ByteReader, ReadsLittleEndianAndStopsAtTheEnd)
{
    const uint8_t bytes[] = {0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0x07};
    byte_reader r {bytes, sizeof bytes};
    EXPECT_EQ(r.u16(), 0x1234u);
    EXPECT_EQ(r.i32(), -2);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.u16(), 0u);  // one byte left: refused, not half read
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.u8(), 0u);
}
