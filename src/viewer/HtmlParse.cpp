#include "viewer/HtmlParse.h"

#include <algorithm>
#include <fstream>
#include <istream>

#include "platform/Codepage.h"
#include "common/ByteScan.h"

namespace kestrel {
namespace {

using Byte = unsigned char;

// How the tokenizer treats a byte in a text run: 0 plain, 1 the first of a
// two-byte unit (a lead byte or a backslash), 2 a byte that ends or changes
// the run ("<", NUL, 0x13, CR).
struct TextClasses {
  Byte of[256];
  constexpr TextClasses() : of() {
    for (int c = 0; c < 256; ++c) {
      Byte b = static_cast<Byte>(c);
      if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) || b == '\\') of[c] = 1;
      else if (b == '<' || b == 0x00 || b == 0x13 || b == '\r') of[c] = 2;
    }
  }
};
constexpr TextClasses kText;

// What a byte is in a tag, one code per way it is handled.
enum TagClass : Byte {
  kOrdinary = 0,
  kPairStart,  // the first of a two-byte unit: a lead byte or a backslash
  kCr,
  kQuote,
  kSpace,  // tab, LF, space
  kTagEnd,
  kEquals,
};

struct TagClasses {
  Byte of[256];
  constexpr TagClasses(bool quoted) : of() {
    for (int c = 0; c < 256; ++c) {
      Byte b = static_cast<Byte>(c);
      if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) || b == '\\') of[c] = kPairStart;
      else if (b == '\r') of[c] = kCr;
      else if (b == '"' || b == '\'') of[c] = kQuote;
      else if (b == '=') of[c] = kEquals;
      // Inside quotes spaces and ">" are ordinary; "=" still is not, since
      // it ends the upper-casing.
      else if (!quoted && (b == ' ' || b == '\t' || b == '\n')) of[c] = kSpace;
      else if (!quoted && b == '>') of[c] = kTagEnd;
    }
  }
};
constexpr TagClasses kTag(false);
constexpr TagClasses kQuoted(true);

// What a tag byte is stored as: upper-cased before the "=", as it is after.
struct ByteMap {
  char of[256];
  constexpr ByteMap(bool upper) : of() {
    for (int c = 0; c < 256; ++c) {
      of[c] = static_cast<char>(upper && c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
  }
};
constexpr ByteMap kUpper(true);
constexpr ByteMap kSame(false);

#if defined(__SSE2__)
// The sixteen bytes with a-z upper-cased.
inline __m128i UpperAscii(__m128i x) {
  const __m128i lower = _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8('a' - 1)),
                                      _mm_cmplt_epi8(x, _mm_set1_epi8('z' + 1)));
  return _mm_sub_epi8(x, _mm_and_si128(lower, _mm_set1_epi8(0x20)));
}

// Which of sixteen tag bytes may have a meaning of their own, as a mask:
// the backslash, the quotes, "=" and, unquoted, every byte up to the space
// (0x80 and above compare below it too) and ">"; quoted, 0x80 and above
// and CR.
inline unsigned StretchStops(__m128i x, bool quoted) {
  const __m128i below = _mm_set1_epi8(quoted ? 0 : 0x21);
  const __m128i other = _mm_set1_epi8(quoted ? '\r' : '>');
  const __m128i special = _mm_or_si128(
      _mm_or_si128(_mm_or_si128(_mm_cmplt_epi8(x, below), _mm_cmpeq_epi8(x, other)),
                   _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('\\')), _mm_cmpeq_epi8(x, _mm_set1_epi8('=')))),
      _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('"')), _mm_cmpeq_epi8(x, _mm_set1_epi8('\''))));
  return static_cast<unsigned>(_mm_movemask_epi8(special));
}
#endif

// Copies the start of a stretch of ordinary tag bytes at p, sixteen bytes
// at a time while [p, limit) has that many, upper-cased when asked; answers
// how many it took, up to the first byte that may have a meaning of its
// own (a few ordinary ones too: the byte loop after it takes those). The
// stretches are short and of every length: counting them this way spares
// a mispredicted loop exit per stretch. Writes sixteen bytes at a time.
inline std::size_t CopyTagStretch(const Byte* p, const Byte* limit, char* out, bool quoted,
                                  bool upper) {
#if defined(__SSE2__)
  std::size_t done = 0;
  while (limit - p - static_cast<std::ptrdiff_t>(done) >= 16) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + done));
    const unsigned bits = StretchStops(x, quoted);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done), upper ? UpperAscii(x) : x);
    if (bits != 0) return done + static_cast<unsigned>(__builtin_ctz(bits));
    done += 16;
  }
  return done;
