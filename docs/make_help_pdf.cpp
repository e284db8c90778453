// Writes the help document as a PDF from its plain-text source.
//
//   varnel_make_help_pdf help.txt "Varnel Hilfe.pdf"
//
// The text is UTF-8; characters up to U+00FF are written in the WinAnsi encoding of the
// standard fonts, anything else as '?'. A line starting with "# " is a heading (Helvetica-Bold),
// every other line body text in Courier, wrapped at 92 columns with its indentation kept. Pages
// are A4 with a page number at the foot. The file is PDF 1.4 with uncompressed content streams
// and a cross-reference table whose offsets are those of the written bytes.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double kPageWidth = 595;  // A4 in points
constexpr double kPageHeight = 842;
constexpr double kMargin = 48;
constexpr double kBodySize = 9;
constexpr double kBodyLeading = 11;
constexpr double kHeadingSize = 14;
constexpr double kTitleSize = 18;
constexpr std::size_t kColumns = 92;  // Courier 9 pt: 5.4 pt a character, 497 pt a line

// UTF-8 to 8-bit Latin-1 / WinAnsi; unknown characters become '?'.
std::string ToLatin1(const std::string& utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
    } else if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
      const unsigned code = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
      out += code >= 0xA0 && code <= 0xFF ? static_cast<char>(code) : '?';
      i += 2;
    } else {
      std::size_t length = (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
      out += '?';
      i += length;
    }
  }
  return out;
}

// A PDF string literal.
std::string Literal(const std::string& text) {
  std::string out = "(";
  for (unsigned char c : text) {
    if (c == '(' || c == ')' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 32 || c >= 127) {
      char octal[8];
      std::snprintf(octal, sizeof octal, "\\%03o", c);
      out += octal;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + ")";
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

// Body lines longer than the page is wide: cut at the last blank before the limit (or hard at
// the limit), continuation lines indented like the first.
std::vector<std::string> Wrap(const std::string& line) {
  std::vector<std::string> pieces;
  const std::size_t indent = std::min(line.find_first_not_of(' '), kColumns / 2);
  std::string rest = line;
  while (rest.size() > kColumns) {
    std::size_t cut = rest.rfind(' ', kColumns);
    if (cut == std::string::npos || cut <= indent) cut = kColumns;
    pieces.push_back(rest.substr(0, cut));
    const std::size_t next = rest.find_first_not_of(' ', cut);
    rest = std::string(indent, ' ') + (next == std::string::npos ? "" : rest.substr(next));
  }
  pieces.push_back(rest);
  return pieces;
}

class Layout {
 public:
  void Heading(const std::string& text, bool title) {
    const double size = title ? kTitleSize : kHeadingSize;
    // A heading never stands alone at the foot of a page.
    if (y_ - 1.5 * size - 3 * kBodyLeading < kMargin) NewPage();
    if (!first_on_page_) y_ -= size * 0.8;
    y_ -= size;
    Text("F2", size, text);
    y_ -= size * 0.4;
  }
  void Body(const std::string& text) {
    for (const std::string& piece : Wrap(text)) {
      if (y_ - kBodyLeading < kMargin) NewPage();
      y_ -= kBodyLeading;
      if (!piece.empty()) Text("F1", kBodySize, piece);
      first_on_page_ = false;
    }
  }
  std::vector<std::string> Finish() {
    if (!current_.empty() || pages_.empty()) FinishPage();
    return pages_;
  }

 private:
  void Text(const char* font, double size, const std::string& text) {
    current_ += std::string("BT /") + font + " " + Number(size) + " Tf " + Number(kMargin) + " " +
                Number(y_) + " Td " + Literal(text) + " Tj ET\n";
    first_on_page_ = false;
  }
  void FinishPage() {
    const std::string footer = "Varnel Hilfe - Seite " + std::to_string(pages_.size() + 1);
    current_ += "BT /F3 9.00 Tf " + Number(kPageWidth / 2 - 45) + " 30.00 Td " + Literal(footer) + " Tj ET\n";
    pages_.push_back(current_);
    current_.clear();
  }
  void NewPage() {
    FinishPage();
    y_ = kPageHeight - kMargin;
    first_on_page_ = true;
  }

  std::vector<std::string> pages_;
  std::string current_;
  double y_ = kPageHeight - kMargin;
  bool first_on_page_ = true;
};

// Objects are numbered from 1 in the order they are added; offsets are taken as written.
class PdfWriter {
 public:
  int Reserve() {
    objects_.emplace_back();
    return static_cast<int>(objects_.size());
  }
  void Set(int number, std::string body) { objects_[number - 1] = std::move(body); }
  std::string Write(int root, int info) const {
    std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects_.size(); ++i) {
      offsets.push_back(pdf.size());
      pdf += std::to_string(i + 1) + " 0 obj\n" + objects_[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects_.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
      char entry[24];
      std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
      pdf += entry;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects_.size() + 1) + " /Root " + std::to_string(root) +
           " 0 R /Info " + std::to_string(info) + " 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return pdf;
  }

 private:
  std::vector<std::string> objects_;
};

std::string Font(const char* base) {
  return std::string("<< /Type /Font /Subtype /Type1 /BaseFont /") + base + " /Encoding /WinAnsiEncoding >>";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: varnel_make_help_pdf TEXT PDF\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "varnel_make_help_pdf: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::stringstream source;
  source << in.rdbuf();

  Layout layout;
  std::string line;
  bool first_heading = true;
  while (std::getline(source, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = ToLatin1(line);
    if (line.rfind("# ", 0) == 0) {
      layout.Heading(line.substr(2), first_heading);
      first_heading = false;
    } else {
      layout.Body(line);
    }
  }
  const std::vector<std::string> pages = layout.Finish();

  PdfWriter pdf;
  const int catalog = pdf.Reserve();
  const int pageTree = pdf.Reserve();
  const int info = pdf.Reserve();
  const int courier = pdf.Reserve();
  const int helveticaBold = pdf.Reserve();
  const int helvetica = pdf.Reserve();
  pdf.Set(catalog, "<< /Type /Catalog /Pages " + std::to_string(pageTree) + " 0 R >>");
  pdf.Set(info, "<< /Title (Varnel Hilfe) /Producer (varnel_make_help_pdf) >>");
  pdf.Set(courier, Font("Courier"));
  pdf.Set(helveticaBold, Font("Helvetica-Bold"));
  pdf.Set(helvetica, Font("Helvetica"));

  std::string kids;
  for (const std::string& content : pages) {
    const int page = pdf.Reserve();
    const int stream = pdf.Reserve();
    pdf.Set(stream, "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream");
    pdf.Set(page, "<< /Type /Page /Parent " + std::to_string(pageTree) + " 0 R /MediaBox [0 0 " +
                      Number(kPageWidth) + " " + Number(kPageHeight) + "] /Resources << /Font << /F1 " +
                      std::to_string(courier) + " 0 R /F2 " + std::to_string(helveticaBold) + " 0 R /F3 " +
                      std::to_string(helvetica) + " 0 R >> >> /Contents " + std::to_string(stream) +
                      " 0 R >>");
    kids += (kids.empty() ? "" : " ") + std::to_string(page) + " 0 R";
  }
  pdf.Set(pageTree, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>");

  const std::string bytes = pdf.Write(catalog, info);
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  if (!out) {
    std::cerr << "varnel_make_help_pdf: cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
