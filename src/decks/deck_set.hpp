#pragma once
// What every deck generator does around the set it writes into a folder of its own: it leaves a
// folder that holds files of the user's alone, asks before deleting decks whose outputs exist,
// records the seed a random set is drawn from, and writes its decks so that Quit and Stop act
// between two decks, never inside one.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/platform.hpp"

namespace varnel {

class TForm1;

// The names a generator writes into its folder, letter case aside, for the set's base name.
// The sweep: base + one or more digits + ".nec" (dipol000.nec, dipol1000.nec).
bool IsSweepFileName(std::string_view name, std::string_view base);
// The random phases: those of the sweep (hc1000.nec) and SeedFileName(base).
bool IsRandomPhaseFileName(std::string_view name, std::string_view base);
// The test objects: base + digits + "_" + digits + ".nec" (E_002_010.nec), base + ".txt" (the
// summary) and SeedFileName(base).
bool IsEutSetFileName(std::string_view name, std::string_view base);
// The small file that records the seed of a random set: base + ".seed.txt" (E_.seed.txt).
std::string SeedFileName(std::string_view base);

// True when every entry of folder is a file that ownName accepts with base (also when the
// folder does not exist). Otherwise the folder is the user's own and is not the generator's to
// delete: ShowWarning "The folder " + folder + " holds " + entry + ", which is not " + what +
// ". Abort command!" and false. what names the set ("a deck of this sweep").
using OwnNameTest = bool (*)(std::string_view name, std::string_view base);
bool HoldsOnlyItsOwnFiles(Platform platform, const std::string& folder, std::string_view base,
                          OwnNameTest ownName, std::string_view what);

// Whether a generator may go on to recreate folder (RecreateTargetFolder, root as its options
// give it) for the set: false with the warning of HoldsOnlyItsOwnFiles when the folder holds
// files that are not the set's own, and false when the folder exists, its decks have outputs
// and the user answers DeleteDecksQuestion with No (unanswered, a script goes on). A folder
// the recreation refuses is left to it (true, nothing asked). Changes nothing, so a generator
// asks it before it resets the window. The caller holds the folder's FolderLock.
bool MayReplaceSetFolder(Platform platform, const std::string& folder, const std::string& root,
                         std::string_view base, OwnNameTest ownName, std::string_view what);

// The question to ask before a generator deletes folder ("c:\4nec2\b_in\E_\") when the output
// folder of its decks, "C:\4nec2\b_out\" + the folder's last component + "\", holds files:
// folder + " holds decks whose 150 output files are in C:\4nec2\b_out\E_\. Delete the decks and
// generate them anew?". "" when that folder holds no file or does not exist.
std::string DeleteDecksQuestion(System& system, const std::string& folder);

// Starts the draws of a random set (BeginRandomSet), adds "Random seed of this set: " + seed to
// the Info pane and writes "Random seed.................: " + seed + CR LF to folder +
// SeedFileName(base), before the first deck, so that a set stopped or replaced can be drawn
// again (a script's `seed N`). Returns the seed. Throws InOutError as WriteTextFile.
std::uint64_t BeginRecordedRandomSet(TForm1& form, const std::string& folder, std::string_view base);

// How many decks are written between two event processings.
inline constexpr std::size_t kDecksBetweenEvents = 50;

// Calls writeDeck(i) for i = 0 to count - 1, telling form.progress which deck it is at and
// processing events before deck 0, 50, 100, ..., so that Quit and Stop act at once. When the
// user stops, adds "--------- " + caption + " stopped: " + i + " of " + count +
// " decks written ---------" to the Info pane and returns false: the i decks written stay,
// each whole. True when every deck was written. Quit (CommandAborted) and the failures of
// writeDeck pass through.
bool WriteDeckSeries(TForm1& form, std::string_view caption, std::size_t count,
                     const std::function<void(std::size_t)>& writeDeck);

}  // namespace varnel
