#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "sound/mixer.h"

namespace {

// Every test starts with no buffers.
class Mixer : public ::testing::Test {
protected:
    void SetUp() override { mixer_release_all(); }
    void TearDown() override { mixer_release_all(); }

    // A buffer of frames frames, every sample of channel c set to value[c].
    static void make(int buffer, int channels, uint32_t rate, uint32_t frames, int16_t left, int16_t right = 0)
    {
        int16_t* s = mixer_create(buffer, channels, rate, frames);
        ASSERT_NE(s, nullptr);
        for (uint32_t i = 0; i < frames; ++i) {
            s[i * channels] = left;
            if (channels == 2) s[i * 2 + 1] = right;
        }
    }

    static std::vector<int16_t> pull(int frames)
    {
        std::vector<int16_t> out(2 * frames, 12345);
        mixer_mix(out.data(), frames);
        return out;
    }

    // Device frames until the buffer stops, pulled one frame at a time.
    static int frames_until_stopped(int buffer, int limit)
    {
        int n = 0;
        int16_t out[2];
        while (mixer_playing(buffer) && n < limit) {
            mixer_mix(out, 1);
            ++n;
        }
        return n;
    }
};

int expected(double amplitude, int32_t hundredths)
{
    if (hundredths <= -10000) return 0;
    return static_cast<int>(std::lround(amplitude * std::pow(10.0, hundredths / 2000.0)));
}

TEST_F(Mixer, VolumeAndPanAttenuateEachSideByHundredthsOfADecibel)
{
    struct row {
        int32_t volume, pan;
        int32_t left_db, right_db;  // attenuation each side should get
    };
    const row rows[] = {
        {0, 0, 0, 0},
        {-600, 0, -600, -600},
        {-2000, 0, -2000, -2000},
        {-10000, 0, -10000, -10000},
        {0, -10000, 0, -10000},     // full left: the right channel is silent
        {0, 10000, -10000, 0},
        {0, -600, 0, -600},
        {0, 600, -600, 0},
        {-300, 400, -700, -300},
        {-6000, -6000, -6000, -10000},  // past -10000 together: silent
    };
    const int16_t level = 16000;
    for (const row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.volume << " " << r.pan);
        make(0, 1, 44100, 1000, level);
        ASSERT_TRUE(mixer_set_volume(0, r.volume));
        ASSERT_TRUE(mixer_set_pan(0, r.pan));
        mixer_play(0, false);
        std::vector<int16_t> out = pull(100);
        EXPECT_NEAR(out[100], expected(level, r.left_db), 1);
        EXPECT_NEAR(out[101], expected(level, r.right_db), 1);
    }
    // -600 is half the amplitude within a quarter of a percent.
    EXPECT_NEAR(expected(level, -600) / double(level), 0.5012, 0.0001);
}

TEST_F(Mixer, StereoBuffersKeepTheirSides)
{
    make(3, 2, 44100, 50, 1000, -2000);
    mixer_play(3, false);
    std::vector<int16_t> out = pull(10);
    EXPECT_EQ(out[0], 1000);
    EXPECT_EQ(out[1], -2000);
    ASSERT_TRUE(mixer_set_pan(3, -10000));
    out = pull(10);
    EXPECT_EQ(out[0], 1000);
    EXPECT_EQ(out[1], 0);
}

TEST_F(Mixer, MixingSaturatesInsteadOfWrapping)
{
    make(0, 1, 44100, 100, 30000);
    make(1, 1, 44100, 100, 30000);
    make(2, 1, 44100, 100, -30000);
    make(3, 1, 44100, 100, -30000);
    mixer_play(0, false);
    mixer_play(1, false);
    std::vector<int16_t> out = pull(4);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[1], 32767);
    mixer_stop(0);
    mixer_stop(1);
    mixer_play(2, false);
    mixer_play(3, false);
    out = pull(4);
    EXPECT_EQ(out[0], -32768);
}

