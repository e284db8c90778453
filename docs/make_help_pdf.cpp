// Writes the help document as a PDF from its plain-text source.
//
//   varnel_make_help_pdf help.txt "Varnel Hilfe.pdf"
//
// The text is UTF-8; characters up to U+00FF are written in the WinAnsi encoding of the
// standard fonts, anything else as '?'. The source's lines:
//   # Heading            the first is the title; every other one is listed in the contents
//                        (drawn below the title, with page numbers)
//   a paragraph          lines up to a blank line, joined and wrapped in Helvetica
//   - item               a list item (continued by the lines after it); "Term: text" shows
//                        the term in bold
//       preformatted     a line indented by four blanks, in Courier, as it stands
//   ![Caption](a.png)    a picture (8-bit PNG, grey, RGB or palette, not interlaced, beside the
//                        source) as wide as the text, with its caption below
// Pages are A4 with a page number at the foot. The file is PDF 1.4 with uncompressed content
// streams (a picture keeps the PNG's compressed data) and a cross-reference table whose offsets
// are those of the written bytes.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double kPageWidth = 595;  // A4 in points
constexpr double kPageHeight = 842;
constexpr double kMargin = 48;
constexpr double kTextWidth = kPageWidth - 2 * kMargin;
constexpr double kBodySize = 10;
constexpr double kBodyLeading = 13;
constexpr double kCodeSize = 8.5;
constexpr double kCodeLeading = 10.5;
constexpr double kHeadingSize = 14;
constexpr double kTitleSize = 20;
constexpr double kIndent = 14;  // of a list item's text

// Helvetica's advance widths (1/1000 of the size) of the characters 32 to 126, as its metrics
// give them; every other character is taken as 556.
constexpr int kHelvetica[95] = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333,  278, 278, 556, 556, 556,
    556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, 1015, 667, 667, 722, 722, 667,
    611, 778, 722, 278, 500, 667, 556, 833, 722, 778, 667, 778, 722, 667,  611, 722, 667, 944, 667,
    667, 611, 278, 278, 278, 469, 556, 333, 556, 556, 500, 556, 556, 278,  556, 556, 222, 222, 500,
    222, 833, 556, 556, 556, 556, 333, 500, 278, 556, 500, 722, 500, 500,  500, 334, 260, 334, 584};

// The same of Helvetica-Bold.
constexpr int kHelveticaBold[95] = {
    278, 333, 474, 556, 556, 889, 722, 238, 333, 333, 389, 584, 278, 333, 278, 278, 556, 556, 556,
    556, 556, 556, 556, 556, 556, 556, 333, 333, 584, 584, 584, 611, 975, 722, 722, 722, 722, 667,
    611, 778, 722, 278, 556, 722, 611, 833, 722, 778, 667, 778, 722, 667, 611, 722, 667, 944, 667,
    667, 611, 333, 278, 333, 584, 556, 333, 556, 611, 556, 611, 556, 333, 611, 611, 278, 278, 556,
    278, 889, 611, 611, 611, 611, 389, 556, 333, 611, 556, 778, 556, 556, 500, 389, 280, 389, 584};

double TextWidth(const std::string& text, double size, bool bold = false) {
  double width = 0;
  const int* widths = bold ? kHelveticaBold : kHelvetica;
  for (unsigned char c : text) width += c >= 32 && c <= 126 ? widths[c - 32] : 556;
  return width * size / 1000;
}

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

