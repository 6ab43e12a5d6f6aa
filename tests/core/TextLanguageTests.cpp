#include "core/TextLanguage.hpp"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace quillet {
namespace {

struct LanguageCase {
    const char* locale;
    const char* own;      // the locale's data, or "" when none exists
    const char* chosenAs; // with only "eng" and "deu", "chi_tra" and "srp_latn" installed
};

class LanguageForLocale : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(LanguageForLocale, NamesTheLocalesDataAndFallsBackToEnglish)
{
    const LanguageCase& c = GetParam();
    const std::set<std::string, std::less<>> installed{"eng", "deu", "chi_tra", "srp_latn"};
    EXPECT_EQ(TextLanguage::forLocale(c.locale), c.own);
    EXPECT_EQ(TextLanguage::chosen(c.locale, [&](std::string_view name) { return installed.contains(name); }),
              c.chosenAs);
}

INSTANTIATE_TEST_SUITE_P(
    TextLanguage, LanguageForLocale,
    ::testing::Values(LanguageCase{"de_DE.UTF-8", "deu", "deu"}, LanguageCase{"de", "deu", "deu"},
                      LanguageCase{"fr_FR.UTF-8", "fra", "eng"}, LanguageCase{"nb_NO.UTF-8", "nor", "eng"},
                      LanguageCase{"zh_TW.UTF-8", "chi_tra", "chi_tra"},
                      LanguageCase{"zh_CN.UTF-8", "chi_sim", "eng"},
                      LanguageCase{"sr_RS@latin", "srp_latn", "srp_latn"},
                      LanguageCase{"sr_RS.UTF-8", "srp", "eng"}, LanguageCase{"C", "", "eng"},
                      LanguageCase{"POSIX", "", "eng"}, LanguageCase{"", "", "eng"},
                      LanguageCase{"_@.", "", "eng"}, LanguageCase{"xx_YY", "", "eng"}));

} // namespace
} // namespace quillet
