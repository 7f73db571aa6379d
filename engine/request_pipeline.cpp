#include "engine/request_pipeline.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace {

void Ignore(UA_Client*, void*, UA_UInt32, void*) {}

}  // namespace

UaAnyResponse::UaAnyResponse(const UA_DataType* type) : type_(type), data_(UA_new(type)) {
    if (!data_) throw std::bad_alloc();
}

UaAnyResponse::~UaAnyResponse() {
    if (data_) UA_delete(data_, type_);
}

UaAnyResponse::UaAnyResponse(UaAnyResponse&& other) noexcept
    : type_(other.type_), data_(std::exchange(other.data_, nullptr)) {}

void UaAnyResponse::TakeFrom(void* response) noexcept {
    UA_clear(data_, type_);
    std::memcpy(data_, response, type_->memSize);
    UA_init(response, type_);
}

RequestPipeline::RequestPipeline(UA_Client* client) : client_(client) {}

RequestPipeline::~RequestPipeline() { Abandon(); }

UA_StatusCode RequestPipeline::Send(const void* request, const UA_DataType* requestType,
                                    const UA_DataType* responseType, std::uint64_t tag) {
    // Made before the call: the answer may be stored as soon as the request is out.
    auto pending = std::make_unique<Pending>(Pending{tag, 0, UaAnyResponse(responseType), false});
    pending_.reserve(pending_.size() + 1);
    const UA_StatusCode status =
        __UA_Client_AsyncService(client_, request, requestType, &RequestPipeline::OnAnswer,
                                 responseType, pending.get(), &pending->requestId);
    if (status != UA_STATUSCODE_GOOD) return status;
    pending_.push_back(std::move(pending));
    peak_ = std::max(peak_, pending_.size());
    return status;
}

void RequestPipeline::OnAnswer(UA_Client*, void* userdata, UA_UInt32, void* response) {
    auto* pending = static_cast<Pending*>(userdata);
    // The library frees its response after this call; what it owned is ours from here.
    if (response) pending->response.TakeFrom(response);
    pending->done = true;
}

UA_StatusCode RequestPipeline::Collect(std::vector<Answer>& answers, UA_UInt32 waitMs) {
    const UA_StatusCode status = UA_Client_run_iterate(client_, waitMs);
    auto finished = std::stable_partition(pending_.begin(), pending_.end(),
                                          [](const auto& p) { return !p->done; });
    for (auto it = finished; it != pending_.end(); ++it)
        answers.push_back({(*it)->tag, std::move((*it)->response)});
    pending_.erase(finished, pending_.end());
    return status;
}

void RequestPipeline::Abandon() {
    for (const auto& pending : pending_) {
        if (!pending->done)
            UA_Client_modifyAsyncCallback(client_, pending->requestId, nullptr, &Ignore);
    }
    pending_.clear();
}

std::optional<UaAnyResponse> AwaitAnswer(UA_Client* client, const void* request,
                                         const UA_DataType* requestType,
                                         const UA_DataType* responseType,
                                         const std::function<bool()>& stop, UA_StatusCode& status) {
    RequestPipeline pipeline(client);
    status = pipeline.Send(request, requestType, responseType, 0);
    if (status != UA_STATUSCODE_GOOD) return std::nullopt;
    std::vector<RequestPipeline::Answer> answers;
    while (answers.empty()) {
        if (stop && stop()) {
            status = UA_STATUSCODE_BADREQUESTCANCELLEDBYCLIENT;
            return std::nullopt;
        }
        status = pipeline.Collect(answers, kPollMs);
        if (answers.empty() && status != UA_STATUSCODE_GOOD) return std::nullopt;
    }
    status = answers.front().response.Header().serviceResult;
    return std::move(answers.front().response);
}
