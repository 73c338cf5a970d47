#include "name_tables.h"

#include <algorithm>
#include <stdexcept>

namespace nollard {

std::string UpperCaseAscii(std::string_view text)
{
    std::string out(text);
    for (char &c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

bool IsPlainName(std::string_view name)
{
    for (char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    return name.find("DIV") == std::string_view::npos && name.find("MOD") == std::string_view::npos;
}

namespace {

template <typename Entries>
auto lowerBound(Entries &entries, std::string_view upperName)
{
    return std::lower_bound(entries.begin(), entries.end(), upperName,
                            [](const auto &e, std::string_view n) { return std::string_view(e.name) < n; });
}

bool needsUpper(std::string_view name)
{
    return std::any_of(name.begin(), name.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

}  // namespace

void VariableTable::add(std::string_view name, double *storage)
{
    const std::string upper = UpperCaseAscii(name);
    auto it = lowerBound(entries_, upper);
    if (it != entries_.end() && it->name == upper)
        return;
    entries_.insert(it, Entry{upper, storage});
    longest_ = std::max(longest_, upper.size());
    plain_ = plain_ && IsPlainName(upper);
}

double *VariableTable::find(std::string_view name) const
{
    if (name.size() > longest_)
        return nullptr;
    if (needsUpper(name))
        return find(UpperCaseAscii(name));
    auto it = lowerBound(entries_, name);
    return it != entries_.end() && it->name == name ? it->storage : nullptr;
}

void FunctionTable::add(std::string_view name, Routine routine, bool pure)
{
    const std::string upper = UpperCaseAscii(name);
    auto it = lowerBound(entries_, upper);
    if (it != entries_.end() && it->name == upper)
        throw std::invalid_argument("function name already registered: " + upper);
    entries_.insert(it, Entry{upper, routine, pure});
    longest_ = std::max(longest_, upper.size());
    plain_ = plain_ && IsPlainName(upper);
}

const FunctionTable::Entry *FunctionTable::find(std::string_view name) const
{
    if (name.size() > longest_)
        return nullptr;
    if (needsUpper(name))
        return find(UpperCaseAscii(name));
    auto it = lowerBound(entries_, name);
    return it != entries_.end() && it->name == name ? &*it : nullptr;
}

bool FunctionTable::isPureRoutine(Routine routine) const
{
    return std::any_of(entries_.begin(), entries_.end(),
                       [routine](const Entry &e) { return e.routine == routine && e.pure; });
}

}  // namespace nollard
