#pragma once

#include <open62541/client.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// At most this many requests of one walk are on their way at once, so that a small PLC is
// never flooded; four already hide a plant network's round trips behind each other.
inline constexpr std::size_t kMaxOutstandingRequests = 4;
// How long one wait for answers lasts at most: whoever waits looks for a stop in between.
inline constexpr UA_UInt32 kPollMs = 20;

// A response of any service, owned: freed with the library's routine for its type.
class UaAnyResponse {
public:
    explicit UaAnyResponse(const UA_DataType* type);
    ~UaAnyResponse();
    UaAnyResponse(UaAnyResponse&& other) noexcept;
    UaAnyResponse& operator=(UaAnyResponse&&) = delete;
    UaAnyResponse(const UaAnyResponse&) = delete;
    UaAnyResponse& operator=(const UaAnyResponse&) = delete;

    // Takes over what the library's `response` (of this type) owns, leaving it empty.
    void TakeFrom(void* response) noexcept;
    const UA_DataType* Type() const { return type_; }
    // Every service response starts with its header.
    const UA_ResponseHeader& Header() const { return *static_cast<UA_ResponseHeader*>(data_); }
    template <class T>
    T& As() {
        return *static_cast<T*>(data_);
    }

private:
    const UA_DataType* type_;
    void* data_;
};

// Keeps up to kMaxOutstandingRequests asynchronous service requests of one client in flight
// and hands their answers back on the caller's thread, from Collect. One thread only.
class RequestPipeline {
public:
    struct Answer {
        std::uint64_t tag;
        UaAnyResponse response;
    };

    explicit RequestPipeline(UA_Client* client);
    ~RequestPipeline();  // abandons whatever is still on its way
    RequestPipeline(const RequestPipeline&) = delete;
    RequestPipeline& operator=(const RequestPipeline&) = delete;

    bool HasRoom() const { return pending_.size() < kMaxOutstandingRequests; }
    std::size_t Outstanding() const { return pending_.size(); }
    std::size_t PeakOutstanding() const { return peak_; }

    // Sends `request`; its answer comes out of Collect with `tag`. The request is encoded
    // before this returns, so it may borrow what it carries. A bad status: nothing was sent.
    UA_StatusCode Send(const void* request, const UA_DataType* requestType,
                       const UA_DataType* responseType, std::uint64_t tag);

    // Lets the client work for at most `waitMs` and appends the answers that came. Returns
    // the client's connection status.
    UA_StatusCode Collect(std::vector<Answer>& answers, UA_UInt32 waitMs);

    // Gives up on everything on its way: the answers, whenever they come, are thrown away.
    void Abandon();

private:
    struct Pending {
        std::uint64_t tag;
        UA_UInt32 requestId = 0;
        UaAnyResponse response;
        bool done = false;
    };
    static void OnAnswer(UA_Client* client, void* userdata, UA_UInt32 requestId, void* response);

    UA_Client* client_;
    std::vector<std::unique_ptr<Pending>> pending_;
    std::size_t peak_ = 0;
};

// Sends one request and waits for its answer, asking `stop` (when given) between waits. None
// when stopped, when nothing could be sent or when the connection went; `status` says which.
std::optional<UaAnyResponse> AwaitAnswer(UA_Client* client, const void* request,
                                         const UA_DataType* requestType,
                                         const UA_DataType* responseType,
                                         const std::function<bool()>& stop, UA_StatusCode& status);
