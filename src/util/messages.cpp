// STUB
#include "util/messages.hpp"
#include <stdexcept>
void ShowInfo(Platform&, const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void ShowWarning(Platform&, const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void ShowError(Platform&, const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
bool AskText(Platform&, const std::string&, const std::string&, std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
