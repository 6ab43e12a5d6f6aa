#include "Quillet/common/PrivateModule.hpp"

#include <filesystem>
#include <string>
#include <vector>

namespace quillet {
namespace {

[[nodiscard]] std::vector<std::string> candidates(const char* fileName)
{
    std::vector<std::string> paths;
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        paths.push_back((program.parent_path() / QUILLET_MEDIA_DIRECTORY / fileName).lexically_normal());
    }
    paths.emplace_back(fileName);
    return paths;
}

} // namespace

PrivateModule PrivateModule::open(const char* fileName, const std::function<bool(void*)>& takeEntries)
{
    PrivateModule opened;
    for (const std::string& path : candidates(fileName)) {
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            opened.problem = QString::fromLocal8Bit(dlerror());
            continue;
        }
        if (takeEntries(handle)) {
            return {handle, {}};
        }
        opened.problem = QStringLiteral("%1 lacks its entry points").arg(QString::fromStdString(path));
    }
    return opened;
}

} // namespace quillet
