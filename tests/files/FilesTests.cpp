#include "files/ImageSize.hpp"
#include "files/RegularFile.hpp"

#include <SFML/Graphics/Image.hpp>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>

using namespace files;
namespace fs = std::filesystem;

namespace files
{
// Sides in a failure message.
std::ostream& operator<<(std::ostream& out, const Sides& sides)
{
    return out << sides.width << " x " << sides.height;
}
} // namespace files

namespace
{

class Files : public ::testing::Test
{
protected:
    fs::path folder =
        fs::temp_directory_path() /
        ("varnhold_files_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));

    void SetUp() override { fs::create_directories(folder); }
    void TearDown() override { fs::remove_all(folder); }
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return (folder / name).string();
    }
};

std::string Bytes(std::initializer_list<int> values)
{
    return std::string(values.begin(), values.end());
}

// A JPEG segment: marker, then a big-endian length that counts itself.
std::string Segment(int marker, const std::string& body)
{
    const auto length = static_cast<int>(body.size() + 2);
    return Bytes({0xFF, marker, length >> 8, length & 255}) + body;
}

} // namespace

// What encoders really write: SFML's own PNG, JPEG and BMP writers, read from a file and from memory.
TEST_F(Files, ImageSizeReadsWhatEncodersWrite)
{
    sf::Image image;
    image.create(7, 5, sf::Color::Red);
    for (const std::string name : {"a.png", "a.jpg", "a.bmp"})
    {
        ASSERT_TRUE(image.saveToFile((folder / name).string()));
        std::string bytes;
        ASSERT_EQ(ReadRegularFile((folder / name).string(), 1 << 20, bytes), FileRead::Ok);
        EXPECT_EQ(ImageSize(bytes.data(), bytes.size()), (Sides{7, 5})) << name;
        EXPECT_EQ(ImageSize(folder / name), (Sides{7, 5})) << name;
    }
}

TEST_F(Files, ImageSizesComeFromTheHeaderAndDamageGivesNone)
{
    const std::string png = Bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13});
    const std::string soi = Bytes({0xFF, 0xD8});
    const std::string frame = Bytes({8, 0, 200, 1, 44, 3}); // 8 bits, 200 rows, 300 columns
    const std::string bmp = "BM" + std::string(12, '\0');
    const struct
    {
        std::string bytes;
        std::optional<Sides> size;
    } cases[] = {
        {png + "IHDR" + Bytes({0, 0, 0x40, 0, 0, 0, 0x40, 0}), Sides{16384, 16384}},
        {png + "IDAT" + Bytes({0, 0, 0, 9, 0, 0, 0, 9}), std::nullopt}, // IHDR must come first
        {png + "IHDR" + Bytes({0, 0, 0, 0, 0, 0, 0, 9}), std::nullopt}, // a zero side
        // EXIF, then a table (0xC4 is no frame), then fill bytes before a progressive frame.
        {soi + Segment(0xE1, std::string(60000, 'x')) + Segment(0xC4, "t") + Bytes({0xFF, 0xFF}) +
             Segment(0xC2, frame),
         Sides{300, 200}},
        {soi + Segment(0xDA, "x") + Segment(0xC0, frame), std::nullopt}, // a scan before any frame
        {soi + std::string(100000, '\xFF'), std::nullopt},               // fill bytes without end
        {bmp + Bytes({40, 0, 0, 0, 30, 0, 0, 0, 0xEC, 0xFF, 0xFF, 0xFF}) + std::string(8, '\0'),
         Sides{30, 20}}, // height -20: rows from the top
        {bmp + Bytes({12, 0, 0, 0, 5, 0, 6, 0}) + std::string(8, '\0'), Sides{5, 6}}, // OS/2 header
        {"GIF89a" + std::string(20, '\n'), std::nullopt},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(ImageSize(c.bytes.data(), c.bytes.size()), c.size) << &c - cases;
        EXPECT_EQ(ImageSize(Write("image", c.bytes)), c.size) << &c - cases << " from a file";
    }
}

TEST_F(Files, ReadingStopsAtTheCap)
{
    const std::string path = Write("form.txt", std::string(100, 'x'));
    std::string bytes;
    EXPECT_EQ(ReadRegularFile(path, 100, bytes), FileRead::Ok);
    EXPECT_EQ(bytes.size(), 100u);
    EXPECT_EQ(ReadRegularFile(path, 99, bytes), FileRead::TooLarge);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(ReadRegularFile(folder.string(), 100, bytes), FileRead::NotRegular);
    EXPECT_EQ(ReadRegularFile((folder / "none").string(), 100, bytes), FileRead::Missing);
}
