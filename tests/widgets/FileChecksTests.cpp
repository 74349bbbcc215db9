#include "widgets/FileChecks.hpp"

#include <SFML/Graphics/Image.hpp>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>

using namespace vgui;
namespace fs = std::filesystem;

namespace
{

class FileChecks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() /
                 (std::string("vgui_checks_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return (folder / name).string();
    }
    fs::path folder;
};

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

std::string Png(std::uint32_t width, std::uint32_t height, const char* chunk = "IHDR")
{
    auto big32 = [](std::uint32_t v) {
        return Bytes({static_cast<int>(v >> 24), static_cast<int>(v >> 16 & 255), static_cast<int>(v >> 8 & 255),
                      static_cast<int>(v & 255)});
    };
    return Bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}) + big32(13) + chunk + big32(width) + big32(height) +
           Bytes({8, 6, 0, 0, 0}) + std::string(64, '\0');
}

// A JPEG segment: marker, then a big-endian length that counts itself.
std::string Segment(int marker, const std::string& body)
{
    const std::size_t length = body.size() + 2;
    return Bytes({0xFF, marker, static_cast<int>(length >> 8), static_cast<int>(length & 255)}) + body;
}

std::string Frame(int width, int height)
{
    return Bytes({8, height >> 8, height & 255, width >> 8, width & 255, 3});
}

std::string Bmp(std::uint32_t infoSize, std::int32_t width, std::int32_t height)
{
    auto little32 = [](std::uint32_t v) {
        return Bytes({static_cast<int>(v & 255), static_cast<int>(v >> 8 & 255), static_cast<int>(v >> 16 & 255),
                      static_cast<int>(v >> 24)});
    };
    std::string out = "BM" + little32(0) + little32(0) + little32(54) + little32(infoSize);
    if (infoSize == 12)
        out += Bytes({width & 255, width >> 8 & 255, height & 255, height >> 8 & 255});
    else
        out += little32(static_cast<std::uint32_t>(width)) + little32(static_cast<std::uint32_t>(height));
    return out + std::string(64, '\0');
}

} // namespace

// What an encoder really writes: SFML's own PNG, JPEG and BMP writers.
TEST_F(FileChecks, ImageSizeReadsWhatEncodersWrite)
{
    sf::Image image;
    image.create(7, 5, sf::Color::Red);
    for (const char* name : {"a.png", "a.jpg", "a.bmp"})
    {
        SCOPED_TRACE(name);
        const std::string path = (folder / name).string();
        ASSERT_TRUE(image.saveToFile(path));
        EXPECT_EQ(ImageSize(path), sf::Vector2u(7, 5));
        std::string bytes;
        ASSERT_EQ(ReadRegularFile(path, 1 << 20, bytes), FileRead::Ok);
        EXPECT_EQ(ImageSize(bytes.data(), bytes.size()), sf::Vector2u(7, 5));
    }
}

TEST_F(FileChecks, ImageSizesComeFromTheHeaderAndDamageGivesNone)
{
    const std::string app1 = Segment(0xE1, std::string(60000, 'x')); // an EXIF block before the frame
    const std::string table = Segment(0xC4, std::string(30, '\0'));  // 0xC4 is a table, not a frame
    const std::string soi = Bytes({0xFF, 0xD8});
    struct Case
    {
        const char* name;
        std::string bytes;
        std::optional<sf::Vector2u> size;
    };
    const Case cases[] = {
        {"PNG claiming 16384 x 16384", Png(16384, 16384), sf::Vector2u(16384, 16384)},
        {"PNG whose first chunk is not IHDR", Png(10, 10, "IDAT"), std::nullopt},
        {"PNG of width 0", Png(0, 10), std::nullopt},
        {"PNG cut inside IHDR", Png(10, 10).substr(0, 20), std::nullopt},
        {"JPEG with EXIF, a table and fill bytes before a progressive frame",
         soi + app1 + table + Bytes({0xFF, 0xFF}) + Segment(0xC2, Frame(300, 200)), sf::Vector2u(300, 200)},
        {"JPEG whose scan starts before any frame", soi + table + Segment(0xDA, "x") + Segment(0xC0, Frame(5, 5)),
         std::nullopt},
        {"JPEG with a segment length of 0", soi + Bytes({0xFF, 0xE0, 0, 0}) + Segment(0xC0, Frame(5, 5)), std::nullopt},
        {"JPEG of fill bytes only", soi + std::string(100000, '\xFF'), std::nullopt},
        {"JPEG frame of height 0", soi + Segment(0xC0, Frame(5, 0)), std::nullopt},
        {"JPEG cut inside the frame header", soi + Segment(0xC0, Frame(5, 5)).substr(0, 6), std::nullopt},
        {"BMP drawn from the top (negative height)", Bmp(40, 30, -20), sf::Vector2u(30, 20)},
        {"BMP with the old 12-byte header", Bmp(12, 5, 6), sf::Vector2u(5, 6)},
        {"BMP of negative width", Bmp(40, -30, 20), std::nullopt},
        {"BMP with an unknown header size", Bmp(20, 30, 20), std::nullopt},
        {"GIF (a format we do not read)", "GIF89a" + Bytes({10, 0, 10, 0}) + std::string(20, '\0'), std::nullopt},
        {"nothing", "", std::nullopt},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ImageSize(c.bytes.data(), c.bytes.size()), c.size);
        EXPECT_EQ(ImageSize(Write("image", c.bytes)), c.size) << "read from a file";
    }
}

TEST_F(FileChecks, OnlyRegularFilesUpToTheCapAreRead)
{
    const std::string path = Write("form.txt", std::string(100, 'x'));
    fs::create_symlink("/dev/zero", folder / "zero.txt");
    ASSERT_EQ(mkfifo((folder / "pipe.txt").c_str(), 0600), 0);
    struct Case
    {
        std::string path;
        std::uintmax_t cap;
        FileRead result;
        std::size_t bytes;
    };
    const Case cases[] = {
        {path, 100, FileRead::Ok, 100},
        {path, 99, FileRead::TooLarge, 0},
        {(folder / "none.txt").string(), 100, FileRead::Missing, 0},
        {folder.string(), 100, FileRead::NotRegular, 0},
        {(folder / "zero.txt").string(), 100, FileRead::NotRegular, 0},
        {(folder / "pipe.txt").string(), 100, FileRead::NotRegular, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.path + " at most " + std::to_string(c.cap));
        std::string bytes = "left over";
        EXPECT_EQ(ReadRegularFile(c.path, c.cap, bytes), c.result);
        EXPECT_EQ(bytes.size(), c.bytes);
    }
    EXPECT_EQ(Describe(FileRead::TooLarge, 1 << 20), "the file is larger than 1 MiB");
    EXPECT_FALSE(ImageSize((folder / "pipe.txt").string())) << "a FIFO is not opened, let alone read";
    EXPECT_FALSE(ImageSize(folder.string()));
}
