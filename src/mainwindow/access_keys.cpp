#include "mainwindow/access_keys.hpp"

#include <set>

#include "util/text.hpp"

namespace varnel {

namespace {

bool IsLetterOrDigit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

std::vector<std::size_t> AccessKeys(const std::vector<std::string>& captions) {
  std::set<char> taken;
  std::vector<std::size_t> keys;
  for (const std::string& caption : captions) {
    const auto free = [&](std::size_t i) { return taken.count(FoldLetter(caption[i])) == 0; };
    const auto wordStart = [&](std::size_t i) { return i == 0 || !IsLetterOrDigit(caption[i - 1]); };
    const auto visibleSign = [&](std::size_t i) {
      const auto c = static_cast<unsigned char>(caption[i]);
      return c > ' ' && c < 127 && c != '&' && !IsLetterOrDigit(caption[i]);
    };
    std::size_t key = std::string::npos;
    for (int pass = 0; pass < 3 && key == std::string::npos; ++pass) {
      for (std::size_t i = 0; i < caption.size() && key == std::string::npos; ++i) {
        const bool fits = pass == 0   ? IsLetterOrDigit(caption[i]) && wordStart(i)
                          : pass == 1 ? IsLetterOrDigit(caption[i])
                                      : visibleSign(i);
        if (fits && free(i)) key = i;
      }
    }
    if (key != std::string::npos) taken.insert(FoldLetter(caption[key]));
    keys.push_back(key);
  }
  return keys;
}

std::string MarkedCaption(const std::string& caption, std::size_t key) {
  std::string text;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (i == key) text += '&';
    if (caption[i] == '&') text += '&';
    text += caption[i];
  }
  return text;
}

std::vector<std::string> MarkedCaptions(const std::vector<std::string>& captions) {
  const std::vector<std::size_t> keys = AccessKeys(captions);
  std::vector<std::string> marked;
  for (std::size_t i = 0; i < captions.size(); ++i) marked.push_back(MarkedCaption(captions[i], keys[i]));
  return marked;
}

}  // namespace varnel
