#pragma once

#include <optional>

#include "ui/trend/trend_book.h"

struct OPCUAItemData;

// A trend plots scalar numbers and booleans whose type the walk has read.
bool CanTrend(const OPCUAItemData& record);

// The sample a row holds now: its value as a number at its time (the local time the list
// shows); nothing when the value is no number, the time no time, or the read went BAD.
std::optional<TrendPoint> LiveSample(const OPCUAItemData& record);
