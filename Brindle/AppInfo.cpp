#include "Brindle/AppInfo.hpp"

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace brindle {
namespace {

// A log category keeps a pointer to its name, so both live together.
struct NamedCategory {
    explicit NamedCategory(std::string fullName) : name(std::move(fullName)), category(name.c_str()) {}
    const std::string name;
    const QLoggingCategory category;
};

// The process-wide table of log categories; loggers are made from any thread.
class CategoryTable {
public:
    const QLoggingCategory& category(std::string_view suffix)
    {
        const std::lock_guard lock(mutex_);
        const std::string key(suffix);
        auto found = categories_.find(key);
        if (found == categories_.end()) {
            const std::string fullName = std::string(AppInfo::bundleIdentifier) + "." + key;
            found = categories_.emplace(key, std::make_unique<NamedCategory>(fullName)).first;
        }
        return found->second->category;
    }

private:
    std::mutex mutex_;
    std::map<std::string, std::unique_ptr<NamedCategory>> categories_;
};

CategoryTable& categoryTable()
{
    static CategoryTable table;
    return table;
}

} // namespace

QString AppInfo::version()
{
#ifdef QUILLET_VERSION
    const QString version = QStringLiteral(QUILLET_VERSION);
    if (!version.isEmpty()) {
        return version;
    }
#endif
    return QStringLiteral("dev");
}

Logger AppInfo::logger(std::string_view category)
{
    return Logger(categoryTable().category(category));
}

} // namespace brindle