#else
  (void)p, (void)limit, (void)out, (void)quoted, (void)upper;
  return 0;
#endif
}

// Where the unquoted rest of a tag from p ends: just past its ">", read
// by the tokenizer's rules (quotes toggle, a lead byte or a backslash takes
// the byte after it whatever it is), or null when [p, end) holds no end or
// its last byte waits for the next. Only bytes that may mean something are
// looked at: a sixteen-byte mask of them is walked bit by bit, instead of
// a choice per byte.
const Byte* SkipTagRest(const Byte* p, const Byte* end) {
  bool quoted = false;
  // One byte: what it does to the walk; the pair starts take its trail.
  auto step = [&](const Byte* q) -> int {  // 1 the end, 2 a pair, 0 else
    const Byte c = *q;
    if (c == '>') return quoted ? 0 : 1;
    if (c == '"' || c == '\'') {
      quoted = !quoted;
      return 0;
    }
    return kText.of[c] == 1 ? 2 : 0;
  };
#if defined(__SSE2__)
  const __m128i tagEnd = _mm_set1_epi8('>');
  const __m128i dquote = _mm_set1_epi8('"');
  const __m128i squote = _mm_set1_epi8('\'');
  const __m128i backslash = _mm_set1_epi8('\\');
  while (end - p >= 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i hit =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, tagEnd), _mm_cmpeq_epi8(x, backslash)),
                     _mm_or_si128(_mm_cmpeq_epi8(x, dquote), _mm_cmpeq_epi8(x, squote)));
    // 0x80 and above by their top bit: the lead bytes are among them.
    unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(hit) | _mm_movemask_epi8(x));
    const Byte* next = p + 16;
    while (bits != 0) {
      const unsigned at = static_cast<unsigned>(__builtin_ctz(bits));
      bits &= bits - 1;
      const int what = step(p + at);
      if (what == 1) return p + at + 1;
      if (what == 2) {
        if (at == 15) {
          next = p + 17;  // the trail is the next block's first byte
          if (next > end) return nullptr;
          break;
        }
        bits &= ~(1u << (at + 1));
      }
    }
    p = next;
  }
#endif
  while (p < end) {
    const int what = step(p);
    if (what == 1) return p + 1;
    if (what == 2) {
      if (p + 1 >= end) return nullptr;
      ++p;
    }
    ++p;
  }
  return nullptr;
}

// Where [p, limit) first has a byte that may end a text run ("<", NUL,
// 0x13, CR) as a unit of its own, or else the last unit boundary before
// limit; p is a boundary. After any byte that starts no two-byte unit a
// unit ends, so an even run of lead bytes and backslashes before a byte
// means that byte starts a unit, and an odd one that it is a trail byte.
const Byte* SkipPlainText(const Byte* p, const Byte* limit) {
  const Byte* known = p;  // a unit boundary
  while (true) {
    const Byte* t = reinterpret_cast<const Byte*>(
        FindFirstOf4(reinterpret_cast<const char*>(known), reinterpret_cast<const char*>(limit), '<',
                     '\0', '\x13', '\r'));
    if (t == limit) break;
    const Byte* run = t;
    while (run > known && kText.of[run[-1]] == 1) --run;
    if ((t - run) % 2 == 0) return t;
    known = t + 1;
  }
  const Byte* run = limit;
  while (run > known && kText.of[run[-1]] == 1) --run;
  return run;
}


constexpr std::size_t kBlock = 1 << 16;

}  // namespace

void THtmlParse::SetFileName(const std::string& name) {
  if (name != fileName_) htmlDoc_.clear();
  fileName_ = name;
}

void THtmlParse::SetHtmlDoc(const std::vector<std::string>& lines) {
  htmlDoc_ = lines;
  fileName_.clear();
}

void THtmlParse::CallText(const std::string& text) {
  if (OnHtmlTextView) OnHtmlTextView(*this, text);
  if (OnHtmlText) OnHtmlText(*this, text);
}

void THtmlParse::RaiseText(std::string_view text) {
  if (OnHtmlTextView) OnHtmlTextView(*this, text);
  if (OnHtmlText) {
    textCopy_.assign(text);
    OnHtmlText(*this, textCopy_);
  }
}

