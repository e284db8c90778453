// STUB: delete when the batch commands exist.
#include "mainwindow/VarnelU.hpp"
#include <stdexcept>
void TForm1::MIAddBatchFolderClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MIFileLoadTestClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MIBatchLoadClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MIBatchAnalysePowerClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void TForm1::MIAnalyseEUTsClick() { throw std::logic_error("not built yet: " + std::string(__func__)); }
