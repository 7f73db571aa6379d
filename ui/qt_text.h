#pragma once

#include <QString>
#include <string>

// A text of the program (UTF-8) as Qt shows it.
inline QString Q(const std::string& text) { return QString::fromStdString(text); }
