#include "platform/listing.hpp"

#include <algorithm>
#include <string>
#include <utility>

#include "util/text.hpp"

namespace varnel {

namespace {

// Greedy matching with one backtrack point.
bool MatchPlain(std::string_view pattern, std::string_view name) {
  std::size_t p = 0, n = 0;
  std::size_t starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || FoldLetter(pattern[p]) == FoldLetter(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::string UpperAscii(std::string_view name) {
  std::string key(name);
  for (char& c : key) c = UpperLetter(c);
  return key;
}

}  // namespace

bool MatchWildcard(std::string_view pattern, std::string_view name) {
  if (MatchPlain(pattern, name)) return true;
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
      name.find('.') == std::string_view::npos) {
    return MatchPlain(pattern.substr(0, pattern.size() - 2), name);
  }
  return false;
}

void SortAsListed(std::vector<DirEntry>& entries) {
  std::vector<std::pair<std::string, DirEntry>> keyed;
  keyed.reserve(entries.size());
  for (DirEntry& entry : entries) keyed.emplace_back(UpperAscii(entry.name), std::move(entry));
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    if (a.first != b.first) return a.first < b.first;  // std::string compares bytes as unsigned
    return a.second.name < b.second.name;
  });
  for (std::size_t i = 0; i < keyed.size(); ++i) entries[i] = std::move(keyed[i].second);
}

}  // namespace varnel
