#include "services/AssetFiles.hpp"

#include "files/ImageSize.hpp"
#include "files/RegularFile.hpp"

#include <cstring>
#include <map>

namespace
{
std::uint32_t Little16(const std::string& b, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at]) |
                                      static_cast<unsigned char>(b[at + 1]) << 8);
}
std::uint32_t Little32(const std::string& b, std::size_t at)
{
    return Little16(b, at) | Little16(b, at + 2) << 16;
}
std::uint64_t Little64(const std::string& b, std::size_t at)
{
    return Little32(b, at) | static_cast<std::uint64_t>(Little32(b, at + 4)) << 32;
}

std::string TooManySamples(std::uint64_t samples)
{
    return "it claims " + std::to_string(samples) + " samples, more than " +
           std::to_string(AssetLimits::MaxSoundSamples);
}

// RIFF: "RIFF", size, "WAVE", then chunks of id, size and body (padded to even sizes). SFML's
// reader takes the "data" chunk's size as given and allocates for it.
std::string CheckWav(const std::string& b, std::uint64_t& claimed)
{
    const std::uint64_t size = b.size();
    if (size < 12)
        return "it is too short to be a WAV file";
    const std::uint64_t end = std::uint64_t{Little32(b, 4)} + 8;
    if (end > size)
        return "its header claims " + std::to_string(end) + " bytes, but the file holds " +
               std::to_string(size);
    std::uint32_t bytesPerSample = 0;
    for (std::uint64_t at = 12; at + 8 <= end;)
    {
        const std::string id = b.substr(at, 4);
        const std::uint64_t length = Little32(b, at + 4);
        const std::uint64_t body = at + 8;
        if (body + length > end)
            return "its \"" + id + "\" chunk claims " + std::to_string(length) +
                   " bytes past the end of the file";
        if (id == "fmt ")
        {
            if (length < 16)
                return "its format chunk is too short";
            const std::uint32_t format = Little16(b, body);
            const std::uint32_t channels = Little16(b, body + 2);
            const std::uint32_t rate = Little32(b, body + 4);
            const std::uint32_t bits = Little16(b, body + 14);
            if (format != 1 && format != 0xFFFE)
                return "only PCM WAV files are read";
            if (channels == 0 || channels > 8 || rate == 0 || rate > 384000 ||
                (bits != 8 && bits != 16 && bits != 24 && bits != 32))
                return "its format (" + std::to_string(channels) + " channels, " + std::to_string(rate) +
                       " Hz, " + std::to_string(bits) + " bits) is not one SFML plays";
            bytesPerSample = bits / 8;
        }
        else if (id == "data")
        {
            if (bytesPerSample == 0)
                return "its data comes before its format";
            const std::uint64_t samples = length / bytesPerSample;
            if (samples > AssetLimits::MaxSoundSamples)
                return TooManySamples(samples);
            claimed = samples;
            return {};
        }
        at = body + length + (length & 1);
    }
    return bytesPerSample == 0 ? "it has no format chunk" : "it has no data chunk";
}

