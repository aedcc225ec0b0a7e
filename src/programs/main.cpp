// The program's entry point. The build chooses the configuration with one
// compile definition: BRASK_CONFIG_GAME, BRASK_CONFIG_MAP_EDITOR or
// BRASK_CONFIG_SPRITE_EDITOR.
//
//   game [--record FILE] [NAME]        plays data/map/NAME.map (default single)
//   map_editor [--record FILE]
//   sprite_editor [--record FILE]
//
// --record writes everything the program receives as a headless runner
// script that replays the session, and prints the world hash at the end.
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "programs/configurations.h"

#if defined(BRASK_CONFIG_GAME)
#define BRASK_CONFIGURATION game_configuration
#elif defined(BRASK_CONFIG_MAP_EDITOR)
#define BRASK_CONFIGURATION map_editor_configuration
#elif defined(BRASK_CONFIG_SPRITE_EDITOR)
#define BRASK_CONFIGURATION sprite_editor_configuration
#else
#error "define BRASK_CONFIG_GAME, BRASK_CONFIG_MAP_EDITOR or BRASK_CONFIG_SPRITE_EDITOR"
#endif

// The game and the map editor hold a world, whose hash ends a record; the
// sprite editor does not link the game.
#if !defined(BRASK_CONFIG_SPRITE_EDITOR)
#define BRASK_WORLD_HASH 1
#include "game/world_check.h"
#include "play/game_loop.h"
#endif

// The exit status of a command line the program does not take.
static constexpr int usage_status = 2;

static int usage(const configuration& config)
{
#if defined(BRASK_CONFIG_GAME)
    std::fprintf(stderr, "usage: %s [--record FILE] [NAME]\n"
                         "  NAME           the map to play, data/map/NAME.map (default single)\n", config.name);
#else
    std::fprintf(stderr, "usage: %s [--record FILE]\n", config.name);
#endif
    std::fprintf(stderr, "  --record FILE  write what you do as a script that headless_run replays\n"
                         "                 (attach it to a report of a fault)\n");
    return usage_status;
}

// The record's first lines: what it is and how to replay it.
static void record_header(const configuration& config, const char* map, char* out, size_t size)
{
    std::snprintf(out, size,
                  "# config: %s\n"
                  "# The input of a %s session, pass by pass, recorded with --record.\n"
                  "# Replay it from the repository:\n"
                  "#   build/bin/headless_run --config %s --data build%s%s --script THIS_FILE\n"
                  "# It ends with a checkpoint at its last pass, whose world hash is the one\n"
                  "# the program printed.\n",
                  config.name, config.name, config.name, map[0] != 0 ? " --map " : "", map);
}

int main(int argc, char** argv)
{
    const configuration& config = BRASK_CONFIGURATION;
    const char* record = nullptr;
    const char* map = "";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--record") == 0 && i + 1 < argc) {
            record = argv[++i];
#if defined(BRASK_CONFIG_GAME)
        } else if (argv[i][0] != '-' && map[0] == 0) {
            map = argv[i];
            if (!set_game_map_utf8(map)) {
                std::fprintf(stderr, "game: \"%s\" is no map name: 1..46 characters of code page 1251, "
                                     "without '/' or '\\'\n", map);
                return usage_status;
            }
#endif
        } else {
            return usage(config);
        }
    }
    if (record != nullptr) {
        static char header[1024];
        record_header(config, map, header, sizeof header);
        if (!platform_record_input(record, header)) {
            std::fprintf(stderr, "%s: cannot write the record %s\n", config.name, record);
            return 1;
        }
    }
    int result = run_entry(config);
    if (record != nullptr) platform_end_record();
    end_process();
    if (record != nullptr) {
#if defined(BRASK_WORLD_HASH)
        std::printf("world hash: %016llx\n", static_cast<unsigned long long>(world_hash()));
#endif
        std::printf("record: %s\n", record);
    }
    return result;
}