void THtmlParse::CallTag(const std::string& tag, const std::vector<std::string>& options) {
  if (OnHtmlTagView) {
    std::vector<std::string_view> views(options.begin(), options.end());
    OnHtmlTagView(*this, tag, views);
  }
  if (OnHtmlTag) OnHtmlTag(*this, tag, options);
}

void THtmlParse::RaiseTag() {
  const char* const bytes = tag_.data();
  const std::string_view name(bytes + nameStart_, nameLength_);
  if (OnHtmlTagView) {
    optionViews_.clear();
    for (const auto& [start, length] : optionPlaces_) optionViews_.emplace_back(bytes + start, length);
    OnHtmlTagView(*this, name, optionViews_);
  }
  if (OnHtmlTag) {
    tagName_.assign(name);
    options_.resize(optionPlaces_.size());
    for (std::size_t i = 0; i < optionPlaces_.size(); ++i) {
      options_[i].assign(bytes + optionPlaces_[i].first, optionPlaces_[i].second);
    }
    OnHtmlTag(*this, tagName_, options_);
  }
}

std::string THtmlParse::Content() {
  if (fileName_.empty()) {
    std::string joined;
    for (std::size_t i = 0; i < htmlDoc_.size(); ++i) {
      if (i > 0) joined += "\r\n";
      joined += htmlDoc_[i];
    }
    return ContentFromBytes(joined);
  }
  std::ifstream in(fileName_, std::ios::binary);
  if (!in) throw HtmlFileError("cannot read " + fileName_);
  std::string rest = ContentFromStream(in);
  if (in.bad()) throw HtmlFileError("cannot read " + fileName_);
  return rest;
}

std::string THtmlParse::ContentFromStream(std::istream& stream) {
  Begin();
  std::string block(kBlock, '\0');
  while (!stop_ && stream) {
    stream.read(block.data(), static_cast<std::streamsize>(block.size()));
    std::streamsize got = stream.gcount();
    if (got <= 0) break;
    Feed(std::string_view(block.data(), static_cast<std::size_t>(got)));
  }
  return End();
}

std::string THtmlParse::ContentFromBytes(std::string_view data) {
  Begin();
  Feed(data);
  return End();
}

void THtmlParse::Begin() {
  stop_ = false;
  pending_.clear();
  token_.clear();
  tagUsed_ = tokenStart_ = nameLength_ = 0;
  optionPlaces_.clear();
  inTag_ = false;
  isOption_ = afterEquals_ = quoted_ = false;
}

void THtmlParse::Feed(std::string_view block) {
  if (stop_ || block.empty()) return;
  std::size_t from = 0;
  if (!pending_.empty()) {
    // The held byte with the first of this block; if that one is held in
    // turn, it is taken again below with the rest of the block.
    char two[2] = {pending_[0], block[0]};
    pending_.clear();
    from = Run(two, 2, false) - 1;
  }
  std::size_t used = from + Run(block.data() + from, block.size() - from, false);
  if (used < block.size() && !stop_) pending_.assign(block.substr(used));
}

std::string THtmlParse::End() {
  if (!pending_.empty() && !stop_) {
    std::string last;
    last.swap(pending_);
    Run(last.data(), last.size(), true);
  }
  pending_.clear();
  if (!stop_ && !token_.empty()) {
    CallText(token_);  // the end of a text run
  } else if (!stop_ && tagUsed_ > tokenStart_) {
    // The last token of an unterminated tag comes out as text.
    CallText(std::string(tag_.data() + tokenStart_, tagUsed_ - tokenStart_));
  }
  token_.clear();
  std::string rest = inTag_ ? std::string(tag_.data() + nameStart_, nameLength_) : std::string();
  tagUsed_ = tokenStart_ = nameLength_ = 0;
  optionPlaces_.clear();
  return rest;
}

void THtmlParse::TakeToken(bool isOption, std::size_t start, std::size_t stop) {
  if (!isOption && nameLength_ == 0) {
    nameStart_ = start;
    nameLength_ = stop - start;
  } else {
    optionPlaces_.emplace_back(start, stop - start);
  }
}

