#include "decks/deck_set.hpp"

#include <optional>

#include "decks/cards.hpp"
#include "decks/folders.hpp"
#include "mainwindow/VarnelU.hpp"
#include "util/errors.hpp"
#include "util/files.hpp"
#include "util/format.hpp"
#include "util/messages.hpp"
#include "util/random.hpp"
#include "util/text.hpp"
#include "util/tree.hpp"

namespace varnel {

namespace {

bool IsDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The part of name between base and ".nec" (letter case aside); nothing when name is not
// base + something + ".nec".
std::optional<std::string_view> DeckNumberPart(std::string_view name, std::string_view base) {
  constexpr std::string_view kExtension = ".nec";
  if (name.size() <= base.size() + kExtension.size()) return std::nullopt;
  if (!EqualNoCase(name.substr(0, base.size()), base)) return std::nullopt;
  if (!EqualNoCase(name.substr(name.size() - kExtension.size()), kExtension)) return std::nullopt;
  return name.substr(base.size(), name.size() - base.size() - kExtension.size());
}

bool IsSeedFileName(std::string_view name, std::string_view base) {
  return EqualNoCase(name, SeedFileName(base));
}

}  // namespace

std::string SeedFileName(std::string_view base) { return std::string(base) + ".seed.txt"; }

bool IsSweepFileName(std::string_view name, std::string_view base) {
  const auto number = DeckNumberPart(name, base);
  return number && IsDigits(*number);
}

bool IsRandomPhaseFileName(std::string_view name, std::string_view base) {
  return IsSweepFileName(name, base) || IsSeedFileName(name, base);
}

bool IsEutSetFileName(std::string_view name, std::string_view base) {
  if (const auto number = DeckNumberPart(name, base)) {
    const std::size_t split = number->find('_');
    if (split != std::string_view::npos && IsDigits(number->substr(0, split)) &&
        IsDigits(number->substr(split + 1)))
      return true;
  }
  return EqualNoCase(name, std::string(base) + ".txt") || IsSeedFileName(name, base);
}

bool HoldsOnlyItsOwnFiles(Platform platform, const std::string& folder, std::string_view base,
                          OwnNameTest ownName, std::string_view what) {
  for (const DirEntry& entry : platform.system.ListEntries(folder + "*")) {
    if (entry.isFolder || !ownName(entry.name, base)) {
      ShowWarning(platform.ui, "The folder " + folder + " holds " + entry.name + ", which is not " +
                                   std::string(what) + ". Abort command!");
      return false;
    }
  }
  return true;
}

bool MayReplaceSetFolder(Platform platform, const std::string& folder, const std::string& root,
                         std::string_view base, OwnNameTest ownName, std::string_view what) {
  if (!TargetFolderProblem(folder, root).empty() || !FixedFolderInside(platform.system, folder).empty())
    return true;
  if (!HoldsOnlyItsOwnFiles(platform, folder, base, ownName, what)) return false;
  const std::string question = DeleteDecksQuestion(platform.system, folder);
  return question.empty() || !platform.system.FolderExists(folder) ||
         platform.ui.Confirm("Confirm", question, /*unattended=*/false);
}

std::string DeleteDecksQuestion(System& system, const std::string& folder) {
  const std::string body = folder.substr(0, folder.find_last_not_of("\\/") + 1);
  const std::string outputs = kOutputRoot + body.substr(body.find_last_of("\\/:") + 1) + "\\";
  const std::size_t files = CountFiles(system, outputs);
  if (files == 0) return "";
  return folder + " holds decks whose " + FormatInt("%d", static_cast<std::int64_t>(files)) +
         (files == 1 ? " output file is in " : " output files are in ") + outputs +
         ". Delete the decks and generate them anew?";
}

std::uint64_t BeginRecordedRandomSet(TForm1& form, const std::string& folder, std::string_view base) {
  const std::uint64_t seed = BeginRandomSet();
  const std::string seedText = std::to_string(seed);
  AddLine(form.Mout, "Random seed of this set: " + seedText);
  WriteTextFile(form.platform.system, "Random seed.................: " + seedText + std::string(kCrLf),
                folder + SeedFileName(base));
  return seed;
}

bool WriteDeckSeries(TForm1& form, std::string_view caption, std::size_t count,
                     const std::function<void(std::size_t)>& writeDeck) {
  std::size_t written = 0;
  try {
    for (; written < count; ++written) {
      if (written % kDecksBetweenEvents == 0) form.ProcessPendingEvents();
      form.FileProgress(written, count);
      writeDeck(written);
    }
  } catch (const CommandStopped&) {
    AddLine(form.Mout, "--------- " + std::string(caption) + " stopped: " + std::to_string(written) + " of " +
                           std::to_string(count) + " decks written ---------");
    return false;
  }
  return true;
}

}  // namespace varnel
