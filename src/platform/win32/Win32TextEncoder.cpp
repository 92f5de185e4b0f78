#include "platform/win32/Win32TextEncoder.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cwchar>

#include "core/text/AsciiText.h"

namespace qx7 {
namespace {

// The code point of the well-formed UTF-8 sequence at the start of `text` and its length, or
// a length of 0 when the bytes there are not one (overlong forms, surrogates, beyond U+10FFFF,
// cut short).
struct Decoded {
    char32_t codePoint = 0;
    std::size_t length = 0;
};

Decoded DecodeOne(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) {
        return {lead, 1};
    }
    const std::size_t length = Utf8SequenceLength(lead);
    if (length == 1 || text.size() < length) {
        return {};
    }
    char32_t cp = lead & (length == 2 ? 0x1Fu : length == 3 ? 0x0Fu : 0x07u);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0u) != 0x80u) {
            return {};
        }
        cp = (cp << 6) | (next & 0x3Fu);
    }
    const char32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (cp < smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return {};
    }
    return {cp, length};
}

// Where the Windows tables and the Linux converter part ways, the Linux answer, so that a file
// comes out the same from both builds: Windows lacks some one-way mappings of the JIS
// characters, and maps C1 controls, the private-use area and the undefined bytes of its own code
// pages where iconv refuses them. Empty when Windows' answer stands.
std::string_view LinuxAnswer(unsigned codePage, char32_t cp) {
    static constexpr std::string_view kUnmappable = "?";
    const bool c1 = cp >= 0x80 && cp <= 0x9F;
    if (codePage == 932 || codePage == 20932) {
        switch (cp) {
            case 0xA5:
                return "\x5C";
            case 0x203E:
                return "\x7E";
            default:
                break;
        }
    }
    if (codePage == 932) {
        switch (cp) {
            case 0xA2:
                return "\x81\x91";
            case 0xA3:
                return "\x81\x92";
            case 0xAC:
                return "\x81\xCA";
            case 0x2014:
                return "\x81\x5C";
            case 0x2016:
                return "\x81\x61";
            case 0x2212:
                return "\x81\x7C";
            case 0x301C:
                return "\x81\x60";
            default:
                break;
        }
        return cp == 0x80 || (cp >= 0xF8F0 && cp <= 0xF8F3) ? kUnmappable : std::string_view{};
    }
    if (codePage == 20932) {
        static constexpr char kC1[] =
            "\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F"
            "\x90\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9D\x9E\x9F";
        if (c1 && cp != 0x8E && cp != 0x8F) {
            return std::string_view(kC1 + (cp - 0x80), 1);
        }
        if (cp == 0xFF5E) {
            return "\x8F\xA2\xB7";
        }
        return cp >= 0xE000 && cp <= 0xE757 ? kUnmappable : std::string_view{};
    }
    // The single-byte ANSI code pages: neither C1 controls nor private-use characters are theirs.
    const bool ansiSingleByte = codePage == 874 || (codePage >= 1250 && codePage <= 1258);
    const bool privateUse = cp >= 0xE000 && cp <= 0xF8FF;
    return ansiSingleByte && (c1 || privateUse) ? kUnmappable : std::string_view{};
}

// Windows writes the JIS X 0212 characters of its EUC-JP with the second byte's high bit clear
// and no 0x8F in front; real EUC-JP (and iconv) has the three-byte form.
std::string EucJpFromWindows(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80 || i + 1 == bytes.size()) {
            out.push_back(bytes[i]);
            continue;
        }
        const auto trail = static_cast<unsigned char>(bytes[i + 1]);
        if (b >= 0xA1 && trail < 0x80) {
            out.push_back('\x8F');
            out.push_back(bytes[i]);
            out.push_back(static_cast<char>(trail | 0x80));
        } else {
            out.push_back(bytes[i]);
            out.push_back(bytes[i + 1]);
        }
        ++i;
    }
    return out;
}

// Code pages whose conversion takes no flags and no default character.
bool TakesNoFlags(unsigned codePage) {
    return codePage == CP_UTF7 || codePage == CP_UTF8 || codePage == 42 || codePage == 54936 ||
           codePage == 52936 || (codePage >= 50220 && codePage <= 50229) ||
           (codePage >= 57002 && codePage <= 57011);
}

