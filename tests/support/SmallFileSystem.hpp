#pragma once

// A tiny tmpfs mounted for one test, to run out of space on purpose. Mounting needs root (or a
// mount namespace); where that is refused, `isMounted()` is false and the test skips.

#include <cstdlib>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

namespace quillet::testing {

class SmallFileSystem {
public:
    enum class Access { readWrite, readOnly };

    explicit SmallFileSystem(std::size_t bytes, Access access = Access::readWrite)
    {
        char pattern[] = "/tmp/quillet-small-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) {
            return;
        }
        path_ = pattern;
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
        mounted_ = ::mount("tmpfs", path_.c_str(), "tmpfs", flags(access), options.c_str()) == 0;
    }
    ~SmallFileSystem()
    {
        if (mounted_) {
            ::umount2(path_.c_str(), MNT_DETACH);
        }
        if (!path_.empty()) {
            ::rmdir(path_.c_str());
        }
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    [[nodiscard]] bool isMounted() const { return mounted_; }
    [[nodiscard]] const std::string& path() const { return path_; }

private:
    static unsigned long flags(Access access)
    {
        return MS_NOSUID | MS_NODEV | (access == Access::readOnly ? MS_RDONLY : 0);
    }

    std::string path_;
    bool mounted_ = false;
};

} // namespace quillet::testing
