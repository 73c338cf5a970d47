#include "amount_in_capitals.h"

#include "amount_text.h"

#include <string_view>

namespace nollard {
namespace {

constexpr std::string_view kDigits[] = {"零", "壹", "贰", "叁", "肆", "伍", "陆", "柒", "捌", "玖"};

// Units by position, from -2 (分) to 11. Positions 7 and 11 carry 千 and
// position 9 十, unlike positions 3, 1 and 5; that is how notices print them.
constexpr std::string_view kUnits[] = {"分", "角", "元", "拾", "佰", "仟", "万",
                                       "拾", "佰", "千", "亿", "十", "佰", "千"};

std::string_view unitAt(int i)
{
    const int index = i + 2;
    constexpr int last = static_cast<int>(sizeof kUnits / sizeof kUnits[0]) - 1;
    return kUnits[index > last ? last : index];
}

constexpr std::string_view kBlank = " ";
constexpr std::string_view kYuan = "元";
constexpr std::string_view kExact = "整";

// Positions 0 to 11 have units; a digit further left would have to reuse
// them and the text would read as a smaller amount.
constexpr int kPositionsWithUnits = 12;

// Whether the group of four positions from i (the 万 or 亿 group) holds a
// non-zero digit in the integer digits.
bool groupHasDigit(const std::string &integerDigits, int i)
{
    const int size = static_cast<int>(integerDigits.size());
    for (int p = i; p < i + 4 && p < size; ++p)
        if (integerDigits[static_cast<std::size_t>(size - 1 - p)] != '0')
            return true;
    return false;
}

}  // namespace

std::string AmountInCapitals(double amount)
{
    const std::string s = FixedTwoDecimals(amount);
    const std::string integerDigits = s.substr(0, s.find('.'));
    if (!integerDigits.empty() && integerDigits[0] != '-'
        && static_cast<int>(integerDigits.size()) > kPositionsWithUnits)
        throw AmountOutOfRange("金额 " + s + " 超出大写金额的范围（大写金额须小于壹万亿元）");
    std::string result;
    bool afterDigit = false;  // the character just handled was a non-zero digit or the point
    int i = -2;
    for (auto it = s.rbegin(); it != s.rend(); ++it) {
        const char ch = *it;
        if (ch == '.') {
            afterDigit = true;
            continue;
        }
        if (ch < '0' || ch > '9')
            throw ConversionError(std::string("'") + ch + "' is not a valid integer value");
        const int digit = ch - '0';
        const std::string_view unit = unitAt(i);
        if (digit != 0) {
            std::string piece;
            piece.append(kDigits[digit]).append(kBlank).append(unit).append(kBlank);
            result.insert(0, piece);
            afterDigit = true;
        } else {
            if (!result.empty() && afterDigit)
                result.insert(0, i == 0 ? unit : kDigits[0]);
            else if (result.empty() && afterDigit)
                result.append(unit).append(kExact);
            // 万 and 亿 stand for their whole group: written for a zero digit
            // only when another digit of the group is not zero (壹 拾 万),
            // never for an empty group (壹 亿 元整, not 壹 亿 万元整).
            if (i > 0 && i % 4 == 0 && groupHasDigit(integerDigits, i))
                result.insert(0, unit);
            afterDigit = false;
        }
        ++i;
    }
    // A whole amount with a non-zero yuan digit ends in "元 "; it ends in "元整"
    // like the amounts whose yuan digit is zero.
    const std::string trailing = std::string(kYuan) + std::string(kBlank);
    if (result.size() >= trailing.size()
        && result.compare(result.size() - trailing.size(), trailing.size(), trailing) == 0) {
        result.resize(result.size() - trailing.size());
        result.append(kYuan).append(kExact);
    }
    return result;
}

}  // namespace nollard
