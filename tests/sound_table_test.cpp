#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "shell/shell.h"
#include "sound/mixer.h"
#include "sound/sound.h"
#include "wave_builder.h"

namespace fs = std::filesystem;
using namespace wave_builder;

namespace {

// The text of the last message box, which fatal_error shows.
std::string last_fatal()
{
    int n = headless_box_count();
    return n > 0 ? headless_box_text(n - 1) : "";
}

// Sound slot n is mixer buffer n; effect slot s copy c is 400 + 3s + c.
int effect_buffer(int slot, int copy)
{
    return sound_slots + slot * effect_copies + copy;
}

class SoundTables : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless_reset();
        install_fatal_report(fatal_report);
        headless_echo_boxes(false);
        release_sound();
        sound_count = 0;
        effect_count = 0;
        fs::remove_all("sounds");
        fs::create_directories("sounds");
        write("sounds/a.wav", canonical(1, 16, 44100, constant16(1000, 100)));
        write("sounds/b.wav", canonical(2, 8, 22050, bytes(40, 200)));
        ASSERT_TRUE(start_sound(0));
    }
    void TearDown() override { release_sound(); }

    static std::vector<int16_t> pull(int frames)
    {
        std::vector<int16_t> out(2 * frames);
        mixer_mix(out.data(), frames);
        return out;
    }
};

TEST_F(SoundTables, StartOnASilentMachineSaysSoOnceAndSucceeds)
{
    release_sound();
    testing::internal::CaptureStderr();
    EXPECT_TRUE(start_sound(0));
    EXPECT_TRUE(start_sound(0));  // already started: nothing more
    std::string said = testing::internal::GetCapturedStderr();
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;

    // Loading and playing work against the silent device.
    int32_t slot = -1;
    ASSERT_TRUE(load_sound(slot, "sounds/a.wav"));
    play_sound(0, 0, 1, slot);
    EXPECT_TRUE(sound_playing(slot));
}

TEST_F(SoundTables, SoundSlotsFollowTheAutomaticRule)
{
    struct row {
        int32_t asked;
        int32_t used;
        int32_t count_after;
    };
    const row rows[] = {
        {-1, 0, 1},
        {500, 1, 2},    // outside 0..399: the next automatic slot
        {7, 7, 3},      // given slots are used, and the count still grows
        {399, 399, 4},
        {400, 4, 5},
        {-1, 5, 6},
    };
    for (const row& r : rows) {
        int32_t slot = r.asked;
        ASSERT_TRUE(load_sound(slot, "sounds/a.wav")) << r.asked;
        EXPECT_EQ(slot, r.used);
        EXPECT_EQ(sound_count, r.count_after);
        EXPECT_TRUE(sound_table[r.used].filled);
        EXPECT_EQ(sound_table[r.used].bytes, 200u);
        EXPECT_EQ(sound_table[r.used].format.samples_per_second, 44100u);
    }
    ASSERT_NE(current_wave, nullptr);
    EXPECT_EQ(wave_data_size(*current_wave), 200u);
}

TEST_F(SoundTables, AutomaticLoadIntoAFullSoundTableIsRefused)
{
    for (int i = 0; i < sound_slots; ++i) {
        int32_t slot = -1;
        ASSERT_TRUE(load_sound(slot, "sounds/b.wav"));
    }
    EXPECT_EQ(sound_count, 400);
    int32_t slot = -1;
    EXPECT_FALSE(try_load_sound(slot, "sounds/a.wav"));
    EXPECT_EQ(slot, -1);
    EXPECT_STREQ(sound_failed_step(), "CreateSoundBuffer");
    EXPECT_EQ(sound_count, 400);
    // A given slot still loads.
    slot = 12;
    EXPECT_TRUE(load_sound(slot, "sounds/a.wav"));
    EXPECT_EQ(sound_table[12].format.channels, 1);
}

