// STUB: delete when the deck commands exist.
#include "mainwindow/VarnelU.hpp"
#include <stdexcept>
void TForm1::EditInputFile1Click() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::NECardInfo1Click() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::RangeTest1Click() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::CreateMultipleInputFiles1Click() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MIHardCoded1Click() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MIGenerateEUTsClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