// Words filled into lines no wider than width, the first one no wider than firstWidth (a word
// wider than a line stands alone).
std::vector<std::string> Wrap(const std::string& text, double width, double size, double firstWidth = -1) {
  std::vector<std::string> lines;
  std::istringstream words(text);
  std::string word, line;
  while (words >> word) {
    const std::string longer = line.empty() ? word : line + " " + word;
    const double room = lines.empty() && firstWidth >= 0 ? firstWidth : width;
    if (!line.empty() && TextWidth(longer, size) > room) {
      lines.push_back(line);
      line = word;
    } else {
      line = longer;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// A PNG's picture as a PDF image: its size, colour space and the zlib data of its IDAT chunks,
// which PDF reads with the PNG predictors.
struct Picture {
  int width = 0, height = 0, colors = 3;
  std::string colorSpace, data;
};

std::uint32_t BigEndian(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int k = 0; k < 4; ++k) value = value << 8 | static_cast<unsigned char>(bytes[at + k]);
  return value;
}

bool ReadPicture(const std::string& path, Picture& picture, std::string& why) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 33 || bytes.compare(1, 3, "PNG") != 0) return why = "not a PNG file", false;
  std::string palette;
  int depth = 0, type = 0, interlace = 0;
  for (std::size_t at = 8; at + 12 <= bytes.size();) {
    const std::uint32_t length = BigEndian(bytes, at);
    const std::string kind = bytes.substr(at + 4, 4);
    if (at + 12 + length > bytes.size()) return why = "a cut chunk", false;
    const std::string chunk = bytes.substr(at + 8, length);
    if (kind == "IHDR") {
      picture.width = static_cast<int>(BigEndian(chunk, 0));
      picture.height = static_cast<int>(BigEndian(chunk, 4));
      depth = chunk[8], type = chunk[9], interlace = chunk[12];
    } else if (kind == "PLTE") {
      palette = chunk;
    } else if (kind == "IDAT") {
      picture.data += chunk;
    }
    at += 12 + length;
  }
  if (depth != 8 || interlace != 0 || !(type == 0 || type == 2 || type == 3))
    return why = "only 8-bit grey, RGB or palette pictures without interlacing are taken", false;
  picture.colors = type == 2 ? 3 : 1;
  if (type == 0) picture.colorSpace = "/DeviceGray";
  if (type == 2) picture.colorSpace = "/DeviceRGB";
  if (type == 3) {
    std::string hex;
    for (unsigned char c : palette) {
      char two[3];
      std::snprintf(two, sizeof two, "%02X", c);
      hex += two;
    }
    picture.colorSpace = "[/Indexed /DeviceRGB " + std::to_string(palette.size() / 3 - 1) + " <" + hex + ">]";
  }
  return true;
}

class Layout {
 public:
  void Title(const std::string& text) {
    y_ -= kTitleSize;
    Text("F2", kTitleSize, kMargin, text);
    y_ -= kTitleSize * 0.6;
  }
  // Room below the title for the contents, one line per heading; filled in by Finish.
  void ReserveContents(std::size_t headings) {
    y_ -= kBodyLeading;
    Text("F2", kHeadingSize, kMargin, "Contents");
    y_ -= 4;
    for (std::size_t k = 0; k < headings; ++k) {
      Room(kBodyLeading);
      y_ -= kBodyLeading;
      contentsPlaces_.push_back({pages_.size(), y_});
    }
  }
  void Heading(const std::string& text) {
    // A heading never stands alone at the foot of a page.
    if (y_ - 1.5 * kHeadingSize - 3 * kBodyLeading < kMargin) NewPage();
    if (!firstOnPage_) y_ -= kHeadingSize * 0.9;
    y_ -= kHeadingSize;
    Text("F2", kHeadingSize, kMargin, text);
    headings_.push_back({text, pages_.size() + 1});
    y_ -= kHeadingSize * 0.3;
  }
  void Paragraph(const std::string& text) {
    for (const std::string& line : Wrap(text, kTextWidth, kBodySize)) BodyLine(kMargin, line);
    y_ -= kBodyLeading * 0.4;
  }
  void Item(const std::string& text) {
    // "Term: text" with the term in bold.
    const std::size_t colon = text.find(": ");
    const bool term = colon != std::string::npos && colon < 60;
    const std::string bold = term ? text.substr(0, colon + 1) : "";
    const double boldWidth = term ? TextWidth(bold + " ", kBodySize, true) : 0;
    const std::vector<std::string> lines = Wrap(term ? text.substr(colon + 2) : text, kTextWidth - kIndent,
                                                kBodySize, kTextWidth - kIndent - boldWidth);
    for (std::size_t k = 0; k < lines.size(); ++k) {
      Room(kBodyLeading);
      y_ -= kBodyLeading;
      if (k == 0) Text("F3", kBodySize, kMargin + 3, "\x95");
      if (k == 0 && term) Text("F2", kBodySize, kMargin + kIndent, bold);
      Text("F3", kBodySize, kMargin + kIndent + (k == 0 ? boldWidth : 0), lines[k]);
    }
    y_ -= kBodyLeading * 0.2;
  }
  void Code(const std::string& line) {
    Room(kCodeLeading);
    y_ -= kCodeLeading;
    if (!line.empty()) Text("F1", kCodeSize, kMargin + 10, line);
  }
  void EndCode() { y_ -= kBodyLeading * 0.4; }
  void Image(int number, const Picture& picture, const std::string& caption) {
    const double scale = std::min(kTextWidth / picture.width, 360.0 / picture.height);
    const double width = picture.width * scale, height = picture.height * scale;
    Room(height + 2 * kBodyLeading);
    y_ -= height + 4;
    current_ += "q " + Number(width) + " 0 0 " + Number(height) + " " +
                Number(kMargin + (kTextWidth - width) / 2) + " " + Number(y_) + " cm /Im" +
                std::to_string(number) + " Do Q\n";
    pageImages_.back().push_back(number);
    y_ -= kBodyLeading + 2;
    Text("F4", kBodySize - 1, kMargin + (kTextWidth - TextWidth(caption, kBodySize - 1)) / 2, caption);
    y_ -= kBodyLeading * 0.6;
  }
  // The pages' contents and, per page, the pictures it draws.
  std::vector<std::string> Finish(std::vector<std::vector<int>>& images) {
    FinishPage();
    for (std::size_t k = 0; k < headings_.size() && k < contentsPlaces_.size(); ++k) {
      const auto [page, y] = contentsPlaces_[k];
      const std::string number = std::to_string(headings_[k].second);
      std::string& content = pages_[page];
      content += "BT /F3 " + Number(kBodySize) + " Tf " + Number(kMargin + 10) + " " + Number(y) + " Td " +
                 Literal(headings_[k].first) + " Tj ET\n";
      content += "BT /F3 " + Number(kBodySize) + " Tf " +
                 Number(kPageWidth - kMargin - TextWidth(number, kBodySize)) + " " + Number(y) + " Td " +
                 Literal(number) + " Tj ET\n";
    }
    images = pageImages_;
    return pages_;
  }