TEST_F(SoundTables, EffectSlotsTakeOnlyMinusOneAsAutomatic)
{
    struct row {
        int32_t asked;
        bool ok;
        int32_t used;
        int32_t count_after;
    };
    const row rows[] = {
        {-1, true, 0, 1},
        {-1, true, 1, 2},
        {50, true, 50, 3},
        {99, true, 99, 4},
        {100, false, 100, 4},
        {500, false, 500, 4},
        {-2, false, -2, 4},
        {-1, true, 4, 5},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.asked);
        int32_t slot = r.asked;
        EXPECT_EQ(try_load_effect(slot, "sounds/b.wav"), r.ok);
        EXPECT_EQ(slot, r.used);
        EXPECT_EQ(effect_count, r.count_after);
        if (r.ok) {
            EXPECT_TRUE(effect_table[r.used][0].filled);
            EXPECT_FALSE(effect_table[r.used][1].filled);
            EXPECT_FALSE(effect_table[r.used][2].filled);
        } else {
            EXPECT_STREQ(sound_failed_step(), "CreateMusicBuffer");
        }
    }
    // Automatic loads beyond 100 effects are refused.
    effect_count = 100;
    int32_t slot = -1;
    EXPECT_FALSE(try_load_effect(slot, "sounds/b.wav"));
    EXPECT_EQ(slot, -1);
}

// A refused load leaves every table, count and the current reader as they
// were; the loaded slot keeps playing its own samples.
TEST_F(SoundTables, RefusedLoadsChangeNothing)
{
    write("sounds/short.wav", riff({chunk("fmt ", fmt_body(1, 16, 8000))}));  // 36 bytes
    bytes short_fmt = fmt_body(1, 16, 8000);
    short_fmt.resize(14);
    write("sounds/shortfmt.wav", riff({chunk("fmt ", short_fmt), chunk("data", constant16(1, 4))}));
    write("sounds/order.wav", riff({chunk("data", constant16(1, 4)), chunk("fmt ", fmt_body(1, 16, 8000))}));
    write("sounds/align.wav", riff({chunk("fmt ", fmt_body(1, 16, 8000, 1, 0)), chunk("data", constant16(1, 4))}));
    write("sounds/chan.wav", riff({chunk("fmt ", fmt_body(0, 16, 8000, 1, 2)), chunk("data", constant16(1, 4))}));
    write("sounds/bits.wav", riff({chunk("fmt ", fmt_body(1, 0, 8000, 1, 2)), chunk("data", constant16(1, 4))}));
    write("sounds/nodata.wav", canonical(1, 16, 8000, {}));
    write("sounds/halfframe.wav", canonical(2, 16, 8000, constant16(1, 1)));

    struct row {
        const char* file;
        const char* sound_step;
        const char* effect_step;
    };
    const row rows[] = {
        {"sounds/missing.wav", "pWave-Open sounds", "pWave-Open music"},
        {"sounds/short.wav", "pWave-Open sounds", "pWave-Open music"},
        {"sounds/shortfmt.wav", "pWave-Open sounds", "pWave-Open music"},
        {"sounds/order.wav", "pWave-Open sounds", "pWave-Open music"},
        {"sounds/align.wav", "pWave-Open sounds", "pWave-Open music"},
        {"sounds/chan.wav", "pWave-Open sounds", "pWave-Open music"},
        {"sounds/bits.wav", "pWave-Open sounds", "pWave-Open music"},
        {"sounds/nodata.wav", "CreateSoundBuffer", "CreateMusicBuffer"},
        {"sounds/halfframe.wav", "CreateSoundBuffer", "CreateMusicBuffer"},
    };
    int32_t music = -1;
    int32_t effect = -1;
    ASSERT_TRUE(load_sound(music, "sounds/a.wav"));
    ASSERT_TRUE(load_effect(effect, "sounds/b.wav"));
    const wave_reader* reader = current_wave;
    for (const row& r : rows) {
        SCOPED_TRACE(r.file);
        int32_t slot = music;
        EXPECT_FALSE(try_load_sound(slot, r.file));
        EXPECT_STREQ(sound_failed_step(), r.sound_step);
        EXPECT_STRNE(sound_error(), "");
        slot = effect;
        EXPECT_FALSE(try_load_effect(slot, r.file));
        EXPECT_STREQ(sound_failed_step(), r.effect_step);

        EXPECT_EQ(sound_count, 1);
        EXPECT_EQ(effect_count, 1);
        EXPECT_EQ(current_wave, reader);
        EXPECT_EQ(wave_data_size(*current_wave), 40u);
        EXPECT_TRUE(sound_table[music].filled);
        EXPECT_EQ(sound_table[music].bytes, 200u);
        EXPECT_TRUE(effect_table[effect][0].filled);
        EXPECT_EQ(effect_table[effect][0].format.bits_per_sample, 8);
    }
    play_sound(0, 0, 0, music);
    EXPECT_EQ(pull(1)[0], 1000);
}

