// What the three generators share around a set of 150 decks: Stop between two decks, the lock
// of their folder, the question before deleting decks whose outputs exist, and a folder of the
// user's own left alone.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/event_action.hpp"
#include "decks_fixture.hpp"

namespace varnel {

namespace {

struct Generator {
  const char* caption;
  const char* handler;
  std::string set;      // the folder's name below c:\4nec2\b_in and c:\4nec2\b_out
  const char* ownDeck;  // a name the generator writes into its folder
  const char* what;     // how the refusal of a foreign file names the set
  const char* lastCard;
  std::function<void(DeckUi&)> answer;  // queues the answers of a run of 150 decks

  std::string Folder() const { return "4nec2/b_in/" + set; }  // below drive c:, native
  std::string Target() const { return "c:\\4nec2\\b_in\\" + set + "\\"; }
  std::string Outputs() const { return "4nec2/b_out/" + set; }
};

const std::vector<Generator>& Generators() {
  static const std::vector<Generator> generators{
      {"Create Multiple InputFiles", "CreateMultipleInputFiles1Click", "proto", "proto000.nec",
       "a deck of this sweep", "EN",
       [](DeckUi& ui) {
         ui.AnswerOpen(std::string("c:\\4nec2\\b_in\\proto.nec"));
         ui.AnswerOpen(std::string("c:\\4nec2\\b_in\\Ranges\\r150.txt"));
       }},
      {"Random Phases at Multiple Sources", "MIHardCoded1Click", "hc1", "hc1000.nec", "a file of this set",
       "NE 0 41 41 1 -20 -20 2 1 1 1",
       [](DeckUi& ui) {
         ui.AnswerAsk(std::string("7"));
         ui.AnswerAsk(std::string("150"));
       }},
      {"Generate EUTs", "MIGenerateEUTsClick", "E_", "E_000_000.nec", "a file of this set",
       "NH 0 81 81 1 -40 -40 1.3 1 1 1",
       [](DeckUi& ui) {
         ui.AnswerOpen(std::string("c:\\4nec2\\b_in\\Ranges\\r150.txt"));
         for (const char* answer : {"1", "3", "1,5", "1", "1", "E_", ""}) ui.AnswerAsk(std::string(answer));
       }},
  };
  return generators;
}

class DeckSetTest : public DecksTest {
 protected:
  DeckSetTest() {
    std::string range;
    for (int i = 1; i <= 150; ++i) range += std::to_string(i) + "\r\n";
    WriteC("4nec2/b_in/Ranges/r150.txt", range);
    WriteC("4nec2/b_in/proto.nec", "CM\r\nFR 0 1 0 0 xxf 0\r\nEN");
  }
  void Run(const Generator& generator) {
    ui.messages.clear();
    ui.processEventsCalls = 0;
    generator.answer(ui);
    form.Run(generator.handler);
  }
  std::vector<std::string> Decks(const Generator& generator) const {
    std::vector<std::string> decks;
    for (const std::string& name : FilesIn(generator.Folder()))
      if (name.ends_with(".nec")) decks.push_back(name);
    return decks;
  }
};

// Each generator holds the lock of its folder while it writes, Stop ends its run between two
// decks, and it deletes decks whose outputs exist only when the user says so.
TEST_F(DeckSetTest, StopEndsTheRunBetweenTwoDecksAndDecksWithOutputsAreDeletedOnlyWhenTheUserSaysSo) {
  for (const Generator& generator : Generators()) {
    // The user presses Stop while deck 99 is written: the events before deck 100 find it.
    int heldWhileWriting = 0;
    OnEvents(ui, [&] {
      heldWhileWriting = system.locksHeld;
      if (ui.processEventsCalls == 3) form.RequestStop();
    });
    Run(generator);
    EXPECT_EQ("--------- " + std::string(generator.caption) + " stopped: 100 of 150 decks written ---------",
              form.Mout.lines.back());
    const std::vector<std::string> decks = Decks(generator);
    ASSERT_EQ(100u, decks.size()) << generator.caption;
    for (const std::string& deck : decks)
      EXPECT_EQ(generator.lastCard, CrLfLines(ReadC(generator.Folder() + "/" + deck)).back()) << deck;
    EXPECT_EQ(100u, form.progress.file) << generator.caption;
    EXPECT_EQ(150u, form.progress.files) << generator.caption;
    EXPECT_EQ(1, heldWhileWriting) << generator.caption;
    EXPECT_EQ(0, system.locksHeld) << generator.caption;

    // Another program works on the folder: nothing is touched.
    system.heldElsewhere = generator.Target();
    WriteC(generator.Folder() + "/" + generator.ownDeck, "previous");
    const auto held = Snapshot();
    Run(generator);
    EXPECT_EQ(
        std::vector<std::string>{"Another Varnel is working on " + generator.Target() + ". Abort command!"},
        Warnings());
    EXPECT_EQ(held, Snapshot()) << generator.caption;
    system.heldElsewhere.clear();
    OnEvents(ui, nullptr);
    EXPECT_FALSE(std::filesystem::exists(PathC(generator.Folder() + "/" + generator.set + ".txt")))
        << "a stopped set has no summary";

    // Decks whose outputs exist are deleted only when the user says so; a folder holding files
    // that are not the set's own, never.
    const std::string deck = generator.Folder() + "/" + generator.ownDeck;
    WriteC(deck, "previous");
    WriteC(generator.Outputs() + "/a.out", "result a");
    WriteC(generator.Outputs() + "/b.out", "result b");
    const std::string question = "[Question] " + generator.Target() +
                                 " holds decks whose 2 output files are in C:\\4nec2\\b_out\\" +
                                 generator.set + "\\. Delete the decks and generate them anew?";
    ui.AnswerConfirm(false);
    ClearPane(form.Mdata);
    AddLine(form.Mdata, "a table not saved");
    const auto before = Snapshot();
    Run(generator);
    EXPECT_EQ(std::vector<std::string>{question + " No"}, ui.messages);
    EXPECT_EQ(before, Snapshot()) << generator.caption;
    EXPECT_EQ(std::vector<std::string>{"a table not saved"}, form.Mdata.lines) << generator.caption;

    // Unanswered (a script), nothing is deleted; answered Yes, the decks are made anew.
    Run(generator);
    EXPECT_EQ("[Warning] no answer to: " + question.substr(11) + " Abort command!", ui.messages.at(0));
    EXPECT_EQ(before, Snapshot()) << generator.caption;
    ui.messages.clear();
    ui.AnswerConfirm(true);
    Run(generator);
    EXPECT_EQ(question + " Yes", ui.messages.at(0));
    EXPECT_NE("previous", ReadC(deck));
    EXPECT_EQ("result a", ReadC(generator.Outputs() + "/a.out"));

    std::filesystem::remove_all(PathC(generator.Outputs()));
    Run(generator);
    EXPECT_TRUE(ui.messages.empty()) << "no outputs, no question: " << ui.messages.at(0);

    // A folder holding files that are not the set's own is never deleted.
    const std::string folder = generator.Folder();
    for (const std::string foreign : {"notes.txt", "sub/x"}) {
      WriteC(folder + "/" + generator.ownDeck, "previous");
      WriteC(folder + "/" + foreign, "the user's own");
      const auto before = Snapshot();
      Run(generator);
      const std::string entry = foreign.substr(0, foreign.find('/'));
      EXPECT_EQ(std::vector<std::string>{"The folder " + generator.Target() + " holds " + entry +
                                         ", which is not " + generator.what + ". Abort command!"},
                Warnings());
      EXPECT_EQ(before, Snapshot()) << generator.caption;
      std::filesystem::remove_all(PathC(folder + "/" + entry));
    }
    // Only its own files (a set's summary and seed file among them): made anew, twice.
    for (int run = 0; run < 2; ++run) {
      WriteC(folder + "/" + generator.ownDeck, "previous");
      Run(generator);
      EXPECT_TRUE(Warnings().empty()) << generator.caption << ": " << Warnings().at(0);
      EXPECT_NE("previous", ReadC(folder + "/" + generator.ownDeck));
      EXPECT_EQ(150u, Decks(generator).size()) << generator.caption;
      EXPECT_EQ(0, system.locksHeld) << generator.caption;
    }
  }
}

}  // namespace

}  // namespace varnel