 private:
  void BodyLine(double left, const std::string& text) {
    Room(kBodyLeading);
    y_ -= kBodyLeading;
    Text("F3", kBodySize, left, text);
  }
  void Room(double height) {
    if (y_ - height < kMargin) NewPage();
  }
  void Text(const char* font, double size, double left, const std::string& text) {
    current_ += std::string("BT /") + font + " " + Number(size) + " Tf " + Number(left) + " " + Number(y_) +
                " Td " + Literal(text) + " Tj ET\n";
    firstOnPage_ = false;
  }
  void FinishPage() {
    const std::string footer = "Varnel manual - page " + std::to_string(pages_.size() + 1);
    current_ += "BT /F3 9.00 Tf " + Number((kPageWidth - TextWidth(footer, 9)) / 2) + " 30.00 Td " +
                Literal(footer) + " Tj ET\n";
    pages_.push_back(current_);
    current_.clear();
    pageImages_.emplace_back();
  }
  void NewPage() {
    FinishPage();
    y_ = kPageHeight - kMargin;
    firstOnPage_ = true;
  }

  std::vector<std::string> pages_;
  std::vector<std::vector<int>> pageImages_{{}};
  std::string current_;
  double y_ = kPageHeight - kMargin;
  bool firstOnPage_ = true;
  std::vector<std::pair<std::size_t, double>> contentsPlaces_;  // page index, baseline
  std::vector<std::pair<std::string, std::size_t>> headings_;   // text, page number
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

