#pragma once

namespace arlo::text {

// How a byte string is encoded, for the rules that must respect character boundaries.
enum class Charset { Utf8, Gbk };

// Whether ASCII letters match regardless of case.
enum class Case { Sensitive, IgnoreAscii };

}  // namespace arlo::text