void THtmlParse::StartTag() {
  inTag_ = true;
  if (tag_.empty()) tag_.resize(kMaxToken);
  tagUsed_ = tokenStart_ = nameLength_ = 0;
  optionPlaces_.clear();
  isOption_ = afterEquals_ = quoted_ = false;
}

void THtmlParse::OpenTag(const char* data, std::size_t n, std::size_t& pos) {
  // A tag done with here and a "<" right after it: the next tag is opened
  // in the same call, as the text run between them is empty, sparing markup
  // a way out and back in per tag. The place is kept in a local: through
  // the reference it would go to memory and back on every tag, and again
  // around each handler call.
  std::size_t at = pos;
  for (;; ++at) {
    StartTag();
#if defined(__SSE2__)
    // Most tags are a short name ended by ">" or a blank: with sixteen bytes
    // at hand the name is upper-cased and looked at in one step. Anything
    // else is left to RunTag from the start.
    if (stop_ || n - at < 16) break;
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
    const unsigned bits = StretchStops(x, false);
    if (bits == 0) break;
    const std::size_t length = static_cast<unsigned>(__builtin_ctz(bits));
    const char after = data[at + length];
    const bool blank = after == ' ' || after == '\t' || after == '\n';
    if (length == 0 || (after != '>' && !blank)) break;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(tag_.data()), UpperAscii(x));
    nameStart_ = 0;
    nameLength_ = length;
    tagUsed_ = tokenStart_ = length;
    at += length + 1;
    const bool ignored = IgnoreTag && IgnoreTag(std::string_view(tag_.data(), length));
    if (after == '>') {
      inTag_ = false;
      if (!ignored) RaiseTag();
    } else if (ignored) {
      const Byte* const begin = reinterpret_cast<const Byte*>(data);
      if (const Byte* rest = SkipTagRest(begin + at, begin + n)) {
        at = static_cast<std::size_t>(rest - begin);
        inTag_ = false;
      }
    }
    if (inTag_ || stop_ || at >= n || data[at] != '<') break;
#else
    break;
#endif
  }
  pos = at;
}

std::size_t THtmlParse::Run(const char* data, std::size_t n, bool final) {
  std::size_t pos = 0;
  while (!stop_ && pos < n) {
    bool more = inTag_ ? RunTag(data, n, pos, final) : RunText(data, n, pos, final);
    if (!more) break;
  }
  return pos;
}

// A text run: up to "<", NUL, 0x13 or the end. A lead byte or a backslash
// keeps the byte after it, so neither a trail byte nor an escaped "<" can
// end the run; CR LF reads as one LF. Answers false when it must wait for
// more bytes.
bool THtmlParse::RunText(const char* data, std::size_t n, std::size_t& place, bool final) {
  // Worked on in a local and given back on every way out, as in OpenTag.
  std::size_t pos = place;
  struct GiveBack {
    std::size_t& to;
    const std::size_t& from;
    ~GiveBack() { to = from; }
  } giveBack{place, pos};
  if (data[pos] == '<' && token_.empty()) {
    // No text between two tags, the usual case in markup.
    ++pos;
    OpenTag(data, n, pos);
    return true;
  }
  const Byte* const begin = reinterpret_cast<const Byte*>(data);
  const Byte* const end = begin + n;
  while (pos < n) {
    // Plain bytes and whole two-byte units, as many as the buffer holds.
    const Byte* p = begin + pos;
    const std::size_t room = kMaxToken - token_.size();
    const Byte* limit = static_cast<std::size_t>(end - p) > room ? p + room : end;
    const Byte* q = SkipPlainText(p, limit);
    bool wait = false;
    while (q < limit) {
      Byte k = kText.of[*q];
      if (k == 0) {
        ++q;
      } else if (k == 1) {
        if (q + 1 < end) {
          if (q + 2 > limit) break;  // does not fit whole: next piece
          q += 2;
        } else if (final) {
          ++q;  // a lone lead byte or backslash at the very end
        } else {
          wait = true;
          break;
        }
      } else {
        break;
      }
    }
    if (q < limit && token_.empty() && kText.of[*q] == 2 && *q != '\r') {
      // The whole run lies in these bytes, ended by "<", NUL or 0x13: it
      // is raised from them, uncopied.
      const Byte c = *q;
      pos = static_cast<std::size_t>(q - begin) + 1;
      if (q > p) {
        RaiseText(std::string_view(reinterpret_cast<const char*>(p), static_cast<std::size_t>(q - p)));
      }
      if (c == '<') OpenTag(data, n, pos);
      return true;
    }
    token_.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(q - p));
    pos = static_cast<std::size_t>(q - begin);
    if (wait) return false;
    if (q == end) return true;
    Byte c = *q;
    if (kText.of[c] != 2) {
      // The buffer is full.
      CallText(token_);
      token_.clear();
      if (stop_) return false;
      continue;
    }
    if (c == '\r') {
      bool crlf = false;
      if (q + 1 < end) {
        crlf = q[1] == '\n';
      } else if (!final) {
        return false;
      }
      if (token_.size() + 1 > kMaxToken) {
        CallText(token_);
        token_.clear();
        if (stop_) return false;
      }
      token_ += crlf ? '\n' : '\r';
      pos += crlf ? 2 : 1;
      continue;
    }
    // "<", NUL or 0x13 ends the run.
    ++pos;
    if (!token_.empty()) CallText(token_);
    token_.clear();
    if (c == '<') OpenTag(data, n, pos);
    return true;
  }
  return true;
}

