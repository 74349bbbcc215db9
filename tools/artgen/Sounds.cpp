#include "tools/artgen/Sounds.hpp"

#include "tools/artgen/Random.hpp"
#include "tools/artgen/Raster.hpp"

#include <SFML/Audio/OutputSoundFile.hpp>

#include <algorithm>
#include <cmath>

namespace artgen
{

namespace
{

constexpr float pi = 3.14159265358979f;
constexpr float rate = static_cast<float>(sampleRate);

std::vector<float> Silence(float seconds)
{
    return std::vector<float>(static_cast<size_t>(seconds * rate), 0.f);
}

float Time(size_t i)
{
    return static_cast<float>(i) / rate;
}

// One-pole low-pass whose cutoff (Hz) may change per sample.
class LowPass
{
public:
    float Step(float x, float cutoff)
    {
        const float a = 1.f - std::exp(-2.f * pi * cutoff / rate);
        y += a * (x - y);
        return y;
    }

private:
    float y = 0.f;
};

// Short attack, exponential decay.
float Envelope(float t, float attack, float decay)
{
    if (t < attack)
        return t / attack;
    return std::exp(-(t - attack) / decay);
}

// Fades the last milliseconds so no file ends on a click.
void FadeTail(std::vector<float>& s, float seconds = 0.03f)
{
    const size_t n = std::min(s.size(), static_cast<size_t>(seconds * rate));
    for (size_t i = 0; i < n; ++i)
        s[s.size() - 1 - i] *= static_cast<float>(i) / static_cast<float>(n);
}

} // namespace

std::vector<float> CannonShot()
{
    std::vector<float> s = Silence(0.7f);
    Rng rng(31);
    LowPass body, crack;
    float phase = 0.f;
    for (size_t i = 0; i < s.size(); ++i)
    {
        const float t = Time(i);
        const float noise = rng.Range(-1.f, 1.f);
        // Low boom: a sine that drops from 140 to 45 Hz.
        const float freq = 45.f + 95.f * std::exp(-t / 0.05f);
        phase += 2.f * pi * freq / rate;
        const float boom = std::sin(phase) * Envelope(t, 0.002f, 0.16f);
        const float rumble =
            body.Step(noise, 300.f + 2500.f * std::exp(-t / 0.03f)) * Envelope(t, 0.001f, 0.22f);
        const float snap = crack.Step(noise, 6000.f) * Envelope(t, 0.0005f, 0.012f);
        s[i] = 0.9f * boom + 2.2f * rumble + 0.6f * snap;
    }
    FadeTail(s);
    return s;
}

std::vector<float> RocketWhoosh()
{
    std::vector<float> s = Silence(0.85f);
    Rng rng(32);
    LowPass low, high;
    for (size_t i = 0; i < s.size(); ++i)
    {
        const float t = Time(i);
        const float noise = rng.Range(-1.f, 1.f);
        // A band of noise whose centre sweeps up then fades away: the rocket leaving.
        const float centre = 600.f + 3000.f * SmoothStep(0.f, 0.45f, t);
        const float band = low.Step(noise, centre * 1.6f) - high.Step(noise, centre * 0.5f);
        const float amp = Envelope(t, 0.04f, 0.28f);
        const float ignition = std::sin(2.f * pi * 70.f * t) * Envelope(t, 0.003f, 0.06f);
        s[i] = 2.5f * band * amp + 0.4f * ignition;
    }
    FadeTail(s, 0.08f);
    return s;
}

std::vector<float> ConstructionClank()
{
    std::vector<float> s = Silence(0.6f);
    Rng rng(33);
    LowPass tick;
    // Two hammer blows on metal: inharmonic partials ringing briefly.
    const float partials[] = {410.f, 1037.f, 1731.f, 2693.f, 3920.f};
    const float hits[] = {0.f, 0.17f, 0.26f};
    const float loud[] = {1.f, 0.7f, 0.5f};
    for (size_t i = 0; i < s.size(); ++i)
    {
        const float t = Time(i);
        const float noise = rng.Range(-1.f, 1.f);
        float v = 0.f;
        for (size_t h = 0; h < 3; ++h)
        {
            const float u = t - hits[h];
            if (u < 0.f)
                continue;
            for (size_t p = 0; p < 5; ++p)
            {
                const float f = partials[p] * (1.f + 0.03f * static_cast<float>(h));
                v += loud[h] * std::sin(2.f * pi * f * u) *
                     Envelope(u, 0.001f, 0.09f / (1.f + 0.5f * static_cast<float>(p))) /
                     (1.f + static_cast<float>(p) * 0.4f);
            }
            v += loud[h] * 0.8f * noise * Envelope(u, 0.0005f, 0.006f);
        }
        s[i] = tick.Step(v, 7000.f);
    }
    FadeTail(s);
    return s;
}

std::vector<float> UpgradeChime()
{
    std::vector<float> s = Silence(0.9f);
    // A rising major arpeggio of small bells.
    const float notes[] = {783.99f, 987.77f, 1174.66f, 1567.98f};
    for (size_t i = 0; i < s.size(); ++i)
    {
        const float t = Time(i);
        float v = 0.f;
        for (size_t n = 0; n < 4; ++n)
        {
            const float u = t - 0.08f * static_cast<float>(n);
            if (u < 0.f)
                continue;
            const float f = notes[n];
            const float env = Envelope(u, 0.004f, 0.22f);
            v += env * (std::sin(2.f * pi * f * u) +
                        0.35f * std::sin(2.f * pi * 2.76f * f * u) * std::exp(-u / 0.05f) +
                        0.2f * std::sin(2.f * pi * 2.f * f * u));
        }
        s[i] = v;
    }
    FadeTail(s, 0.1f);
    return s;
}

std::vector<float> HurtThud()
{
    std::vector<float> s = Silence(0.45f);
    Rng rng(35);
    LowPass thump;
    float phase = 0.f;
    for (size_t i = 0; i < s.size(); ++i)
    {
        const float t = Time(i);
        const float freq = 55.f + 70.f * std::exp(-t / 0.04f);
        phase += 2.f * pi * freq / rate;
        const float body = std::sin(phase) * Envelope(t, 0.003f, 0.11f);
        const float hit = thump.Step(rng.Range(-1.f, 1.f), 900.f) * Envelope(t, 0.001f, 0.04f);
        // A little grit: the wall cracking.
        const float grit = rng.Range(-1.f, 1.f) * Envelope(t, 0.01f, 0.05f) * 0.15f;
        s[i] = body + 2.5f * hit + grit;
    }
    FadeTail(s);
    return s;
}

std::vector<float> RefuseBuzz()
{
    std::vector<float> s = Silence(0.26f);
    // Two soft, low, falling notes: "no" without alarm.
    const float notes[] = {330.f, 247.f};
    for (size_t i = 0; i < s.size(); ++i)
    {
        const float t = Time(i);
        float v = 0.f;
        for (size_t n = 0; n < 2; ++n)
        {
            const float u = t - 0.1f * static_cast<float>(n);
            if (u < 0.f)
                continue;
            const float env = Envelope(u, 0.006f, 0.06f);
            v += env * (std::sin(2.f * pi * notes[n] * u) + 0.25f * std::sin(2.f * pi * 2.f * notes[n] * u));
        }
        s[i] = v;
    }
    FadeTail(s, 0.04f);
    return s;
}

std::vector<float> SellCoins()
{
    std::vector<float> s = Silence(0.55f);
    Rng rng(36);
    // A few coins dropped into a purse: short bright rings at uneven times.
    const float drops[] = {0.f, 0.07f, 0.12f, 0.2f, 0.27f};
    const float pitch[] = {2637.f, 3136.f, 2794.f, 3520.f, 2960.f};
    for (size_t i = 0; i < s.size(); ++i)
    {
        const float t = Time(i);
        float v = 0.f;
        for (size_t d = 0; d < 5; ++d)
        {
            const float u = t - drops[d];
            if (u < 0.f)
                continue;
            const float ring =
                std::sin(2.f * pi * pitch[d] * u) + 0.5f * std::sin(2.f * pi * 1.5f * pitch[d] * u);
            v += ring * Envelope(u, 0.001f, 0.07f) * (1.f - 0.12f * static_cast<float>(d));
            v += 0.3f * rng.Range(-1.f, 1.f) * Envelope(u, 0.0005f, 0.004f);
        }
        s[i] = v;
    }
    FadeTail(s, 0.05f);
    return s;
}

std::vector<sf::Int16> ToPcm(const std::vector<float>& signal, float peak)
{
    float maxAbs = 0.f;
    for (float v : signal)
        maxAbs = std::max(maxAbs, std::abs(v));
    const float gain = maxAbs > 0.f ? peak / maxAbs : 0.f;
    std::vector<sf::Int16> pcm(signal.size());
    for (size_t i = 0; i < signal.size(); ++i)
        pcm[i] = static_cast<sf::Int16>(std::lround(signal[i] * gain * 32767.f));
    return pcm;
}

bool WriteSound(const std::string& path, const std::vector<float>& signal)
{
    const std::vector<sf::Int16> pcm = ToPcm(signal);
    sf::OutputSoundFile file;
    if (!file.openFromFile(path, sampleRate, 1))
        return false;
    file.write(pcm.data(), pcm.size());
    return true;
}

} // namespace artgen
