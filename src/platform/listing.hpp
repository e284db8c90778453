#pragma once
// The listing rules every System shares (standard library only): which names a wildcard
// pattern matches and the order in which a folder's entries are listed.
#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/system.hpp"

namespace varnel {

// The limits of a tree deletion on every system. Deeper trees are left in place rather than
// followed further: every level holds one open handle, and a tree this deep cannot be expressed
// on the users' own file system anyway. Past kMaxTreeEntries entries looked at, the rest stays,
// and the caller sees the folder still existing.
inline constexpr int kMaxTreeDepth = 128;
inline constexpr std::size_t kMaxTreeEntries = 5'000'000;

// '*' (any run) and '?' (one character), without case. A pattern ending in ".*" also matches a
// name without an extension, so "*.*" matches every name. Linear for one '*', never exponential.
bool MatchWildcard(std::string_view pattern, std::string_view name);

// The order of the users' file system: by the names in upper case (ASCII letters), compared
// byte by byte as unsigned; equal upper-case names by their own bytes.
void SortAsListed(std::vector<DirEntry>& entries);

}  // namespace varnel
