// The real game binary started as a player or a level designer starts it: the map checker on the
// command line, and starts without a display, without an audio device, and beside an unrelated
// ../assets folder. Each ends in its lines and a running game or a clear exit, and stays small.

#include "tests/app/AppTestSupport.hpp"
#include "tests/support/ChildProcess.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sys/resource.h>

namespace fs = std::filesystem;
using nlohmann::json;

namespace
{
const std::string GameBinary = std::string(VARNHOLD_BINARY_DIR) + "/Varnhold";

// The lines of a stream, without the one Mesa's software renderer prints in every window and the
// settings file's own line (a first start has none yet; the settings tests check that line).
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    {
        const std::string line = text.substr(start, end - start);
        // The settings and the record tables say once at start that a fresh folder has none.
        if (line != "Setting vertical sync not supported" && line.rfind("Settings \"", 0) != 0 &&
            line.rfind("Records \"", 0) != 0)
            lines.push_back(line);
    }
    return lines;
}

json ShippedMap()
{
    json map;
    std::ifstream(testing_support::SourceAssets() / "game.tmj") >> map;
    return map;
}

json& Objects(json& map)
{
    return map["layers"][2]["objects"];
}

// Whether the game's trace (VARNHOLD_TRACE) shows at least this many frames drawn.
bool TraceShowsFrames(const fs::path& trace, long frames)
{
    std::ifstream file(trace);
    std::string line, last;
    while (std::getline(file, line))
        last = line;
    long frame = 0;
    return std::sscanf(last.c_str(), "frame %ld", &frame) == 1 && frame >= frames;
}
} // namespace

TEST(StartUp, TheMapCheckerSaysNothingOfTheShippedMapAndOneLineForEachFault)
{
    testing_support::ScratchGame game;
    const auto write = [&](const std::string& name, const std::function<void(json&)>& change)
    {
        json map = ShippedMap();
        change(map);
        game.WriteAsset(name, map.dump());
    };
    write("no_base.tmj", [](json& m) { Objects(m).erase(Objects(m).begin()); });
    write("wave_size_0.tmj", [](json& m) { Objects(m)[1]["properties"][3]["value"] = 0; });
    write("lost_image.tmj", [](json& m) { m["tilesets"][0]["image"] = "lost.png"; });
    write("huge_image.tmj", [](json& m) { m["tilesets"][0]["image"] = "huge.png"; });
    write("huge_tiles.tmj", [](json& m) { m["tilewidth"] = m["tileheight"] = 2147483647; });
    // A PNG header claiming 16384 x 16384: the checker reads no further.
    game.WriteAsset("huge.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x40\0\0\0\x40\0", 24));
    game.WriteAsset("broken.tmj", "{ \"width\": 3, ");

    const struct
    {
        std::vector<std::string> arguments;
        int status;
        std::vector<std::string> lines; // on standard output
    } cases[] = {
        {{"--check-map", "../assets/game.tmj"}, 0, {}},
        {{"--check-map", "../assets/no_base.tmj"},
         1,
         {"../assets/no_base.tmj: no \"Base\" object: there is nothing to defend and the game could never "
          "end"}},
        {{"--check-map", "../assets/wave_size_0.tmj"},
         1,
         {"../assets/wave_size_0.tmj: Spawner 2 at (0, 160): \"WaveSize\" 0 is out of range 1-10000; using "
          "1"}},
        {{"--check-map", "../assets/lost_image.tmj"},
         1,
         {"../assets/lost_image.tmj: tileset \"tilesheet\": its image \"../assets/lost.png\" is missing"}},
        {{"--check-map", "../assets/huge_image.tmj"},
         1,
         {"../assets/huge_image.tmj: tileset \"tilesheet\": its image \"../assets/huge.png\" is 16384 x "
          "16384 "
          "pixels, more than 8192 x 8192"}},
        {{"--check-map", "../assets/huge_tiles.tmj"},
         1,
         {"../assets/huge_tiles.tmj: its tiles are 2147483647 x 2147483647 pixels, more than the 1024 x 1024 "
          "a tile may have"}},
        {{"--check-map", "../assets/broken.tmj"}, 1, {"<starts with>../assets/broken.tmj: parse error"}},
        {{"--check-map", "../assets/none.tmj"}, 1, {"<starts with>../assets/none.tmj: "}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.arguments.back());
        // No display is needed: the checker runs before any window.
        const auto run =
            testing_support::RunProgram(GameBinary, c.arguments, game.run().string(), {{"DISPLAY", ""}});
        EXPECT_TRUE(run.exited) << "signal " << run.signal;
        EXPECT_EQ(run.status, c.status);
        EXPECT_LT(run.peakMegabytes, testing_support::MostMegabytes);
        const auto lines = Lines(run.output);
        ASSERT_EQ(lines.size(), c.lines.size()) << run.output;
        for (std::size_t i = 0; i < lines.size(); ++i)
        {
            const std::string& want = c.lines[i];
            if (want.rfind("<starts with>", 0) == 0)
                EXPECT_EQ(lines[i].rfind(want.substr(13), 0), 0u) << lines[i];
            else
                EXPECT_EQ(lines[i], want);
        }
        EXPECT_EQ(run.errors, "");
    }
}

