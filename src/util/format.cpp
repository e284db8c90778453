// STUB: replaced by the real format engine.
#include "util/format.hpp"
#include <stdexcept>
std::string Format(std::string_view, std::initializer_list<FormatArg>) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string FormatInt(std::string_view, std::int64_t) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string FormatReal(std::string_view, double) { throw std::logic_error("not built yet: " + std::string(__func__)); }
