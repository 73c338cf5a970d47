#include "random_generator.h"

#include <cstdint>

namespace nollard {
namespace {
std::uint32_t g_randomState = 0;
}

double NextRandom()
{
    g_randomState = g_randomState * 134775813u + 1u;
    return static_cast<double>(g_randomState) / 4294967296.0;
}

}  // namespace nollard
