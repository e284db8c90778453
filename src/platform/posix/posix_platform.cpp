// STUB
#include "platform/posix/posix_platform.hpp"
#include <stdexcept>
PosixRoots PosixRoots::FromEnvironment() { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string NativePath(const PosixRoots&, const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string WindowsPath(const PosixRoots&, const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
char DecimalSeparatorFromLocale() { throw std::logic_error("not built yet: " + std::string(__func__)); }
PosixPlatform::PosixPlatform(PosixRoots roots) : roots_(std::move(roots)) {}
void PosixPlatform::CreateSampleTree() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void PosixPlatform::MessageBox(MessageKind, const std::string&, const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
bool PosixPlatform::AskText(const std::string&, const std::string&, std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string PosixPlatform::InputBox(const std::string&, const std::string&, const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void PosixPlatform::ShowModal(ModalDialog&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::optional<std::string> PosixPlatform::OpenFileDialog(const FileDialogSpec&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::optional<std::string> PosixPlatform::SaveFileDialog(const FileDialogSpec&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::optional<std::string> PosixPlatform::ChooseFolder(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void PosixPlatform::SetClipboardText(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string PosixPlatform::ClipboardText() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void PosixPlatform::OpenDocument(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
ProcessHandle PosixPlatform::StartProcess(const std::string&, const std::string&, std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
bool PosixPlatform::ProcessEnded(ProcessHandle) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void PosixPlatform::CloseProcess(ProcessHandle) { throw std::logic_error("not built yet: " + std::string(__func__)); }
bool PosixPlatform::FileExists(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
bool PosixPlatform::FolderExists(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string PosixPlatform::ReadFile(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void PosixPlatform::WriteFile(const std::string&, const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void PosixPlatform::ReplaceFile(const std::string&, const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::vector<DirEntry> PosixPlatform::ListEntries(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
bool PosixPlatform::DeleteFile(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
bool PosixPlatform::RemoveFolder(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
bool PosixPlatform::CreateFolder(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string PosixPlatform::CurrentFolder() { throw std::logic_error("not built yet: " + std::string(__func__)); }
bool PosixPlatform::SetCurrentFolder(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string PosixPlatform::GetEnv(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string PosixPlatform::ExecutablePath() { throw std::logic_error("not built yet: " + std::string(__func__)); }
int PosixPlatform::ScreenWidth() { return 1920; }
int PosixPlatform::ScreenHeight() { return 1080; }
void PosixPlatform::ProcessEvents() {}
void PosixPlatform::Pause(int) { throw std::logic_error("not built yet: " + std::string(__func__)); }
int PosixPlatform::CurrentYear() { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::uint64_t PosixPlatform::MillisecondsSinceEpoch() { throw std::logic_error("not built yet: " + std::string(__func__)); }
void PosixPlatform::RequestQuit() {}
