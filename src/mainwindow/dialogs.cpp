// STUB
#include "mainwindow/dialogs.hpp"
#include <stdexcept>
void TFormP2dDlg::Shown() { throw std::logic_error("not built yet: " + std::string(__func__)); }
bool TFormP2dDlg::DonePressed() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TFormP3dDlg::Shown() { throw std::logic_error("not built yet: " + std::string(__func__)); }
bool TFormP3dDlg::DonePressed() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TFormParaDlg::Shown() { throw std::logic_error("not built yet: " + std::string(__func__)); }
bool TFormParaDlg::DonePressed() { throw std::logic_error("not built yet: " + std::string(__func__)); }
