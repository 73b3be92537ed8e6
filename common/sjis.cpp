#include "common/sjis.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace {

// One iconv conversion; `replacement` stands for each input sequence that
// cannot be converted, after which one input byte is skipped.
std::string convert(const char* to, const char* from, std::string_view in,
                    std::string_view replacement, bool utf8Source) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
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

std::string sjisToUtf8(std::string_view sjis) {
    return convert("UTF-8", "CP932", sjis, "\xEF\xBF\xBD", false);
}

std::string utf8ToSjis(std::string_view utf8) {
    return convert("CP932", "UTF-8", utf8, "?", true);
}
