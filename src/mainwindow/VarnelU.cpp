// STUB
#include "mainwindow/VarnelU.hpp"
#include <stdexcept>
TForm1::TForm1(Platform& platform) : platform(platform) {}
std::vector<DisplayField*> TForm1::Fields() { throw std::logic_error("not built yet: " + std::string(__func__)); }
DisplayField* TForm1::FindField(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
MenuItem* TForm1::FindMenuItem(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
bool TForm1::Run(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
bool TForm1::HasCommand(const std::string&) const { throw std::logic_error("not built yet: " + std::string(__func__)); }
bool TForm1::CloseQuery() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::ProcessPendingEvents() { platform.ProcessEvents(); }
void TForm1::FormCreate() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::Reset() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::FormResize() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MIQuitClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MIResetWindowPositionClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MIWindowCenterClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MIHelpClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::AboutMIClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MISplitModeClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
const std::vector<TForm1::Command>& TForm1::Commands() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::BuildMenus() { throw std::logic_error("not built yet: " + std::string(__func__)); }
