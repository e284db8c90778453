// STUB
#include "util/files.hpp"
#include <stdexcept>
void ReadTextFile(Platform&, const std::string&, std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void WriteTextFile(Platform&, const std::string&, const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void WriteTextFileSafely(Platform&, const std::string&, const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void ListFiles(Platform&, const std::string&, TextList&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void DeleteFolderTree(Platform&, const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
bool CreateFolder(Platform&, const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string DesktopFolder(Platform&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string ProgramFolder(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string IncludeBackslash(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string StripExtension(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void OpenWithAssociatedProgram(Platform&, const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void OpenExistingDocument(Platform&, const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string CurrentYearText(Platform&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
