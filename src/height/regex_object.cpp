#include "height/regex_object.hpp"

#include "height/regex/match_list.hpp"
#include "height/regex_engine.hpp"
#include "platform/gbk.hpp"

namespace zarvo {
namespace {

// How many bytes the GBK character at `i` takes, by the same rule the codec
// decodes with: each such character is one UTF-16 code unit.
size_t GbkCharLength(std::string_view text, size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead >= 0x81 && lead <= 0xFE && i + 1 < text.size()) {
    const auto trail = static_cast<unsigned char>(text[i + 1]);
    if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) {
      return 2;
    }
  }
  return 1;
}

// Every "#引号" becomes a double quote. The scan steps over double-byte
// characters whole, so the token is never found across two characters.
std::string ReplaceQuoteToken(std::string_view pattern) {
  static const std::string token = Utf8ToGbk("#引号");
  std::string out;
  out.reserve(pattern.size());
  for (size_t i = 0; i < pattern.size();) {
    if (pattern.compare(i, token.size(), token) == 0) {
      out += '"';
      i += token.size();
      continue;
    }
    const size_t length = static_cast<unsigned char>(pattern[i]) >= 0x80 ? 2 : 1;
    out.append(pattern.substr(i, length));
    i += length;
  }
  return out;
}

}  // namespace

RegexObject::RegexObject() = default;
RegexObject::~RegexObject() = default;

bool RegexObject::Create(std::string_view pattern, std::string_view subject,
                         std::optional<bool> caseSensitive, std::optional<bool> multiline,
                         std::optional<bool> global, std::optional<bool> quoteToken) {
  const regex::Options options{.ignoreCase = !caseSensitive.value_or(false),
                               .multiline = multiline.value_or(true)};
  created_ = true;
  global_ = global.value_or(true);
  pattern_ = quoteToken.value_or(false) ? ReplaceQuoteToken(pattern) : std::string(pattern);
  subject_ = std::string(subject);
  subject16_ = GbkToUtf16(subject);
  matches_.reset();
  exhausted_ = false;
  searchFailed_ = false;
  nextStart_ = 0;
  cachedUnit_ = 0;
  cachedByte_ = 0;

  regex_ = regex::Regex::Compile(GbkToUtf16(pattern_), options);
  if (regex_ == nullptr) {
    return false;
  }
  matches_ =
      std::make_unique<regex::MatchList>(2 * (static_cast<size_t>(regex_->GroupCount()) + 1));
  FindMatches(1);
  if (searchFailed_ && matches_->Size() == 0) {
    // The engine gave up on this subject: no match list, as for a bad pattern.
    regex_.reset();
    matches_.reset();
    return false;
  }
  return true;
}

void RegexObject::FindMatches(size_t count) const {
  if (regex_ == nullptr) {
    return;
  }
  std::vector<int> spans;
  while (matches_->Size() < count && !exhausted_) {
    if (!global_ && matches_->Size() == 1) {
      exhausted_ = true;
      break;
    }
    const regex::SearchResult result = regex_->Search(subject16_, nextStart_, false, spans);
    if (result != regex::SearchResult::Found) {
      exhausted_ = true;
      searchFailed_ = result == regex::SearchResult::Failed;
      break;
    }
    if (!matches_->Append(spans)) {
      // The list is full (its cap, or all memory): it ends, like a search
      // that gave up.
      exhausted_ = true;
      searchFailed_ = true;
      break;
    }
    // After an empty match the next search starts one unit further on, so
    // that the same empty match is not found again.
    const auto start = static_cast<size_t>(spans[0]);
    const auto end = static_cast<size_t>(spans[1]);
    nextStart_ = end == start ? end + 1 : end;
  }
}

const int* RegexObject::Spans(int matchIndex) const {
  if (regex_ == nullptr || matchIndex < 1) {
    return nullptr;
  }
  FindMatches(static_cast<size_t>(matchIndex));
  if (static_cast<size_t>(matchIndex) > matches_->Size()) {
    return nullptr;
  }
  return matches_->At(static_cast<size_t>(matchIndex) - 1);
}

