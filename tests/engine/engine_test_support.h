#pragma once

#include <open62541/server.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/opcua_browser.h"
#include "engine/opcua_item_data.h"
#include "tests/support/demo_server_fixture.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace engine_test {

// open62541 1.4 loses its copy of a private key that does not parse (a few dozen bytes). Tests
// that hand it such keys on purpose keep that one leak out of the sanitizer report; the scope
// covers allocations of the current thread only.
class LibraryLeaksIgnored {
public:
#if defined(__SANITIZE_ADDRESS__)
    LibraryLeaksIgnored() { __lsan_disable(); }
    ~LibraryLeaksIgnored() { __lsan_enable(); }
#else
    LibraryLeaksIgnored() {}
    ~LibraryLeaksIgnored() {}
#endif
    LibraryLeaksIgnored(const LibraryLeaksIgnored&) = delete;
    LibraryLeaksIgnored& operator=(const LibraryLeaksIgnored&) = delete;
};

// Records the test owns, read through ReadValues' raw-pointer interface.
struct Records {
    std::vector<std::unique_ptr<OPCUAItemData>> owned;
    std::vector<OPCUAItemData*> pointers;

    void Add(const UA_NodeId& id, const std::string& value = "old") {
        owned.push_back(std::make_unique<OPCUAItemData>(id, value, "", "", "t0", ""));
        pointers.push_back(owned.back().get());
    }
    OPCUAItemData& operator[](std::size_t i) { return *owned[i]; }
};

inline std::size_t SessionCount(DemoServer& server) {
    UA_Variant v;
    UA_Variant_init(&v);
    const UA_NodeId id = UA_NODEID_NUMERIC(
        0, UA_NS0ID_SERVER_SERVERDIAGNOSTICS_SERVERDIAGNOSTICSSUMMARY_CURRENTSESSIONCOUNT);
    std::size_t count = 9999;
    if (UA_Server_readValue(server.Server(), id, &v) == UA_STATUSCODE_GOOD &&
        UA_Variant_hasScalarType(&v, &UA_TYPES[UA_TYPES_UINT32]))
        count = *static_cast<UA_UInt32*>(v.data);
    UA_Variant_clear(&v);
    return count;
}

// A directory of its own under the system's temporary directory, removed with the object.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quorvane-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string Write(const std::string& name, std::span<const unsigned char> bytes) const {
        const std::string file = (path_ / name).string();
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return file;
    }
    std::filesystem::path Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace engine_test
