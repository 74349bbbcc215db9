#pragma once
// How the screens write numbers: whole, with the thousands grouped by commas ("109,455"), so a
// counter, a change text, a card or the lose screen never shows a number cut or run together.

#include <cstdint>
#include <string>

// "0", "950", "109,455", "-1,250".
std::string WholeNumber(std::int64_t value);
// A change of money or score as the HUD shows it: "+ 1,250" when positive, else "-75" or "0".
std::string SignedChange(std::int64_t value);
// A figure of a card: whole (by WholeNumber) when it is within a twentieth of a whole number,
// else with one decimal ("62.5").
std::string Figure(float value);