int RegexObject::ByteOffset(int unitOffset) const {
  if (unitOffset < cachedUnit_) {
    cachedUnit_ = 0;
    cachedByte_ = 0;
  }
  auto byte = static_cast<size_t>(cachedByte_);
  for (int unit = cachedUnit_; unit < unitOffset && byte < subject_.size(); ++unit) {
    byte += GbkCharLength(subject_, byte);
  }
  cachedUnit_ = unitOffset;
  cachedByte_ = static_cast<int>(byte);
  return cachedByte_;
}

std::string RegexObject::Slice(int unitStart, int unitEnd) const {
  const int from = ByteOffset(unitStart);
  const int to = ByteOffset(unitEnd);
  return subject_.substr(static_cast<size_t>(from), static_cast<size_t>(to - from));
}

std::string RegexObject::GetPattern() const {
  if (!created_) {
    return {};
  }
  return Utf16ToGbk(GbkToUtf16(pattern_));
}

std::string RegexObject::ReplaceMatches(std::string_view replacement) const {
  if (regex_ == nullptr) {
    return {};
  }
  FindMatches(SIZE_MAX);
  if (searchFailed_) {
    return {};
  }
  const auto groups = static_cast<size_t>(regex_->GroupCount());
  std::string out;
  int copied = 0;  // unit offset of the subject copied so far
  for (size_t m = 0; m < matches_->Size(); ++m) {
    const int* spans = matches_->At(m);
    out += Slice(copied, spans[0]);
    for (size_t i = 0; i < replacement.size(); ++i) {
      const char c = replacement[i];
      const char next = i + 1 < replacement.size() ? replacement[i + 1] : '\0';
      if (c != '$' || next == '\0') {
        out += c;
        continue;
      }
      if (next == '$') {
        out += '$';
      } else if (next == '&') {
        out += Slice(spans[0], spans[1]);
      } else if (next == '`') {
        out += Slice(0, spans[0]);
      } else if (next == '\'') {
        out += Slice(spans[1], static_cast<int>(subject16_.size()));
      } else if (next >= '0' && next <= '9') {
        // $nn when group nn exists, else $n when group n does; a number
        // without its group stays as written.
        size_t group = static_cast<size_t>(next - '0');
        size_t used = 1;
        const char third = i + 2 < replacement.size() ? replacement[i + 2] : '\0';
        if (third >= '0' && third <= '9') {
          const size_t two = group * 10 + static_cast<size_t>(third - '0');
          if (two >= 1 && two <= groups) {
            group = two, used = 2;
          }
        }
        if (group < 1 || group > groups) {
          out += c;
          continue;
        }
        const int start = spans[2 * group];
        if (start >= 0) {
          out += Slice(start, spans[2 * group + 1]);
        }
        i += used;
        continue;
      } else {
        out += c;
        continue;
      }
      ++i;
    }
    copied = spans[1];
  }
  out += Slice(copied, static_cast<int>(subject16_.size()));
  return out;
}

int RegexObject::GetMatchCount() const {
  if (regex_ == nullptr) {
    return 0;
  }
  FindMatches(SIZE_MAX);
  return static_cast<int>(matches_->Size());
}

std::string RegexObject::GetMatchText(int matchIndex, int* position) const {
  const int* spans = Spans(matchIndex);
  if (position != nullptr) {
    *position = spans ? ByteOffset(spans[0]) : -2;
  }
  return spans ? Slice(spans[0], spans[1]) : std::string();
}

std::string RegexObject::GetSubMatchText(int matchIndex, int subMatchIndex, int* position) const {
  const int* spans = Spans(matchIndex);
  if (spans == nullptr || subMatchIndex < 1 || subMatchIndex > regex_->GroupCount()) {
    if (position != nullptr) {
      *position = -2;
    }
    return {};
  }
  const auto group = static_cast<size_t>(subMatchIndex);
  const int start = spans[2 * group];
  if (start < 0) {  // the group took no part in this match
    if (position != nullptr) {
      *position = ByteOffset(spans[0]);
    }
    return {};
  }
  if (position != nullptr) {
    *position = ByteOffset(start);
  }
  return Slice(start, spans[2 * group + 1]);
}

int RegexObject::GetSubMatchCount() const { return Spans(1) != nullptr ? regex_->GroupCount() : 0; }

}  // namespace zarvo
