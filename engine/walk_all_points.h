#pragma once

#include "engine/opcua_browser.h"
#include "engine/owned_points.h"

struct BrowseStats;

// Walks the connected server's whole address space on a thread of its own and takes the records
// out of `list` meanwhile (it holds a limited number, so the walk waits for room), into
// `records`. Returns once the walk has ended and everything it left is taken.
void WalkAllPoints(OPCUABrowser& engine, PointList& list, OwnedPoints& records, BrowseStats& stats);
