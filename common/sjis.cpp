#include "common/sjis.h"

#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::mutex codePageLock;
std::string codePage = "CP932";
std::atomic<bool> warned{false};

std::string currentCodePage() {
    std::lock_guard<std::mutex> guard(codePageLock);
    return codePage;
}

// Without a converter: ASCII as it is, anything else one `replacement` per
// character (per lead byte and its trail for Shift-JIS input).
std::string asciiOnly(std::string_view in, std::string_view replacement, bool utf8Source) {
    if (!warned.exchange(true)) std::fprintf(stderr, "%s\n", SJIS_UNAVAILABLE);
    std::string out;
    for (size_t i = 0; i < in.size(); ++i) {
        const auto byte = static_cast<unsigned char>(in[i]);
        if (byte < 0x80) {
            out += static_cast<char>(byte);
            continue;
        }
        out.append(replacement);
        if (utf8Source) {
            while (i + 1 < in.size() && (static_cast<unsigned char>(in[i + 1]) & 0xC0) == 0x80) ++i;
        } else if ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC)) {
            ++i;  // a double-byte character's trail byte
        }
    }
    return out;
}

// One iconv conversion; `replacement` stands for each input sequence that
// cannot be converted, after which one input byte is skipped.
std::string convert(bool toSjis, std::string_view in, std::string_view replacement) {
    const std::string sjis = currentCodePage();
    iconv_t cd = toSjis ? iconv_open(sjis.c_str(), "UTF-8") : iconv_open("UTF-8", sjis.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return asciiOnly(in, replacement, toSjis);
    const bool utf8Source = toSjis;
    std::string out;
    std::vector<char> buffer(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    while (srcLeft > 0) {
        char* dst = buffer.data();
        size_t dstLeft = buffer.size();
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer.data(), static_cast<size_t>(dst - buffer.data()));
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL (truncated sequence): replace and skip one byte.
        out.append(replacement);
        ++src;
        --srcLeft;
        if (utf8Source) {  // skip the rest of the offending UTF-8 sequence
            while (srcLeft > 0 && (static_cast<unsigned char>(*src) & 0xC0) == 0x80) {
                ++src;
                --srcLeft;
            }
        }
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string sjisToUtf8(std::string_view sjis) { return convert(false, sjis, "\xEF\xBF\xBD"); }

std::string utf8ToSjis(std::string_view utf8) { return convert(true, utf8, "?"); }

bool sjisConversionAvailable() {
    const std::string sjis = currentCodePage();
    iconv_t cd = iconv_open(sjis.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(cd);
    return true;
}

void setSjisCodePageForTests(const char* name) {
    std::lock_guard<std::mutex> guard(codePageLock);
    codePage = (name == nullptr || *name == '\0') ? "CP932" : name;
    warned = false;
}
