// Texts crossing between the GBK model and Qt's Unicode widgets.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "platform/gbk.hpp"

namespace zarvo {

inline QString FromGbk(std::string_view gbk) {
  const std::u16string text = GbkToUtf16(gbk);
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToGbk(const QString& text) {
  return Utf16ToGbk(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                        static_cast<size_t>(text.size())));
}

inline QString FromUtf8(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace zarvo
