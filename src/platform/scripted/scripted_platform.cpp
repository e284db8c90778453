// STUB
#include "platform/scripted/scripted_platform.hpp"
#include <stdexcept>
ScriptedPlatform::ScriptedPlatform(std::ostream& out, PosixRoots roots) : PosixPlatform(std::move(roots)), out_(out) {}
void ScriptedPlatform::AnswerOpen(std::optional<std::string>) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void ScriptedPlatform::AnswerSave(std::optional<std::string>) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void ScriptedPlatform::AnswerFolder(std::optional<std::string>) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void ScriptedPlatform::AnswerAsk(std::optional<std::string>) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void ScriptedPlatform::AnswerPoint(std::vector<std::string>) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void ScriptedPlatform::MessageBox(MessageKind, const std::string&, const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
bool ScriptedPlatform::AskText(const std::string&, const std::string&, std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::string ScriptedPlatform::InputBox(const std::string&, const std::string&, const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void ScriptedPlatform::ShowModal(ModalDialog&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::optional<std::string> ScriptedPlatform::OpenFileDialog(const FileDialogSpec&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::optional<std::string> ScriptedPlatform::SaveFileDialog(const FileDialogSpec&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
std::optional<std::string> ScriptedPlatform::ChooseFolder(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void ScriptedPlatform::OpenDocument(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void ScriptedPlatform::Pause(int) { throw std::logic_error("not built yet: " + std::string(__func__)); }
void ScriptedPlatform::Print(const std::string&) { throw std::logic_error("not built yet: " + std::string(__func__)); }
