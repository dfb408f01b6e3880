#include "TextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <string>

namespace toliva {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

class IconvHandle {
public:
    explicit IconvHandle(const char* from) : m_cd(iconv_open("UTF-8", from)) {}
    ~IconvHandle() {
        if (valid()) iconv_close(m_cd);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return m_cd; }

private:
    iconv_t m_cd;
};

}  // namespace

QString DecodeCodePage(const QByteArray& bytes, const char* iconvName) {
    if (bytes.isEmpty()) return {};
    IconvHandle cd(iconvName ? iconvName : "");
    if (!cd.valid()) return QString::fromLatin1(bytes);

    std::string out;
    out.reserve(static_cast<size_t>(bytes.size()) * 2);
    char chunk[4096];

    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    while (inLeft > 0) {
        char* dst = chunk;
        size_t dstLeft = sizeof chunk;
        const size_t rc = iconv(cd.get(), &in, &inLeft, &dst, &dstLeft);
        const int err = errno;
        out.append(chunk, static_cast<size_t>(dst - chunk));
        if (rc != static_cast<size_t>(-1)) break;
        if (err == E2BIG) continue;
        // EILSEQ: a byte that starts no valid sequence; EINVAL: a sequence cut
        // off by the end of the data. Either way one byte is replaced.
        out.append(kReplacement);
        ++in;
        --inLeft;
        iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    }
    // Flush any state the converter still holds.
    char* dst = chunk;
    size_t dstLeft = sizeof chunk;
    iconv(cd.get(), nullptr, nullptr, &dst, &dstLeft);
    out.append(chunk, static_cast<size_t>(dst - chunk));

    return QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
}

}  // namespace toliva
