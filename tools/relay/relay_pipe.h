#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

// Looks at every whole chunk on its way; true drops it. It may change the chunk.
using ChunkFilter = std::function<bool(std::vector<std::uint8_t>& chunk)>;

// Carries one direction of a relayed connection: what arrives on `from` is written to `to`
// `delay` after it arrived, chunk by chunk, in order. Returns once `from` has ended (or
// failed) and everything received has been passed on, or as soon as `to` fails; then shuts
// down the sending side of `to`.
void RunPipe(int from, int to, std::chrono::nanoseconds delay, const ChunkFilter& filter);