// The tokens of a tag up to its end. Answers false when it must wait for
// more bytes.
bool THtmlParse::RunTag(const char* data, std::size_t n, std::size_t& pos, bool final) {
  const Byte* const begin = reinterpret_cast<const Byte*>(data);
  const Byte* const end = begin + n;
  const Byte* p = begin + pos;
  // The state lives in locals while bytes are stored, and goes back on
  // every way out.
  bool quoted = quoted_, isOption = isOption_, afterEquals = afterEquals_;
  char* token = tag_.data();
  std::size_t length = tagUsed_;  // bytes in the buffer
  std::size_t start = tokenStart_;
  auto leave = [&](bool more) {
    pos = static_cast<std::size_t>(p - begin);
    quoted_ = quoted;
    isOption_ = isOption;
    afterEquals_ = afterEquals;
    tagUsed_ = length;
    tokenStart_ = start;
    return more;
  };
  // A token that would outgrow kMaxToken is handed on in pieces, the flags
  // carrying on; a tag that outgrows the buffer gets a larger one.
  auto makeRoom = [&](std::size_t count) {
    if (length - start + count > kMaxToken) {
      TakeToken(isOption, start, length);
      start = length;
    }
    if (length + count > tag_.size()) {
      tag_.resize(2 * tag_.size());
      token = tag_.data();
    }
  };
  // An unquoted blank just passed (p after it): ends the token being
  // collected, if any. Answers true when that was the name of a tag let go
  // and its end is found: p is then past it.
  auto blank = [&]() {
    if (length == start) return false;
    const bool naming = !isOption && nameLength_ == 0;
    TakeToken(isOption, start, length);
    start = length;
    isOption = afterEquals = false;
    const std::string_view name(token + nameStart_, nameLength_);
    // Options may come before the name, which settles what the tag is.
    const bool done =
        naming ? IgnoreTag && IgnoreTag(name)
               : nameLength_ != 0 && EnoughOptions &&
                     EnoughOptions(name, std::string_view(token + optionPlaces_.back().first,
                                                          optionPlaces_.back().second));
    if (done) {
      // Its end found in these bytes, the tag is done with (raised, when
      // only its later options go unread); else it is read on as any other
      // and settled at its end.
      if (const Byte* after = SkipTagRest(p, end)) {
        p = after;
        inTag_ = false;
        if (!naming) RaiseTag();
        return true;
      }
    }
    return false;
  };
  // The unquoted ">" just passed.
  auto tagEnd = [&]() {
    if (length > start) TakeToken(false, start, length);
    start = length;
    isOption = afterEquals = false;
    inTag_ = false;
    leave(true);
    if (!IgnoreTag || !IgnoreTag(std::string_view(token + nameStart_, nameLength_))) RaiseTag();
    return true;
  };
#if defined(__SSE2__)
  const Byte* plainFrom = p;  // no block walk before this: a byte of its own lies there
#endif
  while (p < end) {
#if defined(__SSE2__)
    // Sixteen bytes of plain ASCII at a time, with room to spare in the
    // bytes, the buffer and the token: the bytes that mean something are
    // found as bit masks and walked in turn, the stretches between them
    // stored sixteen bytes at a time. Anything else goes byte by byte.
    if (p >= plainFrom && end - p >= 32 && tag_.size() - length >= 32 &&
        kMaxToken - (length - start) >= 32) {
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      auto any = [&x](char a, char b) {
        return static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(a)), _mm_cmpeq_epi8(x, _mm_set1_epi8(b)))));
      };
      const unsigned tabLf = any('\t', '\n');
      // Below 0x20 but tab and LF (CR among them), 0x80 and above, "\\".
      const unsigned own =
          (static_cast<unsigned>(_mm_movemask_epi8(_mm_cmplt_epi8(x, _mm_set1_epi8(0x20)))) & ~tabLf) |
          any('\\', '\\');
      if (own != 0) {
        plainFrom = p + __builtin_ctz(own) + 2;
      } else {
        const unsigned always = any('"', '\'') | any('=', '=');
        const unsigned open = tabLf | any(' ', '>');  // only outside quotes
        unsigned rest = 0xFFFF;
        unsigned from = 0;  // where the stretch being stored starts
        while (true) {
          const unsigned bits = (quoted ? always : always | open) & rest;
          if (bits == 0) break;
          const unsigned at = static_cast<unsigned>(__builtin_ctz(bits));
          if (at > from) {
            const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + from));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(token + length),
                             afterEquals ? y : UpperAscii(y));
            length += at - from;
          }
          from = at + 1;
          rest = 0xFFFFu << from;
          const Byte c = p[at];
          if (c == '"' || c == '\'') {
            quoted = !quoted;
          } else if (c == '=') {
            if (!quoted) isOption = true;
            token[length++] = '=';
            afterEquals = true;
          } else if (c == '>') {
            p += from;
            return tagEnd();
          } else {
            const Byte* const block = p;
            p += from;
            if (blank()) return leave(true);
            p = block;
          }
        }
        if (from < 16) {
          const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + from));
          _mm_storeu_si128(reinterpret_cast<__m128i*>(token + length), afterEquals ? y : UpperAscii(y));
          length += 16 - from;
        }
        p += 16;
        continue;
      }
    }
