#pragma once

#include <stdexcept>
#include <string>

namespace nollard {

// A text that cannot be read as a number; the message names the offending
// character, e.g. "'-' is not a valid integer value".
class ConversionError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// An amount of 10^12 or more, which the units cannot spell.
class AmountOutOfRange : public ConversionError
{
public:
    using ConversionError::ConversionError;
};

// The amount in Chinese capital numerals as printed on a notice (UTF-8),
// characters spaced out with blanks: 102.50 gives "壹 佰 零贰 元 伍 角 ".
// Whole amounts end in "元整" (0 gives "元整", 12.00 "壹 拾 贰 元整").
// An amount that rounds to zero is 0 ("元整"). A negative amount throws
// ConversionError "'-' is not a valid integer value"; 10^12 and above throw
// AmountOutOfRange.
std::string AmountInCapitals(double amount);

}  // namespace nollard
