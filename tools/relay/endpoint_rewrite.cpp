#include "tools/relay/endpoint_rewrite.h"

#include <open62541/types.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "tools/relay/uatcp_chunk.h"

namespace {

constexpr std::uint32_t kGetEndpointsResponseType = 431;
// Header, channel id, token id, sequence number, request id.
constexpr std::size_t kBodyOffset = uatcp::kHeaderSize + 4 + 4 + 4 + 4;

// The length of the encoding id's NodeId at the start of the body.
std::optional<std::size_t> TypeIdLength(const std::vector<std::uint8_t>& chunk) {
    if (chunk.size() <= kBodyOffset) return std::nullopt;
    switch (chunk[kBodyOffset]) {
        case 0x00:
            return 2;
        case 0x01:
            return 4;
        case 0x02:
            return 7;
        default:
            return std::nullopt;
    }
}

struct OwnedResponse {
    UA_GetEndpointsResponse value;
    OwnedResponse() { UA_GetEndpointsResponse_init(&value); }
    ~OwnedResponse() { UA_GetEndpointsResponse_clear(&value); }
    OwnedResponse(const OwnedResponse&) = delete;
    OwnedResponse& operator=(const OwnedResponse&) = delete;
};

struct OwnedBytes {
    UA_ByteString value = UA_BYTESTRING_NULL;
    ~OwnedBytes() { UA_ByteString_clear(&value); }
};

void DropSecure(UA_GetEndpointsResponse& response) {
    UA_EndpointDescription* end =
        std::partition(response.endpoints, response.endpoints + response.endpointsSize,
                       [](const UA_EndpointDescription& e) {
                           return e.securityMode == UA_MESSAGESECURITYMODE_NONE;
                       });
    const auto kept = static_cast<std::size_t>(end - response.endpoints);
    for (std::size_t i = kept; i < response.endpointsSize; ++i)
        UA_EndpointDescription_clear(&response.endpoints[i]);
    // The array keeps its allocation; only its length says how much of it is used.
    response.endpointsSize = kept;
}

void PlainPasswords(UA_GetEndpointsResponse& response) {
    for (std::size_t i = 0; i < response.endpointsSize; ++i) {
        UA_EndpointDescription& e = response.endpoints[i];
        for (std::size_t j = 0; j < e.userIdentityTokensSize; ++j) {
            UA_UserTokenPolicy& token = e.userIdentityTokens[j];
            if (token.tokenType != UA_USERTOKENTYPE_USERNAME) continue;
            UA_String_clear(&token.securityPolicyUri);
            token.securityPolicyUri =
                UA_STRING_ALLOC("http://opcfoundation.org/UA/SecurityPolicy#None");
        }
    }
}

bool SwapCertificate(UA_GetEndpointsResponse& response, const std::vector<std::uint8_t>& der) {
    for (std::size_t i = 0; i < response.endpointsSize; ++i) {
        UA_ByteString& certificate = response.endpoints[i].serverCertificate;
        UA_ByteString_clear(&certificate);
        if (UA_ByteString_allocBuffer(&certificate, der.size()) != UA_STATUSCODE_GOOD) return false;
        std::memcpy(certificate.data, der.data(), der.size());
    }
    return true;
}

}  // namespace

bool RewriteEndpointsResponse(std::vector<std::uint8_t>& chunk, const EndpointRewrite& rewrite) {
    if (!rewrite.Active() || uatcp::ServiceTypeId(chunk) != kGetEndpointsResponseType ||
        chunk[3] != 'F')  // a response in several chunks is not rewritten
        return false;
    const std::optional<std::size_t> idLength = TypeIdLength(chunk);
    if (!idLength) return false;
    const std::size_t bodyAt = kBodyOffset + *idLength;
    const UA_ByteString body{chunk.size() - bodyAt, chunk.data() + bodyAt};
    OwnedResponse response;
    if (UA_decodeBinary(&body, &response.value, &UA_TYPES[UA_TYPES_GETENDPOINTSRESPONSE],
                        nullptr) != UA_STATUSCODE_GOOD)
        return false;
    if (rewrite.dropSecure) DropSecure(response.value);
    if (rewrite.plainPasswords) PlainPasswords(response.value);
    if (!rewrite.certificate.empty() && !SwapCertificate(response.value, rewrite.certificate))
        return false;
    OwnedBytes encoded;
    if (UA_encodeBinary(&response.value, &UA_TYPES[UA_TYPES_GETENDPOINTSRESPONSE],
                        &encoded.value) != UA_STATUSCODE_GOOD)
        return false;
    chunk.resize(bodyAt);
    chunk.insert(chunk.end(), encoded.value.data, encoded.value.data + encoded.value.length);
    const auto size = static_cast<std::uint32_t>(chunk.size());
    for (int i = 0; i < 4; ++i) chunk[4 + i] = static_cast<std::uint8_t>(size >> (8 * i));
    return true;
}