#endif
    const Byte* const classes = quoted ? kQuoted.of : kTag.of;
    const char* const stored = afterEquals ? kSame.of : kUpper.of;
    Byte c = *p;
    Byte k = classes[c];
    if (k == 0) {
      // A stretch of ordinary bytes, upper-cased before the "=", as much
      // of it as the buffer holds.
      makeRoom(1);
      const std::size_t room = std::min(kMaxToken - (length - start), tag_.size() - length);
      const Byte* const limit = static_cast<std::size_t>(end - p) > room ? p + room : end;
      char* out = token + length;
      const std::size_t whole = CopyTagStretch(p, limit, out, quoted, !afterEquals);
      p += whole;
      out += whole;
      while (p < limit && classes[*p] == 0) *out++ = stored[*p++];
      length = static_cast<std::size_t>(out - token);
      continue;
    }
    // Tested in turn rather than through a jump table: the branches
    // follow the markup's patterns better than one indirect jump does.
    if (k == kCr) {
      if (p + 1 < end) {
        if (p[1] == '\n') {
          ++p;
          c = '\n';
        }
      } else if (!final) {
        return leave(false);
      }
      // Kept in a quoted value; elsewhere a lone CR (old Mac line ends)
      // separates like LF does.
      if (!quoted) k = kSpace;
    }
    if (k == kSpace) {
      ++p;
      if (blank()) return leave(true);
      continue;
    }
    if (k == kEquals) {
      ++p;
      if (!quoted) isOption = true;
      makeRoom(1);
      token[length++] = stored[c];
      afterEquals = true;
      continue;
    }
    if (k == kQuote) {
      ++p;
      quoted = !quoted;
      continue;
    }
    if (k == kTagEnd) {
      ++p;
      return tagEnd();
    }
    if (k == kPairStart) {
      if (p + 1 < end) {
        if (c == '\\') {
          // An escaped byte is kept literally, quotes and ">" included.
          makeRoom(1);
          token[length++] = stored[p[1]];
        } else {
          makeRoom(2);  // a double-byte character is never upper-cased
          token[length++] = static_cast<char>(c);
          token[length++] = static_cast<char>(p[1]);
        }
        p += 2;
        continue;
      }
      if (!final) return leave(false);
      // A lone one at the very end is stored as it is.
    }
    ++p;
    makeRoom(1);
    token[length++] = stored[c];
  }
  return leave(true);
}

}  // namespace kestrel
