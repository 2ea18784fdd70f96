#pragma once
// Registry values given byte by byte, for numbers and other data that is not
// text.

#include <initializer_list>
#include <string>

namespace quendal::testing {

inline std::string Bytes(std::initializer_list<unsigned> bytes) {
    std::string text;
    for (unsigned byte : bytes) {
        text += static_cast<char>(byte);
    }
    return text;
}

}  // namespace quendal::testing
