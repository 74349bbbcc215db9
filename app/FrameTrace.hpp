#pragma once
// A line per frame for the tests that play the real binary from outside: what the game did, read
// from the game itself rather than from screenshots taken at wall-clock moments. Off unless the
// environment names a file (VARNHOLD_TRACE); the player never sees it.

#include <fstream>
#include <memory>
#include <string>

class Game;

class FrameTrace
{
public:
    // The trace the environment asks for, or none.
    static std::unique_ptr<FrameTrace> FromEnvironment();
    explicit FrameTrace(const std::string& path);

    // Appends the frame just shown as pairs of a name and a value, flushed so that a reader sees
    // it at once:
    //   frame N clock S screen K running 0|1 paused 0|1 speed X time S money M score S wave W
    //   towers T living L enemies ID:X:Y,ID:X:Y,...
    // clock: the frame loop's own seconds since start (the sum of its dt); time: the game
    // seconds of the running game (every step of every frame); screen: the UI's screen kind;
    // towers: living towers; living: living enemies, all of them; enemies: the object id and
    // position of the oldest MostEnemies living enemies ("-" for none), so that a test can follow
    // each by its id.
    void Write(const Game& game, float dt);

    static constexpr int MostEnemies = 16;

private:
    std::ofstream file;
    long frame = 0;
    double clock = 0.;
};
