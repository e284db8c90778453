// STUB
#include "mainwindow/VarnelU.hpp"
#include <stdexcept>
void TForm1::EditPointDblClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::EditPointADblClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::EditNormalizePowerDblClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::Point1Click() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::Point2Click() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::Ponit3Click() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::Point4Click() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MIChangemaxHeightClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MIChangeAnalysingSegmentClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MIChangeAnalysingResistanceClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MIEditrCircleClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MIEditrCylinderClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MIShowsomeParametersClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::ShowPointFields() { throw std::logic_error("not built yet: " + std::string(__func__)); }
