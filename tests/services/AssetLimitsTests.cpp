// Asset files made to freeze the game or fill its memory, as a tester made them from altered
// copies of the assets. Each is loaded in a child process of its own (its peak memory measured,
// killed at the hang ceiling if it blocks) and must end in one line naming the file and the limit,
// small, with the game going on. The parent opens no window and no GL context: the children
// make their own.

#include "services/AssetFiles.hpp"
#include "services/AssetManager.hpp"
#include "tests/services/ServicesTestSupport.hpp"
#include "tests/support/ChildProcess.hpp"
#include "tiled/TiledMap.hpp"

#include <SFML/System/Err.hpp>
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace
{
void Le(std::string& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}
void Be32(std::string& out, std::uint32_t value)
{
    for (int i = 3; i >= 0; --i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// 60 bytes of PCM WAV whose data chunk claims 0xFFFFFFF0 bytes: 4 GiB of 16-bit samples to SFML,
// 8 GiB once 8-bit samples are widened.
std::string HugeClaimWav(int bits)
{
    std::string wav = "RIFF";
    Le(wav, 52, 4);
    wav += "WAVEfmt ";
    Le(wav, 16, 4);
    Le(wav, 1, 2);     // PCM
    Le(wav, 1, 2);     // mono
    Le(wav, 44100, 4); // Hz
    Le(wav, 44100u * static_cast<unsigned>(bits / 8), 4);
    Le(wav, static_cast<unsigned>(bits / 8), 2);
    Le(wav, static_cast<unsigned>(bits), 2);
    wav += "data";
    Le(wav, 0xFFFFFFF0u, 4);
    return wav + std::string(16, '\0');
}

// Ogg's own CRC: polynomial 0x04C11DB7, not reflected, over the page with its CRC field zeroed.
std::uint32_t OggCrc(const std::string& page)
{
    std::uint32_t crc = 0;
    for (const char c : page)
    {
        crc ^= static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 0x80000000u ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

// The shipped Ogg file with its last page claiming 2^40 samples (a valid page, CRC and all).
std::string HugeClaimOgg()
{
    std::ifstream file(testing_support::SourceAssets() / "Cannon1.ogg", std::ios::binary);
    std::string ogg((std::istreambuf_iterator<char>(file)), {});
    std::size_t last = 0;
    for (std::size_t at = 0; at + 27 <= ogg.size();)
    {
        last = at;
        const auto segments = static_cast<unsigned char>(ogg[at + 26]);
        std::size_t body = 0;
        for (std::size_t s = 0; s < segments; ++s)
            body += static_cast<unsigned char>(ogg[at + 27 + s]);
        at += 27 + segments + body;
    }
    std::string granule;
    Le(granule, std::uint64_t{1} << 40, 8);
    ogg.replace(last + 6, 8, granule);
    ogg.replace(last + 22, 4, std::string(4, '\0'));
    std::string crc;
    Le(crc, OggCrc(ogg.substr(last)), 4);
    ogg.replace(last + 22, 4, crc);
    return ogg;
}

std::string Chunk(const char* type, const std::string& data)
{
    std::string chunk;
    Be32(chunk, static_cast<std::uint32_t>(data.size()));
    const std::string body = type + data;
    chunk += body;
    Be32(chunk, static_cast<std::uint32_t>(
                    crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
    return chunk;
}

// A real, decodable 16384 x 16384 black PNG of a few dozen kilobytes (one bit per pixel): 1 GiB
// once SFML widens it to RGBA.
std::string HugePng()
{
    const std::uint32_t side = 16384;
    const std::size_t row = 1 + side / 8;
    std::string raw(row * side, '\0');
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(size, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
              static_cast<uLong>(raw.size()), 9);
    packed.resize(size);
    std::string header;
    Be32(header, side);
    Be32(header, side);
    header += std::string("\x01\x00\x00\x00\x00", 5); // 1 bit, grey, deflate, no filter, no interlace
    return "\x89PNG\r\n\x1a\n" + Chunk("IHDR", header) + Chunk("IDAT", packed) + Chunk("IEND", "");
}

class AssetLimits : public ::testing::Test
{
protected:
    void Write(const std::string& name, const std::string& bytes) const { game.WriteAsset(name, bytes); }
    std::string Path(const std::string& name) const { return "../assets/" + name; }

    // Runs work in a child with a GL context and returns what it wrote to sf::err().
    static testing_support::ChildRun Load(const std::function<void(AssetManager&)>& work)
    {
        return testing_support::InChild(
            [&]
            {
                std::ostringstream err;
                sf::err().rdbuf(err.rdbuf());
                testing_support::KeepGlContext();
                work(AssetManager::instance());
                return err.str();
            });
    }

    testing_support::ScratchGame game;
};

std::shared_ptr<tmj::Map> TilesetsOf(const std::string& image, int count)
{
    auto map = std::make_shared<tmj::Map>();
    for (int i = 0; i < count; ++i)
    {
        tmj::Tileset tileset;
        tileset.name = "set" + std::to_string(i);
        tileset.image = image;
        tileset.imageRelativeToMap = image;
        map->tilesets.push_back(tileset);
    }
    return map;
}
} // namespace

TEST_F(AssetLimits, HostileFilesEndInOneLineAndStaySmall)
{
    Write("wav16.wav", HugeClaimWav(16));
    Write("wav8.wav", HugeClaimWav(8));
    Write("claims.ogg", HugeClaimOgg());
    Write("huge.png", HugePng());
    Write("fat.ttf", "");
    fs::resize_file(game.assets() / "fat.ttf", std::uintmax_t{17} << 20);
    for (const char* fifo : {"fifo.png", "fifo.wav", "fifo.ttf"})
        ASSERT_EQ(mkfifo((game.assets() / fifo).c_str(), 0600), 0);
    fs::create_directory(game.assets() / "folder.png");

    const struct
    {
        const char* name;
        std::function<void(AssetManager&)> load;
        std::string line; // the one line on sf::err(), from its start
    } cases[] = {
        {"a WAV claiming 4 GiB", [&](AssetManager& a) { a.LoadSound("s", Path("wav16.wav")); },
         "Failed to open sound file \"../assets/wav16.wav\": its \"data\" chunk claims 4294967280 bytes past "
         "the end of the file"},
        {"an 8-bit WAV claiming 4 GiB", [&](AssetManager& a) { a.LoadSound("s", Path("wav8.wav")); },
         "Failed to open sound file \"../assets/wav8.wav\": its \"data\" chunk claims 4294967280 bytes past "
         "the end of the file"},
        {"an Ogg file claiming 2^40 samples", [&](AssetManager& a) { a.LoadSound("s", Path("claims.ogg")); },
         "Failed to open sound file \"../assets/claims.ogg\": it claims 1099511627776 samples, more than "
         "16777216"},
        {"a 16384 x 16384 PNG as an enemy",
         [&](AssetManager& a) { a.LoadTexture("enemy_1", Path("huge.png")); },
         "Failed to load image \"../assets/huge.png\": it is 16384 x 16384 pixels, more than 4096 x 4096"},
        {"a 16384 x 16384 PNG as the tile sheet",
         [&](AssetManager& a) { a.LoadTilesets(TilesetsOf("huge.png", 1)); },
         "Could not load texture \"../assets/huge.png\": it is 16384 x 16384 pixels, more than 8192 x 8192"},
        {"a 17 MiB font", [&](AssetManager& a) { a.LoadFont("f", Path("fat.ttf")); },
         "Failed to load font \"../assets/fat.ttf\": the file is larger than 16 MiB; using "},
        {"a FIFO as a texture", [&](AssetManager& a) { a.LoadTexture("t", Path("fifo.png")); },
         "Failed to load image \"../assets/fifo.png\": it is not a regular file"},
        {"a FIFO as a sound", [&](AssetManager& a) { a.LoadSound("s", Path("fifo.wav")); },
         "Failed to open sound file \"../assets/fifo.wav\": it is not a regular file"},
        {"a FIFO as the font", [&](AssetManager& a) { a.LoadFont("f", Path("fifo.ttf")); },
         "Failed to load font \"../assets/fifo.ttf\": it is not a regular file"},
        {"a folder as a texture", [&](AssetManager& a) { a.LoadTexture("t", Path("folder.png")); },
         "Failed to load image \"../assets/folder.png\": it is not a regular file"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const auto run = Load(c.load);
        EXPECT_FALSE(run.hung) << "still running at the hang ceiling";
        EXPECT_TRUE(run.exited && run.status == 0) << "died: signal " << run.signal;
        EXPECT_LT(run.peakMegabytes, testing_support::MostMegabytes);
        EXPECT_EQ(run.output.rfind(c.line, 0), 0u) << run.output;
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
    }
}

TEST_F(AssetLimits, TilesetsNamingOneImageReadItOnce)
{
    // 256 tilesets (the map reader's most) on one image once meant 256 reads and 256 textures.
    const auto run = Load(
        [&](AssetManager& assets)
        {
            assets.LoadTilesets(TilesetsOf("tilesheet.png", 256));
            std::set<const sf::Texture*> distinct;
            for (int i = 0; i < 256; ++i)
                distinct.insert(&assets.GetTexture("set" + std::to_string(i)));
            sf::err() << distinct.size() << " texture(s), " << assets.GetTexture("set0").getSize().x
                      << " wide";
        });
    EXPECT_TRUE(run.exited && run.status == 0);
    EXPECT_EQ(run.output, "1 texture(s), 320 wide");
}

TEST(SoundHeaders, OnlyHeadersThatFitTheirFileAreRead)
{
    std::string shipped;
    {
        std::ifstream file(testing_support::SourceAssets() / "hurt_c_08-102842.wav", std::ios::binary);
        shipped.assign((std::istreambuf_iterator<char>(file)), {});
    }
    std::string truncated = shipped.substr(0, shipped.size() / 2);
    const struct
    {
        const char* name;
        std::string bytes;
        std::string problem; // empty: accepted
    } cases[] = {
        {"the shipped WAV", shipped, ""},
        {"the shipped WAV cut in half", truncated, "its header claims "},
        {"a WAV whose data chunk claims 4 GiB", HugeClaimWav(16),
         "its \"data\" chunk claims 4294967280 bytes"},
        {"an Ogg file claiming 2^40 samples", HugeClaimOgg(), "it claims 1099511627776 samples"},
        {"an Ogg file cut short", HugeClaimOgg().substr(0, 5000), "its page at byte "},
        {"neither", "ID3\x03 an mp3", "it is neither a WAV nor an Ogg Vorbis file"},
        {"nothing", "", "it is neither a WAV nor an Ogg Vorbis file"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string problem = CheckSoundBytes(c.bytes);
        if (c.problem.empty())
            EXPECT_EQ(problem, "");
        else
            EXPECT_EQ(problem.rfind(c.problem, 0), 0u) << problem;
    }
}
