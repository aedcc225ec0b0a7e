// Start-up failures as a user meets them, through the headless runner: a
// missing or refused map, font or sprite set ends the program with the fatal
// report naming the file and the loader's reason, and a non-zero exit
// status that the runner's summary and its own status show.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct run_result {
    int status;
    std::string output;
};

// Runs the runner for a configuration over the data folder in folder.
run_result run(const char* config, const std::string& folder)
{
    std::string command = std::string(BRASK_HEADLESS_RUN) + " --config " + config + " --data " +
                          folder + " --passes 5 2>/dev/null";
    run_result r {-1, ""};
    FILE* out = popen(command.c_str(), "r");
    if (out == nullptr)
        return r;
    char line[1024];
    while (std::fgets(line, sizeof line, out) != nullptr)
        r.output += line;
    int status = pclose(out);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// A copy of the data set in folder/data, a file taken away or replaced.
void make_data(const std::string& folder, const char* file, const char* contents)
{
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::copy(BRASK_DATA_DIR, fs::path(folder) / "data", fs::copy_options::recursive);
    const fs::path target = fs::path(folder) / "data" / file;
    fs::remove(target);
    if (contents != nullptr) {
        FILE* f = std::fopen(target.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs(contents, f);
        std::fclose(f);
    }
}

TEST(StartFailures, ReportTheFileAndExitNonZero)
{
    const struct {
        const char* config;
        const char* file;
        const char* contents;  // nullptr: the file is missing
        const char* box;       // the summary's line of the report
    } cases[] = {
        {"game", "map/single.map", nullptr,
         "Программа прервана/Ошибка в загрузке карты data\\map\\single.map: the file cannot be opened"},
        {"game", "font/smallb.bmp", nullptr,
         "Программа прервана/Ошибка в загрузке шрифта data\\font\\smallb.bmp: the file cannot be "
         "opened"},
        {"game", "font/smf.fn", nullptr,
         "Программа прервана/Ошибка в загрузке шрифта data\\font\\smf.fn: the file cannot be opened"},
        {"game", "images/grant.spr", "d",
         "Программа прервана/Ошибка в загрузке спрайтов data\\images\\grant.spr: the file is too "
         "short to hold a frame count"},
        {"map_editor", "images/footman.spr", nullptr,
         "Программа прервана/Ошибка в загрузке спрайтов data\\images\\footman.spr: the file cannot "
         "be opened"},
        {"sprite_editor", "font/smallw.bmp", nullptr,
         "Программа прервана/Ошибка в загрузке шрифта data\\font\\smallw.bmp: the file cannot be "
         "opened"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.config) + " without " + c.file);
        make_data("failing", c.file, c.contents);
        run_result r = run(c.config, "failing");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.output.find("exit status: 1 (a fatal report ended the program)\n"), std::string::npos)
            << r.output;
        EXPECT_NE(r.output.find("message boxes: 1\nmessage box 1: [Brask] " + std::string(c.box) + "\n"),
                  std::string::npos)
            << r.output;
    }
    // The whole data set: a normal run ends with 0.
    make_data("failing", "readme-none", nullptr);
    run_result r = run("game", "failing");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.output.find("exit status: 0\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("message boxes: 0\n"), std::string::npos) << r.output;
    fs::remove_all("failing");
}

}  // namespace
