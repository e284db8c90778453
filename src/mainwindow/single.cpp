// STUB
#include "mainwindow/VarnelU.hpp"
#include <stdexcept>
void TForm1::Load1Click() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::LoadDipol1Click() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::AnalyseMain1Click() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::AnalyseNearfield1Click() { throw std::logic_error("not built yet: " + std::string(__func__)); }
