#pragma once
// The NEC2 output-file reader: each operation finds one keyword (first occurrence, case-
// insensitive), counts CR characters from it and cuts its numbers at fixed columns. A missing
// keyword counts as position 0. NEC2 numbers are converted after every '.' became
// DecimalSeparator. (Full contract: see the comments in reader.cpp's header section below.)
#include <string>

#include "necout/model.hpp"

// The 10 characters from 11 behind the second "FREQUENCY". Throws ConversionError.
double ReadFrequency(const OutputText& text);
// The 10 characters from 16 behind "INPUT POWER". Throws ConversionError.
double ReadInputPower(const OutputText& text);
// The fourth line after "ANTENNA INPUT": nine 12-character fields from column 13; the first
// failing field and all later ones are 0. Never throws.
void ReadAntennaInput(const OutputText& text, AntennaInput& result);
AntennaInput ReadAntennaInput(const OutputText& text);
// The magnitude (peak, A) of segment row n of "CURRENTS AND LOCATION". Never throws.
double ReadSegmentCurrent(const OutputText& text, int n);
// The first table after "NEAR" for the polarisation ordinal (0..4). Throws ConversionError
// on a bad number; then table keeps the rows before the failing one.
void ReadNearField(const OutputText& text, int polarization, NearFieldTable& table);
// 1000000 for exactly "NaN", otherwise TextToReal. Throws ConversionError.
double NecNumber(const std::string& token);
