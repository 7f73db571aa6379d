#include "discovery/sweep/port_sweep.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>

namespace {

using Clock = std::chrono::steady_clock;

struct Probe {
    int fd = -1;
    SweepTarget target{};
    Clock::time_point deadline;
    bool connected = false;
    std::vector<std::uint8_t> hello;
    std::size_t sent = 0;
    std::vector<std::uint8_t> reply;
};

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool AddressOf(const SweepHost& host, std::uint16_t port, sockaddr_storage& out, socklen_t& len) {
    std::memset(&out, 0, sizeof out);
    if (host.ipv6) {
        auto* a = reinterpret_cast<sockaddr_in6*>(&out);
        a->sin6_family = AF_INET6;
        a->sin6_port = htons(port);
        len = sizeof *a;
        return ::inet_pton(AF_INET6, host.address.c_str(), &a->sin6_addr) == 1;
    }
    auto* a = reinterpret_cast<sockaddr_in*>(&out);
    a->sin_family = AF_INET;
    a->sin_port = htons(port);
    len = sizeof *a;
    return ::inet_pton(AF_INET, host.address.c_str(), &a->sin_addr) == 1;
}

class Sweep {
public:
    Sweep(const std::vector<SweepHost>& hosts, const std::vector<std::uint16_t>& ports,
          const SweepOptions& options, const std::atomic<bool>& cancel,
          const std::function<void(const SweepTarget&, PortState)>& onResult)
        : hosts_(hosts),
          ports_(ports),
          options_(options),
          cancel_(cancel),
          onResult_(onResult),
          slots_(std::max<std::size_t>(options.maxInFlight, 1)),
          epoll_(::epoll_create1(EPOLL_CLOEXEC)) {
        for (std::size_t i = 0; i < slots_.size(); ++i) free_.push_back(i);
    }

    ~Sweep() {
        for (Probe& p : slots_) {
            if (p.fd >= 0) ::close(p.fd);
        }
    }

    SweepStats Run() {
        const std::size_t total = hosts_.size() * ports_.size();
        std::vector<epoll_event> events(slots_.size());
        while (!cancel_.load()) {
            while (!free_.empty() && next_ < total) Start(next_++);
            if (free_.size() == slots_.size() && next_ >= total) break;
            const int ready = ::epoll_wait(epoll_.get(), events.data(),
                                           static_cast<int>(events.size()), WaitMs());
            for (int i = 0; i < ready; ++i) Handle(events[static_cast<std::size_t>(i)]);
            Expire();
        }
        stats_.cancelled = cancel_.load();
        return stats_;
    }

private:
    void Start(std::size_t index) {
        const SweepTarget target{index / ports_.size(), ports_[index % ports_.size()]};
        const SweepHost& host = hosts_[target.host];
        sockaddr_storage address;
        socklen_t length = 0;
        if (!AddressOf(host, target.port, address, length))
            return Finish(target, PortState::Closed);
        const int fd = ::socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) return Finish(target, PortState::NoAnswer);
        const int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length);
        if (rc != 0 && errno != EINPROGRESS) {
            ::close(fd);
            return Finish(target, PortState::Closed);
        }
        const std::size_t slot = free_.back();
        free_.pop_back();
        Probe& p = slots_[slot];
        p = Probe{};
        p.fd = fd;
        p.target = target;
        p.deadline = Clock::now() + options_.timeout;
        p.hello = HelloMessage(OpcTcpUrl(host.address, target.port));
        epoll_event event{};
        event.events = EPOLLOUT;
        event.data.u64 = slot;
        ::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, fd, &event);
        stats_.peakInFlight = std::max(stats_.peakInFlight, slots_.size() - free_.size());
    }

    void Handle(const epoll_event& event) {
        const std::size_t slot = event.data.u64;
        Probe& p = slots_[slot];
        if (p.fd < 0) return;
        if (!p.connected) {
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(p.fd, SOL_SOCKET, SO_ERROR, &error, &length);
            if (error != 0) return End(slot, PortState::Closed);
            p.connected = true;
        }
        if (p.sent < p.hello.size()) {
            const ssize_t n =
                ::send(p.fd, p.hello.data() + p.sent, p.hello.size() - p.sent, MSG_NOSIGNAL);
            if (n < 0 && errno != EAGAIN && errno != EINTR) return End(slot, PortState::NotOpcUa);
            if (n > 0) p.sent += static_cast<std::size_t>(n);
            if (p.sent == p.hello.size()) {
                epoll_event next{};
                next.events = EPOLLIN | EPOLLRDHUP;
                next.data.u64 = slot;
                ::epoll_ctl(epoll_.get(), EPOLL_CTL_MOD, p.fd, &next);
            }
            return;
        }
        std::uint8_t buffer[64];
        const ssize_t n = ::recv(p.fd, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
        const bool hungUp = n <= 0;
        if (n > 0) p.reply.insert(p.reply.end(), buffer, buffer + n);
        if (const auto state = ClassifyReply(p.reply, hungUp)) return End(slot, *state);
    }

    void Expire() {
        const auto now = Clock::now();
        for (std::size_t slot = 0; slot < slots_.size(); ++slot) {
            Probe& p = slots_[slot];
            if (p.fd < 0 || p.deadline > now) continue;
            // A half-spoken reply that never ended is no OPC UA server either.
            End(slot, !p.connected      ? PortState::NoAnswer
                      : p.reply.empty() ? PortState::Silent
                                        : PortState::NotOpcUa);
        }
    }

    int WaitMs() const {
        auto soonest = Clock::time_point::max();
        for (const Probe& p : slots_) {
            if (p.fd >= 0) soonest = std::min(soonest, p.deadline);
        }
        if (soonest == Clock::time_point::max()) return 0;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(soonest - Clock::now()).count();
        // Wakes now and then to look at the cancel flag.
        return static_cast<int>(std::clamp<long long>(left + 1, 0, 50));
    }

    void End(std::size_t slot, PortState state) {
        Probe& p = slots_[slot];
        ::epoll_ctl(epoll_.get(), EPOLL_CTL_DEL, p.fd, nullptr);
        ::close(p.fd);
        p.fd = -1;
        free_.push_back(slot);
        Finish(p.target, state);
    }

    void Finish(const SweepTarget& target, PortState state) {
        ++stats_.probes;
        onResult_(target, state);
    }

    const std::vector<SweepHost>& hosts_;
    const std::vector<std::uint16_t>& ports_;
    const SweepOptions& options_;
    const std::atomic<bool>& cancel_;
    const std::function<void(const SweepTarget&, PortState)>& onResult_;
    std::vector<Probe> slots_;
    std::vector<std::size_t> free_;
    Descriptor epoll_;
    std::size_t next_ = 0;
    SweepStats stats_;
};

}  // namespace

SweepStats SweepPorts(const std::vector<SweepHost>& hosts, const std::vector<std::uint16_t>& ports,
                      const SweepOptions& options, const std::atomic<bool>& cancel,
                      const std::function<void(const SweepTarget&, PortState)>& onResult) {
    if (hosts.empty() || ports.empty()) return {};
    Sweep sweep(hosts, ports, options, cancel, onResult);
    return sweep.Run();
}
