// The help document generated at build time beside the program.
#include "test_paths.hpp"
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "support/test_root.hpp"

namespace varnel {

namespace {

// A PDF beside the program whose cross-reference offsets point at their objects, of several pages
// whose streams have their stated lengths.
TEST(HelpDocument, IsAPdfBesideTheProgramWithTrueOffsetsAndStreamLengths) {
  const std::string pdf =
      TestRoot::Read(std::filesystem::path(VARNEL_BINARY).parent_path() / "Varnel Hilfe.pdf");
  ASSERT_FALSE(pdf.empty()) << "Varnel Hilfe.pdf is missing beside " << VARNEL_BINARY;
  EXPECT_EQ("%PDF-", pdf.substr(0, 5));
  EXPECT_EQ("%%EOF\n", pdf.substr(pdf.size() - 6));
  std::smatch start;
  ASSERT_TRUE(std::regex_search(pdf, start, std::regex("startxref\n([0-9]+)\n%%EOF\n$")));
  const std::size_t xref = std::stoul(start[1]);
  ASSERT_LT(xref, pdf.size());
  ASSERT_EQ("xref\n0 ", pdf.substr(xref, 7));

  const std::size_t countEnd = pdf.find('\n', xref + 7);
  const int count = std::stoi(pdf.substr(xref + 7, countEnd - xref - 7));
  ASSERT_GT(count, 5);
  const std::size_t entries = countEnd + 1;
  EXPECT_EQ("0000000000 65535 f \n", pdf.substr(entries, 20));
  for (int object = 1; object < count; ++object) {
    const std::string entry = pdf.substr(entries + 20 * object, 20);
    ASSERT_EQ(" 00000 n \n", entry.substr(10)) << "entry " << object << ": " << entry;
    const std::size_t offset = std::stoul(entry.substr(0, 10));
    const std::string expected = std::to_string(object) + " 0 obj\n";
    EXPECT_EQ(expected, pdf.substr(offset, expected.size())) << "object " << object << " at " << offset;
  }
  std::smatch trailer;
  ASSERT_TRUE(std::regex_search(pdf, trailer, std::regex("trailer\n<< /Size ([0-9]+) /Root")));
  EXPECT_EQ(count, std::stoi(trailer[1]));

  std::smatch pages;
  ASSERT_TRUE(std::regex_search(pdf, pages, std::regex("/Type /Pages /Kids \\[[^\\]]*\\] /Count ([0-9]+)")));
  EXPECT_GE(std::stoi(pages[1]), 2);

  const std::regex streamStart("<< /Length ([0-9]+) >>\nstream\n");
  int streams = 0;
  for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), streamStart); it != std::sregex_iterator();
       ++it) {
    const std::size_t length = std::stoul((*it)[1]);
    const std::size_t data = it->position() + it->length();
    EXPECT_EQ("endstream", pdf.substr(data + length, 9)) << "stream at " << data << " of length " << length;
    ++streams;
  }
  EXPECT_EQ(std::stoi(pages[1]), streams);
  EXPECT_NE(std::string::npos, pdf.find("(A typical road")) << "the manual describes the typical road";
  // Contents with page numbers, the window's pictures, a proportional body font, English.
  for (const char* part :
       {"(Contents)", "/Subtype /Image", "/BaseFont /Helvetica ", "(Varnel manual - page 2)",
        "(A worked example: the sample dipole)", "(Export Cluster Job:)", "(Skip Unreadable Files:)"})
    EXPECT_NE(std::string::npos, pdf.find(part)) << part;
  EXPECT_EQ(std::string::npos, pdf.find("Seite"));
}

}  // namespace

}  // namespace varnel
