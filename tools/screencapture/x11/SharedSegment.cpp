#include "tools/screencapture/x11/SharedSegment.hpp"

#include <cstdlib>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace quillet::screencapture {
namespace {

bool canPassFileDescriptors(xcb_connection_t* connection)
{
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_shm_id);
    if (extension == nullptr || !extension->present) {
        return false;
    }
    auto* version = xcb_shm_query_version_reply(connection, xcb_shm_query_version(connection), nullptr);
    const bool canPass = version != nullptr && (version->major_version > 1 || version->minor_version >= 2);
    std::free(version);
    return canPass;
}

std::uint8_t* mapMemoryFile(int fd, std::size_t size)
{
    if (ftruncate(fd, off_t(size)) != 0) {
        return nullptr;
    }
    // Populated at once: faulting the pages in one by one later costs more than the grab itself at 4K.
    void* mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    return mapped == MAP_FAILED ? nullptr : static_cast<std::uint8_t*>(mapped);
}

} // namespace

std::unique_ptr<SharedSegment> SharedSegment::attach(xcb_connection_t* connection, std::size_t size)
{
    if (size == 0 || !canPassFileDescriptors(connection)) {
        return nullptr;
    }
    const int fd = memfd_create("quillet-screencapture", MFD_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    return attachDescriptor(connection, fd, size);
}

std::unique_ptr<SharedSegment> SharedSegment::attachFile(xcb_connection_t* connection, int fd, std::size_t size)
{
    if (size == 0 || !canPassFileDescriptors(connection)) {
        return nullptr;
    }
    const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) {
        return nullptr;
    }
    return attachDescriptor(connection, copy, size);
}

std::unique_ptr<SharedSegment> SharedSegment::attachDescriptor(xcb_connection_t* connection, int fd,
                                                               std::size_t size)
{
    std::uint8_t* data = mapMemoryFile(fd, size);
    if (data == nullptr) {
        close(fd);
        return nullptr;
    }
    const xcb_shm_seg_t id = xcb_generate_id(connection);
    // xcb closes the descriptor once it has been sent; a server on another host refuses it here.
    if (xcb_generic_error_t* error =
            xcb_request_check(connection, xcb_shm_attach_fd_checked(connection, id, fd, 0))) {
        std::free(error);
        munmap(data, size);
        return nullptr;
    }
    return std::unique_ptr<SharedSegment>(new SharedSegment(connection, id, data, size));
}

SharedSegment::~SharedSegment()
{
    xcb_shm_detach(connection_, id_);
    xcb_flush(connection_);
    if (data_ != nullptr) {
        munmap(data_, size_);
    }
}

std::shared_ptr<void> SharedSegment::release()
{
    std::uint8_t* data = data_;
    data_ = nullptr;
    return std::shared_ptr<void>(data, [size = size_](void* p) { munmap(p, size); });
}

} // namespace quillet::screencapture
