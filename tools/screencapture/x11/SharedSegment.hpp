#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <xcb/shm.h>

namespace quillet::screencapture {

// Memory that the X server writes pixels into directly (MIT-SHM 1.2, an anonymous memory file
// passed to the server). Detached and unmapped when destroyed.
class SharedSegment {
public:
    // nullptr when the server cannot share memory with this process (another host, no MIT-SHM 1.2).
    [[nodiscard]] static std::unique_ptr<SharedSegment> attach(xcb_connection_t* connection,
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
