// No exception crosses an export: hosts are C programs or C++ built with
// another runtime, and an exception reaching them ends the host. Exports
// whose work can allocate (strings, vectors, callbacks) run it through
// guarded(), which turns any exception (in practice std::bad_alloc) into the
// export's failure value.
#pragma once

namespace vx {

template <class Result, class Body>
Result guarded(Result failure, Body&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

} // namespace vx
