#include "tests/services/ServicesTestSupport.hpp"

#include "services/AssetManager.hpp"
#include "services/GameCounters.hpp"
#include "services/GameStateManager.hpp"
#include "services/InputManager.hpp"
#include "services/Settings.hpp"
#include "services/SoundManager.hpp"

#include <SFML/Graphics/Image.hpp>
#include <SFML/System/Sleep.hpp>
#include <SFML/Window/Context.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace testing_support
{

fs::path SourceAssets()
{
    return fs::path(VARNHOLD_SOURCE_DIR) / "assets";
}

ScratchGame::ScratchGame() : previousDir(fs::current_path())
{
    std::random_device seed;
    rootDir = fs::temp_directory_path() / ("varnhold-test-" + std::to_string(seed()));
    fs::create_directories(rootDir / "run");
    fs::copy(SourceAssets(), rootDir / "assets", fs::copy_options::recursive);
    fs::current_path(rootDir / "run");
}

ScratchGame::~ScratchGame()
{
    std::error_code ignored;
    fs::current_path(previousDir, ignored);
    fs::remove_all(rootDir, ignored);
}

void ScratchGame::WriteAsset(const std::string& name, const std::string& content) const
{
    std::ofstream file(assets() / name, std::ios::binary | std::ios::trunc);
    file << content;
}

void ScratchGame::RemoveAsset(const std::string& name) const
{
    fs::remove(assets() / name);
}

void KeepGlContext()
{
    // Every texture made without an active context opens and drops one of its own, with a new
    // X connection each time; under Xvfb that now and then fails to open the display.
    static sf::Context context;
    (void)context.setActive(true);
}

void LoadAssets()
{
    KeepGlContext();
    LoadGameAssets(AssetManager::instance());
}

void ResetServices()
{
    GameCounters::instance().Reset();
    InputManager::instance().Reset();
    SoundManager::instance().Reset();
    GameStateManager::instance().Reset();
    Settings::instance().Reset();
    InputManager::instance().mouseSource = []
    {
        return sf::Vector2i();
    };
}

std::shared_ptr<sf::Texture> Picture(sf::Vector2u size,
                                     const std::function<sf::Color(unsigned, unsigned)>& paint)
{
    sf::Image image;
    image.create(size.x, size.y, sf::Color::Transparent);
    for (unsigned x = 0; x < size.x; ++x)
        for (unsigned y = 0; y < size.y; ++y)
            image.setPixel(x, y, paint(x, y));
    auto texture = std::make_shared<sf::Texture>();
    (void)texture->loadFromImage(image);
    return texture;
}

std::shared_ptr<sf::Texture> Solid(sf::Vector2u size, sf::Color colour)
{
    return Picture(size, [colour](unsigned, unsigned) { return colour; });
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return "<missing>";
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

namespace
{
fs::path& WaveFile()
{
    static fs::path path;
    return path;
}
} // namespace

void ListeningTest::SetUpTestSuite()
{
    std::random_device seed;
    const fs::path folder = fs::temp_directory_path() / ("varnhold-sound-" + std::to_string(seed()));
    fs::create_directories(folder);
    WaveFile() = folder / "out.wav";
    const fs::path config = folder / "alsoft.conf";
    std::ofstream(config) << "[general]\ndrivers=wave\n[wave]\nfile=" << WaveFile().string() << "\n";
    ::setenv("ALSOFT_CONF", config.c_str(), 1);
    ::unsetenv("ALSOFT_DRIVERS");
}

void ListeningTest::TearDownTestSuite()
{
    std::error_code ignored;
    fs::remove_all(WaveFile().parent_path(), ignored);
}

namespace
{
// Reads the file while the writer still has it open, so the sizes in the header are not trusted:
// the samples are everything after the "data" chunk's header. Empty while the writer has not yet
// flushed its header, which a busy machine may delay.
std::optional<double> LoudestSample()
{
    const std::string bytes = ReadFile(WaveFile().string());
    const auto fmt = bytes.find("fmt ");
    const auto data = bytes.find("data");
    if (fmt == std::string::npos || data == std::string::npos || fmt + 24 > bytes.size())
        return std::nullopt;
    const auto u16 = [&](std::size_t at)
    {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[at])) |
               static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8;
    };
    const unsigned format = u16(fmt + 8);
    const unsigned bits = u16(fmt + 22);
    double loudest = 0.0;
    for (std::size_t at = data + 8; at + bits / 8 <= bytes.size(); at += bits / 8)
    {
        double sample = 0.0;
        if (bits == 16)
        {
            std::int16_t value;
            std::memcpy(&value, bytes.data() + at, 2);
            sample = value / 32768.0;
        }
        else if (bits == 32 && format == 3)
        {
            float value;
            std::memcpy(&value, bytes.data() + at, 4);
            sample = value;
        }
        else if (bits == 32 && format != 3)
        {
            // WAVE_FORMAT_EXTENSIBLE hides the float/int choice in its sub-format; treat as float.
            float value;
            std::memcpy(&value, bytes.data() + at, 4);
            sample = std::isfinite(value) ? value : 0.0;
        }
        else if (bits == 8)
        {
            sample = (static_cast<unsigned char>(bytes[at]) - 128) / 128.0;
        }
        loudest = std::max(loudest, std::abs(sample));
    }
    return loudest;
}
} // namespace

// A writer that has not flushed its header yet has written nothing loud either.
double Loudness()
{
    return LoudestSample().value_or(0.0);
}

void ListeningTest::SetUp()
{
    Reset();
    LoadAssets();
}

void ListeningTest::Reset()
{
    ResetServices();
}

void WaitUntilQuiet()
{
    const auto playing = []
    {
        const auto& sounds = SoundManager::instance().playing;
        return std::any_of(sounds.begin(), sounds.end(),
                           [](const auto& sound) { return sound->getStatus() == sf::SoundSource::Playing; });
    };
    for (int step = 0; step < 1200 && playing(); ++step)
        sf::sleep(sf::milliseconds(50));
    sf::sleep(sf::milliseconds(100)); // the mixer's last periods, for a test that expects silence
}

double Heard()
{
    for (int step = 0; step < 1200; ++step)
    {
        if (const auto loudest = LoudestSample(); loudest && *loudest > 0.01)
            return *loudest;
        sf::sleep(sf::milliseconds(50));
    }
    const auto loudest = LoudestSample();
    if (!loudest)
        ADD_FAILURE() << "no wave file written at " << WaveFile();
    return loudest.value_or(0.0);
}

} // namespace testing_support
