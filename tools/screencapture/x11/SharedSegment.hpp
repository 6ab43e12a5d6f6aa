#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <xcb/shm.h>

namespace quillet::screencapture {

// Memory that the X server writes pixels into directly (MIT-SHM 1.2, an anonymous memory file or the
// output file itself passed to the server). Detached and unmapped when destroyed.
class SharedSegment {
public:
    // nullptr when the server cannot share memory with this process (another host, no MIT-SHM 1.2).
    [[nodiscard]] static std::unique_ptr<SharedSegment> attach(xcb_connection_t* connection,
                                                               std::size_t size);
    // The first `size` bytes of the open file `fd` (grown to that size), so that the server writes
    // straight into the file; `fd` stays the caller's.
    [[nodiscard]] static std::unique_ptr<SharedSegment> attachFile(xcb_connection_t* connection, int fd,
                                                                   std::size_t size);

    ~SharedSegment();
    SharedSegment(const SharedSegment&) = delete;
    SharedSegment& operator=(const SharedSegment&) = delete;

    [[nodiscard]] xcb_shm_seg_t id() const { return id_; }
    [[nodiscard]] std::uint8_t* data() const { return data_; }
    [[nodiscard]] std::size_t size() const { return size_; }

    // Hands the mapping over to the caller, who unmaps it (with `unmap`); the segment is detached.
    [[nodiscard]] std::shared_ptr<void> release();

private:
    // Takes `fd` in every case: the server gets it, or it is closed.
    static std::unique_ptr<SharedSegment> attachDescriptor(xcb_connection_t* connection, int fd,
                                                           std::size_t size);
    SharedSegment(xcb_connection_t* connection, xcb_shm_seg_t id, std::uint8_t* data, std::size_t size)
        : connection_(connection), id_(id), data_(data), size_(size)
    {
    }

    xcb_connection_t* connection_;
    xcb_shm_seg_t id_;
    std::uint8_t* data_;
    std::size_t size_;
};

} // namespace quillet::screencapture
