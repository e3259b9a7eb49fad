#include "DOV_stringl.h"

#include <cstring>

#include "DOV_utf8.h"
#include "SysUtils.h"
#include "TextFile.h"

namespace {

const char* const GrepErrors[] = {
    "",
    "reg.exp. must not start with $, *, ?, or +",
    "circumflex not allowed here",
    "no character allowed after end of line",
    "empty set",
    "circumflex has to be quoted in set",
    "mismatch of set brackets",
    "minus not allowed here",
    "mismatch of group brackets",
    "*, ?, + have to be applied to groups or sets only",
    "reg.exp. too long (more than 64 tokens or a literal of more than 255 characters)",
};

constexpr Integer MaxLiteral = 255;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "\#hh" becomes the byte hh (0 for digits that are not hexadecimal); "\\#" stays as it is.
String DecodeHexEscapes(const String& s) {
  String out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == '\\') {
      out += "\\\\";
      i += 2;
    } else if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == '#') {
      const int hi = HexValue(s[i + 2]), lo = HexValue(s[i + 3]);
      out += static_cast<char>(hi >= 0 && lo >= 0 ? hi * 16 + lo : 0);
      i += 4;
    } else {
      out += s[i++];
    }
  }
  return out;
}

enum class TState { Start, Item, SetFirst, SetBody, AfterSet, Group, AfterGroup, End };

}  // namespace

String GrepErrorText(Integer Code) {
  if (Code < 1 || Code > GrepErrTooLong) return "";
  return GrepErrors[Code];
}

TGrep::TGrep(TComponent* AOwner) : TComponent(AOwner) {}

void TGrep::SetRegExp(const String& Value) {
  FRegExpStr = Value;
  const Integer err = CompileRegExp(Value);
  if (FStopOnError && err != 0)
    throw ESDLStringlError(
        ComponentErrorMessage(this, "error in regular expression - " + GrepErrorText(err)));
}

void TGrep::SetIgnoreCase(bool Value) {
  FIgnoreCase = Value;
  CompileRegExp(FRegExpStr);
}