bool AllDigits(std::string_view text) {
    return !text.empty() && text.size() <= 5 && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

// Converts one run of UTF-16 text; unmappable characters come out as '?'. Returns false when
// the system refuses, with nothing appended.
bool AppendConverted(unsigned codePage, const std::wstring& wide, std::string& out,
                     bool* usedDefault) {
    if (wide.empty()) {
        return true;
    }
    const bool plain = TakesNoFlags(codePage);
    const DWORD flags = plain ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* defaultChar = plain ? nullptr : "?";
    BOOL used = FALSE;
    BOOL* usedPtr = plain ? nullptr : &used;
    const int wideLength = static_cast<int>(wide.size());
    const int size = WideCharToMultiByte(codePage, flags, wide.data(), wideLength, nullptr, 0,
                                         defaultChar, usedPtr);
    if (size <= 0) {
        return false;
    }
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(size));
    const int written = WideCharToMultiByte(codePage, flags, wide.data(), wideLength,
                                            out.data() + start, size, defaultChar, usedPtr);
    out.resize(start + static_cast<std::size_t>(std::max(written, 0)));
    if (usedDefault != nullptr) {
        *usedDefault = used != FALSE;
    }
    return written > 0;
}

}  // namespace

unsigned CodePageFromEncodingName(const std::string& encoding) {
    const std::string lower = AsciiLower(encoding);
    if (lower == "shift_jis" || lower == "sjis" || lower == "shift-jis") {
        return 932;
    }
    if (lower == "iso-8859-1" || lower == "latin1") {
        return 28591;
    }
    if (lower == "euc-jp") {
        return 20932;
    }
    std::string_view digits;
    if (lower.rfind("cp", 0) == 0) {
        digits = std::string_view(lower).substr(2);
    } else if (lower.rfind("windows-", 0) == 0) {
        digits = std::string_view(lower).substr(8);
    }
    if (!AllDigits(digits)) {
        return 0;
    }
    const unsigned long value = std::stoul(std::string(digits));
    return value > 0 && value <= 65535 ? static_cast<unsigned>(value) : 0;
}

std::unique_ptr<Win32TextEncoder> Win32TextEncoder::Create(const std::string& encoding) {
    const unsigned codePage = CodePageFromEncodingName(encoding);
    if (codePage == 0 || !IsValidCodePage(codePage)) {
        return nullptr;
    }
    return std::unique_ptr<Win32TextEncoder>(new Win32TextEncoder(codePage, encoding));
}

std::string Win32TextEncoder::FromUtf8(std::string_view utf8) const {
    std::string out;
    out.reserve(utf8.size());
    std::wstring run;
    const auto flush = [&] {
        if (codePage_ == 20932) {
            std::string bytes;
            if (!AppendConverted(codePage_, run, bytes, nullptr)) {
                bytes.assign(run.size(), '?');
            }
            out += EucJpFromWindows(bytes);
        } else if (!AppendConverted(codePage_, run, out, nullptr)) {
            out.append(run.size(), '?');
        }
        run.clear();
    };
    std::size_t at = 0;
    while (at < utf8.size()) {
        const Decoded one = DecodeOne(utf8.substr(at));
        if (one.length == 0) {
            // Not UTF-8: one '?' for what the lead byte announces, then go on.
            flush();
            out.push_back('?');
            at += std::min(Utf8SequenceLength(static_cast<unsigned char>(utf8[at])),
                           utf8.size() - at);
            continue;
        }
        at += one.length;
        if (const std::string_view answer = LinuxAnswer(codePage_, one.codePoint);
            !answer.empty()) {
            flush();
            out += answer;
            continue;
        }
        if (one.codePoint < 0x10000) {
            run.push_back(static_cast<wchar_t>(one.codePoint));
            continue;
        }
        // Beyond the first plane: converted alone, so that an unmappable one is a single '?'
        // whatever the system makes of a surrogate pair.
        flush();
        const char32_t offset = one.codePoint - 0x10000;
        const std::wstring pair{static_cast<wchar_t>(0xD800 + (offset >> 10)),
                                static_cast<wchar_t>(0xDC00 + (offset & 0x3FF))};
        bool usedDefault = false;
        std::string bytes;
        if (!AppendConverted(codePage_, pair, bytes, &usedDefault) || usedDefault) {
            out.push_back('?');
        } else {
            out += bytes;
        }
    }
    flush();
    return out;
}

std::unique_ptr<ITextEncoder> MakeTextEncoder(const std::string& encoding) {
    const std::string lower = AsciiLower(encoding);
    if (lower == "utf-8" || lower == "utf8") {
        return std::make_unique<Utf8PassThrough>();
    }
    return Win32TextEncoder::Create(encoding);
}

std::string SystemTextEncodingName() {
    // GetACP() answers 65001 in a program whose manifest asks for UTF-8 (the command-line
    // programs have one), while files must still come out in the ANSI code page of the system's
    // locale, as the original wrote them.
    const UINT active = GetACP();
    if (active == CP_UTF8) {
        DWORD codePage = 0;
        if (GetLocaleInfoW(
                LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(WCHAR)) > 0 &&
            codePage != 0 && IsValidCodePage(codePage)) {
            return "CP" + std::to_string(codePage);
        }
    }
    return "CP" + std::to_string(active);
}

}  // namespace qx7
