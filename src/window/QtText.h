#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

namespace tarnwell {

// Text from the pure code into widgets: numbers and captions are ASCII, the clock's USB strings
// are bytes of a single-byte code page (Latin-1).
inline QString latin1Text(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline QStringList latin1Texts(const std::vector<std::string>& texts) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(texts.size()));
    for (const std::string& text : texts)
        list.append(latin1Text(text));
    return list;
}

}  // namespace tarnwell
