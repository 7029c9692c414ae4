#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// What both HTTP clients hand over: body bytes, the cap on a body read whole, and progress
// reports of a transfer.
namespace arlo::net {

// Body bytes (may hold NUL bytes).
using Bytes = std::string;

// Response bodies larger than this (or than a request's own lower limit) end the read with
// an empty result.
inline constexpr std::size_t kMaxBodyBytes = std::size_t{64} << 20;

// Called on the transfer's watcher thread: the caller's value, the total bytes, the bytes
// done so far and the milliseconds since the transfer began. At most one call per poll
// (every 10 ms for an upload, every second for a download); after a completed transfer a
// last call reports done = total; after a failed one there is no last call. Every call has
// been made before the method that started the transfer returns.
using ProgressCallback = std::function<void(int userValue, std::int64_t total, std::int64_t done,
                                            std::int64_t elapsedMs)>;

}  // namespace arlo::net