Integer TGrep::CompileRegExp(const String& Pattern) {
  FError = 0;
  String pat = Pattern;
  if (FIgnoreCase)
    for (char& c : pat) c = LowerCaseChar(c);
  pat = DecodeHexEscapes(pat);
  for (TGrepToken& t : FregExp) t = TGrepToken();
  FLengRegExp = 0;

  TState state = TState::Start;
  bool negated = false;
  Int64 lastMember = -1;
  auto last = [&]() -> TGrepToken& { return FregExp[FLengRegExp - 1]; };
  auto newToken = [&](TGrepTokenAct act) {
    if (FLengRegExp >= MaxGrepTokens) return false;
    FregExp[FLengRegExp] = TGrepToken();
    FregExp[FLengRegExp].Action = act;
    if (act == taSet) FregExp[FLengRegExp].NumChars = -1;
    if (act == taSet) FregExp[FLengRegExp].Params.fill(' ');
    ++FLengRegExp;
    return true;
  };
  auto appendTo = [&](TGrepToken& t, char c) {
    if (t.NumChars >= MaxLiteral) return false;
    t.Params[++t.NumChars] = c;
    return true;
  };
  auto newLiteral = [&](char c) { return newToken(taNormal) && appendTo(last(), c); };
  auto append = [&](char c) {
    if (FLengRegExp > 0 && last().Action == taNormal) return appendTo(last(), c);
    return newLiteral(c);
  };
  // Members lo ... hi: codes below 256 in the table, the others as a range.
  auto members = [&](char32_t lo, char32_t hi) {
    TGrepToken& t = last();
    for (char32_t m = lo; m <= hi && m < 256; ++m) t.Params[m] = '*';
    if (hi >= 256) t.Wide.emplace_back(std::max<char32_t>(lo, 256), hi);
  };
  auto member = [&](char32_t c) {
    members(c, c);
    lastMember = c;
  };
  auto multiplier = [&](char c) -> Integer {
    const TGrepTokenAct m = c == '*' ? taMult0 : c == '+' ? taMult1 : taOpti;
    TGrepToken& t = last();
    if (t.Action == taNormal && t.NumChars >= 1) {
      // The multiplier takes the run's last character, whatever number of bytes it has.
      const std::string_view run(t.Params.data() + 1, static_cast<size_t>(t.NumChars));
      size_t lastFrom = 0;
      for (size_t j = 0; j < run.size();) {
        lastFrom = j;
        utf8::NextChar(run, j);
      }
      if (lastFrom == 0) {
        t.Action = m;
      } else {
        const String ch(run.substr(lastFrom));
        t.NumChars = static_cast<Integer>(lastFrom);
        if (!newToken(m)) return GrepErrTooLong;
        last().NumChars = static_cast<Integer>(ch.size());
        std::copy(ch.begin(), ch.end(), last().Params.begin() + 1);
      }
    } else if (t.Action == taAnyByte) {
      t.Action = m;
      t.NumChars = 0;
    } else if (t.Action == taSet) {
      t.Action = m;
      t.NumChars = -1;
    } else {
      return 9;
    }
    return 0;
  };

  const size_t n = pat.size();
  for (size_t i = 0; i < n && FError == 0; ++i) {
    char c = pat[i];
    bool quoted = false;
    if (c == '\\' && i + 1 < n) {
      c = pat[++i];
      quoted = true;
    }
    const char k = quoted ? '\0' : c;  // the character as a command, none when quoted
    // A set member is a whole character: a UTF-8 sequence is one member, not its bytes.
    auto wholeChar = [&]() -> char32_t {
      size_t j = i;
      const char32_t cp = utf8::NextChar(pat, j);
      i = j - 1;
      return cp;
    };
    bool ok = true;
    // Opening a token and moving to the state that follows it.
    auto open = [&](TGrepTokenAct act, TState next) {
      state = next;
      if (act == taSet) {
        negated = false;
        lastMember = -1;
      }
      return newToken(act);
    };
    switch (state) {
      case TState::Start:
        if (k == '$' || k == '*' || k == '+' || k == '?')
          FError = 1;
        else if (k == '(')
          ok = open(taNormal, TState::Group);
        else if (k == ')')
          FError = 8;
        else if (k == '.')
          ok = open(taAnyByte, TState::Item);
        else if (k == '[')
          ok = open(taSet, TState::SetFirst);
        else if (k == ']')
          FError = 6;
        else if (k == '^')
          ok = open(taBol, TState::Item);
        else
          ok = open(taNormal, TState::Item) && appendTo(last(), c);
        break;
      case TState::Item:
        if (k == '$')
          ok = open(taEol, TState::End);
        else if (k == '(')
          ok = open(taNormal, TState::Group);
        else if (k == ')')
          FError = 8;
        else if (k == '*' || k == '+' || k == '?')
          FError = multiplier(k);
        else if (k == '.')
          ok = newToken(taAnyByte);
        else if (k == '[')
          ok = open(taSet, TState::SetFirst);
        else if (k == ']')
          FError = 6;
        else if (k == '^')
          FError = 2;
        else
          ok = append(c);
        break;
      case TState::SetFirst:
        if (k == '-') {
          FError = 7;
        } else if (k == ']') {
          FError = 4;
        } else {
          if (k == '^')
            negated = true;
          else
            member(wholeChar());
          state = TState::SetBody;
        }
        break;
      case TState::SetBody:
        if (k == '-') {
          if (lastMember < 0) {
            FError = 7;  // no member before the range ("[^-")
          } else if (i + 1 < n) {
            ++i;
            const char32_t to = wholeChar();
            const char32_t from = static_cast<char32_t>(lastMember);
            members(std::min(from, to), std::max(from, to));
            lastMember = to;
          }
        } else if (k == ']') {
          if (negated) {
            for (char& p : last().Params) p = p == '*' ? ' ' : '*';
            last().Negated = true;
          }
          state = TState::AfterSet;
        } else if (k == '^') {
          FError = 5;
        } else {
          member(wholeChar());
        }
        break;
      case TState::AfterSet:
        if (k == '$')
          ok = open(taEol, TState::End);
        else if (k == '(')
          ok = open(taNormal, TState::Group);
        else if (k == ')')
          FError = 8;
        else if (k == '*' || k == '+' || k == '?')
          FError = multiplier(k);
        else if (k == '-')
          FError = 7;
        else if (k == '.')
          ok = open(taAnyByte, TState::Item);
        else if (k == '[')
          ok = open(taSet, TState::SetFirst);
        else if (k == ']')
          FError = 6;
        else if (k == '^')
          FError = 2;
        else
          ok = open(taNormal, TState::Item) && appendTo(last(), c);
        break;
      case TState::Group:
        if (k == ')')
          state = TState::AfterGroup;
        else if (k == '^')
          FError = 2;
        else
          ok = appendTo(last(), c);
        break;
      case TState::AfterGroup:
        if (k == '$')
          ok = open(taEol, TState::End);
        else if (k == '(')
          state = TState::Group;
        else if (k == ')')
          FError = 8;
        else if (k == '*' || k == '+' || k == '?')
          last().Action = k == '*' ? taMult0 : k == '+' ? taMult1 : taOpti;
        else if (k == '.')
          ok = open(taAnyByte, TState::Item);
        else if (k == '[')
          ok = open(taSet, TState::SetFirst);
        else if (k == ']')
          FError = 6;
        else if (k == '^')
          FError = 2;
        else
          ok = open(taNormal, TState::Item) && appendTo(last(), c);  // "-" too
        break;
      case TState::End: FError = 3; break;
    }
    if (!ok && FError == 0) FError = GrepErrTooLong;
  }
  return FError;
}

