// How the screens write numbers: whole, grouped by thousands, signed changes, card figures.

#include "ui/Numbers.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

TEST(Numbers, WholeNumbersAreGroupedByThousandsAndKeepEveryDigit)
{
    EXPECT_EQ(WholeNumber(0), "0");
    EXPECT_EQ(WholeNumber(999), "999");
    EXPECT_EQ(WholeNumber(1000), "1,000");
    EXPECT_EQ(WholeNumber(100230), "100,230");
    EXPECT_EQ(WholeNumber(109455), "109,455");
    EXPECT_EQ(WholeNumber(-1250), "-1,250");
    EXPECT_EQ(WholeNumber(-999), "-999");
    EXPECT_EQ(WholeNumber(std::numeric_limits<std::int32_t>::max()), "2,147,483,647");
    EXPECT_EQ(WholeNumber(std::numeric_limits<std::int64_t>::min()), "-9,223,372,036,854,775,808");

    EXPECT_EQ(SignedChange(1250), "+ 1,250");
    EXPECT_EQ(SignedChange(-75), "-75");
    EXPECT_EQ(SignedChange(0), "0");

    EXPECT_EQ(Figure(62.5f), "62.5");
    EXPECT_EQ(Figure(2.f), "2");
    EXPECT_EQ(Figure(1999.98f), "2,000");
    EXPECT_EQ(Figure(156.25f), "156.2");
}
