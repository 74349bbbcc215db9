#pragma once
// A line per frame for the tests that play the real binary from outside: what the game did, read
// from the game itself rather than from screenshots taken at wall-clock moments. Off unless the
// environment names a file (VARNHOLD_TRACE); the player never sees it.

#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

class Game;
namespace vgui
{
class Widget;
}

// The money and score a game starts with, for the scripts that need a game past six digits
// without playing an hour for it: VARNHOLD_START_COUNTERS="MONEY SCORE". A player never sets it;
// without it every game starts as the rules say.
struct StartCounters
{
    std::int32_t money = 0, score = 0;
    static std::optional<StartCounters> FromEnvironment();
};

class FrameTrace
{
public:
    // The trace the environment asks for, or none.
    static std::unique_ptr<FrameTrace> FromEnvironment();
    explicit FrameTrace(const std::string& path);

    // Appends the frame just shown as pairs of a name and a value, flushed so that a reader sees
    // it at once:
    //   frame N clock S screen K running 0|1 paused 0|1 speed X time S money M score S wave W
    //   towers T keep H selected K spent G level KEY difficulty D held 0|1 living L
    //   hint N:X:Y enemies ID:X:Y,ID:X:Y,...
    // clock: the frame loop's own seconds since start (the sum of its dt); time: the game
    // seconds of the running game (every step of every frame); screen: the UI's screen kind;
    // towers: living towers; keep: the keep's hit points (0 without one); selected: the tower
    // kind a click on grass builds (0 none); spent: the gold spent in this game (what the lose
    // screen counts; kills do not change it); level: the key of the level played or last played
    // (spaces as "_"); difficulty: 0 Easy, 1 Normal, 2 Hard; held: the first wave waits for Start;
    // living: living enemies, all of them;
    // hint: the first games' hint shown (0 none, see ui/Hints.hpp) and the point it concerns;
    // enemies: the object id and position of the oldest MostEnemies living enemies ("-" for
    // none), so that a test can follow each by its id.
    //
    // What the screen says, on request: when a file named like the trace with ".ask" appended
    // exists, this frame's shown texts are written to the trace's name with ".texts" appended
    // (replacing it) and the request is removed. One line per shown text widget:
    //   NAME<TAB>X Y W H<TAB>LINES PARAGRAPHS SHOWN<TAB>TEXT
    // in the root's coordinates; LINES are the lines it is laid out in, PARAGRAPHS those its text
    // asks for (line feeds + 1), SHOWN those its height shows (for text areas; 1 1 1 otherwise);
    // line feeds in TEXT are written as "\n".
    void Write(const Game& game, float dt);

    static constexpr int MostEnemies = 16;

private:
    void WriteTexts(const vgui::Widget& root);

    std::string path;
    std::ofstream file;
    long frame = 0;
    double clock = 0.;
};
