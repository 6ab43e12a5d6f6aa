#include "tools/screencapture/cli/ModeLoader.hpp"

#include "tools/screencapture/cli/ModeEntryPoint.hpp"

#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <vector>

namespace quillet::screencapture::ModeLoader {
namespace {

std::vector<std::string> candidates(const char* moduleName)
{
    std::vector<std::string> paths;
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        paths.push_back((program.parent_path() / QUILLET_MODES_DIRECTORY / moduleName).lexically_normal());
    }
    paths.emplace_back(moduleName);
    return paths;
}

} // namespace

ExitStatus run(const Command& command)
{
    const char* moduleName = ModeEntryPoint::moduleFor(command.mode);
    if (moduleName == nullptr) {
        return reported(ExitStatus::usage, "a still is not taken by a module");
    }
    std::string problem;
    for (const std::string& path : candidates(moduleName)) {
        // Never closed: the module's threads and the toolkit live until the program ends.
        void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            problem = dlerror();
            continue;
        }
        if (auto entry = reinterpret_cast<ModeEntryPoint::Run>(dlsym(module, ModeEntryPoint::runName))) {
            return entry(command);
        }
        problem = path + " lacks its entry point";
    }
    return reported(ExitStatus::failure, "cannot load the module for this mode: " + problem);
}

} // namespace quillet::screencapture::ModeLoader
