# open62541 1.4 comes from Debian 13 (scripts/install-deps.sh). Its pkg-config file emits a broken
# -l/usr/lib/... flag, so the library is found and linked plainly.
find_path(OPEN62541_INCLUDE_DIR open62541/client.h)
find_library(OPEN62541_LIBRARY NAMES open62541)
if(NOT OPEN62541_INCLUDE_DIR OR NOT OPEN62541_LIBRARY)
  message(FATAL_ERROR "open62541 1.4 was not found. Run scripts/install-deps.sh first.")
endif()
add_library(open62541 INTERFACE IMPORTED)
target_include_directories(open62541 SYSTEM INTERFACE ${OPEN62541_INCLUDE_DIR})
target_link_libraries(open62541 INTERFACE ${OPEN62541_LIBRARY} Threads::Threads)
