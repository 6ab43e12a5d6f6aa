#pragma once

#include <chrono>
#include <functional>
#include <unordered_map>
#include <unordered_set>

namespace quillet {

// Which thumbnails have outlived their lifetime. Time spent with the pointer over the stack does not
// count: every hover tick adds its interval to each item's paused time. The caller supplies the clock
// (a monotonic one, so that changing the wall clock neither expires nor pins thumbnails) and the
// rhythm of the ticks.
template <class ID, class Hash = std::hash<ID>> class ThumbnailExpiry {
public:
    using Time = std::chrono::steady_clock::time_point;
    using IDs = std::unordered_set<ID, Hash>;

    explicit ThumbnailExpiry(double lifetime) : lifetime_(lifetime) {}

    // Adding an ID again restarts its clock; its paused time stays.
    void add(const ID& id, Time time) { created_.insert_or_assign(id, time); }

    void remove(const ID& id)
    {
        created_.erase(id);
        paused_.erase(id);
    }

    // While the pointer is over the stack nothing expires and every item's clock stands still for
    // `interval` seconds. Otherwise returns (and forgets) the items shown for strictly longer than the
    // lifetime, paused time not counted.
    [[nodiscard]] IDs tick(Time now, double interval, bool pointerOverStack)
    {
        if (pointerOverStack) {
            for (const auto& [id, created] : created_) {
                paused_[id] += interval;
            }
            return {};
        }
        IDs expired;
        for (const auto& [id, created] : created_) {
            if (lifetime_ < shownSeconds(id, created, now)) {
                expired.insert(id);
            }
        }
        for (const ID& id : expired) {
            remove(id);
        }
        return expired;
    }

    [[nodiscard]] bool isEmpty() const { return created_.empty(); }
    [[nodiscard]] double lifetime() const { return lifetime_; }

private:
    [[nodiscard]] double shownSeconds(const ID& id, Time created, Time now) const
    {
        const double elapsed = std::chrono::duration<double>(now - created).count();
        const auto paused = paused_.find(id);
        return elapsed - (paused == paused_.end() ? 0.0 : paused->second);
    }

    double lifetime_;
    std::unordered_map<ID, Time, Hash> created_;
    // Every ID here is also in created_.
    std::unordered_map<ID, double, Hash> paused_;
};

} // namespace quillet
