#pragma once

#include "operation.h"

#include <string>
#include <string_view>
#include <vector>

namespace nollard {

// Names are kept in upper case and compared case-insensitively (ASCII only),
// sorted so that a lookup is a binary search.
class VariableTable
{
public:
    // Adding a name already present is ignored.
    void add(std::string_view name, double *storage);
    double *find(std::string_view name) const;
    // True when every name is made of letters, digits and "_" without DIV or
    // MOD in it: no name can then be mistaken for an operator.
    bool namesArePlain() const { return plain_; }
    void clear()
    {
        entries_.clear();
        longest_ = 0;
        plain_ = true;
    }
    std::size_t size() const { return entries_.size(); }

private:
    struct Entry
    {
        std::string name;
        double *storage;
    };
    std::vector<Entry> entries_;
    std::size_t longest_ = 0;
    bool plain_ = true;
};

class FunctionTable
{
public:
    // pure: the routine's result depends on its arguments alone, so a call on
    // literals may be computed once in advance. Adding a name already present
    // throws std::invalid_argument.
    void add(std::string_view name, Routine routine, bool pure);
    struct Entry
    {
        std::string name;
        Routine routine;
        bool pure;
    };
    const Entry *find(std::string_view name) const;
    bool namesArePlain() const { return plain_; }
    // True when some entry registers this routine as pure.
    bool isPureRoutine(Routine routine) const;
    std::size_t size() const { return entries_.size(); }
    std::size_t longestName() const { return longest_; }

private:
    std::vector<Entry> entries_;
    std::size_t longest_ = 0;
    bool plain_ = true;
};

bool IsPlainName(std::string_view upperName);
std::string UpperCaseAscii(std::string_view text);

}  // namespace nollard
