#pragma once

#include <string>
#include <vector>

// This machine's own IPv4 subnets as ranges to sweep ("192.168.10.0/24"), loopback left out.
// A wider subnet is narrowed to the /24 around this machine's address unless `widen`.
std::vector<std::string> LocalSubnets(bool widen = false);

// The range for address `address` with `prefixBits`, narrowed to a /24 unless `widen`
// (and never wider than a /16, which a sweep refuses).
std::string SubnetRange(unsigned address, int prefixBits, bool widen);
