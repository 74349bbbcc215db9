#pragma once

// Synthesised sound effects: 44.1 kHz, mono, 16 bit, each under a second and peaking below full scale.

#include <SFML/Config.hpp>

#include <string>
#include <vector>

namespace artgen
{

constexpr unsigned sampleRate = 44100;

std::vector<float> CannonShot();
std::vector<float> RocketWhoosh();
std::vector<float> ConstructionClank();
std::vector<float> UpgradeChime();
std::vector<float> HurtThud();
std::vector<float> RefuseBuzz();
std::vector<float> SellCoins();

// Scales to the given peak and converts to 16-bit samples.
std::vector<sf::Int16> ToPcm(const std::vector<float>& signal, float peak = 0.85f);
// Writes WAV or OGG by the file's extension; false on failure.
[[nodiscard]] bool WriteSound(const std::string& path, const std::vector<float>& signal);

} // namespace artgen
