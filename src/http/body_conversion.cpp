#include "http/body_conversion.h"

#include "common/gbk.h"

#include <QStringDecoder>
#include <exception>
#include <memory>
#include <mutex>
#include <opencc/SimpleConverter.hpp>

namespace {

// OpenCC finds "t2s.json" in its own data folder; the full path is the fallback for a
// library built with another data folder than the package's.
const opencc::SimpleConverter* traditionalToSimplified()
{
    static std::unique_ptr<opencc::SimpleConverter> converter;
    static std::once_flag once;
    std::call_once(once, [] {
        for (const char* config : { "t2s.json", "/usr/share/opencc/t2s.json" }) {
            try {
                converter = std::make_unique<opencc::SimpleConverter>(config);
                return;
            } catch (const std::exception&) {
                continue;
            }
        }
    });
    return converter.get();
}

} // namespace

QByteArray Utf8ToGbk(const QByteArray& utf8)
{
    return ToGbk(QString::fromUtf8(utf8));
}

QByteArray Big5ToSimplifiedGbk(const QByteArray& big5)
{
    QStringDecoder decoder("Big5");
    const QString traditional = decoder.decode(big5);
    const opencc::SimpleConverter* converter = traditionalToSimplified();
    if (!converter)
        return ToGbk(traditional);
    try {
        const std::string simplified = converter->Convert(traditional.toStdString());
        return ToGbk(QString::fromStdString(simplified));
    } catch (const std::exception&) {
        return ToGbk(traditional);
    }
}
