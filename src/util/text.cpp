// STUB
#include "util/text.hpp"
#include <stdexcept>
CharSet ControlAndBlank() { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::size_t FindText(std::string_view, std::string_view, long long, bool) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::size_t FindNthText(std::string_view, std::string_view, long long, long long, bool) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::size_t CountText(std::string_view, std::string_view) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::size_t FindChar(char, std::string_view, long long) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::size_t FindCharBack(char, std::string_view, long long) { throw std::logic_error("not built yet: " + std::string(__func__)); }
long long LastCharPos(std::string_view, char) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string CopyCount(std::string_view, long long, long long) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string CopyRange(std::string_view, long long, long long) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string CopyFrom(std::string_view, long long) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string LeftText(std::string_view, long long) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string RightText(std::string_view, long long) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string DropLeft(std::string_view, long long) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string DropRight(std::string_view, long long) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string SafeCopy(std::string_view, long long, long long) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TrimSet(std::string&, const CharSet&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string ReplaceText(std::string_view, std::string_view, std::string_view, bool) { throw std::logic_error("not built yet: " + std::string(__func__)); }
TextList SplitText(std::string_view, std::string_view) { throw std::logic_error("not built yet: " + std::string(__func__)); }
TextList SplitChar(std::string_view, char) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string PadLeft(std::string_view, std::size_t, char) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string CommaToPoint(std::string_view) { throw std::logic_error("not built yet: " + std::string(__func__)); }
