#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "sound/wave.h"
#include "wave_builder.h"

namespace fs = std::filesystem;
using namespace wave_builder;

namespace {

class Wave : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::remove_all("waves");
        fs::create_directories("waves");
    }

    static std::string put(const char* name, const bytes& b)
    {
        std::string path = std::string("waves/") + name;
        write(path, b);
        return path;
    }

    wave_reader reader;
};

TEST_F(Wave, CanonicalFileGivesTheFixedOffsets)
{
    bytes samples = samples16({1, -2, 3, -4, 5, -6});
    bytes file = canonical(2, 16, 22050, samples);
    ASSERT_EQ(file.size(), 44u + samples.size());
    ASSERT_TRUE(wave_open(reader, put("a.wav", file).c_str()));

    EXPECT_EQ(reader.data_offset, 44u);
    EXPECT_EQ(reader.cursor, 44u);
    EXPECT_EQ(wave_data_size(reader), samples.size());
    const wave_format_record* f = wave_format(reader);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->format_tag, 1);
    EXPECT_EQ(f->channels, 2);
    EXPECT_EQ(f->samples_per_second, 22050u);
    EXPECT_EQ(f->average_bytes_per_second, 22050u * 4);
    EXPECT_EQ(f->block_align, 4);
    EXPECT_EQ(f->bits_per_sample, 16);
    EXPECT_STREQ(wave_error(), "");

    uint8_t got[12];
    EXPECT_EQ(wave_read(reader, got, 12), 12);
    EXPECT_EQ(0, std::memcmp(got, samples.data(), 12));
}

TEST_F(Wave, ExtraChunksAndALongFormatChunkAreWalkedOver)
{
    bytes samples = {10, 20, 30};
    bytes long_fmt = fmt_body(1, 8, 11025);
    long_fmt.push_back(0);  // an 18-byte record: cbSize = 0
    long_fmt.push_back(0);
    bytes file = riff({chunk("LIST", bytes {'a', 'b', 'c'}),  // odd: one pad byte follows
                       chunk("fmt ", long_fmt), chunk("fact", bytes(4, 0)), chunk("data", samples),
                       chunk("junk", bytes(8, 7))});
    ASSERT_TRUE(wave_open(reader, put("extra.wav", file).c_str()));
    EXPECT_EQ(wave_data_size(reader), 3u);
    EXPECT_EQ(wave_format(reader)->samples_per_second, 11025u);
    uint8_t got[3];
    EXPECT_EQ(wave_read(reader, got, 3), 3);
    EXPECT_EQ(got[0], 10);
    EXPECT_EQ(got[2], 30);
}

