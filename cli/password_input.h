#pragma once

#include <iosfwd>
#include <string>

// One line of `in` without its line end (LF or CRLF): the password of a user sign-in when no
// environment variable gives it. On a terminal the typed characters are not echoed.
std::string ReadPasswordLine(std::istream& in, bool terminal);