TGrepToken TGrep::GetRegExpToken(Integer ix) const {
  if (ix > FLengRegExp) ix = FLengRegExp;
  if (ix < 1) ix = 1;
  return FregExp[ix - 1];
}

Integer TGrep::CharLenAt(Integer p) const {
  if (static_cast<unsigned char>(FText[p - 1]) < 0x80) return 1;
  size_t i = static_cast<size_t>(p - 1);
  utf8::NextChar(FText, i);
  return static_cast<Integer>(i) - (p - 1);
}

// Whether the character at p (p within the text) belongs to the set t; Bytes its length.
bool TGrep::InSet(const TGrepToken& t, Integer p, Integer& Bytes) const {
  const auto b0 = static_cast<unsigned char>(FText[p - 1]);
  if (b0 < 0x80) {
    Bytes = 1;
    return t.Params[b0] == '*';
  }
  size_t i = static_cast<size_t>(p - 1);
  const char32_t cp = utf8::NextChar(FText, i);
  Bytes = static_cast<Integer>(i) - (p - 1);
  if (cp < 256) return t.Params[cp] == '*';
  bool in = false;
  for (const auto& [lo, hi] : t.Wide) in = in || (cp >= lo && cp <= hi);
  return in != t.Negated;
}

Integer TGrep::RepeatAt(const TGrepToken& t, Integer p) const {
  const Integer len = static_cast<Integer>(FText.size());
  if (p > len) return 0;
  if (t.NumChars == 0) return CharLenAt(p);
  if (t.NumChars < 0) {
    Integer bytes = 0;
    return InSet(t, p, bytes) ? bytes : 0;
  }
  return p + t.NumChars - 1 <= len &&
                 std::memcmp(FText.data() + p - 1, t.Params.data() + 1, t.NumChars) == 0
             ? t.NumChars
             : 0;
}