// Ogg: pages of a 27-byte header, a segment table and a body, end to end up to the file's end.
// The first packet is Vorbis's identification header; the last granule position of each stream
// is its length in samples per channel, which SFML allocates for before decoding.
std::string CheckOgg(const std::string& b, std::uint64_t& claimed)
{
    const std::size_t size = b.size();
    std::map<std::uint32_t, std::uint64_t> lastGranule; // per stream
    std::uint32_t channels = 0;
    for (std::size_t at = 0; at < size;)
    {
        const std::string where = " at byte " + std::to_string(at);
        if (size - at < 27 || std::memcmp(b.data() + at, "OggS", 4) != 0 || b[at + 4] != 0)
            return "its page" + where + " is damaged or the file ends inside it";
        const std::uint64_t granule = Little64(b, at + 6);
        const std::uint32_t serial = Little32(b, at + 14);
        const std::size_t segments = static_cast<unsigned char>(b[at + 26]);
        if (size - at - 27 < segments)
            return "its page" + where + " runs past the end of the file";
        std::size_t bodyLength = 0;
        for (std::size_t s = 0; s < segments; ++s)
            bodyLength += static_cast<unsigned char>(b[at + 27 + s]);
        const std::size_t body = at + 27 + segments;
        if (size - body < bodyLength)
            return "its page" + where + " runs past the end of the file";
        if (at == 0)
        {
            if (bodyLength < 16 || b.compare(body, 7, "\x01vorbis") != 0)
                return "it is not an Ogg Vorbis file";
            channels = static_cast<unsigned char>(b[body + 11]);
            const std::uint32_t rate = Little32(b, body + 12);
            if (channels == 0 || channels > 8 || rate == 0 || rate > 384000)
                return "its format (" + std::to_string(channels) + " channels, " + std::to_string(rate) +
                       " Hz) is not one SFML plays";
        }
        if (granule != ~std::uint64_t{0}) // no packet ends on this page
            lastGranule[serial] = granule;
        at = body + bodyLength;
    }
    std::uint64_t samples = 0;
    for (const auto& [serial, granule] : lastGranule)
    {
        if (granule > AssetLimits::MaxSoundSamples)
            return TooManySamples(granule);
        samples += granule * channels;
    }
    if (samples > AssetLimits::MaxSoundSamples)
        return TooManySamples(samples);
    claimed = samples;
    return {};
}

std::string ReadChecked(const std::string& path, std::uintmax_t maxBytes, std::string& problem)
{
    std::string bytes;
    const files::FileRead read = files::ReadRegularFile(path, maxBytes, bytes);
    problem = read == files::FileRead::Ok ? std::string() : files::Describe(read, maxBytes);
    return bytes;
}
} // namespace

std::string CheckSoundBytes(const std::string& bytes, std::uint64_t& samples)
{
    samples = 0;
    if (bytes.size() >= 12 && bytes.compare(0, 4, "RIFF") == 0 && bytes.compare(8, 4, "WAVE") == 0)
        return CheckWav(bytes, samples);
    if (bytes.size() >= 4 && bytes.compare(0, 4, "OggS") == 0)
        return CheckOgg(bytes, samples);
    return "it is neither a WAV nor an Ogg Vorbis file";
}

std::string CheckSoundBytes(const std::string& bytes)
{
    std::uint64_t samples = 0;
    return CheckSoundBytes(bytes, samples);
}

std::string ReadImageFile(const std::string& path, unsigned maxSide, std::string& problem,
                          sf::Vector2u* sides)
{
    std::string bytes = ReadChecked(path, AssetLimits::MaxImageFileBytes, problem);
    if (!problem.empty())
        return {};
    const auto size = files::ImageSize(bytes.data(), bytes.size());
    if (!size)
        problem = "it is no PNG, JPEG or BMP image, or its header is damaged";
    else if (size->width > maxSide || size->height > maxSide)
        problem = "it is " + std::to_string(size->width) + " x " + std::to_string(size->height) +
                  " pixels, more than " + std::to_string(maxSide) + " x " + std::to_string(maxSide);
    if (!problem.empty())
        return {};
    if (sides)
        *sides = {size->width, size->height};
    return bytes;
}

std::string ReadSoundFile(const std::string& path, std::string& problem, std::uint64_t* samples)
{
    std::string bytes = ReadChecked(path, AssetLimits::MaxSoundFileBytes, problem);
    std::uint64_t claimed = 0;
    if (problem.empty())
        problem = CheckSoundBytes(bytes, claimed);
    if (!problem.empty())
        return {};
    if (samples)
        *samples = claimed;
    return bytes;
}

std::string ReadFontFile(const std::string& path, std::string& problem)
{
    return ReadChecked(path, AssetLimits::MaxFontFileBytes, problem);
}

std::optional<sf::Vector2u> ImageSides(const std::string& path)
{
    const auto sides = files::ImageSize(path);
    if (!sides)
        return std::nullopt;
    return sf::Vector2u(sides->width, sides->height);
}
