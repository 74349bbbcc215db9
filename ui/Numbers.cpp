#include "ui/Numbers.hpp"

#include <cmath>
#include <cstdio>

std::string WholeNumber(std::int64_t value)
{
    // The digits of the magnitude, grouped from the right; the most negative value has no
    // positive counterpart, so the magnitude is unsigned.
    const bool negative = value < 0;
    std::uint64_t magnitude =
        negative ? ~static_cast<std::uint64_t>(value) + 1u : static_cast<std::uint64_t>(value);
    std::string reversed;
    int digits = 0;
    do
    {
        if (digits > 0 && digits % 3 == 0)
            reversed += ',';
        reversed += static_cast<char>('0' + magnitude % 10u);
        magnitude /= 10u;
        ++digits;
    } while (magnitude > 0u);
    if (negative)
        reversed += '-';
    return {reversed.rbegin(), reversed.rend()};
}

std::string SignedChange(std::int64_t value)
{
    return value > 0 ? "+ " + WholeNumber(value) : WholeNumber(value);
}

std::string Figure(float value)
{
    const float whole = std::round(value);
    if (std::fabs(value - whole) < 0.05f && std::fabs(whole) < 9.0e18f)
        return WholeNumber(static_cast<std::int64_t>(whole));
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(value));
    return text;
}
