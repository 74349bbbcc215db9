#pragma once
// The game's checks on the files of its art (images, sounds, the font), made before anything is
// decoded: only regular files are opened (a FIFO, a device or a folder in a file's place is
// refused without blocking), each kind has a size cap, an image's sides are read from its header,
// and a sound's header must agree with the size of its file. A refusal is a few words that name
// the limit; the caller puts them on one line with the file's path.

#include <SFML/System/Vector2.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace AssetLimits
{
// Files, in bytes, checked before reading. The shipped art is far below: images up to 1.3 MB,
// sounds up to 80 KB, the font 400 KB.
constexpr std::uintmax_t MaxImageFileBytes = std::uintmax_t{16} << 20;
constexpr std::uintmax_t MaxSoundFileBytes = std::uintmax_t{16} << 20;
constexpr std::uintmax_t MaxFontFileBytes = std::uintmax_t{16} << 20;
// Sides of an image in pixels, read from its header; never more than the GPU's largest texture
// either. A 1 MB PNG can claim 16384 x 16384 (1 GiB once decoded). Sprites and icons are at most
// a few hundred pixels; a tile sheet holds many tiles.
constexpr unsigned MaxSpriteSide = 4096;
constexpr unsigned MaxTileSheetSide = 8192;
// Samples of one sound once decoded (16-bit each, all channels): 32 MiB, three minutes of stereo
// at 44.1 kHz. SFML allocates what the header claims before it reads a sample.
constexpr std::uint64_t MaxSoundSamples = std::uint64_t{16} << 20;

// Budgets for what the game holds at once, beside the caps per file above: files that each keep
// within their caps could still add up to gigabytes (29 sprites of 4096 x 4096 took 1.9 GB). An
// asset that would take the game past a budget is refused with one line naming the file and the
// budget, and the game goes on with the same fallback as for a file over its cap. The budgets bind
// before the caps do: a single file may be within its cap and still not fit its budget.
// Decoded textures, 4 bytes a pixel: the game's pictures, the tileset images of the levels played
// so far (kept for the run), the HUD's icons, and the copies of the enemy and shot pictures that
// collisions read (made when the first such object is, counted here, never refused). The shipped
// art decodes to 0.9 MiB.
constexpr std::uint64_t MaxTextureBytes = std::uint64_t{32} << 20;
// Decoded sound samples of all sounds together (16 bits each, all channels; OpenAL keeps a copy
// of its own): 2 Mi samples, 48 seconds of 44.1 kHz mono. The shipped sounds hold 190,000.
constexpr std::uint64_t MaxSoundSamplesInAll = std::uint64_t{2} << 20;
} // namespace AssetLimits

// The whole file at path in bytes when it is a regular image file of at most MaxImageFileBytes
// whose header gives sides of at most maxSide (given in sides); otherwise empty, with the reason in
// problem.
std::string ReadImageFile(const std::string& path, unsigned maxSide, std::string& problem,
                          sf::Vector2u* sides = nullptr);
// The same for a WAV or OGG file: at most MaxSoundFileBytes, and CheckSoundBytes agrees (the
// samples its header claims in samples).
std::string ReadSoundFile(const std::string& path, std::string& problem, std::uint64_t* samples = nullptr);
// The same for a font: a regular file of at most MaxFontFileBytes.
std::string ReadFontFile(const std::string& path, std::string& problem);

// Whether the bytes of a whole WAV (PCM) or Ogg Vorbis file hold what their headers claim:
// every chunk or page lies inside the file, and the samples are at most MaxSoundSamples. Empty
// when they do; otherwise what is wrong.
std::string CheckSoundBytes(const std::string& bytes);
// The same, with the samples the headers claim (all channels) in samples when they agree.
std::string CheckSoundBytes(const std::string& bytes, std::uint64_t& samples);

// An image's sides from its file's header (PNG, JPEG, BMP), without decoding it; empty for a
// missing file, anything but a regular file or an unknown or damaged header.
std::optional<sf::Vector2u> ImageSides(const std::string& path);