TEST_F(Wave, ExtensibleFormatWithPcmSubformatIsAccepted)
{
    bytes ext = fmt_body(2, 16, 44100, 0xFFFE);
    put16(ext, 22);          // extra bytes
    put16(ext, 16);          // valid bits
    put32(ext, 3);           // front left and right
    const uint8_t pcm[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    ext.insert(ext.end(), pcm, pcm + 16);
    bytes file = riff({chunk("fmt ", ext), chunk("data", constant16(5, 4))});
    EXPECT_TRUE(wave_open(reader, put("ext.wav", file).c_str()));

    ext[24] = 3;  // IEEE float subformat
    file = riff({chunk("fmt ", ext), chunk("data", constant16(5, 4))});
    EXPECT_FALSE(wave_open(reader, put("float.wav", file).c_str()));
}

TEST_F(Wave, ReadPastTheDataFillsSilenceAndReturnsWhatWasLeft)
{
    struct row {
        int bits;
        uint8_t silence;
    };
    for (row r : {row {8, 128}, row {16, 0}}) {
        SCOPED_TRACE(r.bits);
        bytes samples(4, 0x11);
        ASSERT_TRUE(wave_open(reader, put("s.wav", canonical(1, r.bits, 8000, samples)).c_str()));
        uint8_t got[10];
        std::memset(got, 0x55, sizeof got);
        EXPECT_EQ(wave_read(reader, got, 3), 3);
        EXPECT_EQ(wave_read(reader, got, 8), 1);  // one byte left, seven of silence
        EXPECT_EQ(got[0], 0x11);
        for (int i = 1; i < 8; ++i) EXPECT_EQ(got[i], r.silence) << i;
        EXPECT_EQ(got[8], 0x55);  // never past n

        // Everything read: 0, and nothing is written.
        std::memset(got, 0x55, sizeof got);
        EXPECT_EQ(wave_read(reader, got, 4), 0);
        EXPECT_EQ(got[0], 0x55);

        wave_rewind(reader);
        EXPECT_EQ(wave_read(reader, got, 4), 4);
    }
}

TEST_F(Wave, DataSizePastTheEndIsCutToTheBytesPresent)
{
    bytes file = riff({chunk("fmt ", fmt_body(1, 16, 8000)), chunk("data", constant16(9, 3), 1000)});
    ASSERT_TRUE(wave_open(reader, put("cut.wav", file).c_str()));
    EXPECT_EQ(wave_data_size(reader), 6u);
    uint8_t got[16];
    EXPECT_EQ(wave_read(reader, got, 16), 6);
}

TEST_F(Wave, ClosedReaderAnswersNothing)
{
    uint8_t got[4] = {1, 2, 3, 4};
    EXPECT_EQ(wave_read(reader, got, 4), 0);
    EXPECT_EQ(got[0], 1);
    EXPECT_EQ(wave_data_size(reader), 0u);
    EXPECT_EQ(wave_format(reader), nullptr);
    wave_rewind(reader);
    EXPECT_EQ(reader.cursor, 0u);

    ASSERT_TRUE(wave_open(reader, put("c.wav", canonical(1, 8, 8000, bytes(4, 1))).c_str()));
    wave_close(reader);
    EXPECT_EQ(reader.view, nullptr);
    EXPECT_EQ(wave_data_size(reader), 0u);
    wave_close(reader);  // twice is harmless
}

// Every damaged file is refused with a reason, and the reader is left closed.
TEST_F(Wave, DamagedFilesAreRefused)
{
    bytes good_fmt = fmt_body(1, 16, 8000);
    bytes data = chunk("data", constant16(1, 4));
    bytes short_fmt(good_fmt.begin(), good_fmt.begin() + 14);
    struct row {
        const char* what;
        bytes file;
    };
    const row rows[] = {
        {"empty", {}},
        {"header only", riff({})},
        {"36 bytes: no data chunk", riff({chunk("fmt ", good_fmt)})},
        {"not RIFF", [&] { bytes b = canonical(1, 16, 8000, constant16(1, 4)); b[0] = 'X'; return b; }()},
        {"not WAVE", riff({chunk("fmt ", good_fmt), data}, "AVI ")},
        {"fmt shorter than 16", riff({chunk("fmt ", short_fmt), data})},
        {"fmt past the end", [&] { bytes b = riff({}); bytes c = chunk("fmt ", good_fmt); b.insert(b.end(), c.begin(), c.begin() + 16); return b; }()},
        {"data before fmt", riff({data, chunk("fmt ", good_fmt)})},
        {"no fmt", riff({data})},
        {"not PCM", riff({chunk("fmt ", fmt_body(1, 16, 8000, 3)), data})},
        {"channels 0", riff({chunk("fmt ", fmt_body(0, 16, 8000, 1, 2)), data})},
        {"channels 3", riff({chunk("fmt ", fmt_body(3, 16, 8000)), data})},
        {"bits 0", riff({chunk("fmt ", fmt_body(1, 0, 8000, 1, 2)), data})},
        {"bits 24", riff({chunk("fmt ", fmt_body(1, 24, 8000)), data})},
        {"rate 0", riff({chunk("fmt ", fmt_body(1, 16, 0)), data})},
        {"block align 0", riff({chunk("fmt ", fmt_body(1, 16, 8000, 1, 0)), data})},
        {"block align 3", riff({chunk("fmt ", fmt_body(1, 16, 8000, 1, 3)), data})},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.what);
        // An open reader is closed by a failed open.
        ASSERT_TRUE(wave_open(reader, put("ok.wav", canonical(1, 8, 8000, bytes(2, 1))).c_str()));
        EXPECT_FALSE(wave_open(reader, put("bad.wav", r.file).c_str()));
        EXPECT_STRNE(wave_error(), "");
        EXPECT_EQ(reader.view, nullptr);
        EXPECT_EQ(wave_format(reader), nullptr);
        EXPECT_EQ(wave_data_size(reader), 0u);
    }
    EXPECT_FALSE(wave_open(reader, "waves/missing.wav"));
    EXPECT_STREQ(wave_error(), "the file cannot be opened");
}

TEST_F(Wave, ReasonsNameTheFault)
{
    struct row {
        bytes file;
        const char* reason;
    };
    bytes data = chunk("data", constant16(1, 4));
    const row rows[] = {
        {riff({chunk("fmt ", fmt_body(1, 16, 8000))}), "the file has no data chunk"},
        {riff({data, chunk("fmt ", fmt_body(1, 16, 8000))}), "the data chunk comes before the fmt chunk"},
        {riff({chunk("fmt ", fmt_body(1, 16, 8000, 1, 0)), data}), "the block align does not match the channels and bits"},
    };
    for (const row& r : rows) {
        EXPECT_FALSE(wave_open(reader, put("bad.wav", r.file).c_str()));
        EXPECT_STREQ(wave_error(), r.reason);
    }
}

}  // namespace
