// Viscosity measurements from a CSV file.
#include "io/viscosity_data.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <system_error>
#include <utility>

#include "io/decimal_conversion.h"
#include "io/number_text.h"

namespace meltsim {

namespace {

// A table of measurements has a few hundred rows; a file this large is no
// such table, and reading stops there.
constexpr std::uint64_t kMaxCsvBytes = std::uint64_t{64} << 20;
constexpr std::size_t kReadChunkBytes = std::size_t{1} << 16;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

struct Fields {
  std::vector<std::string> values;
  bool quoteOpen = false;  // a quoted field did not close on its line
  bool quoteJunk = false;  // text after a closing quote
};

// Reads the quoted field that starts at line[i] == '"'; returns the index
// after the closing quote.
std::size_t QuotedField(std::string_view line, std::size_t i, std::string& value, Fields& out) {
  for (++i; i < line.size(); ++i) {
    if (line[i] != '"') {
      value += line[i];
    } else if (i + 1 < line.size() && line[i + 1] == '"') {
      value += '"';
      ++i;
    } else {
      return i + 1;
    }
  }
  out.quoteOpen = true;
  return i;
}

// Splits a line at its commas; each field without the blanks around it and
// without its quotes. A line of n bytes has at most n + 1 fields.
Fields SplitFields(std::string_view line) {
  Fields out;
  std::size_t i = 0;
  for (std::size_t field = 0; field <= line.size(); ++field) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    std::string value;
    if (i < line.size() && line[i] == '"') {
      i = QuotedField(line, i, value, out);
      while (i < line.size() && IsBlank(line[i])) ++i;
      out.quoteJunk = i < line.size() && line[i] != ',';
    } else {
      const std::size_t comma = std::min(line.find(',', i), line.size());
      value = Trim(line.substr(i, comma - i));
      i = comma;
    }
    out.values.push_back(std::move(value));
    if (i >= line.size() || out.quoteJunk) break;
    ++i;  // past the comma that ends this field
  }
  return out;
}

bool AllEmpty(const Fields& fields) {
  for (const std::string& v : fields.values) {
    if (!v.empty()) return false;
  }
  return !fields.quoteOpen;
}

// Plain decimal: [sign] (digits [. [digits]] | . digits) [(e|E) [sign] digits].
bool IsPlainDecimal(std::string_view t) {
  std::size_t i = 0;
  auto digits = [&] {
    const std::size_t begin = i;
    while (i < t.size() && IsDigit(t[i])) ++i;
    return i - begin;
  };
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  std::size_t mantissa = digits();
  if (i < t.size() && t[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  return i == t.size();
}

// The column roles, in the order of the messages.
enum Column { kColT = 0, kColGamma, kColEta, kColEtaPas, kColumnCount };
constexpr std::array<const char*, kColumnCount> kColumnNames = {"T", "gamma", "eta", "eta_Pas"};

struct Header {
  std::array<int, kColumnCount> index{-1, -1, -1, -1};
  int etaColumn = -1;  // kColEta or kColEtaPas
};

class CsvReader {
 public:
  explicit CsvReader(std::string name) : name_(std::move(name)) {}

  ViscosityDataRead Read(std::string_view bytes) {
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
      bytes.remove_prefix(kByteOrderMark.size());
    }
    int lineNumber = 0;
    std::size_t pos = 0;
    while (pos < bytes.size() && !failure_) {
      const std::size_t end = std::min(bytes.find('\n', pos), bytes.size());
      std::string_view line = bytes.substr(pos, end - pos);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      Line(++lineNumber, line);
      pos = end + 1;
    }
    return Finish();
  }

 private:
  void Fail(const std::string& text, FailureKind kind = FailureKind::WrongFormat) {
    failure_ = Failure{kind, name_ + ": " + text};
  }
  void FailAt(int line, const std::string& text, FailureKind kind = FailureKind::WrongFormat) {
    Fail("line " + IntegerText(line) + ": " + text, kind);
  }

  void Line(int number, std::string_view line) {
    const Fields fields = SplitFields(line);
    if (fields.quoteOpen) return FailAt(number, "a quoted field does not end on its line");
    if (fields.quoteJunk) return FailAt(number, "text follows the closing quote of a field");
    if (AllEmpty(fields)) return;
    if (!haveHeader_) return TakeHeader(number, fields);
    TakeRow(number, fields);
  }

  void TakeHeader(int number, const Fields& fields) {
    haveHeader_ = true;
    for (std::size_t k = 0; k < fields.values.size(); ++k) {
      for (int c = 0; c < kColumnCount; ++c) {
        if (fields.values[k] != kColumnNames[c]) continue;
        if (header_.index[c] >= 0) {
          return FailAt(number,
                        std::string("the header names the column ") + kColumnNames[c] + " twice");
        }
        header_.index[c] = static_cast<int>(k);
      }
    }
    CheckHeader(number);
  }

  void CheckHeader(int number) {
    const bool eta = header_.index[kColEta] >= 0, etaPas = header_.index[kColEtaPas] >= 0;
    if (eta && etaPas) {
      return FailAt(number, "the header names both eta (gf*s/cm2) and eta_Pas (Pa*s); keep one");
    }
    header_.etaColumn = etaPas ? kColEtaPas : kColEta;
    data_.etaInPascalSeconds = etaPas;
    for (int c : {int{kColT}, int{kColGamma}, header_.etaColumn}) {
      if (header_.index[c] >= 0) continue;
      return FailAt(number, std::string("the header has no column named ") +
                                (c == kColEta ? "eta or eta_Pas" : kColumnNames[c]) +
                                "; the columns T (C), gamma (1/s) and eta (gf*s/cm2) or "
                                "eta_Pas (Pa*s) are needed");
    }
  }

  std::optional<double> Value(int number, const Fields& fields, int column) {
    const int k = header_.index[column];
    if (static_cast<std::size_t>(k) >= fields.values.size()) {
      FailAt(number,
             std::string("no value for ") + kColumnNames[column] + " (the row has " +
                 IntegerText(fields.values.size()) + " fields)",
             FailureKind::BadValue);
      return std::nullopt;
    }
    const std::string& text = fields.values[static_cast<std::size_t>(k)];
    if (!IsPlainDecimal(text)) {
      FailAt(number, std::string(kColumnNames[column]) + " is not a number: \"" + text + "\"",
             FailureKind::BadValue);
      return std::nullopt;
    }
    const std::size_t skip = text[0] == '+' ? 1 : 0;  // the conversion takes no plus sign
    const decimal::Parsed parsed = decimal::Parse(std::string_view(text).substr(skip));
    if (!parsed.ok) {
      FailAt(number, std::string(kColumnNames[column]) + " is out of range: \"" + text + "\"",
             FailureKind::BadValue);
      return std::nullopt;
    }
    return parsed.value;
  }

  void TakeRow(int number, const Fields& fields) {
    const std::optional<double> T = Value(number, fields, kColT);
    if (!T) return;
    const std::optional<double> gamma = Value(number, fields, kColGamma);
    if (!gamma) return;
    const std::optional<double> eta = Value(number, fields, header_.etaColumn);
    if (!eta) return;
    const double factor = data_.etaInPascalSeconds ? kGfSecondPerCm2PerPascalSecond : 1.0;
    data_.points.push_back({*T, *gamma, *eta * factor, number});
  }

  ViscosityDataRead Finish() {
    if (!failure_ && !haveHeader_) {
      Fail("the file is empty; it needs a header row (T, gamma, eta) and a row per measurement");
    } else if (!failure_ && data_.points.empty()) {
      Fail("no measurements below the header");
    }
    if (failure_) return Unexpect(std::move(*failure_));
    return std::move(data_);
  }

  std::string name_;
  bool haveHeader_ = false;
  Header header_;
  ViscosityData data_;
  std::optional<Failure> failure_;  // the first problem; reading stops there
};

}  // namespace

ViscosityDataRead ParseViscosityCsv(std::string_view bytes, const std::string& name) {
  return CsvReader(name).Read(bytes);
}

ViscosityDataRead ReadViscosityCsv(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return Fail(FailureKind::CannotOpen, path + ": can not open the file");
  std::string bytes;
  std::vector<char> buffer(kReadChunkBytes);
  bool failed = false, ended = false;
  while (!ended && bytes.size() <= kMaxCsvBytes) {
    const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), file);
    bytes.append(buffer.data(), n);
    failed = n < buffer.size() && std::ferror(file) != 0;  // a directory fails here too
    ended = n < buffer.size();
  }
  const bool tooLarge = bytes.size() > kMaxCsvBytes;
  std::fclose(file);
  if (failed) return Fail(FailureKind::CannotRead, path + ": can not read the file");
  if (tooLarge) {
    return Fail(FailureKind::WrongFormat,
                path + ": larger than 64 MiB; this is no table of measurements");
  }
  return ParseViscosityCsv(bytes, path);
}

}  // namespace meltsim
