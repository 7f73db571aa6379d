#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>

// What one walk leaves behind for benchmarks and tests. The counters are atomic so that another
// thread may watch a walk in progress; the rest is written by the walk and read after it ends.
struct BrowseStats {
    std::atomic<std::uint64_t> browseRequests{0};      // Browse and BrowseNext, releases included
    std::atomic<std::uint64_t> browseNextRequests{0};  // of those, BrowseNext
    std::atomic<std::uint64_t> handedOver{0};          // records in the list, end marker apart
    std::atomic<std::uint64_t> readRequests{0};        // Read requests of the walk's value read
    std::atomic<std::uint64_t> pointsFound{0};         // distinct variables met so far

    // What the walk asked of the server at most, to hold against the limits it names.
    std::size_t peakOutstanding = 0;     // requests on their way at once
    std::size_t peakNodesPerBrowse = 0;  // nodes in one Browse, continuation points in a BrowseNext
    std::size_t peakNodesPerRead = 0;    // nodes in one Read
    std::size_t nodesFailed = 0;         // nodes the server did not answer for, or refused
    std::size_t timeouts = 0;            // requests that timed out

    double walkSeconds = 0;      // the Browse phase
    double sortSeconds = 0;      // sorting and dropping duplicates
    double readSeconds = 0;      // the value read
    double handoverSeconds = 0;  // records and end marker into the list
    std::size_t points = 0;      // distinct points found
    bool sessionLost = false;    // the walk stopped because the session went
    bool interrupted = false;    // the walk stopped on thread interruption
    // When the end marker went into the list; read by whoever took the marker out.
    std::chrono::steady_clock::time_point endMarkerAt{};
};
