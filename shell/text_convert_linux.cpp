#include "shell/text_convert.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

namespace {

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

// Converts a whole byte run with iconv; any invalid or unconvertible input
// fails the conversion as a whole.
bool ConvertAll(const char* to, const char* from, std::string_view input, std::string& output) {
    iconv_t raw = iconv_open(to, from);
    if (raw == reinterpret_cast<iconv_t>(-1)) return false;
    std::unique_ptr<void, IconvCloser> cd(raw);

    output.assign(input.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char* out = output.data();
    size_t outLeft = output.size();
    while (inLeft > 0) {
        if (iconv(raw, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1)) {
            if (errno != E2BIG) return false;
            const size_t used = output.size() - outLeft;
            output.resize(output.size() * 2);
            out = output.data() + used;
            outLeft = output.size() - used;
        }
    }
    output.resize(output.size() - outLeft);
    return true;
}

}  // namespace

std::string WideToGbk(std::wstring_view wide) {
    const std::string utf8 = WideToUtf8(wide);
    std::string gbk;
    if (!ConvertAll("GBK", "UTF-8", utf8, gbk)) return {};
    return gbk;
}

std::wstring GbkToWide(std::string_view gbk) {
    gbk = gbk.substr(0, gbk.find('\0'));
    // Almost every text here (log tags) is plain ASCII, which reads the same
    // in code page 936; only the rest needs a converter.
    bool ascii = true;
    for (char c : gbk) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return std::wstring(gbk.begin(), gbk.end());
    std::string utf8;
    if (!ConvertAll("UTF-8", "GBK", gbk, utf8)) return {};
    return Utf8ToWide(utf8);
}
