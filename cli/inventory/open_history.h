#pragma once

#include <iosfwd>
#include <memory>

#include "store/inventory_store.h"

// The user's scan history, or null after one line on `err` saying why it cannot be used.
std::unique_ptr<InventoryStore> OpenHistory(std::ostream& err);
