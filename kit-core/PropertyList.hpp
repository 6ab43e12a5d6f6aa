#pragma once

#include <concepts>
#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

namespace brindle {

using Bytes = std::vector<std::uint8_t>;

// One stored preference value: the property-list kinds a preference store keeps. There are no
// arrays, because no preference needs one.
class PropertyList {
public:
    // std::less<> so that lookups by std::string_view need no temporary string.
    using Dictionary = std::map<std::string, PropertyList, std::less<>>;

    enum class Kind { boolean, integer, real, string, data, dictionary };

    PropertyList(bool value) : value_(value) {}
    template <std::integral I>
    requires(!std::same_as<I, bool> && (std::signed_integral<I> || sizeof(I) < sizeof(std::int64_t)))
        PropertyList(I value)
        : value_(static_cast<std::int64_t>(value))
    {
    }
    PropertyList(double value) : value_(value) {}
    PropertyList(std::string value) : value_(std::move(value)) {}
    PropertyList(const char* value) : value_(std::string(value)) {}
    PropertyList(Bytes value) : value_(std::move(value)) {}
    PropertyList(Dictionary value) : value_(std::move(value)) {}

    // Out of line: GCC 12 inlines the variant's destructor into every caller and then warns that
    // alternatives may be used uninitialized (a false positive that -Werror turns into a failure).
    PropertyList(const PropertyList&);
    PropertyList(PropertyList&&) noexcept;
    PropertyList& operator=(const PropertyList&);
    PropertyList& operator=(PropertyList&&) noexcept;
    ~PropertyList();

    [[nodiscard]] Kind kind() const { return static_cast<Kind>(value_.index()); }

    // The value when it is of kind T (bool, std::int64_t, double, std::string, Bytes, Dictionary),
    // else null.
    template <class T> [[nodiscard]] const T* get() const { return std::get_if<T>(&value_); }

    friend bool operator==(const PropertyList&, const PropertyList&) = default;

private:
    // The order of the alternatives is the order of Kind.
    std::variant<bool, std::int64_t, double, std::string, Bytes, Dictionary> value_;
};

} // namespace brindle
