#pragma once
// Watches the largest single heap request (malloc, calloc, realloc) made by any code in
// the test program, libraries included, while an instance lives. Sanitizer builds keep
// their own allocator: there it is not available and tests that need it skip.

#include <cstddef>

namespace marlune::test {

class LargestAllocation {
public:
    LargestAllocation();
    ~LargestAllocation();
    LargestAllocation(const LargestAllocation&) = delete;
    LargestAllocation& operator=(const LargestAllocation&) = delete;

    // The largest request since the instance was made, in bytes.
    std::size_t Bytes() const;

    static bool Available();
};

} // namespace marlune::test
