#include "tests/structure/iges_structure.h"

#include <charconv>
#include <cstddef>

namespace karvonel::testing {
namespace {

constexpr std::size_t kRecord = 80;
constexpr std::size_t kRecordWithEnd = 82;
constexpr std::size_t kDataColumns = 72;
constexpr std::size_t kParameterColumns = 64;
constexpr char kSections[] = "SGDPT";
constexpr int kGlobalParameters = 26;

enum Section { kStart, kGlobal, kDirectory, kParameter, kTerminate };

bool IsBlank(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos)
    return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A fixed-form integer field: blanks, an optional sign, digits. An all-blank
// field is the default, 0.
bool ReadInteger(std::string_view field, std::int32_t& value) {
  field = Trim(field);
  value = 0;
  if (field.empty())
    return true;
  if (field[0] == '+')
    field.remove_prefix(1);
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  return error == std::errc() && end == field.data() + field.size();
}

// Columns 74 to 80: the number, right-justified with blanks or zeros.
bool ReadSequence(std::string_view field, std::int32_t& value) {
  const std::size_t first = field.find_first_not_of(' ');
  if (first == std::string_view::npos)
    return false;
  field.remove_prefix(first);
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  return error == std::errc() && end == field.data() + field.size();
}

bool IsShiftJisLead(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads free-format parameters: each is a Hollerith text "nH" and n characters,
// or the text up to the next delimiter, blanks around it ignored.
class ParameterScanner {
 public:
  explicit ParameterScanner(std::string_view text) : text_(text) {}

  // Reads one parameter and the delimiter after it, which must be `pd` or
  // `rd`. Returns the problem, if any.
  std::optional<std::string> Next(char pd, char rd, std::string& value, char& delimiter) {
    SkipBlanks();
    const std::size_t start = pos_;
    std::size_t digits = 0;
    while (pos_ + digits < text_.size() && IsDigit(text_[pos_ + digits]))
      ++digits;
    if (digits > 0 && pos_ + digits < text_.size() && text_[pos_ + digits] == 'H') {
      std::size_t count = 0;
      std::from_chars(text_.data() + pos_, text_.data() + pos_ + digits, count);
      pos_ += digits + 1;
      for (std::size_t i = 0; i < count; ++i) {
        if (pos_ >= text_.size()) {
          return "Hollerith text " + std::string(text_.substr(start, digits + 1)) +
                 " runs past the end of its section";
        }
        const bool wide = IsShiftJisLead(static_cast<unsigned char>(text_[pos_]));
        pos_ += wide ? 2 : 1;
      }
      if (pos_ > text_.size())
        return "Hollerith text ends inside a double-byte character";
      value.assign(text_.substr(start, pos_ - start));
      SkipBlanks();
      if (pos_ >= text_.size() || (text_[pos_] != pd && text_[pos_] != rd)) {
        return "Hollerith text " + value + " is not followed by a delimiter (count wrong?)";
      }
    } else {
      while (pos_ < text_.size() && text_[pos_] != pd && text_[pos_] != rd)
        ++pos_;
      if (pos_ >= text_.size())
        return std::string("no record delimiter");
      value.assign(Trim(text_.substr(start, pos_ - start)));
    }
    delimiter = text_[pos_++];
    return std::nullopt;
  }

  std::string_view Rest() const { return text_.substr(pos_); }

  // The character x when the next parameter is "1Hx", the form in which the
  // Global section names its own delimiters.
  std::optional<char> NamedDelimiter() const {
    const std::size_t start = text_.find_first_not_of(' ', pos_);
    if (start == std::string_view::npos || text_.substr(start, 2) != "1H" ||
        start + 2 >= text_.size()) {
      return std::nullopt;
    }
    return text_[start + 2];
  }

 private:
  void SkipBlanks() {
    while (pos_ < text_.size() && text_[pos_] == ' ')
      ++pos_;
  }
  std::string_view text_;
  std::size_t pos_ = 0;
};

// The one character of a "1Hx" Hollerith parameter, or `fallback` when the
// parameter is defaulted (empty).
std::optional<char> DelimiterFrom(const std::string& value, char fallback) {
  if (value.empty())
    return fallback;
  if (value.size() == 3 && value[0] == '1' && value[1] == 'H')
    return value[2];
  return std::nullopt;
}

class Inspector {
 public:
  Inspector(std::string_view bytes, const std::function<void(const IgesEntity&)>& on_entity)
      : bytes_(bytes), on_entity_(on_entity) {}

  IgesStructure Run() {
    if (auto problem = CheckRecords()) {
      result_.problem = std::move(problem);
    } else if (auto problem = CheckGlobal()) {
      result_.problem = "Global section: " + *problem;
    } else if (auto problem = CheckEntities()) {
      result_.problem = std::move(problem);
    } else if (auto problem = CheckTerminate()) {
      result_.problem = std::move(problem);
    }
    return std::move(result_);
  }

 private:
  std::string_view Record(std::size_t index) const {
    return bytes_.substr(index * kRecordWithEnd, kRecord);
  }

  // "record 7 (D 2)": the record's place in the file and in its section.
  std::string Where(std::size_t index) const {
    std::string text = "record " + std::to_string(index + 1);
    if (index < records_) {
      const std::string_view record = Record(index);
      text += " (" + std::string(1, record[72]) + " ";
      text += std::string(Trim(record.substr(73))) + ")";
    }
    return text;
  }

  std::size_t First(Section section) const {
    std::size_t first = 0;
    for (int s = 0; s < section; ++s)
      first += static_cast<std::size_t>(result_.section_counts[s]);
    return first;
  }

  std::optional<std::string> CheckRecords() {
    if (bytes_.empty())
      return std::string("the file is empty");
    int section = -1;
    std::int32_t expected = 0;
    for (std::size_t offset = 0; offset < bytes_.size(); offset += kRecordWithEnd) {
      const std::size_t index = offset / kRecordWithEnd;
      const std::string where = "record " + std::to_string(index + 1);
      const std::string_view rest = bytes_.substr(offset);
      const std::size_t line_end = rest.find_first_of("\r\n");
      if (line_end != kRecord) {
        return where + ": " +
               (line_end == std::string_view::npos
                    ? std::to_string(rest.size()) + " bytes without a line end"
                    : std::to_string(line_end) + " bytes before its line end, not 80");
      }
      if (rest.substr(kRecord, 2) != "\r\n")
        return where + ": not followed by CR LF";
      const char letter = rest[72];
      const char* found = std::char_traits<char>::find(kSections, 5, letter);
      if (found == nullptr) {
        return where + ": column 73 holds '" + std::string(1, letter) + "', not a section letter";
      }
      const int this_section = static_cast<int>(found - kSections);
      if (this_section < section) {
        return where + ": " + std::string(1, letter) + " record after the " +
               std::string(1, kSections[section]) + " section";
      }
      if (this_section != section) {
        section = this_section;
        expected = 1;
      }
      std::int32_t sequence = 0;
      if (!ReadSequence(rest.substr(73, 7), sequence) || sequence != expected) {
        return where + ": sequence number '" + std::string(rest.substr(73, 7)) + "', expected " +
               std::to_string(expected);
      }
      ++expected;
      ++result_.section_counts[this_section];
      ++records_;
    }
    if (result_.section_counts[kStart] == 0)
      return std::string("no Start section");
    if (result_.section_counts[kGlobal] == 0)
      return std::string("no Global section");
    if (result_.section_counts[kTerminate] != 1) {
      return "the Terminate section has " + std::to_string(result_.section_counts[kTerminate]) +
             " records, not 1";
    }
    return std::nullopt;
  }

  std::optional<std::string> CheckGlobal() {
    std::string text;
    const std::size_t first = First(kGlobal);
    for (std::int32_t i = 0; i < result_.section_counts[kGlobal]; ++i) {
      text += Record(first + static_cast<std::size_t>(i)).substr(0, kDataColumns);
    }
    ParameterScanner scanner(text);
    char delimiter = 0;
    std::vector<std::string>& global = result_.global;
    while (delimiter != record_delimiter_) {
      const auto number = std::to_string(global.size() + 1);
      // Parameter 1 is followed by the delimiter it names.
      if (global.empty())
        parameter_delimiter_ = scanner.NamedDelimiter().value_or(',');
      std::string value;
      if (auto problem = scanner.Next(parameter_delimiter_, record_delimiter_, value, delimiter)) {
        return "parameter " + number + ": " + *problem;
      }
      global.push_back(value);
      if (global.size() <= 2) {
        const std::optional<char> chosen = DelimiterFrom(value, global.size() == 1 ? ',' : ';');
        if (!chosen)
          return "parameter " + number + " '" + value + "' is not a delimiter";
        (global.size() == 1 ? parameter_delimiter_ : record_delimiter_) = *chosen;
        if (global.size() == 1 && delimiter != parameter_delimiter_) {
          return std::string("parameter 1 is not followed by the delimiter it names");
        }
      }
    }
    if (global.size() != kGlobalParameters) {
      return std::to_string(global.size()) + " parameters, not " +
             std::to_string(kGlobalParameters);
    }
    if (!IsBlank(scanner.Rest())) {
      return "text after the record delimiter: '" + std::string(Trim(scanner.Rest())) + "'";
    }
    return std::nullopt;
  }

  std::optional<std::string> CheckEntities() {
    const std::int32_t d_count = result_.section_counts[kDirectory];
    const std::int32_t p_count = result_.section_counts[kParameter];
    const std::size_t d_first = First(kDirectory);
    const std::size_t p_first = First(kParameter);
    if (d_count % 2 != 0)
      return "the D section has an odd number of records, " + std::to_string(d_count);
    std::int32_t next_p = 1;
    for (std::int32_t de_seq = 1; de_seq < d_count; de_seq += 2) {
      const std::size_t index = d_first + static_cast<std::size_t>(de_seq - 1);
      const std::string_view de1 = Record(index);
      const std::string_view de2 = Record(index + 1);
      IgesEntity entity;
      entity.de_seq = de_seq;
      std::int32_t type2 = 0;
      if (!ReadInteger(de1.substr(0, 8), entity.type) ||
          !ReadInteger(de1.substr(8, 8), entity.p_pointer)) {
        return Where(index) + ": field 1 or 2 is not an integer";
      }
      if (!ReadInteger(de2.substr(0, 8), type2) ||
          !ReadInteger(de2.substr(24, 8), entity.line_count) ||
          !ReadInteger(de2.substr(32, 8), entity.form)) {
        return Where(index + 1) + ": field 11, 14 or 15 is not an integer";
      }
      if (type2 != entity.type) {
        return Where(index + 1) + ": entity type " + std::to_string(type2) + ", but " +
               std::to_string(entity.type) + " in the line before";
      }
      if (entity.p_pointer != next_p) {
        return Where(index) + ": parameter data pointer " + std::to_string(entity.p_pointer) +
               ", expected " + std::to_string(next_p);
      }
      if (entity.line_count < 1 || entity.p_pointer + entity.line_count - 1 > p_count) {
        return Where(index + 1) + ": parameter line count " + std::to_string(entity.line_count) +
               " from P " + std::to_string(entity.p_pointer) + " does not fit the " +
               std::to_string(p_count) + " P records";
      }
      std::string text;
      for (std::int32_t k = 0; k < entity.line_count; ++k) {
        const std::size_t p_index = p_first + static_cast<std::size_t>(entity.p_pointer - 1 + k);
        const std::string_view p = Record(p_index);
        std::int32_t back = 0;
        if (!ReadInteger(p.substr(kParameterColumns, 8), back) || back != de_seq) {
          return Where(p_index) + ": DE back pointer '" +
                 std::string(p.substr(kParameterColumns, 8)) + "', expected " +
                 std::to_string(de_seq);
        }
        text += p.substr(0, kParameterColumns);
      }
      const std::int32_t after = entity.p_pointer + entity.line_count;
      if (after <= p_count) {
        const std::size_t p_index = p_first + static_cast<std::size_t>(after - 1);
        std::int32_t back = 0;
        if (ReadInteger(Record(p_index).substr(kParameterColumns, 8), back) && back == de_seq) {
          return Where(index + 1) + ": parameter line count " + std::to_string(entity.line_count) +
                 ", but more P records point back to D " + std::to_string(de_seq);
        }
      }
      if (auto problem = ReadEntityParameters(text, entity)) {
        return Where(p_first + static_cast<std::size_t>(entity.p_pointer - 1)) + ": " + *problem;
      }
      next_p = after;
      if (on_entity_)
        on_entity_(entity);
    }
    if (next_p - 1 != p_count) {
      return Where(p_first + static_cast<std::size_t>(next_p - 1)) +
             ": P record that no Directory Entry points to";
    }
    return std::nullopt;
  }

  std::optional<std::string> ReadEntityParameters(std::string_view text, IgesEntity& entity) const {
    ParameterScanner scanner(text);
    char delimiter = 0;
    while (delimiter != record_delimiter_) {
      std::string value;
      if (auto problem = scanner.Next(parameter_delimiter_, record_delimiter_, value, delimiter)) {
        return "parameter " + std::to_string(entity.parameters.size() + 1) + ": " + *problem;
      }
      entity.parameters.push_back(std::move(value));
    }
    std::int32_t type = 0;
    if (!ReadInteger(entity.parameters[0], type) || type != entity.type) {
      return "parameters start with '" + entity.parameters[0] + "', not the entity type " +
             std::to_string(entity.type);
    }
    if (!IsBlank(scanner.Rest())) {
      return "text after the record delimiter: '" + std::string(Trim(scanner.Rest())) + "'";
    }
    return std::nullopt;
  }

  std::optional<std::string> CheckTerminate() {
    const std::size_t index = First(kTerminate);
    const std::string_view record = Record(index);
    for (int s = 0; s < 4; ++s) {
      const std::string_view field = record.substr(static_cast<std::size_t>(s) * 8, 8);
      std::int32_t count = 0;
      if (field[0] != kSections[s] || !ReadSequence(field.substr(1), count)) {
        return Where(index) + ": field " + std::to_string(s + 1) + " '" + std::string(field) +
               "' is not the " + std::string(1, kSections[s]) + " count";
      }
      if (count != result_.section_counts[s]) {
        return Where(index) + ": " + std::string(1, kSections[s]) + " count " +
               std::to_string(count) + ", but the section has " +
               std::to_string(result_.section_counts[s]) + " records";
      }
    }
    if (!IsBlank(record.substr(32, kDataColumns - 32))) {
      return Where(index) + ": columns 33 to 72 are not blank";
    }
    return std::nullopt;
  }

  std::string_view bytes_;
  const std::function<void(const IgesEntity&)>& on_entity_;
  IgesStructure result_;
  std::size_t records_ = 0;
  char parameter_delimiter_ = ',';
  char record_delimiter_ = ';';
};

}  // namespace

IgesStructure InspectIges(std::string_view file_bytes,
                          const std::function<void(const IgesEntity&)>& on_entity) {
  return Inspector(file_bytes, on_entity).Run();
}

std::optional<std::string> CheckIgesStructure(std::string_view file_bytes) {
  return InspectIges(file_bytes).problem;
}

}  // namespace karvonel::testing