  std::vector<std::string> lines;
  std::size_t headings = 0;
  for (std::string line; std::getline(source, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(ToLatin1(line));
    if (lines.back().rfind("# ", 0) == 0) ++headings;
  }
  const std::string folder = std::string(argv[1]).substr(0, std::string(argv[1]).find_last_of('/') + 1);

  Layout layout;
  std::vector<Picture> pictures;
  std::string paragraph;
  bool item = false, title = true, code = false;
  auto flush = [&] {
    if (!paragraph.empty()) item ? layout.Item(paragraph) : layout.Paragraph(paragraph);
    paragraph.clear();
    item = false;
  };
  for (const std::string& line : lines) {
    const bool codeLine = line.rfind("    ", 0) == 0 && paragraph.empty();
    if (code && !codeLine) {
      layout.EndCode();
      code = false;
    }
    if (line.rfind("# ", 0) == 0) {
      flush();
      if (title) {
        layout.Title(line.substr(2));
        layout.ReserveContents(headings - 1);
        title = false;
      } else {
        layout.Heading(line.substr(2));
      }
    } else if (line.rfind("![", 0) == 0 && line.find("](") != std::string::npos) {
      flush();
      const std::size_t middle = line.find("](");
      Picture picture;
      std::string why;
      const std::string file = line.substr(middle + 2, line.rfind(')') - middle - 2);
      if (!ReadPicture(folder + file, picture, why)) {
        std::cerr << "varnel_make_help_pdf: " << folder + file << ": " << why << "\n";
        return 1;
      }
      pictures.push_back(picture);
      layout.Image(static_cast<int>(pictures.size()), picture, line.substr(2, middle - 2));
    } else if (codeLine) {
      layout.Code(line.substr(4));
      code = true;
    } else if (line.find_first_not_of(' ') == std::string::npos) {
      flush();
    } else if (line.rfind("- ", 0) == 0) {
      flush();
      paragraph = line.substr(2);
      item = true;
    } else {
      paragraph += (paragraph.empty() ? "" : " ") + line.substr(line.find_first_not_of(' '));
    }
  }
  flush();
  std::vector<std::vector<int>> pageImages;
  const std::vector<std::string> pages = layout.Finish(pageImages);

  PdfWriter pdf;
  const int catalog = pdf.Reserve();
  const int pageTree = pdf.Reserve();
  const int info = pdf.Reserve();
  const int courier = pdf.Reserve();
  const int helveticaBold = pdf.Reserve();
  const int helvetica = pdf.Reserve();
  const int helveticaOblique = pdf.Reserve();
  pdf.Set(catalog, "<< /Type /Catalog /Pages " + std::to_string(pageTree) + " 0 R >>");
  pdf.Set(info, "<< /Title (Varnel Hilfe) /Producer (varnel_make_help_pdf) >>");
  pdf.Set(courier, Font("Courier"));
  pdf.Set(helveticaBold, Font("Helvetica-Bold"));
  pdf.Set(helvetica, Font("Helvetica"));
  pdf.Set(helveticaOblique, Font("Helvetica-Oblique"));
  std::vector<int> imageObjects;
  for (const Picture& picture : pictures) {
    const int image = pdf.Reserve();
    pdf.Set(image, "<< /Type /XObject /Subtype /Image /Width " + std::to_string(picture.width) + " /Height " +
                       std::to_string(picture.height) + " /ColorSpace " + picture.colorSpace +
                       " /BitsPerComponent 8 /Filter /FlateDecode /DecodeParms << /Predictor 15 /Colors " +
                       std::to_string(picture.colors) + " /BitsPerComponent 8 /Columns " +
                       std::to_string(picture.width) + " >> /Length " + std::to_string(picture.data.size()) +
                       " >>\nstream\n" + picture.data + "\nendstream");
    imageObjects.push_back(image);
  }

  std::string kids;
  for (std::size_t k = 0; k < pages.size(); ++k) {
    const std::string& content = pages[k];
    const int page = pdf.Reserve();
    const int stream = pdf.Reserve();
    std::string xobjects;
    for (int number : pageImages[k])
      xobjects += " /Im" + std::to_string(number) + " " + std::to_string(imageObjects[number - 1]) + " 0 R";
    pdf.Set(stream, "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream");
    pdf.Set(page, "<< /Type /Page /Parent " + std::to_string(pageTree) + " 0 R /MediaBox [0 0 " +
                      Number(kPageWidth) + " " + Number(kPageHeight) + "] /Resources << /Font << /F1 " +
                      std::to_string(courier) + " 0 R /F2 " + std::to_string(helveticaBold) + " 0 R /F3 " +
                      std::to_string(helvetica) + " 0 R /F4 " + std::to_string(helveticaOblique) + " 0 R >>" +
                      (xobjects.empty() ? "" : " /XObject <<" + xobjects + " >>") + " >> /Contents " +
                      std::to_string(stream) + " 0 R >>");
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