TEST_F(Mixer, EightBitSilenceMixesToZero)
{
    const uint8_t pcm[6] = {128, 128, 128, 255, 0, 129};
    int16_t* s = mixer_create(0, 1, 44100, 6);
    ASSERT_NE(s, nullptr);
    mixer_convert(pcm, 8, s, 6);
    EXPECT_EQ(s[0], 0);
    EXPECT_EQ(s[3], 127 * 256);
    EXPECT_EQ(s[4], -128 * 256);
    EXPECT_EQ(s[5], 256);
    mixer_play(0, false);
    std::vector<int16_t> out = pull(3);
    for (int16_t v : out) EXPECT_EQ(v, 0);

    const uint8_t pcm16[4] = {0x34, 0x12, 0xFF, 0xFF};
    int16_t w[2];
    mixer_convert(pcm16, 16, w, 2);
    EXPECT_EQ(w[0], 0x1234);
    EXPECT_EQ(w[1], -1);
}

TEST_F(Mixer, OneShotStopsAtItsEndAndLoopsGoOn)
{
    make(0, 1, 44100, 100, 1000);
    mixer_play(0, false);
    EXPECT_EQ(frames_until_stopped(0, 1000), 100);
    std::vector<int16_t> out = pull(10);
    EXPECT_EQ(out[0], 0);

    // A buffer ending inside a long pull: silence after its last frame.
    mixer_rewind(0);
    mixer_play(0, false);
    out = pull(150);
    EXPECT_EQ(out[2 * 99], 1000);
    EXPECT_EQ(out[2 * 100], 0);
    EXPECT_FALSE(mixer_playing(0));

    // A ramp that loops repeats itself exactly.
    int16_t* s = mixer_create(1, 1, 44100, 7);
    for (int i = 0; i < 7; ++i) s[i] = static_cast<int16_t>(100 * i);
    mixer_play(1, true);
    out = pull(3000);
    EXPECT_TRUE(mixer_playing(1));
    for (int k = 0; k < 3000; ++k) ASSERT_EQ(out[2 * k], 100 * (k % 7)) << k;
}

TEST_F(Mixer, PlaybackRateSetsTheDuration)
{
    struct row {
        uint32_t rate, frequency;
        int device_frames;
    };
    // 441 frames each.
    const row rows[] = {
        {44100, 0, 441},
        {22050, 0, 882},       // half the device rate: twice as long
        {22050, 44100, 441},   // twice the file's rate: half as long
        {44100, 88200, 221},
        {11025, 0, 1764},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.rate << " at " << r.frequency);
        make(0, 1, r.rate, 441, 500);
        ASSERT_TRUE(mixer_set_frequency(0, r.frequency));
        mixer_play(0, false);
        EXPECT_NEAR(frames_until_stopped(0, 10000), r.device_frames, 1);
    }
}

TEST_F(Mixer, ResamplingInterpolatesBetweenFrames)
{
    int16_t* s = mixer_create(0, 2, 22050, 4);
    const int16_t values[8] = {0, 1000, 1000, 3000, 2000, 5000, 3000, 7000};
    for (int i = 0; i < 8; ++i) s[i] = values[i];
    mixer_play(0, false);
    std::vector<int16_t> out = pull(10);
    // Every other device frame falls midway between two frames.
    const int16_t left[8] = {0, 500, 1000, 1500, 2000, 2500, 3000, 3000};
    const int16_t right[8] = {1000, 2000, 3000, 4000, 5000, 6000, 7000, 7000};
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(out[2 * k], left[k]) << k;
        EXPECT_EQ(out[2 * k + 1], right[k]) << k;
    }
    EXPECT_EQ(out[16], 0);
}

TEST_F(Mixer, LongPullsEqualManyShortOnes)
{
    // A resampled looping stereo buffer and a one-shot, mixed in one pull
    // of several passes and again in pulls of 37 frames.
    auto setup = [&] {
        int16_t* s = mixer_create(5, 2, 32000, 501);
        for (int i = 0; i < 1002; ++i) s[i] = static_cast<int16_t>((i * 977) % 20000 - 10000);
        mixer_set_volume(5, -300);
        mixer_set_pan(5, 1200);
        mixer_play(5, true);
        make(6, 1, 48000, 2000, 4000);
        mixer_play(6, false);
    };
    setup();
    std::vector<int16_t> whole = pull(3700);
    setup();
    std::vector<int16_t> pieces;
    for (int i = 0; i < 100; ++i) {
        std::vector<int16_t> p = pull(37);
        pieces.insert(pieces.end(), p.begin(), p.end());
    }
    EXPECT_EQ(whole, pieces);
}

