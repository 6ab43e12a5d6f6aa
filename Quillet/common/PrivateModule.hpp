#pragma once

#include <QString>

#include <dlfcn.h>

#include <functional>

namespace quillet {

// The program's own modules (the media and text libraries), opened on first need so that a missing
// library costs only the feature that uses it. Kept open until the process ends.
struct PrivateModule {
    void* handle = nullptr;
    QString problem; // why none could be used; empty once one is open

    // Tries `fileName` beside the program (where the build and the installation put it), then wherever
    // the loader looks; `takeEntries` picks the entry points it needs from a candidate and says
    // whether all are there.
    [[nodiscard]] static PrivateModule open(const char* fileName, const std::function<bool(void*)>& takeEntries);

    template <typename Function> [[nodiscard]] static Function entry(void* handle, const char* name)
    {
        return reinterpret_cast<Function>(dlsym(handle, name));
    }
};

} // namespace quillet
