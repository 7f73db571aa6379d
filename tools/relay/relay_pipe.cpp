#include "tools/relay/relay_pipe.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <deque>
#include <span>

#include "tools/relay/uatcp_chunk.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Due {
    Clock::time_point at;
    std::vector<std::uint8_t> bytes;
};

bool SendAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// Cuts the whole chunks off the front of `pending`. Bytes that do not start a plausible chunk
// are passed on as they are, and from then on everything is: the relay never stalls a stream
// it does not understand.
void TakeChunks(std::vector<std::uint8_t>& pending, bool& framing, Clock::time_point at,
                const ChunkFilter& filter, std::deque<Due>& queue) {
    std::size_t used = 0;
    while (framing && used < pending.size()) {
        const std::span<const std::uint8_t> rest(pending.data() + used, pending.size() - used);
        if (rest.size() < uatcp::kHeaderSize) break;
        const std::optional<std::uint32_t> size = uatcp::ChunkSize(rest);
        if (!size) {
            framing = false;
            break;
        }
        if (rest.size() < *size) break;
        std::vector<std::uint8_t> chunk(rest.begin(), rest.begin() + *size);
        used += *size;
        if (filter && filter(chunk)) continue;
        queue.push_back({at, std::move(chunk)});
    }
    if (!framing && used < pending.size()) {
        queue.push_back({at, std::vector<std::uint8_t>(pending.begin() + static_cast<long>(used),
                                                       pending.end())});
        used = pending.size();
    }
    pending.erase(pending.begin(), pending.begin() + static_cast<long>(used));
}

}  // namespace

void RunPipe(int from, int to, std::chrono::nanoseconds delay, const ChunkFilter& filter) {
    std::deque<Due> queue;
    std::vector<std::uint8_t> pending;
    std::vector<std::uint8_t> buffer(64 * 1024);
    bool framing = true;
    bool open = true;
    while (open || !queue.empty()) {
        const Clock::time_point now = Clock::now();
        while (!queue.empty() && queue.front().at + delay <= now) {
            if (!SendAll(to, queue.front().bytes)) {
                ::shutdown(to, SHUT_WR);
                return;
            }
            queue.pop_front();
        }
        if (!open && queue.empty()) break;
        // Sleep until the next chunk is due or more arrives, whichever comes first.
        timespec wait{1, 0};
        timespec* timeout = &wait;
        if (!queue.empty()) {
            const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(
                queue.front().at + delay - Clock::now());
            const long long ns = left.count() > 0 ? left.count() : 0;
            wait = {static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        }
        pollfd fd{from, POLLIN, 0};
        const int ready = ::ppoll(&fd, open ? 1 : 0, timeout, nullptr);
        if (ready <= 0 || !open) continue;
        const ssize_t n = ::recv(from, buffer.data(), buffer.size(), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            open = false;
            continue;
        }
        pending.insert(pending.end(), buffer.begin(), buffer.begin() + n);
        TakeChunks(pending, framing, Clock::now(), filter, queue);
    }
    ::shutdown(to, SHUT_WR);
}