TEST_F(Mixer, RewindAndReplay)
{
    int16_t* s = mixer_create(0, 1, 44100, 10);
    for (int i = 0; i < 10; ++i) s[i] = static_cast<int16_t>(i + 1);
    mixer_play(0, false);
    std::vector<int16_t> out = pull(4);
    EXPECT_EQ(out[6], 4);
    mixer_rewind(0);
    out = pull(2);
    EXPECT_EQ(out[0], 1);

    // Play on a playing buffer keeps its place; it only changes looping.
    mixer_play(0, true);
    out = pull(1);
    EXPECT_EQ(out[0], 3);

    // Stop keeps the place too.
    mixer_stop(0);
    EXPECT_FALSE(mixer_playing(0));
    out = pull(2);
    EXPECT_EQ(out[0], 0);
    mixer_play(0, false);
    out = pull(1);
    EXPECT_EQ(out[0], 4);
}

TEST_F(Mixer, OutOfRangeSettingsAreRefusedAndKept)
{
    make(0, 1, 22050, 10, 100);
    ASSERT_TRUE(mixer_set_volume(0, -700));
    ASSERT_TRUE(mixer_set_pan(0, 300));
    ASSERT_TRUE(mixer_set_frequency(0, 30000));
    EXPECT_FALSE(mixer_set_volume(0, 1));
    EXPECT_FALSE(mixer_set_volume(0, -10001));
    EXPECT_FALSE(mixer_set_pan(0, 10001));
    EXPECT_FALSE(mixer_set_pan(0, -10001));
    EXPECT_FALSE(mixer_set_frequency(0, 99));
    EXPECT_FALSE(mixer_set_frequency(0, 200001));
    EXPECT_EQ(mixer_volume(0), -700);
    EXPECT_EQ(mixer_pan(0), 300);
    EXPECT_EQ(mixer_frequency(0), 30000u);
    ASSERT_TRUE(mixer_set_frequency(0, 0));
    EXPECT_EQ(mixer_frequency(0), 22050u);
}

TEST_F(Mixer, EmptyAndInvalidBuffersAreIgnored)
{
    for (int b : {-1, 0, mixer_buffer_count - 1, mixer_buffer_count}) {
        mixer_play(b, true);
        mixer_stop(b);
        mixer_rewind(b);
        EXPECT_FALSE(mixer_playing(b));
        EXPECT_FALSE(mixer_set_volume(b, 0));
        EXPECT_FALSE(mixer_holds(b));
    }
    EXPECT_EQ(mixer_create(mixer_buffer_count, 1, 44100, 10), nullptr);
    EXPECT_EQ(mixer_create(0, 3, 44100, 10), nullptr);
    EXPECT_EQ(mixer_create(0, 1, 0, 10), nullptr);
    EXPECT_EQ(mixer_create(0, 1, 44100, 0), nullptr);
    std::vector<int16_t> out = pull(4);
    for (int16_t v : out) EXPECT_EQ(v, 0);
}

TEST_F(Mixer, ReplacingAPlayingBufferStopsTheOldSamples)
{
    make(0, 1, 44100, 100, 3000);
    mixer_play(0, true);
    make(0, 1, 44100, 100, 7);
    EXPECT_FALSE(mixer_playing(0));
    std::vector<int16_t> out = pull(2);
    EXPECT_EQ(out[0], 0);
    mixer_play(0, false);
    out = pull(2);
    EXPECT_EQ(out[0], 7);
    mixer_release(0);
    EXPECT_FALSE(mixer_holds(0));
    out = pull(2);
    EXPECT_EQ(out[0], 0);
}

}  // namespace
