// STUB
#include "mainwindow/VarnelU.hpp"
#include <stdexcept>
void ClearPane(Pane&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void AddLine(Pane&, const std::string&, const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void ScrollToTop(Pane&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void AppendToLastLine(Pane&, const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string PaneText(const Pane&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void CopyPaneToClipboard(Platform&, const Pane&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void CopyTextToClipboard(Platform&, const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MICopytoClipboardClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MISaveasTxtClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MICopyColomn1Click(int) { throw std::logic_error("not built yet: " + std::string(__func__)); }
