// STUB
#include "necout/reader.hpp"
#include <stdexcept>
double ReadFrequency(const OutputText&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
double ReadInputPower(const OutputText&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void ReadAntennaInput(const OutputText&, AntennaInput&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
AntennaInput ReadAntennaInput(const OutputText&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
double ReadSegmentCurrent(const OutputText&, int) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void ReadNearField(const OutputText&, int, NearFieldTable&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
double NecNumber(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
