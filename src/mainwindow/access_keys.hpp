#pragma once
// The keyboard access of the menus: which character of each caption Alt (in the menu bar) or
// the key alone (in an open menu) chooses. The captions themselves stay as the model holds
// them; a window marks the chosen character in its own way (an underline).
#include <cstddef>
#include <string>
#include <vector>

namespace varnel {

// For each caption of one row (the menu bar, or the items of one menu) the index of its access
// character, or std::string::npos when it has none. A caption takes the first letter or digit
// that starts one of its words and that no caption before it took, else its first such
// character anywhere, else its first other visible character ("?"); letters compare without
// case. Captions that find nothing free go without.
std::vector<std::size_t> AccessKeys(const std::vector<std::string>& captions);

// The caption as a menu shows it where '&' marks the access character (both windows' menus do):
// a literal '&' doubled, and an '&' before the character at key (none for npos).
std::string MarkedCaption(const std::string& caption, std::size_t key);
// The captions of one row, each marked at its AccessKeys character.
std::vector<std::string> MarkedCaptions(const std::vector<std::string>& captions);

}  // namespace varnel
