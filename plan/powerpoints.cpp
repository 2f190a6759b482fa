#include "powerpoints.h"

#include <bit>
#include <cmath>
#include <deque>
#include <map>
#include <mutex>
#include <tuple>

namespace plan {

namespace {

// Enough for the laws of a large building (one per directivity and
// table kind), at most a few megabytes.
constexpr std::size_t KeptTables = 32;

using Key = std::tuple<std::uint64_t, int, std::uint64_t, std::uint64_t>;

struct Tables {
    std::mutex lock;
    std::map<Key, std::shared_ptr<const std::vector<double>>> byKey;
    std::deque<Key> order; // oldest first
};

Tables &tables()
{
    static Tables shared;
    return shared;
}

} // namespace

std::shared_ptr<const std::vector<double>> powerPoints(double p, int shift, std::uint64_t first,
                                                       std::uint64_t count)
{
    const Key key{std::bit_cast<std::uint64_t>(p), shift, first, count};
    Tables &kept = tables();
    {
        const std::lock_guard<std::mutex> guard(kept.lock);
        if (const auto found = kept.byKey.find(key); found != kept.byKey.end())
            return found->second;
    }
    // Computed outside the lock: two threads asking for the same new
    // table at once each compute it, and the first one kept wins.
    auto points = std::make_shared<std::vector<double>>(count);
    for (std::uint64_t i = 0; i < count; ++i)
        (*points)[i] = std::pow(std::bit_cast<double>((first + i) << shift), p);
    const std::lock_guard<std::mutex> guard(kept.lock);
    const auto [at, added] = kept.byKey.emplace(key, std::move(points));
    if (added) {
        kept.order.push_back(key);
        if (kept.order.size() > KeptTables) {
            kept.byKey.erase(kept.order.front());
            kept.order.pop_front();
        }
    }
    return at->second;
}

} // namespace plan