bool TGrep::Dead(Integer k, Integer q) const {
  const auto& bits = FDead[static_cast<size_t>(k)];
  const auto w = static_cast<size_t>(q) >> 6;
  return w < bits.size() && (bits[w] >> (q & 63) & 1) != 0;
}

void TGrep::MarkDead(Integer k, Integer q) {
  auto& bits = FDead[static_cast<size_t>(k)];
  const auto w = static_cast<size_t>(q) >> 6;
  if (bits.size() <= w) bits.resize(((FText.size() + 1) >> 6) + 1, 0);  // q <= length + 1
  if (bits[w] == 0) FDirty.emplace_back(k, w);
  bits[w] |= std::uint64_t(1) << (q & 63);
}

// An inner * or + of token k, with its repetitions so far ending at q: tries the rest of the
// pattern behind each further repetition, fewest first. Every position it passes without
// success is marked, so a later attempt that reaches one of them gives up at once: the outcome
// from there depends only on the position.
bool TGrep::RepeatLoop(Integer k, Integer q) {
  const TGrepToken& t = FregExp[k];
  const Integer from = q;
  Integer stop = q;
  for (;;) {
    if (Dead(k, stop)) break;
    if (MatchFrom(k + 1, stop)) return true;
    const Integer step = RepeatAt(t, stop);
    if (step == 0) {
      MarkDead(k, stop);
      break;
    }
    stop += step;
  }
  for (Integer p = from; p < stop; p += RepeatAt(t, p)) MarkDead(k, p);
  return false;
}

// Tokens k ... last (0-based k) from position p. One call per token: the repetitions of a
// multiplier are a loop here, so a long text never deepens the recursion.
bool TGrep::MatchFrom(Integer k, Integer p) {
  TGrepToken& t = FregExp[k];
  const bool isLast = k == FLengRegExp - 1;
  const Integer len = static_cast<Integer>(FText.size());
  Integer next = p;
  switch (t.Action) {
    case taNormal:
      if (p + t.NumChars - 1 > len ||
          std::memcmp(FText.data() + p - 1, t.Params.data() + 1, t.NumChars) != 0)
        return false;
      next = p + t.NumChars;
      break;
    case taAnyByte:
      if (p > len) return false;
      next = p + CharLenAt(p);
      break;
    case taSet: {
      Integer bytes = 0;
      if (p > len || !InSet(t, p, bytes)) return false;
      next = p + bytes;
      break;
    }
    case taBol:
      if (p != 1) return false;
      next = 1;
      break;
    case taEol:
      if (p != len + 1 || !isLast) return false;
      t.ValidFrom = p;
      FMatchEndPos = len;
      return true;
    case taMult0:
    case taMult1:
    case taOpti: {
      if (t.Action == taMult0 && p > len) return false;
      Integer q = p;
      if (t.Action == taMult1) {
        const Integer step = RepeatAt(t, p);
        if (step == 0) return false;
        q += step;
      }
      t.ValidFrom = p;
      if (isLast) {
        for (Integer step; (t.Action != taOpti || q == p) && (step = RepeatAt(t, q)) > 0;)
          q += step;
        FMatchEndPos = q - 1;
        return true;
      }
      if (t.Action != taOpti) return RepeatLoop(k, q);
      // Positions from which the rest failed are marked, as for "*" and "+": a run of "?"
      // tries each position once per token instead of every combination of choices.
      auto restFrom = [&](Integer at) {
        if (Dead(k, at)) return false;
        if (MatchFrom(k + 1, at)) return true;
        MarkDead(k, at);
        return false;
      };
      if (restFrom(q)) return true;
      const Integer step = RepeatAt(t, q);
      return step > 0 && restFrom(q + step);
    }
  }
  t.ValidFrom = p;
  if (isLast) {
    FMatchEndPos = next - 1;  // an anchor takes no character: behind "^" that is 0
    return true;
  }
  return MatchFrom(k + 1, next);
}

