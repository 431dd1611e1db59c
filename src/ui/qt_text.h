#pragma once
/// Text of the core (UTF-8) as Qt text.

#include <string_view>

#include <QString>

namespace qlxs {

inline QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace qlxs
