#pragma once
// NecOutLib: the values taken from one NEC2 output file, the keyword-and-column reader of its
// text, the near-field searches and the range-file reader. The reader and the searches keep
// no state: they take an OutputText or a NearFieldTable and return values.
// The details of each contract stand in reader.hpp, nearfield.hpp and range.hpp.
#include "necout/model.hpp"
#include "necout/reader.hpp"
#include "necout/nearfield.hpp"
#include "necout/range.hpp"

namespace varnel {

}  // namespace varnel