bool TGrep::MatchString(const String& Instring, Integer& MatchPos) {
  if (!FIgnoreCase) return MatchFolded(Instring, MatchPos);
  String folded = Instring;
  for (char& c : folded) c = LowerCaseChar(c);
  return MatchFolded(folded, MatchPos);
}

bool TGrep::MatchFolded(std::string_view Text, Integer& MatchPos) {
  FText = Text;
  for (const auto& [k, w] : FDirty) FDead[static_cast<size_t>(k)][w] = 0;
  FDirty.clear();
  const Integer len = static_cast<Integer>(Text.size());
  if (FLengRegExp == 0) return false;
  if (FLengRegExp == 1 && FregExp[0].Action == taMult0) {
    if (len != 0 && len < SearchStartPos) return false;
    FregExp[0].ValidFrom = 1;
    MatchPos = FMatchStartPos = 1;
    FMatchEndPos = len;
    return true;
  }
  // Nothing starts behind the position just past the text.
  if (SearchStartPos > len && SearchStartPos - len > 1) return false;
  const TGrepToken& first = FregExp[0];
  const Integer lastStart = first.Action == taBol ? SearchStartPos : std::max(len, SearchStartPos);
  // A literal first token lets the search jump to its first byte's next occurrence.
  const bool literalFirst = first.Action == taNormal && first.NumChars > 0;
  // A byte 80-BF may be the tail of a sequence: such a hit counts only where the characters
  // walked from the last start reach it exactly. Any other byte always starts a character.
  const auto firstByte = static_cast<unsigned char>(first.Params[1]);
  const bool mayBeTail = firstByte >= 0x80 && firstByte < 0xC0;
  // Matches start at characters, never inside a UTF-8 sequence.
  for (Integer p = std::max<Integer>(SearchStartPos, 1); p <= lastStart;) {
    if (literalFirst) {
      const void* hit =
          p <= len ? std::memchr(Text.data() + p - 1, first.Params[1], len - p + 1) : nullptr;
      if (hit == nullptr) return false;
      const Integer at = static_cast<Integer>(static_cast<const char*>(hit) - Text.data()) + 1;
      if (mayBeTail) {
        while (p < at) p += CharLenAt(p);
        if (p != at) continue;  // inside a character: search on from the next one
      }
      p = at;
    }
    if (MatchFrom(0, p)) {
      MatchPos = FMatchStartPos = FregExp[0].ValidFrom;
      return true;
    }
    p += p <= len ? CharLenAt(p) : 1;
  }
  return false;
}

void TGrep::PrintRegExp(const String& FName) const {
  static const char* const names[] = {" taNormal: ", "taAnyByte: ", "    taEol: ", "    taBol: ",
                                      "    taSet: ", "  taMult0: ", "  taMult1: ", "   taOpti: "};
  TTextFile f(FName);
  f.Rewrite();
  for (Integer i = 0; i < FLengRegExp; ++i) {
    const TGrepToken& t = FregExp[i];
    String line = names[t.Action];
    auto setMembers = [&]() {
      for (int c = 0; c < 256; ++c)
        if (t.Params[c] == '*') line += static_cast<char>(c);
    };
    if (t.Action == taNormal) {
      line.append(t.Params.data() + 1, t.NumChars);
    } else if (t.Action == taSet) {
      setMembers();
    } else if (t.Action == taMult0 || t.Action == taMult1 || t.Action == taOpti) {
      if (t.NumChars < 0) {
        line += "(set) ";
        setMembers();
      } else if (t.NumChars > 0) {
        line += "(string) ";
        line.append(t.Params.data() + 1, t.NumChars);
      } else {
        line += "(anychar) ";
      }
    }
    f.WriteLn(line);
  }
  f.WriteLn(FError == 0 ? String("no errors") : GrepErrorText(FError));
  f.CloseFile();
}
