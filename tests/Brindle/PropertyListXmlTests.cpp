#include "Brindle/PropertyListXml.hpp"

#include <gtest/gtest.h>
#include <limits>

namespace brindle {
namespace {

using Dictionary = PropertyList::Dictionary;

QByteArray plist(const char* dictBody)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>") +
           dictBody + "</dict></plist>\n";
}

Dictionary roundTrip(const Dictionary& values)
{
    const auto written = PropertyListXml::write(values);
    EXPECT_TRUE(written.skippedKeys.isEmpty());
    const auto read = PropertyListXml::read(written.xml);
    EXPECT_TRUE(read.values.has_value()) << read.error.toStdString() << "\n" << written.xml.toStdString();
    return read.values.value_or(Dictionary{});
}

TEST(PropertyListXml, EveryKindRoundTripsWithItsKind)
{
    const Dictionary values{
        {"yes", true},
        {"no", false},
        {"zero", 0},
        {"min", std::numeric_limits<std::int64_t>::min()},
        {"max", std::numeric_limits<std::int64_t>::max()},
        {"whole double", 3.0},
        {"since", 1'700'000'123.456789},
        {"tiny", 5e-324},
        {"infinite", -std::numeric_limits<double>::infinity()},
        {"number-like string", "7"},
        {"empty string", ""},
        {"text", " spaced\tline\none\r\ntwo\r <&> \"quoted\" ]]> 📷 "},
        {"bytes", Bytes{0, 1, 2, 254, 255}},
        {"no bytes", Bytes{}},
        {"shortcuts",
         Dictionary{{"screen", Dictionary{{"keyCode", 20}, {"modifiers", 768}}}, {"empty", Dictionary{}}}},
        {"ключ with spaces", "значение"},
    };
    const auto back = roundTrip(values);
    EXPECT_EQ(back, values);
    EXPECT_EQ(back.at("whole double").kind(), PropertyList::Kind::real);
    EXPECT_EQ(back.at("number-like string").kind(), PropertyList::Kind::string);
    EXPECT_EQ(back.at("zero").kind(), PropertyList::Kind::integer);
}

TEST(PropertyListXml, NotANumberRoundTrips)
{
    const auto back = roundTrip({{"nan", std::numeric_limits<double>::quiet_NaN()}});
    ASSERT_NE(back.at("nan").get<double>(), nullptr);
    EXPECT_TRUE(std::isnan(*back.at("nan").get<double>()));
}

TEST(PropertyListXml, ReadsWhatOtherWritersProduce)
{
    const auto read = PropertyListXml::read(plist(R"(
        <key>a</key> <integer> -12 </integer>
        <key>b</key> <real>+infinity</real>
        <key>c</key> <real>1.5E3</real>
        <key>d</key> <data>
            AAEC
            /w==
        </data>
        <key>e</key> <string/>
        <key>f</key> <true/>
        <key>list</key> <array><string>x</string></array>
        <key>when</key> <date>2024-01-01T00:00:00Z</date>
        <key>g</key> <string>a&#13;b&amp;</string>)"));
    ASSERT_TRUE(read.values.has_value()) << read.error.toStdString();
    EXPECT_EQ(*read.values, (Dictionary{{"a", -12},
                                        {"b", std::numeric_limits<double>::infinity()},
                                        {"c", 1500.0},
                                        {"d", Bytes{0, 1, 2, 255}},
                                        {"e", ""},
                                        {"f", true},
                                        {"g", "a\rb&"}}));
    EXPECT_EQ(read.skippedKeys, (QStringList{"list", "when"}));
}

struct BrokenCase {
    const char* name;
    QByteArray xml;

    friend void PrintTo(const BrokenCase& c, std::ostream* out) { *out << c.name; }
};

class BrokenPropertyList : public testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenPropertyList, IsRejectedWithAReason)
{
    const auto read = PropertyListXml::read(GetParam().xml);
    EXPECT_FALSE(read.values.has_value()) << GetParam().name;
    EXPECT_FALSE(read.error.isEmpty()) << GetParam().name;
}

QByteArray deeplyNested()
{
    QByteArray body;
    for (int i = 0; i < 40; ++i) {
        body += "<key>k</key><dict>";
    }
    for (int i = 0; i < 40; ++i) {
        body += "</dict>";
    }
    return plist(body.constData());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenPropertyList,
    testing::Values(BrokenCase{"not XML", "enabled = true"},
                    BrokenCase{"truncated", plist("<key>a</key><integer>1</integer>").left(60)},
                    BrokenCase{"other root", "<dict><key>a</key><true/></dict>"},
                    BrokenCase{"array at the top", "<plist><array/></plist>"},
                    BrokenCase{"empty plist", "<plist/>"},
                    BrokenCase{"key without value", plist("<key>a</key>")},
                    BrokenCase{"value without key", plist("<true/>")},
                    BrokenCase{"integer overflow",
                               plist("<key>a</key><integer>9223372036854775808</integer>")},
                    BrokenCase{"fraction as integer", plist("<key>a</key><integer>1.5</integer>")},
                    BrokenCase{"word as real", plist("<key>a</key><real>soon</real>")},
                    BrokenCase{"bad base64", plist("<key>a</key><data>@@@</data>")},
                    BrokenCase{"unknown element", plist("<key>a</key><color>red</color>")},
                    BrokenCase{"element inside string", plist("<key>a</key><string>x<b/></string>")},
                    BrokenCase{"text inside true", plist("<key>a</key><true>no</true>")},
                    BrokenCase{"second value in plist", "<plist><dict/><dict/></plist>"},
                    BrokenCase{"trailing garbage", plist("") + "<more/>"},
                    BrokenCase{"nested too deeply", deeplyNested()}));

TEST(PropertyListXml, TextXmlCannotCarryIsLeftOutAndNamed)
{
    const Dictionary values{{"prefix", std::string("bell\x07")},
                            {"folder", std::string("/home/\xff\xfe")},
                            {"nested", Dictionary{{"x", std::string("\x01")}}},
                            {"fine", "ok"}};
    const auto written = PropertyListXml::write(values);
    EXPECT_EQ(written.skippedKeys, (QStringList{"folder", "nested", "prefix"}));
    const auto read = PropertyListXml::read(written.xml);
    ASSERT_TRUE(read.values.has_value()) << read.error.toStdString();
    EXPECT_EQ(*read.values, (Dictionary{{"fine", "ok"}}));
}

} // namespace
} // namespace brindle