TEST(StartUp, WithoutADisplayOrAnAudioDeviceOrBesideForeignAssets)
{
    testing_support::ScratchGame game;
    // A folder of the same name that is not the game's: only a note in it.
    const fs::path foreign = game.root() / "foreign";
    fs::create_directories(foreign / "run");
    fs::create_directories(foreign / "assets");
    std::ofstream(foreign / "assets" / "note.txt") << "not a game's data\n";

    const struct
    {
        const char* name;
        fs::path folder;
        std::map<std::string, std::string> environment;
        bool keepsRunning;
        int status; // when it ends
        std::vector<std::string> errors, output;
        rlim_t fileSizeLimit = RLIM_INFINITY; // bytes the game may write to any one file
    } cases[] = {
        {"no display",
         game.run(),
         {{"DISPLAY", ":4999"}},
         false,
         1,
         {"Varnhold: cannot open the X display \":4999\" (DISPLAY); the game needs a graphical desktop"},
         {}},
        {"no DISPLAY at all",
         game.run(),
         {{"DISPLAY", ""}},
         false,
         1,
         {"Varnhold: cannot open the X display \"\" (DISPLAY); the game needs a graphical desktop"},
         {}},
        {"no audio device",
         game.run(),
         {{"ALSOFT_DRIVERS", "no-such-driver"}},
         true,
         0,
         {"Varnhold: no audio device; playing without sound"},
         {}},
        {"an unrelated ../assets",
         foreign / "run",
         {{"ALSOFT_DRIVERS", "null"}},
         true,
         0,
         {},
         {"Varnhold: ../assets/ is not the game's beside " + (foreign / "run").string() + "; running from " +
          fs::canonical(VARNHOLD_BINARY_DIR).string() + " instead"}},
        // The graphics driver fills a fresh shader cache at start; past the limit that write once
        // ended the game by SIGXFSZ before the menu answered.
        {"a file size limit (ulimit -f)",
         game.run(),
         {{"ALSOFT_DRIVERS", "null"}, {"MESA_SHADER_CACHE_DIR", (game.root() / "fresh-cache").string()}},
         true,
         0,
         {},
         {},
         64 * 1024},
        {"a data folder named that is not the game's",
         game.run(),
         {{"VARNHOLD_DATA", (foreign / "assets").string()}},
         false,
         2,
         {"Varnhold: the data folder \"" + (foreign / "assets").string() +
          "/\" (given in VARNHOLD_DATA) lacks game.tmj, mainMenu.txt, hud.txt, loseScreen.txt, "
          "highscore.txt, "
          "controls.txt, credits.txt; it is not the game's data"},
         {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        // A game that keeps running is stopped once it has drawn its menu for a while.
        const fs::path trace = game.root() / "trace.txt";
        fs::remove(trace);
        auto environment = c.environment;
        environment["VARNHOLD_TRACE"] = trace.string();
        // The game inherits the limit; this process writes no file meanwhile.
        rlimit unlimited = {};
        ::getrlimit(RLIMIT_FSIZE, &unlimited);
        const rlimit limited = {std::min(c.fileSizeLimit, unlimited.rlim_max), unlimited.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limited);
        const auto run = testing_support::RunProgram(GameBinary, {}, c.folder.string(), environment,
                                                     [&] { return TraceShowsFrames(trace, 30); });
        ::setrlimit(RLIMIT_FSIZE, &unlimited);
        EXPECT_EQ(run.stillRunning, c.keepsRunning) << "signal " << run.signal << ": " << run.errors;
        EXPECT_FALSE(run.hung);
        if (!c.keepsRunning)
        {
            EXPECT_TRUE(run.exited) << "signal " << run.signal;
            EXPECT_EQ(run.status, c.status);
        }
        EXPECT_LT(run.peakMegabytes, testing_support::MostMegabytes);
        EXPECT_EQ(Lines(run.errors), c.errors) << run.errors;
        EXPECT_EQ(Lines(run.output), c.output) << run.output;
    }
}