TEST_F(SoundTables, FailedLoadIsReportedThroughFatalError)
{
    int32_t slot = -1;
    EXPECT_FALSE(load_sound(slot, "sounds/missing.wav"));
    EXPECT_NE(last_fatal().find("pWave-Open sounds"), std::string::npos);
    slot = -1;
    EXPECT_FALSE(load_effect(slot, "sounds/missing.wav"));
    EXPECT_NE(last_fatal().find("pWave-Open music"), std::string::npos);
}

TEST_F(SoundTables, PlayingAnEffectThatPlaysChangesNothing)
{
    int32_t slot = -1;
    ASSERT_TRUE(load_effect(slot, "sounds/b.wav"));  // 20 frames at 22050: 40 device frames
    play_effect(-300, -200, slot);
    EXPECT_TRUE(effect_playing(slot, 0));
    pull(10);
    play_effect(500, -900, slot);
    EXPECT_EQ(mixer_pan(effect_buffer(slot, 0)), -300);
    EXPECT_EQ(mixer_volume(effect_buffer(slot, 0)), -200);
    // Not restarted either: it ends 40 frames after the first play.
    pull(29);
    EXPECT_TRUE(effect_playing(slot, 0));
    pull(1);
    EXPECT_FALSE(effect_playing(slot, 0));
    // Once it has ended, the next play takes the new pan and volume.
    play_effect(500, -900, slot);
    EXPECT_EQ(mixer_pan(effect_buffer(slot, 0)), 500);
    EXPECT_TRUE(effect_playing(slot, 0));
}

TEST_F(SoundTables, PlaySoundRewindsAndLoopsOnFlagOne)
{
    int32_t slot = -1;
    ASSERT_TRUE(load_sound(slot, "sounds/a.wav"));  // 100 frames
    play_sound(0, 0, 1, slot);
    pull(250);
    EXPECT_TRUE(sound_playing(slot));
    stop_sound(slot);
    EXPECT_FALSE(sound_playing(slot));
    play_sound(0, 0, 0, slot);
    pull(99);
    EXPECT_TRUE(sound_playing(slot));
    pull(1);
    EXPECT_FALSE(sound_playing(slot));
    // Twice the file's rate: half the time.
    set_sound_frequency(slot, 88200);
    play_sound(0, 0, 0, slot);
    pull(50);
    EXPECT_FALSE(sound_playing(slot));
}

TEST_F(SoundTables, EmptyAndOutOfRangeSlotsAreIgnored)
{
    for (int32_t slot : {-1, 0, 17, 399, 400, 100000}) {
        play_sound(0, 0, 1, slot);
        stop_sound(slot);
        set_sound_frequency(slot, 22050);
        EXPECT_FALSE(sound_playing(slot));
    }
    for (int32_t slot : {-1, 0, 99, 100}) {
        for (int32_t copy : {-1, 0, 1, 2, 3}) {
            play_effect_copy(0, 0, slot, copy);
            stop_effect(slot, copy);
            EXPECT_FALSE(effect_playing(slot, copy));
        }
        play_effect(0, 0, slot);
        EXPECT_FALSE(effect_playing(slot, 0));
    }
    std::vector<int16_t> out = pull(8);
    for (int16_t v : out) EXPECT_EQ(v, 0);
}

TEST_F(SoundTables, ReleaseEmptiesEverySlotAndIsHarmlessTwice)
{
    int32_t s = -1, e = -1;
    ASSERT_TRUE(load_sound(s, "sounds/a.wav"));
    ASSERT_TRUE(load_effect(e, "sounds/b.wav"));
    play_sound(0, 0, 1, s);
    release_sound();
    EXPECT_EQ(current_wave, nullptr);
    EXPECT_FALSE(sound_table[s].filled);
    EXPECT_FALSE(effect_table[e][0].filled);
    EXPECT_FALSE(sound_playing(s));
    EXPECT_FALSE(mixer_holds(s));
    release_sound();
    std::vector<int16_t> out = pull(4);
    for (int16_t v : out) EXPECT_EQ(v, 0);
}

TEST_F(SoundTables, ReloadingASlotReplacesItsBuffer)
{
    int32_t slot = 3;
    ASSERT_TRUE(load_sound(slot, "sounds/a.wav"));
    play_sound(0, 0, 1, slot);
    ASSERT_TRUE(load_sound(slot, "sounds/b.wav"));
    EXPECT_FALSE(sound_playing(slot));
    EXPECT_EQ(sound_table[3].format.channels, 2);
    play_sound(0, 0, 0, slot);
    std::vector<int16_t> out = pull(1);
    EXPECT_EQ(out[0], (200 - 128) * 256);
}

}  // namespace
