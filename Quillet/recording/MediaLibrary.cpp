#include "Quillet/recording/MediaLibrary.hpp"

#include "Quillet/common/PrivateModule.hpp"

namespace quillet {
namespace {

constexpr const char* moduleName = "libquillet-media.so";

struct Loaded {
    MediaEntryPoints::Remux remux = nullptr;
    MediaEntryPoints::FirstFrame firstFrame = nullptr;
    MediaEntryPoints::Version version = nullptr;
    QString problem;
};

Loaded load()
{
    Loaded loaded;
    const auto opened = PrivateModule::open(moduleName, [&](void* handle) {
        loaded.remux = PrivateModule::entry<MediaEntryPoints::Remux>(handle, MediaEntryPoints::remuxName);
        loaded.firstFrame =
            PrivateModule::entry<MediaEntryPoints::FirstFrame>(handle, MediaEntryPoints::firstFrameName);
        loaded.version = PrivateModule::entry<MediaEntryPoints::Version>(handle, MediaEntryPoints::versionName);
        return loaded.remux != nullptr && loaded.firstFrame != nullptr && loaded.version != nullptr;
    });
    if (!opened.problem.isEmpty()) {
        return {.problem = opened.problem};
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
