#pragma once

#include <open62541/client.h>

#include <memory>

struct UaClientDeleter {
    void operator()(UA_Client* client) const { UA_Client_delete(client); }
};
// Deleting never disconnects; callers that hold a session call UA_Client_disconnect first.
using UaClientPtr = std::unique_ptr<UA_Client, UaClientDeleter>;
