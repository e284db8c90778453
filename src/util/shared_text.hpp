#pragma once
// A text that several holders keep at once without copying it: the loaded file's text is the
// window's current text and the lines of pane M together. It reads as a const std::string;
// assigning gives it a new text; a writer gets a copy of its own while the text is shared.
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

namespace varnel {

class SharedText {
 public:
  SharedText() = default;
  SharedText(std::string text) : text_(std::make_shared<std::string>(std::move(text))) {}
  SharedText(const char* text) : SharedText(std::string(text)) {}

  const std::string& str() const {
    static const std::string kEmpty;
    return text_ ? *text_ : kEmpty;
  }
  operator const std::string&() const { return str(); }
  bool empty() const { return str().empty(); }
  std::size_t size() const { return str().size(); }
  void clear() { text_.reset(); }

  // The text to change in place; a copy of its own when another holder shares it.
  std::string& Mutable() {
    if (!text_ || text_.use_count() > 1) text_ = std::make_shared<std::string>(str());
    return *text_;
  }
  // The text for another holder; it stays as it is for as long as that holder keeps it.
  std::shared_ptr<const std::string> Share() const {
    return text_ ? std::shared_ptr<const std::string>(text_) : std::make_shared<const std::string>();
  }

  friend bool operator==(const SharedText& a, std::string_view b) { return a.str() == b; }
  friend std::ostream& operator<<(std::ostream& out, const SharedText& text) { return out << text.str(); }

 private:
  std::shared_ptr<std::string> text_;
};

}  // namespace varnel
