#include "tests/tiled/TiledTestSupport.hpp"
#include "tiled/TileData.hpp"

#include <gtest/gtest.h>

using namespace tmjtest;

namespace
{

const std::vector<std::uint32_t> cells = {1, 2, 0x80000002u, 0, 0xE0000002u, 0xFFFFFFFFu};

bool Decode(const std::string& text, std::vector<std::uint8_t>& out, std::string& error)
{
    return tmj::DecodeBase64(text, out, error);
}

} // namespace

TEST(Base64, DecodesAllPaddingFormsAndSkipsWhitespace)
{
    std::vector<std::uint8_t> out;
    std::string error;
    ASSERT_TRUE(Decode("TWFu", out, error));
    EXPECT_EQ(std::string(out.begin(), out.end()), "Man");
    ASSERT_TRUE(Decode("TWE=", out, error));
    EXPECT_EQ(std::string(out.begin(), out.end()), "Ma");
    ASSERT_TRUE(Decode("TQ==", out, error));
    EXPECT_EQ(std::string(out.begin(), out.end()), "M");
    ASSERT_TRUE(Decode(" TW\nFu\r\n", out, error));
    EXPECT_EQ(std::string(out.begin(), out.end()), "Man");
    ASSERT_TRUE(Decode("", out, error));
    EXPECT_TRUE(out.empty());
    const std::vector<std::uint8_t> all = LittleEndian(cells);
    ASSERT_TRUE(Decode(Base64(all), out, error));
    EXPECT_EQ(out, all);
}

TEST(Base64, RejectsCorruptTextWithItsOffset)
{
    std::vector<std::uint8_t> out;
    std::string error;
    EXPECT_FALSE(Decode("TW*u", out, error));
    EXPECT_NE(error.find("'*' at offset 2"), std::string::npos) << error;
    EXPECT_FALSE(Decode("TWF", out, error)) << "three letters are not a whole group";
    EXPECT_NE(error.find("not a multiple of 4"), std::string::npos) << error;
    EXPECT_FALSE(Decode("TWE", out, error));
    EXPECT_FALSE(Decode("T===", out, error));
    EXPECT_FALSE(Decode("TW=u", out, error));
    EXPECT_FALSE(Decode("TQ==TWFu", out, error)) << "data after the padded group";
    EXPECT_FALSE(Decode("TQ====", out, error));
    EXPECT_FALSE(Decode("TQ=", out, error));
    EXPECT_FALSE(Decode(std::string("TW\0u", 4), out, error));
    EXPECT_NE(error.find("0x00"), std::string::npos) << error;
}

TEST(Inflate, ZlibAndGzipGiveTheSameCells)
{
    for (auto compression : {tmj::Compression::Zlib, tmj::Compression::Gzip})
    {
        const auto bytes = LittleEndian(cells);
        const auto packed = compression == tmj::Compression::Zlib ? Zlib(bytes) : Gzip(bytes);
        std::vector<std::uint32_t> decoded;
        std::string error;
        ASSERT_TRUE(tmj::DecodeTileData(Base64(packed), compression, cells.size(), decoded, error)) << error;
        EXPECT_EQ(decoded, cells);
    }
}

TEST(Inflate, HeaderDecidesWhicheverCompressionIsNamed)
{
    // A file that says "zlib" but holds gzip still inflates: zlib detects the header.
    std::vector<std::uint32_t> decoded;
    std::string error;
    EXPECT_TRUE(tmj::DecodeTileData(Base64(Gzip(LittleEndian(cells))), tmj::Compression::Zlib, cells.size(),
                                    decoded, error));
    EXPECT_EQ(decoded, cells);
}

TEST(Inflate, RejectsTruncatedTrailingCorruptAndWronglySizedStreams)
{
    const auto bytes = LittleEndian(cells);
    const std::size_t expected = bytes.size();
    std::vector<std::uint8_t> out;
    std::string error;
    for (const auto& packed : {Zlib(bytes), Gzip(bytes)})
    {
        ASSERT_TRUE(tmj::InflateExactly(packed.data(), packed.size(), expected, out, error)) << error;
        EXPECT_EQ(out, bytes);

        auto truncated = packed;
        truncated.resize(packed.size() - 3);
        EXPECT_FALSE(tmj::InflateExactly(truncated.data(), truncated.size(), expected, out, error));
        EXPECT_NE(error.find("truncated"), std::string::npos) << error;
        EXPECT_TRUE(out.empty());

        auto trailing = packed;
        trailing.push_back(0);
        trailing.push_back(7);
        EXPECT_FALSE(tmj::InflateExactly(trailing.data(), trailing.size(), expected, out, error));
        EXPECT_NE(error.find("2 bytes after the end"), std::string::npos) << error;

        EXPECT_FALSE(tmj::InflateExactly(packed.data(), packed.size(), expected - 4, out, error));
        EXPECT_NE(error.find("more than the expected 20 bytes"), std::string::npos) << error;

        EXPECT_FALSE(tmj::InflateExactly(packed.data(), packed.size(), expected + 4, out, error));
        EXPECT_NE(error.find("inflates to 24 bytes, expected 28"), std::string::npos) << error;
    }
    std::vector<std::uint8_t> corrupt = Zlib(bytes);
    corrupt[3] ^= 0xFF;
    EXPECT_FALSE(tmj::InflateExactly(corrupt.data(), corrupt.size(), expected, out, error));
    EXPECT_NE(error.find("corrupt"), std::string::npos) << error;
    const std::vector<std::uint8_t> empty;
    EXPECT_FALSE(tmj::InflateExactly(empty.data(), 0, expected, out, error));
}

TEST(Inflate, TinyStreamAgainstAHugeExpectedSizeAllocatesLittle)
{
    // 16 MiB expected, 24 bytes delivered: the output grows with the stream, not with the promise.
    const auto packed = Zlib(LittleEndian(cells));
    std::vector<std::uint8_t> out;
    std::string error;
    EXPECT_FALSE(tmj::InflateExactly(packed.data(), packed.size(), std::size_t{16} << 20, out, error));
    EXPECT_NE(error.find("inflates to 24 bytes"), std::string::npos) << error;
    EXPECT_LE(out.capacity(), std::size_t{1} << 20);
}

TEST(Inflate, StopsAtTheExpectedSizeOfALongStream)
{
    // A zlib bomb in miniature: 8 MiB of zeros in a few kB, while four cells are expected.
    const auto packed = Zlib(std::vector<std::uint8_t>(std::size_t{8} << 20, 0));
    std::vector<std::uint8_t> out;
    std::string error;
    EXPECT_FALSE(tmj::InflateExactly(packed.data(), packed.size(), 16, out, error));
    EXPECT_NE(error.find("more than the expected 16 bytes"), std::string::npos) << error;
    EXPECT_TRUE(out.empty());
}

TEST(TileData, UncompressedLengthMustMatchTheCellCount)
{
    std::vector<std::uint32_t> decoded;
    std::string error;
    const std::string text = Base64(LittleEndian(cells));
    EXPECT_FALSE(tmj::DecodeTileData(text, tmj::Compression::None, cells.size() + 1, decoded, error));
    EXPECT_NE(error.find("holds 24 bytes, expected 28"), std::string::npos) << error;
    EXPECT_FALSE(tmj::DecodeTileData(text, tmj::Compression::None, cells.size() - 1, decoded, error));
    EXPECT_FALSE(tmj::DecodeTileData(Base64({1, 2, 3, 4, 5}), tmj::Compression::None, 1, decoded, error));
    EXPECT_TRUE(decoded.empty());
}
