// Scripted sessions of the map editor's new, open and save dialogs: sizes
// and covers, Cancel, names and their limit, and failed opens and saves that
// change nothing.
#include <fstream>
#include <iterator>
#include <string>

#include "core/cp1251.h"
#include "core/file_access.h"
#include "map_editor_fixture.h"
#include "render/colours.h"
#include "world/map_file.h"

using namespace editor_test;

namespace {

class MapDialogs : public EditorSession {
protected:
    void SetUp() override
    {
        EditorSession::SetUp();
        inject_write_failure(0);
        inject_rename_failure(false);
    }
    void TearDown() override
    {
        inject_write_failure(0);
        inject_rename_failure(false);
    }
};

std::string file_bytes(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// True when every cell of the map has the terrain kind.
bool all_kind(int32_t kind)
{
    for (int x = 0; x < map_width; ++x)
        for (int y = 0; y < map_height; ++y)
            if (terrain_layer[x][y].kind != kind || terrain_layer[x][y].tile_set != kind)
                return false;
    return true;
}

// What a dialog must leave alone when it changes nothing.
struct editor_state {
    layers map;
    int32_t width, height, tool, palette, camera_x, camera_y, units;
    std::string name;
};

editor_state take_state()
{
    return {take_layers(), map_width, map_height, current_tool, palette_choice,
            camera_x,      camera_y,  unit_count, map_name};
}

void expect_same(const editor_state& a, const editor_state& b)
{
    EXPECT_TRUE(same(a.map, b.map));
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    EXPECT_EQ(a.tool, b.tool);
    EXPECT_EQ(a.palette, b.palette);
    EXPECT_EQ(a.camera_x, b.camera_x);
    EXPECT_EQ(a.camera_y, b.camera_y);
    EXPECT_EQ(a.units, b.units);
    EXPECT_EQ(a.name, b.name);
}

}  // namespace

TEST_F(MapDialogs, NewMapYesAtOnceMakesGrassOfTheCurrentSize)
{
    click(1, terrain_button(terrain_stone));
    click(2, footman_button);
    press_cell(3, 4, 4);
    checks[4] = [] {
        camera_x = 7;
        camera_y = 9;
    };
    // The map was changed: "Не сохранять" first, then the dialog.
    click(5, new_map_button);
    click(6, {460, 242});
    click(7, new_yes);
    checks[7] = [] {
        EXPECT_EQ(map_width, 128);
        EXPECT_EQ(map_height, 128);
        EXPECT_TRUE(all_kind(terrain_grass));
        EXPECT_EQ(camera_x, 0);
        EXPECT_EQ(camera_y, 0);
        EXPECT_EQ(unit_count, 1);
        EXPECT_EQ(object_layer[4][4].kind, object_none);
        EXPECT_EQ(current_tool, tool_footman);  // the highlighted entry again
        EXPECT_EQ(palette_choice, tool_footman);
    };
    run_editor(8);
}

TEST_F(MapDialogs, SizesAndCoverAreChosenSeparately)
{
    struct {
        int width_choice;   // -1: not clicked
        int height_choice;
        int cover;          // -1: not clicked (grass)
        int32_t width, height, kind;
    } cases[] = {
        {0, -1, -1, 32, 128, terrain_grass},
        {-1, 1, terrain_sand, 32, 64, terrain_sand},  // the size chosen before stays
        {2, 3, terrain_deep_water, 96, 128, terrain_deep_water},
        {3, 0, terrain_stone, 128, 32, terrain_stone},
    };
    int32_t pass = 1;
    for (const auto& t : cases) {
        click(pass++, new_map_button);
        if (t.width_choice >= 0)
            click(pass++, width_button(t.width_choice));
        if (t.height_choice >= 0)
            click(pass++, height_button(t.height_choice));
        if (t.cover >= 0)
            click(pass++, cover_button(t.cover));
        click(pass, new_yes);
        checks[pass] = [t] {
            EXPECT_EQ(map_width, t.width);
            EXPECT_EQ(map_height, t.height);
            EXPECT_TRUE(all_kind(t.kind)) << t.kind;
            EXPECT_EQ(current_tool, terrain_sand);
        };
        ++pass;
    }
    run_editor(pass);
}

TEST_F(MapDialogs, CancelChangesNothing)
{
    click(1, tree_button);
    press_cell(2, 3, 3);
    checks[3] = [] { camera_x = 4; };
    editor_state before;
    checks[4] = [&before] { before = take_state(); };
    click(5, new_map_button);
    click(6, width_button(0));
    click(7, height_button(1));
    click(8, cover_button(terrain_mud));
    click(9, new_cancel);
    checks[9] = [&before] { expect_same(take_state(), before); };
    // The open and save dialogs' Cancel after editing the name.
    click(10, open_map_button);
    int32_t pass = erase(11, 3);
    click(pass++, open_cancel);
    click(pass++, save_map_button);
    pass = type(pass, "x");
    click(pass, save_cancel);
    checks[pass] = [&before] {
        expect_same(take_state(), before);
        EXPECT_FALSE(std::filesystem::exists("data/map/singlex.map"));
        EXPECT_FALSE(std::filesystem::exists("data/map/sin.map"));
    };
    run_editor(pass + 1);
}

TEST_F(MapDialogs, OpenSetsTheNameThatTheSaveDialogThenStartsWith)
{
    std::filesystem::remove("data/map/alpha.map");
    std::filesystem::remove("data/map/alpha2.map");
    // Save the start map with a rock as "alpha".
    click(1, rock_button);
    press_cell(2, 5, 5);
    click(4, save_map_button);
    int32_t pass = erase(5, 6);
    pass = type(pass, "alpha");
    click(pass++, save_yes);
    layers saved;
    checks[pass - 1] = [&saved] {
        EXPECT_STREQ(map_name, "alpha");
        saved = take_layers();
    };
    // Change the map, move the camera, then open "alpha" again.
    click(pass++, new_map_button);
    click(pass++, cover_button(terrain_stone));
    click(pass++, new_yes);
    checks[pass - 1] = [] {
        camera_x = 3;
        camera_y = 5;
        std::snprintf(map_name, sizeof map_name, "%s", "other");
    };
    click(pass++, open_map_button);
    pass = erase(pass, 5);
    pass = type(pass, "alpha");
    click(pass, open_yes);
    checks[pass] = [&saved] {
        EXPECT_STREQ(map_name, "alpha");
        EXPECT_TRUE(same(take_layers(), saved));
        EXPECT_EQ(object_layer[5][5].kind, object_rock);
        EXPECT_EQ(camera_x, 0);
        EXPECT_EQ(camera_y, 0);
    };
    // The save dialog starts with "alpha": typing "2" saves "alpha2".
    click(++pass, save_map_button);
    pass = type(pass + 1, "2");
    click(pass, save_yes);
    checks[pass] = [] { EXPECT_STREQ(map_name, "alpha2"); };
    run_editor(pass + 1);
    EXPECT_EQ(file_bytes("data/map/alpha2.map"), file_bytes("data/map/alpha.map"));
}

TEST_F(MapDialogs, AFailedOpenClosesTheDialogAndChangesNothing)
{
    std::filesystem::remove("data/map/missing.map");
    std::filesystem::create_directories("data/map");
    {
        std::ofstream bad("data/map/broken.map", std::ios::binary);
        bad << "not a map";
    }
    click(1, tree_button);
    press_cell(2, 6, 6);
    checks[3] = [] { camera_y = 11; };
    editor_state before;
    checks[4] = [&before] { before = take_state(); };
    const char* names[] = {"missing", "broken", ""};
    int32_t pass = 5;
    for (const char* name : names) {
        click(pass++, open_map_button);
        pass = erase(pass, 6);
        pass = type(pass, name);
        click(pass, open_yes);
        checks[pass] = [&before] { expect_same(take_state(), before); };
        ++pass;
    }
    run_editor(pass);
}

TEST_F(MapDialogs, AFailedSaveKeepsTheOldFileAndTheName)
{
    std::filesystem::remove("data/map/keep.map");
    click(1, save_map_button);
    int32_t pass = erase(2, 6);
    pass = type(pass, "keep");
    click(pass++, save_yes);
    std::string old_file;
    checks[pass - 1] = [&old_file] {
        old_file = file_bytes("data/map/keep.map");
        EXPECT_EQ(old_file.size(), static_cast<size_t>(map_file_size(128, 128, 1)));
        std::snprintf(map_name, sizeof map_name, "%s", "before");
    };
    // Change the map, then save it as "keep" with a write failing half-way.
    click(pass++, rock_button);
    press_cell(pass, 2, 2);
    pass += 2;
    click(pass++, save_map_button);
    pass = erase(pass, 6);
    pass = type(pass, "keep");
    checks[pass - 1] = [] { inject_write_failure(1); };
    click(pass, save_yes);
    checks[pass] = [&old_file] {
        EXPECT_STREQ(map_name, "before");
        EXPECT_EQ(file_bytes("data/map/keep.map"), old_file);
        EXPECT_FALSE(std::filesystem::exists("data/map/keep.map.saving"));
        inject_write_failure(0);
    };
    // An empty name: nothing is written, the name stays.
    click(++pass, save_map_button);
    pass = erase(pass + 1, 6);
    click(pass, save_yes);
    checks[pass] = [] { EXPECT_STREQ(map_name, "before"); };
    run_editor(pass + 1);
    EXPECT_FALSE(std::filesystem::exists("data/map/.map"));
}

// A typist faster than the passes: the six Backspaces and the whole name
// arrive in one pass, and every key reaches the name, once and in order.
TEST_F(MapDialogs, KeysTypedInOnePassAllReachTheName)
{
    const std::string name = "орк-тест"_cp;
    // On disk the name is UTF-8.
    std::filesystem::remove("data/map/орк-тест.map");
    click(1, save_map_button);
    for (int i = 0; i < 6; ++i)
        event(2, event_backspace);
    for (char c : name)
        event(2, event_char, 0, 0, static_cast<uint8_t>(c));
    // One character a pass: the last of the fourteen is in by pass 15.
    click(16, save_yes);
    checks[16] = [&name] { EXPECT_EQ(std::string(map_name), name); };
    run_editor(17);
    EXPECT_TRUE(std::filesystem::exists("data/map/орк-тест.map"));
}

TEST_F(MapDialogs, NamesStopAtFortySixCharacters)
{
    const std::string long_name(50, 'n');
    const std::string kept(46, 'n');
    std::filesystem::remove("data/map/" + kept + ".map");
    click(1, save_map_button);
    int32_t pass = erase(2, 6);
    pass = type(pass, long_name.c_str());
    click(pass, save_yes);
    checks[pass] = [&kept] { EXPECT_EQ(std::string(map_name), kept); };
    // The open dialog starts from it and still takes no more.
    click(++pass, open_map_button);
    pass = type(pass + 1, "mm");
    click(pass, open_yes);
    checks[pass] = [&kept] { EXPECT_EQ(std::string(map_name), kept); };
    run_editor(pass + 1);
    EXPECT_TRUE(std::filesystem::exists("data/map/" + kept + ".map"));
}

TEST_F(MapDialogs, QuitWhileADialogIsOpenEndsTheEditor)
{
    click(1, save_map_button);
    // The loop is asked to stop at pass 3, inside the dialog: the dialog
    // returns, the editor's frame ends with its present, and the loop ends.
    run_editor(3);
    EXPECT_EQ(passes_seen, 5);
    EXPECT_STREQ(map_name, "single");
}
