#include "core/TextLanguage.hpp"

#include <algorithm>
#include <array>
#include <utility>

namespace quillet::TextLanguage {
namespace {

using Pair = std::pair<std::string_view, std::string_view>;

// Locale language (ISO 639-1, or 639-3 where a locale uses it) to the data's name (mostly ISO 639-2/T).
// Only languages Debian ships data for; sorted by the first name.
constexpr std::array languages{
    Pair{"af", "afr"},  Pair{"am", "amh"}, Pair{"ar", "ara"}, Pair{"as", "asm"}, Pair{"az", "aze"},
    Pair{"be", "bel"},  Pair{"bg", "bul"}, Pair{"bn", "ben"}, Pair{"bo", "bod"}, Pair{"br", "bre"},
    Pair{"bs", "bos"},  Pair{"ca", "cat"}, Pair{"cs", "ces"}, Pair{"cy", "cym"}, Pair{"da", "dan"},
    Pair{"de", "deu"},  Pair{"dz", "dzo"}, Pair{"el", "ell"}, Pair{"en", "eng"}, Pair{"eo", "epo"},
    Pair{"es", "spa"},  Pair{"et", "est"}, Pair{"eu", "eus"}, Pair{"fa", "fas"}, Pair{"fi", "fin"},
    Pair{"fil", "fil"}, Pair{"fo", "fao"}, Pair{"fr", "fra"}, Pair{"fy", "fry"}, Pair{"ga", "gle"},
    Pair{"gd", "gla"},  Pair{"gl", "glg"}, Pair{"gu", "guj"}, Pair{"he", "heb"}, Pair{"hi", "hin"},
    Pair{"hr", "hrv"},  Pair{"ht", "hat"}, Pair{"hu", "hun"}, Pair{"hy", "hye"}, Pair{"id", "ind"},
    Pair{"is", "isl"},  Pair{"it", "ita"}, Pair{"iu", "iku"}, Pair{"ja", "jpn"}, Pair{"jv", "jav"},
    Pair{"ka", "kat"},  Pair{"kk", "kaz"}, Pair{"km", "khm"}, Pair{"kn", "kan"}, Pair{"ko", "kor"},
    Pair{"ku", "kmr"},  Pair{"ky", "kir"}, Pair{"la", "lat"}, Pair{"lb", "ltz"}, Pair{"lo", "lao"},
    Pair{"lt", "lit"},  Pair{"lv", "lav"}, Pair{"mi", "mri"}, Pair{"mk", "mkd"}, Pair{"ml", "mal"},
    Pair{"mn", "mon"},  Pair{"mr", "mar"}, Pair{"ms", "msa"}, Pair{"mt", "mlt"}, Pair{"my", "mya"},
    Pair{"nb", "nor"},  Pair{"ne", "nep"}, Pair{"nl", "nld"}, Pair{"nn", "nor"}, Pair{"no", "nor"},
    Pair{"oc", "oci"},  Pair{"or", "ori"}, Pair{"pa", "pan"}, Pair{"pl", "pol"}, Pair{"ps", "pus"},
    Pair{"pt", "por"},  Pair{"qu", "que"}, Pair{"ro", "ron"}, Pair{"ru", "rus"}, Pair{"sa", "san"},
    Pair{"sd", "snd"},  Pair{"si", "sin"}, Pair{"sk", "slk"}, Pair{"sl", "slv"}, Pair{"sq", "sqi"},
    Pair{"sr", "srp"},  Pair{"su", "sun"}, Pair{"sv", "swe"}, Pair{"sw", "swa"}, Pair{"ta", "tam"},
    Pair{"te", "tel"},  Pair{"tg", "tgk"}, Pair{"th", "tha"}, Pair{"ti", "tir"}, Pair{"tl", "tgl"},
    Pair{"to", "ton"},  Pair{"tr", "tur"}, Pair{"tt", "tat"}, Pair{"ug", "uig"}, Pair{"uk", "ukr"},
    Pair{"ur", "urd"},  Pair{"uz", "uzb"}, Pair{"vi", "vie"}, Pair{"yi", "yid"}, Pair{"yo", "yor"},
};

static_assert(std::is_sorted(languages.begin(), languages.end(),
                             [](const Pair& a, const Pair& b) { return a.first < b.first; }));

[[nodiscard]] std::string_view upTo(std::string_view text, std::string_view stops)
{
    return text.substr(0, std::min(text.find_first_of(stops), text.size()));
}

// The data names that depend on more than the language: the script of Chinese, Serbian and Uzbek.
[[nodiscard]] std::string_view byScript(std::string_view language, std::string_view territory,
                                        std::string_view modifier)
{
    if (language == "zh") {
        const bool traditional = territory == "TW" || territory == "HK" || territory == "MO";
        return traditional ? "chi_tra" : "chi_sim";
    }
    if (language == "sr" && modifier == "latin") {
        return "srp_latn";
    }
    if (language == "uz" && modifier == "cyrillic") {
        return "uzb_cyrl";
    }
    return {};
}

} // namespace

std::string forLocale(std::string_view locale)
{
    const std::string_view language = upTo(locale, "_.@");
    const std::size_t territoryStart = locale.find('_');
    const std::string_view territory = territoryStart == std::string_view::npos
                                           ? std::string_view{}
                                           : upTo(locale.substr(territoryStart + 1), ".@");
    const std::size_t modifierStart = locale.find('@');
    const std::string_view modifier =
        modifierStart == std::string_view::npos ? std::string_view{} : locale.substr(modifierStart + 1);
    if (const std::string_view scripted = byScript(language, territory, modifier); !scripted.empty()) {
        return std::string(scripted);
    }
    const auto found =
        std::lower_bound(languages.begin(), languages.end(), language,
                         [](const Pair& pair, std::string_view key) { return pair.first < key; });
    if (found == languages.end() || found->first != language) {
        return {};
    }
    return std::string(found->second);
}

std::string chosen(std::string_view locale, const std::function<bool(std::string_view)>& isInstalled)
{
    const std::string own = forLocale(locale);
    if (!own.empty() && isInstalled(own)) {
        return own;
    }
    return std::string(fallback);
}

} // namespace quillet::TextLanguage
