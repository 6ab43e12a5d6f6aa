#include "Quillet/recording/MediaLibrary.hpp"

#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <vector>

namespace quillet {
namespace {

constexpr const char* moduleName = "libquillet-media.so";

struct Loaded {
    MediaEntryPoints::Remux remux = nullptr;
    MediaEntryPoints::FirstFrame firstFrame = nullptr;
    MediaEntryPoints::Version version = nullptr;
    QString problem;
};

// Beside the program, where the build and the installation put it, then wherever the loader looks.
std::vector<std::string> candidates()
{
    std::vector<std::string> paths;
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        paths.push_back((program.parent_path() / QUILLET_MEDIA_DIRECTORY / moduleName).lexically_normal());
    }
    paths.emplace_back(moduleName);
    return paths;
}

Loaded load()
{
    Loaded loaded;
    for (const std::string& path : candidates()) {
        void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            loaded.problem = QString::fromLocal8Bit(dlerror());
            continue;
        }
        loaded.remux = reinterpret_cast<MediaEntryPoints::Remux>(dlsym(module, MediaEntryPoints::remuxName));
        loaded.firstFrame =
            reinterpret_cast<MediaEntryPoints::FirstFrame>(dlsym(module, MediaEntryPoints::firstFrameName));
        loaded.version =
            reinterpret_cast<MediaEntryPoints::Version>(dlsym(module, MediaEntryPoints::versionName));
        if (loaded.remux != nullptr && loaded.firstFrame != nullptr && loaded.version != nullptr) {
            loaded.problem.clear();
            return loaded;
        }
        loaded = {.problem = QStringLiteral("%1 lacks its entry points").arg(QString::fromStdString(path))};
    }
    return loaded;
}

const Loaded& loaded()
{
    static const Loaded instance = load();
    return instance;
}

} // namespace

MediaEntryPoints::Remux MediaLibrary::remux()
{
    return loaded().remux;
}

MediaEntryPoints::FirstFrame MediaLibrary::firstFrame()
{
    return loaded().firstFrame;
}

QString MediaLibrary::problem()
{
    return loaded().problem;
}

QString MediaLibrary::version()
{
    const auto version = loaded().version;
    return version ? QString::fromLatin1(version()) : QStringLiteral("not loaded: %1").arg(problem());
}

} // namespace quillet
