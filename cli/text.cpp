// The words and escapes of the tool's output: reason words and JSON strings.
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#endif

#include "cli.h"

namespace quorvel::cli {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendHex(std::string& out, std::uint32_t value, int digits) {
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kHexDigits[(value >> shift) & 0xFu];
}

std::string_view OpenFailureWord(probe::OpenFailure failure) {
  switch (failure) {
    case probe::OpenFailure::kNotFound: return "cannot-open:missing";
    case probe::OpenFailure::kAccessDenied: return "cannot-open:access-denied";
    case probe::OpenFailure::kFolder: return "cannot-open:folder";
    case probe::OpenFailure::kInUse: return "cannot-open:in-use";
    case probe::OpenFailure::kNotRegularFile: return "cannot-open:not-a-file";
    case probe::OpenFailure::kNone:
    case probe::OpenFailure::kOther: break;
  }
  return "cannot-open";
}

// ---- JSON ----

// The byte's escape, or 0 when it goes out as it is.
char ShortEscape(unsigned char byte) {
  switch (byte) {
    case '"': return '"';
    case '\\': return '\\';
    case '\b': return 'b';
    case '\f': return 'f';
    case '\n': return 'n';
    case '\r': return 'r';
    case '\t': return 't';
    default: return 0;
  }
}

// One ASCII byte, escaped as JSON requires (quote, backslash, control characters).
void AppendAscii(std::string& out, unsigned char byte) {
  if (const char escape = ShortEscape(byte); escape != 0) {
    out += '\\';
    out += escape;
  } else if (byte < 0x20) {
    out += "\\u00";
    AppendHex(out, byte, 2);
  } else {
    out += static_cast<char>(byte);
  }
}

// A byte that is no text in the path's encoding: the lone low surrogate U+DC80..U+DCFF.
void AppendUndecodable(std::string& out, unsigned char byte) {
  out += "\\udc";
  AppendHex(out, byte, 2);
}

// Length of the well-formed UTF-8 sequence at text[0], or 0 when it is not one: no overlong
// forms, no surrogates, nothing past U+10FFFF, no sequence cut short.
std::size_t Utf8SequenceLength(std::string_view text) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = at(0);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;  // the range allowed for the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong below U+0800
    if (lead == 0xED) high = 0x9F;  // U+D800..U+DFFF
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // overlong below U+10000
    if (lead == 0xF4) high = 0x8F;  // past U+10FFFF
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  if (at(1) < low || at(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (at(i) < 0x80 || at(i) > 0xBF) return 0;
  }
  return length;
}

void AppendUtf8Text(std::string& out, std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0x80) {
      AppendAscii(out, byte);
      ++i;
    } else if (const std::size_t length = Utf8SequenceLength(bytes.substr(i)); length != 0) {
      out.append(bytes.data() + i, length);
      i += length;
    } else {
      AppendUndecodable(out, byte);
      ++i;
    }
  }
}

#ifdef _WIN32
void AppendUtf16AsUtf8(std::string& out, const wchar_t* text, int count) {
  char utf8[16];
  const int length = WideCharToMultiByte(CP_UTF8, 0, text, count, utf8, sizeof utf8, nullptr, nullptr);
  if (length > 0) out.append(utf8, static_cast<std::size_t>(length));
}

// The ANSI code page, one character at a time, so that a byte that is no character there only
// costs itself. Under code page 936 a character is one byte or a lead byte and a trail byte.
void AppendAnsiText(std::string& out, std::string_view bytes) {
  if (GetACP() == CP_UTF8) {
    AppendUtf8Text(out, bytes);
    return;
  }
  for (std::size_t i = 0; i < bytes.size();) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0x80) {
      AppendAscii(out, byte);
      ++i;
      continue;
    }
    const int width = IsDBCSLeadByteEx(CP_ACP, byte) && i + 1 < bytes.size() ? 2 : 1;
    wchar_t wide[2];
    const int count = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data() + i, width, wide, 2);
    if (count > 0) {
      AppendUtf16AsUtf8(out, wide, count);
      i += static_cast<std::size_t>(width);
    } else {
      AppendUndecodable(out, byte);  // the next byte gets its own chance
      ++i;
    }
  }
}
#endif

}  // namespace

void AppendReasonWord(std::string& out, const probe::ProbeOutcome& outcome) {
  switch (outcome.reason) {
    case probe::ProbeReason::kPe32Plus: out += "pe32+"; return;
    case probe::ProbeReason::kPe32: out += "pe32"; return;
    case probe::ProbeReason::kCannotOpen: out += OpenFailureWord(outcome.open_failure); return;
    case probe::ProbeReason::kShortDosHeader: out += "short-dos-header"; return;
    case probe::ProbeReason::kNoMzSignature: out += "no-mz-signature"; return;
    case probe::ProbeReason::kNegativeLfanew: out += "negative-e_lfanew"; return;
    case probe::ProbeReason::kShortNtHeaders: out += "short-nt-headers"; return;
    case probe::ProbeReason::kNoPeSignature: out += "no-pe-signature"; return;
    case probe::ProbeReason::kRomImage: out += "rom-image"; return;
    case probe::ProbeReason::kUnknownMagic:
      // Always four digits, so that a script can match the word with a fixed pattern.
      out += "unknown-magic:0x";
      AppendHex(out, outcome.magic, 4);
      return;
  }
  out += "cannot-open";
}

std::string ReasonWord(const probe::ProbeOutcome& outcome) {
  std::string word;
  AppendReasonWord(word, outcome);
  return word;
}

PathEncoding NativePathEncoding() {
#ifdef _WIN32
  return PathEncoding::kAnsiCodePage;
#else
  return PathEncoding::kUtf8;
#endif
}

void AppendJsonString(std::string& out, std::string_view bytes, PathEncoding encoding) {
  out += '"';
#ifdef _WIN32
  if (encoding == PathEncoding::kAnsiCodePage) {
    AppendAnsiText(out, bytes);
  } else {
    AppendUtf8Text(out, bytes);
  }
#else
  (void)encoding;  // no other encoding exists here: POSIX names are bytes, read as UTF-8
  AppendUtf8Text(out, bytes);
#endif
  out += '"';
}

}  // namespace quorvel::cli
