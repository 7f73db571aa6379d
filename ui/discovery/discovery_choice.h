#pragma once

#include <QString>
#include <string>
#include <vector>

// Splits what the user typed into the sources' fields: commas, spaces and line breaks separate.
std::vector<std::string> SplitList(const QString& text);
