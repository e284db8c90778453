// STUB: delete when the engine commands exist.
#include "mainwindow/VarnelU.hpp"
#include <stdexcept>
void TForm1::MI_NEC1500Click() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MI_NEC5000Click() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MI_NEC11000Click() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::SingleConversion1Click() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::BatchConversion1Click() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::RunAndWait(const std::string&, const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::Showbin1Click() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::Showbout1Click() { throw std::logic_error("not built yet: " + std::string(__func__)); }
