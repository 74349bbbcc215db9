#pragma once
// What the program does before the game: the command line (the map check, the data folder, help and
// version), where the data is read and where the record and settings are saved, and the display and
// the audio device, each asked for once so that a missing one is a single line instead of an abort
// or a stream of OpenAL errors.

#include <optional>

// Handles the command line and the checks before any window. Returns the exit status when the
// program ends here: `--check-map FILE` (0 when the map is playable as it is, 1 otherwise),
// `--help` and `--version` (0), a usage error or a data folder given that is not the game's (2), no
// X display or no data found (1). Otherwise the game may start; without an audio device it is
// silent (one line says so). A file size limit makes writes fail instead of ending the process
// (SIGXFSZ is ignored from here on).
std::optional<int> StartUp(int argc, char** argv);

// Whether an X display can be opened; SFML aborts the process when it cannot.
bool DisplayAvailable();
