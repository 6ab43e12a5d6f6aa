#include "core/SystemScreenshotShortcuts.hpp"

#include <gtest/gtest.h>

namespace quillet {
namespace {

using brindle::PropertyList;
using Dictionary = PropertyList::Dictionary;

PropertyList entry(PropertyList enabled)
{
    return Dictionary{{"enabled", std::move(enabled)}};
}

Dictionary allOff()
{
    return {{"28", entry(false)}, {"30", entry(false)}, {"184", entry(std::int64_t{0})}};
}

Dictionary allOffExcept(const std::string& key, PropertyList value)
{
    Dictionary table = allOff();
    table.insert_or_assign(key, std::move(value));
    return table;
}

Dictionary without(const std::string& key)
{
    Dictionary table = allOff();
    table.erase(key);
    return table;
}

struct TableCase {
    const char* title;
    Dictionary table;
    bool expected;
};

class AnyEnabled : public ::testing::TestWithParam<TableCase> {};

TEST_P(AnyEnabled, OnlyExplicitlyOffCountsAsOff)
{
    EXPECT_EQ(SystemScreenshotShortcuts::anyEnabled(GetParam().table), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    SystemScreenshotShortcuts, AnyEnabled,
    ::testing::Values(TableCase{"emptyTable", {}, true}, TableCase{"allThreeOff", allOff(), false},
                      TableCase{"otherEntriesIgnored",
                                [] {
                                    Dictionary table = allOff();
                                    table.emplace("29", entry(true));
                                    return table;
                                }(),
                                false},
                      TableCase{"integerTwoIsOn", allOffExcept("184", entry(std::int64_t{2})), true},
                      TableCase{"negativeIntegerIsOn", allOffExcept("28", entry(std::int64_t{-1})), true},
                      TableCase{"booleanTrueIsOn", allOffExcept("30", entry(true)), true},
                      TableCase{"entryThatIsAStringIsOn", allOffExcept("30", PropertyList("off")), true},
                      TableCase{"enabledThatIsAStringIsOn", allOffExcept("28", entry("0")), true},
                      TableCase{"enabledThatIsARealIsOn", allOffExcept("28", entry(0.0)), true},
                      TableCase{"entryWithoutEnabledIsOn",
                                allOffExcept("184", Dictionary{{"value", PropertyList(1)}}), true},
                      TableCase{"missingFirstIsOn", without("28"), true},
                      TableCase{"missingLastIsOn", without("184"), true}),
    [](const auto& info) { return info.param.title; });

} // namespace
} // namespace quillet
