// STUB
#include "necout/range.hpp"
#include <stdexcept>
void loadRange(Platform&, const std::string&, RealList&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
